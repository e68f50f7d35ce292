// Label files and saves given through the page's file choosers, as a user without the demo
// would: the same acceptance, refusals and messages as the desktop.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { aria, cell, cellText, demoDir, labelNames, launch, message, openPage } from './harness.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function chooseFiles(page, trigger, paths) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), trigger()]);
  await chooser.accept(paths);
}

async function chooseLabels(page, names) {
  await chooseFiles(page, async () => (await page.waitForSelector('section ::-p-aria(ラベルファイルを選ぶ)')).click(),
    names.map((n) => join(demoDir, n)));
}

async function openSave(page, path) {
  await (await page.waitForSelector(aria('ファイル'))).click();
  await chooseFiles(page, async () => (await page.waitForSelector('[role=menu]:not([hidden]) ::-p-aria(開く)')).click(), [path]);
}

test('a missing label file is refused with the start-up message naming it', async () => {
  const { page, problems } = await openPage(browser);
  await chooseLabels(page, labelNames.filter((n) => n !== 'special.txt'));
  assert.equal(await message(page), 'ファイル読込エラー\nspecial.txt: ありません');
  assert.equal(await page.$('[role=tablist]'), null);
  assert.deepEqual(problems, []);
});

test('labels from the chooser open a save, are kept for the next visit, and an oversized file is refused', async () => {
  const { page, problems, context } = await openPage(browser, { withoutPicker: true });
  await chooseLabels(page, labelNames);
  await page.waitForSelector('[role=tab][aria-selected=true]');
  await openSave(page, join(demoDir, 'demo.bin'));
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
  assert.notEqual(await cellText(page, '部隊データ', 1, 2), '');

  const dir = mkdtempSync(join(tmpdir(), 'korvath-big-'));
  writeFileSync(join(dir, 'big.bin'), Buffer.alloc(18369));
  writeFileSync(join(dir, 'empty.bin'), Buffer.alloc(0));
  await openSave(page, join(dir, 'big.bin'));
  assert.equal(await message(page), 'ファイル読込エラー\nbig.bin');
  assert.equal(await page.title(), 'Korvath demo.bin');  // the loaded save stays
  await openSave(page, join(dir, 'empty.bin'));
  await page.waitForFunction(() => document.title === 'Korvath empty.bin');

  // The same browser profile remembers the labels: no question on the next visit.
  const again = await context.newPage();
  await again.goto(page.url());
  await again.waitForSelector('[role=tablist]');
  assert.equal(await again.$('section ::-p-aria(ラベルファイルを選ぶ)'), null);

  // The demo link shows the demo first; the kept set still opens a save at once.
  writeFileSync(join(dir, 'mine.bin'), readFileSync(join(demoDir, 'demo.bin')));
  const demo = await context.newPage();
  await demo.evaluateOnNewDocument(() => { delete window.showOpenFilePicker; });
  await demo.goto(`${page.url().split('#')[0]}#demo`);
  await demo.waitForSelector('body[data-ready]');
  await openSave(demo, join(dir, 'mine.bin'));
  await demo.waitForFunction(() => document.title === 'Korvath mine.bin');
  assert.deepEqual(problems, []);
});
