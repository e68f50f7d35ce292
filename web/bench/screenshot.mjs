// The browser edition with the demo open, as the README shows it, at the window size given as
// WIDTHxHEIGHT (1024x700 by default). Run by tools/screenshots.
import { pathToFileURL } from 'node:url';
import { launch, pageFile } from '../test/harness.mjs';

const out = process.argv[2];
const [width, height] = (process.argv[3] ?? '1024x700').split('x').map(Number);
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  await page.goto(`${pathToFileURL(pageFile).href}#demo`);
  await page.waitForSelector('body[data-ready]');
  await page.screenshot({ path: out });
} finally {
  await browser.close();
}
