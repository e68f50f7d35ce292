// Writes the text the demo's first page shows at the desktop window's size (777x527), for
// bench/startup-vs-bare's window that draws as much text as the editor:
//   node web/bench/first_page_text.mjs OUT   (after make web)
import { writeFileSync } from 'node:fs';
import { pathToFileURL } from 'node:url';
import { launch, pageFile, settledTab } from '../test/harness.mjs';

const browser = await launch();
try {
  const { page } = await settledTab(browser, { width: 777, height: 527 });
  await page.goto(`${pathToFileURL(pageFile).href}#demo`);
  await page.waitForSelector('body[data-ready]');
  const text = await page.evaluate(() => {
    const inView = (e) => {
      const r = e.getBoundingClientRect();
      return r.width > 0 && r.bottom > 0 && r.top < innerHeight && r.right > 0 && r.left < innerWidth;
    };
    const texts = [];
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    for (let n = walker.nextNode(); n; n = walker.nextNode()) {
      if (n.textContent.trim() && inView(n.parentElement)) texts.push(n.textContent.trim());
    }
    for (const input of document.querySelectorAll('input')) if (input.value && inView(input)) texts.push(input.value);
    return texts.join(' ');
  });
  writeFileSync(process.argv[2], text);
  console.log(`${text.length} characters, ${new Set(text).size} distinct`);
} finally {
  await browser.close();
}
