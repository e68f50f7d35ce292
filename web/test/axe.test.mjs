// axe-core over the start panel, the seven pages, the unit editor and the hex dump, and the page's
// fit at the window sizes players have: no page scroll bar, the unit editor's controls inside its
// window, everything reachable at 150% zoom.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { after, before, test } from 'node:test';
import { aria, launch, openPage } from './harness.mjs';

const axePath = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

async function violations(page, where) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.addScriptTag({ path: axePath });
  const found = await page.evaluate(async () => (await window.axe.run(document)).violations.map((v) =>
    `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`));
  return found.map((v) => `${where} ${v}`);
}

async function openDemo(page) {
  await (await page.waitForSelector(aria('デモを開く'))).click();
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
}

async function menuItem(page, menu, item) {
  await (await page.waitForSelector(aria(menu))).click();
  await (await page.waitForSelector(`[role=menu]:not([hidden]) ::-p-aria(${item})`)).click();
}

test('axe finds nothing on the start panel, the seven pages, the unit editor and the hex dump', async () => {
  const { page, problems } = await openPage(browser);
  const found = await violations(page, 'start');
  await openDemo(page);
  const tabs = await page.$$eval('main [role=tab]', (t) => t.map((e) => e.textContent));
  for (const caption of tabs) {
    // A table names its current cell only once that cell is drawn, also in the moment between
    // its page being shown and its rows being drawn.
    found.push(...await page.evaluate((where) => {
      [...document.querySelectorAll('main [role=tab]')].find((t) => t.textContent === where).click();
      return [...document.querySelectorAll('[role=grid]')]
        .filter((g) => g.hasAttribute('aria-activedescendant') &&
          !document.getElementById(g.getAttribute('aria-activedescendant')))
        .map((g) => `${where}: ${g.getAttribute('aria-label')} names a cell not drawn`);
    }, caption));
    found.push(...await violations(page, caption));
  }
  await menuItem(page, '表示', '部隊エディタ');
  await page.waitForSelector('[role=dialog][aria-label="部隊エディタ"]:not([hidden])');
  found.push(...await violations(page, '部隊エディタ'));
  await page.keyboard.press('Escape');
  await menuItem(page, '表示', '16進ダンプ');
  await page.waitForSelector('[role=dialog][aria-label="16進ダンプ"]:not([hidden])');
  found.push(...await violations(page, '16進ダンプ'));
  assert.deepEqual(found, []);
  assert.deepEqual(problems, []);
});

