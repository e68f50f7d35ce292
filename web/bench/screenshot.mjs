// The browser edition with the demo open, as the README shows it. Run by tools/screenshots.
import { pathToFileURL } from 'node:url';
import { launch, pageFile } from '../test/harness.mjs';

const out = process.argv[2];
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 700 });
  await page.goto(`${pathToFileURL(pageFile).href}#demo`);
  await page.waitForSelector('body[data-ready]');
  await page.screenshot({ path: out });
} finally {
  await browser.close();
}
