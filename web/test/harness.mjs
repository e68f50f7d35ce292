// Opens build/web/korvath.html from file:// in Debian's Chromium, headless, and records every
// request that leaves the file and every console error, so each test can assert there were none.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, existsSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

// node 18 (Debian 12) has no import.meta.dirname.
const here = fileURLToPath(new URL('.', import.meta.url));

const root = resolve(here, '../..');
export const pageFile = process.env.KORVATH_HTML ?? join(root, 'build/web/korvath.html');
export const demoDir = process.env.KORVATH_DEMO_DIR ?? join(root, 'build/debug/examples');
export const cli = process.env.KORVATH_CLI ?? join(root, 'build/debug/bin/korvath-cli');
export const labelNames = ['plan.txt', 'unit.txt', 'pilot.txt', 'area.txt', 'class.txt', 'special.txt'];

export async function launch() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--lang=ja'],
  });
}

// A page in a fresh browser context (its own IndexedDB), with the window size the page must
// work from, downloads going to a folder of its own.
// withoutPicker: as a browser without the File System Access picker, whose dialog no test can
// answer, so that opening goes through the file input.
export async function openPage(browser, { withoutPicker = false } = {}) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  const problems = [];
  page.on('request', (r) => {
    if (!/^(file|data|blob):/.test(r.url())) problems.push(`request ${r.url()}`);
  });
  page.on('console', (m) => { if (m.type() === 'error') problems.push(`console ${m.text()}`); });
  page.on('pageerror', (e) => problems.push(`page error ${e.message}`));
  await page.setViewport({ width: 1024, height: 700 });
  const downloads = mkdtempSync(join(tmpdir(), 'korvath-downloads-'));
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, browserContextId: context.id });
  if (withoutPicker) await page.evaluateOnNewDocument(() => { delete window.showOpenFilePicker; });
  await page.goto(pathToFileURL(pageFile).href);
  await page.waitForSelector('body[data-ready]');
  return { page, context, problems, downloads };
}

// A fresh tab for a start-up figure, at the given window size. Headless Chromium opens a new
// context's window with its own renderer for the browser's built-in pages, which keeps both cores
// busy for about half a second: the tab waits that out, as a player's open browser has, so that
// the figure is the page's own.
export async function settledTab(browser, viewport = { width: 1024, height: 700 }) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport(viewport);
  await new Promise((r) => setTimeout(r, 1000));
  return { context, page };
}

export async function waitForDownload(dir, name, timeout = 10000) {
  const end = Date.now() + timeout;
  while (Date.now() < end) {
    if (existsSync(join(dir, name)) && !readdirSync(dir).some((f) => f.endsWith('.crdownload'))) {
      return readFileSync(join(dir, name));
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`no download ${name} in ${dir}`);
}

export const aria = (name) => `::-p-aria(${name})`;

// The cell of a grid by its 1-based aria indices (table row r is aria-rowindex r + 1).
export function cell(grid, row, column) {
  return `[role=tabpanel]:not([hidden]) [role=grid][aria-label="${grid}"] [role=row][aria-rowindex="${row + 1}"] [aria-colindex="${column + 1}"]`;
}

// Rows are drawn in the frame after a page is shown, so wait for the cell.
export async function cellText(page, grid, row, column) {
  return (await page.waitForSelector(cell(grid, row, column))).evaluate((e) => e.textContent);
}

export async function message(page) {
  const box = await page.waitForSelector('[role=alertdialog]');
  const text = await box.$eval('.message-text', (e) => e.textContent);
  await (await box.$('button')).click();
  return text;
}

// The demo save with edits applied by the command line, for comparing with what the page saved.
export function cliApplied(edits) {
  const dir = mkdtempSync(join(tmpdir(), 'korvath-cli-'));
  writeFileSync(join(dir, 'edits.json'), JSON.stringify(edits));
  execFileSync(cli, ['apply', '--labels', demoDir, join(demoDir, 'demo.bin'), join(dir, 'edits.json'), '-o', join(dir, 'out.bin')]);
  return readFileSync(join(dir, 'out.bin'));
}