test('the page fits a maximised window without scroll bars, and at 150% everything can be reached', async () => {
  const { page, problems } = await openPage(browser);
  await openDemo(page);
  // 150% zoom of 1366×657 is a 911×438 window in page pixels.
  for (const [width, height] of [[1366, 657], [1024, 600], [911, 438]]) {
    await page.setViewport({ width, height });
    for (const caption of await page.$$eval('main [role=tab]', (t) => t.map((e) => e.textContent))) {
      await (await page.waitForSelector(`[role=tablist] ::-p-aria(${caption})`)).click();
      const fit = await page.evaluate(() => {
        const doc = document.documentElement;
        const scrolls = doc.scrollWidth > innerWidth || doc.scrollHeight > innerHeight;
        // Each edge of every table and control of the page can be scrolled into the window.
        const cut = [];
        for (const e of document.querySelectorAll('[role=tabpanel]:not([hidden]) :is([role=grid], input, [role=combobox], .check-list)')) {
          e.scrollIntoView({ block: 'start', inline: 'start' });
          const a = e.getBoundingClientRect();
          e.scrollIntoView({ block: 'end', inline: 'end' });
          const b = e.getBoundingClientRect();
          if (a.left < 0 || a.top < 0 || b.right > innerWidth + 0.5 || b.bottom > innerHeight + 0.5) cut.push(e.getAttribute('aria-label') ?? e.tagName);
        }
        return { scrolls, cut };
      });
      assert.deepEqual(fit, { scrolls: false, cut: [] }, `${caption} at ${width}×${height}`);
    }
  }
  // At 150% the side windows scroll inside themselves: every control can be brought into view.
  for (const [menu, item] of [['表示', '部隊エディタ'], ['表示', '16進ダンプ']]) {
    await menuItem(page, menu, item);
    const cut = await page.$eval(`[role=dialog][aria-label="${item}"]`, (w) => [...w.querySelectorAll('input, button, [role=combobox], pre')].filter((e) => {
      e.scrollIntoView({ block: 'start', inline: 'start' });
      const a = e.getBoundingClientRect();
      e.scrollIntoView({ block: 'end', inline: 'end' });
      const b = e.getBoundingClientRect();
      return a.left < 0 || a.top < 0 || b.right > innerWidth + 0.5 || b.bottom > innerHeight + 0.5;
    }).map((e) => e.getAttribute('aria-label') ?? e.tagName));
    assert.deepEqual(cut, [], item);
    await page.keyboard.press('Escape');
  }
  // The unit editor's controls lie inside its client area, none hangs over its edge.
  await page.setViewport({ width: 1024, height: 600 });
  await menuItem(page, '表示', '部隊エディタ');
  const outside = await page.$eval('[role=dialog][aria-label="部隊エディタ"] .window-content', (area) => {
    const box = area.getBoundingClientRect();
    return [...area.querySelectorAll('input, button, [role=combobox], fieldset')].filter((e) => {
      const r = e.getBoundingClientRect();
      return r.left < box.left || r.top < box.top || r.right > box.right || r.bottom > box.bottom;
    }).map((e) => e.getAttribute('aria-label') ?? e.tagName);
  });
  assert.deepEqual(outside, []);
  assert.deepEqual(await page.$eval('[role=dialog][aria-label="部隊エディタ"] .window-content', (e) => [e.clientWidth, e.clientHeight]), [545, 449]);
  assert.deepEqual(problems, []);
});

test('a column widens by dragging its heading\'s edge and fits its text on a double-click', async () => {
  const { page } = await openPage(browser);
  await openDemo(page);
  const heading = '[role=tabpanel]:not([hidden]) [role=grid][aria-label="部隊データ"] [role=columnheader]';
  const width = (name) => page.$$eval(heading, (h, n) => h.find((e) => e.textContent === n).getBoundingClientRect().width, name);
  const edge = async (name) => (await page.$$(`${heading} .column-edge`))[await page.$$eval(heading, (h, n) => h.findIndex((e) => e.textContent === n), name)];
  const before = await width('名前');
  const box = await (await edge('名前')).boundingBox();
  await page.mouse.move(box.x + 2, box.y + 5);
  await page.mouse.down();
  await page.mouse.move(box.x + 42, box.y + 5, { steps: 4 });
  await page.mouse.up();
  assert.equal(Math.round(await width('名前')), Math.round(before + 40));
  // Rows drawn since, further down, take the new width too.
  const grid = '[role=tabpanel]:not([hidden]) [role=grid][aria-label="部隊データ"]';
  const column = await page.$$eval(heading, (h) => h.findIndex((e) => e.textContent === '名前') + 1);
  await page.$eval(grid, (g) => { g.scrollTop = g.scrollHeight; });
  await page.waitForFunction((g) => !document.querySelector(`${g} [aria-rowindex="2"]`), {}, grid);
  const widths = await page.$$eval(`${grid} .grid-body [aria-colindex="${column}"]`, (cells) => cells.map((c) => Math.round(c.getBoundingClientRect().width)));
  assert.deepEqual([...new Set(widths)], [Math.round(before + 40)]);
  // Fitted: as wide as the heading's text needs, so the heading is no longer cut.
  const cut = () => page.$$eval(heading, (h) => h.filter((e) => e.scrollWidth > e.clientWidth).map((e) => e.textContent));
  assert.ok((await cut()).includes('スタック'));
  await (await edge('スタック')).scrollIntoView();
  const fitBox = await (await edge('スタック')).boundingBox();
  await page.mouse.click(fitBox.x + 2, fitBox.y + 5, { clickCount: 2 });
  assert.ok(!(await cut()).includes('スタック'));
});
