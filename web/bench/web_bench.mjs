// Figures of the browser edition, in one run: navigation to the demo's first page drawn beside the
// desktop editor's start-up with the demo (KORVATH_DESKTOP, KORVATH_DESKTOP_SAVE), the page's size
// raw and gzipped, and keystroke to shown text in the plan table (266 rows). Printed, never
// asserted. Run by tools/web-bench.
import { spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { aria, cell, launch, pageFile, settledTab } from '../test/harness.mjs';

const runs = Number(process.env.RUNS ?? 7);
const wallTime = fileURLToPath(new URL('../../bench/wall-time', import.meta.url));
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const browser = await launch();
try {
  const html = readFileSync(pageFile);
  console.log(`korvath.html: ${(html.length / 1024).toFixed(1)} KiB raw, ${(gzipSync(html, { level: 9 }).length / 1024).toFixed(1)} KiB gzipped`);

  // In turn, so that a drift of the machine's speed hits each alike: the desktop editor (when
  // given), then the page at the desktop window's size (its client area, so that both draw the
  // same rows) and at the tests' size.
  const sizes = [[777, 527], [1024, 700]];
  const desktop = [];
  const starts = sizes.map(() => []);
  const shown = sizes.map(() => []);
  for (let i = -1; i < runs; ++i) {  // run -1 warms the caches and is not counted
    if (process.env.KORVATH_DESKTOP) {
      // The browser, too, settles first: closing a tab keeps it busy for a while.
      await new Promise((r) => setTimeout(r, 1000));
      // Timed as bench/startup-vs-bare times it.
      const run = spawnSync(wallTime, [process.env.KORVATH_DESKTOP, '--quit-after-show', process.env.KORVATH_DESKTOP_SAVE],
        { encoding: 'utf8', stdio: ['ignore', 'pipe', 'inherit'] });
      if (run.status !== 0) throw new Error(`the desktop editor showed no window (${run.status ?? run.signal})`);
      const [from, to] = run.stdout.trim().split(' ').map(Number);
      if (i >= 0) desktop.push((to - from) * 1000);
    }
    for (const [s, [width, height]] of sizes.entries()) {
      const { context, page } = await settledTab(browser, { width, height });
      await page.goto(`${pathToFileURL(pageFile).href}#demo`);
      await page.waitForSelector('body[data-ready]');
      const first = await page.evaluate(() => performance.getEntriesByName('korvath-first-page')[0].startTime);
      // When the compositor put that frame on screen: the demo's first page is the first text drawn.
      await page.waitForFunction(() => performance.getEntriesByName('first-contentful-paint').length > 0);
      const paint = await page.evaluate(() => performance.getEntriesByName('first-contentful-paint')[0].startTime);
      await context.close();
      if (i < 0) continue;
      starts[s].push(first);
      shown[s].push(paint);
    }
  }
  const figures = (xs) => `median ${median(xs).toFixed(1)} ms (min ${Math.min(...xs).toFixed(1)}, max ${Math.max(...xs).toFixed(1)}, ${runs} runs)`;
  if (desktop.length) console.log(`desktop editor (release), process start to its window exposed: ${figures(desktop)}`);
  for (const [s, [width, height]] of sizes.entries()) {
    // Each run's page against the desktop run just before it, as farm-bench --vs pairs them.
    const pairs = desktop.map((d, i) => starts[s][i] / d);
    const ratio = desktop.length ? `, ${(median(starts[s]) / median(desktop)).toFixed(2)}x the desktop's median` +
      ` (median of paired ratios ${median(pairs).toFixed(2)}, ${Math.min(...pairs).toFixed(2)} to ${Math.max(...pairs).toFixed(2)})` : '';
    console.log(`${width}x${height}: navigation to first page drawn: ${figures(starts[s])}${ratio}`);
    console.log(`${width}x${height}: navigation to first page on screen (first contentful paint): ${figures(shown[s])}`);
  }

  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 700 });
  await page.goto(`${pathToFileURL(pageFile).href}#demo`);
  await page.waitForSelector('body[data-ready]');
  await page.click(cell('開発プラン', 3, 2));
  await page.keyboard.type('1');
  // From the key event to the frame that shows its text.
  await page.evaluate(() => {
    window.keyTimes = [];
    window.addEventListener('keydown', (e) => {
      const t0 = e.timeStamp;
      const editor = document.querySelector('.cell-editor');
      const want = (editor?.value ?? '') + e.key;
      // The first frame that starts with the text in place is the one that shows it; a task
      // queued in its animation callback runs once that frame has been painted. (The callback's
      // own time stamp is the frame's start, which can precede the key event.)
      const check = () => {
        if (document.querySelector('.cell-editor')?.value === want) {
          setTimeout(() => window.keyTimes.push(performance.now() - t0));
        } else {
          requestAnimationFrame(check);
        }
      };
      requestAnimationFrame(check);
    }, true);
  });
  for (let i = 0; i < 60; ++i) {
    await page.keyboard.press(String(i % 10));
    await new Promise((r) => setTimeout(r, 20));
  }
  await page.keyboard.press('Enter');
  const keys = await page.evaluate(() => window.keyTimes);
  console.log(`keystroke to shown text (266-row table): median ${median(keys).toFixed(1)} ms over ${keys.length} keys (max ${Math.max(...keys).toFixed(1)})`);
} finally {
  await browser.close();
}
