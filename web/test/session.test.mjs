// A player's first session: labels first, the labels chosen stay the ones in use, no edit is
// dropped without a question, and a save back into the file never writes over what another
// program wrote there unasked, keeping what it replaces.
import assert from 'node:assert/strict';
import { mkdirSync, mkdtempSync, readFileSync, readdirSync, renameSync, truncateSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { aria, cell, cellText, cliApplied, demoDir, labelNames, launch, message, openPage, waitForDownload } from './harness.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

const work = mkdtempSync(join(tmpdir(), 'korvath session-'));
const demo = readFileSync(join(demoDir, 'demo.bin'));

// The demo's labels with "OWN" after each unit type's number, so their names tell the sets apart.
function ownLabels(dir, { upper = false, shortArea = false } = {}) {
  mkdirSync(dir, { recursive: true });
  return labelNames.map((name) => {
    let bytes = readFileSync(join(demoDir, name));
    if (name === 'unit.txt') bytes = Buffer.from(bytes.toString('latin1').replace(/^(\d+ )/gm, '$1OWN'), 'latin1');
    if (name === 'area.txt' && shortArea) bytes = Buffer.from(bytes.toString('latin1').split('\r\n').slice(0, 12).join('\r\n'), 'latin1');
    const path = join(dir, upper ? name.toUpperCase() : name);
    writeFileSync(path, bytes);
    return path;
  });
}

async function choose(page, trigger, paths) {
  const [chooser] = await Promise.all([page.waitForFileChooser(), trigger()]);
  await chooser.accept(paths);
}

async function menu(page, top, item) {
  await (await page.waitForSelector(aria(top))).click();
  await (await page.waitForSelector(`[role=menu]:not([hidden]) ${aria(item)}`)).click();
}

async function backupRows(page) {
  await menu(page, 'ファイル', 'バックアップ');
  await page.waitForSelector('[role=dialog][aria-label=バックアップ] [role=listbox]');
  return page.$$eval('[role=dialog][aria-label=バックアップ] [role=option]', (o) => o.map((e) => e.textContent));
}

const chooseLabels = (page, paths) => choose(page, () => menu(page, 'ラベルファイル', 'ラベルファイルを選ぶ'), paths);
const openSave = (page, path) => choose(page, () => menu(page, 'ファイル', '開く'), [path]);

// The question's text, then a click on the answer named.
async function answer(page, name) {
  const box = await page.waitForSelector('[role=alertdialog]');
  const text = await box.$eval('.message-text', (e) => e.textContent);
  await (await box.waitForSelector(aria(name))).click();
  return text;
}

async function showPage(page, caption) {
  await (await page.evaluateHandle((c) => [...document.querySelectorAll('[role=tab]')].find((t) => t.textContent === c), caption)).click();
  await page.waitForSelector(`[role=tabpanel]:not([hidden]) [role=grid][aria-label="${caption}"]`);
}

const labelStatus = (page) => page.$eval('.label-status', (e) => e.textContent);
const unitName = (page) => cellText(page, '部隊データ', 1, 2);

async function edit(page, name, text) {
  await page.click(aria(name), { clickCount: 3 });
  await page.keyboard.type(text);
  await page.keyboard.press('Tab');
}

// Real drops of files or folders from the disk.
async function drop(page, paths) {
  const s = await page.createCDPSession();
  const data = { items: [], files: paths, dragOperationsMask: 1 };
  for (const type of ['dragEnter', 'dragOver', 'drop']) {
    await s.send('Input.dispatchDragEvent', { type, x: 400, y: 300, data });
  }
}

test('labels come first, then the chosen set stays in use around the demo, and no edit is dropped unasked', async () => {
  const { page, problems, downloads } = await openPage(browser, { withoutPicker: true });
  const own = ownLabels(join(work, 'own'), { upper: true });
  const save = join(work, 'slot1.bin');
  writeFileSync(save, demo);

  // Before the labels: 開く, a drop, and what cannot be opened say so.
  await (await page.waitForSelector(aria('ファイル'))).click();
  await (await page.waitForSelector(`[role=menu]:not([hidden]) ${aria('開く')}`)).click();
  assert.match(await message(page), /ラベルファイル 6 個を選んでください/);
  await drop(page, [save]);
  assert.match(await message(page), /ラベルファイル 6 個を選んでください/);
  await drop(page, [work]);
  assert.match(await message(page), /フォルダ「korvath session-.*」/);
  await drop(page, [save, join(demoDir, 'demo.bin')]);
  assert.match(await message(page), /2 個のファイル.*slot1\.bin、demo\.bin/);

  // Names in capitals, as a Windows disk gives them, are the six files.
  await drop(page, own);
  await page.waitForSelector('[role=tablist]');
  assert.equal(await labelStatus(page), 'ラベル: 保存済み 6 ファイル');
  await openSave(page, save);
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.match(await unitName(page), /^\d+ OWN/);

  // The demo asks first, brings its own names and leaves them behind.
  await edit(page, '総資金', '4321');
  await (await page.waitForSelector(aria('デモを開く'))).click();
  assert.equal(await answer(page, 'キャンセル'), '変更を保存しますか?');
  assert.equal(await page.title(), 'Korvath slot1.bin*');
  await (await page.waitForSelector(aria('デモを開く'))).click();
  await answer(page, '保存しない');
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
  assert.equal(await labelStatus(page), 'ラベル: デモ');
  assert.doesNotMatch(await unitName(page), /OWN/);
  await edit(page, '総資金', '777');
  await openSave(page, save);
  await answer(page, '保存しない');
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.match(await unitName(page), /^\d+ OWN/);
  assert.equal(await labelStatus(page), 'ラベル: 保存済み 6 ファイル');

  // Choosing labels keeps the save open, read again with them; 保存 downloads first and says so.
  await edit(page, '総資金', '999');
  await chooseLabels(page, labelNames.map((n) => join(demoDir, n)));
  await answer(page, '保存');
  const saved = await waitForDownload(downloads, 'slot1.bin');
  await page.waitForFunction((s) => !document.querySelector(s).textContent.includes('OWN'), {}, cell('部隊データ', 1, 2));
  assert.equal(await page.title(), 'Korvath slot1.bin');
  assert.equal(await page.$eval(aria('総資金'), (e) => e.value), '999');
  assert.notDeepEqual(saved, demo);
  assert.equal(await page.$eval('[role=status]', (e) => e.textContent),
    'slot1.bin をダウンロードしました。ゲームのセーブファイルと置き換えてください。');

  // A refused set names its file and why, and the set in use stays.
  await chooseLabels(page, ownLabels(join(work, 'short'), { shortArea: true }));
  const refused = await message(page);
  assert.match(refused, /^ファイル読込エラー\narea\.txt: 78 行必要ですが 12 行です\n/);
  assert.match(refused, /前のラベルをそのまま使います。$/);
  assert.doesNotMatch(await unitName(page), /OWN/);
  assert.equal(await page.title(), 'Korvath slot1.bin');

  // A failed save takes the focus to the cell at fault, on its page.
  await page.click(cell('部隊データ', 2, 3));
  await page.keyboard.type('1a');
  await page.keyboard.press('Enter');
  await showPage(page, 'パイロット');
  await page.keyboard.down('Control');
  await page.keyboard.press('s');
  await page.keyboard.up('Control');
  assert.equal(await message(page), "'1a' は整数ではありません");
  assert.deepEqual(await page.evaluate(() => [document.activeElement?.getAttribute('aria-label'),
    document.activeElement?.getAttribute('aria-activedescendant')]), ['部隊データ', 'StringGrid1_2-2-3']);
  assert.deepEqual(problems, []);
});

// A stand-in for the file the picker gives, on a "disk" the test writes as the game would.
async function pageWithDisk() {
  const session = await openPage(browser);
  const { page } = session;
  await page.evaluateOnNewDocument(() => {
    window.disk = null;
    const handle = {
      kind: 'file', name: 'slot1.bin',
      async getFile() {
        if (!window.disk) throw new DOMException('gone', 'NotFoundError');
        return new File([window.disk], 'slot1.bin');
      },
      async createWritable() {
        let data = null;
        // Written to a file beside the save, which takes the save's place on close; the game may
        // save meanwhile (onWrite).
        return {
          async write(d) { data = new Uint8Array(d); window.onWrite?.(); },
          async close() { window.disk = data; },
          async abort() {},
        };
      },
    };
    window.showOpenFilePicker = async () => [handle];
  });
  await page.reload();
  await page.waitForSelector('body[data-ready]');
  await page.evaluate((b64) => { window.disk = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)); }, demo.toString('base64'));
  return session;
}

const disk = async (page) => Buffer.from(await page.evaluate(() => [...window.disk]));
const save = async (page) => {
  await page.keyboard.down('Control');
  await page.keyboard.press('s');
  await page.keyboard.up('Control');
};

test('a save back into the file asks before writing over what another program wrote, and keeps what it replaces', async () => {
  const { page, problems, downloads } = await pageWithDisk();
  await choose(page, async () => (await page.waitForSelector('section ::-p-aria(ラベルファイルを選ぶ)')).click(),
    labelNames.map((n) => join(demoDir, n)));
  await page.waitForSelector('[role=tablist]');
  await (await page.waitForSelector(aria('ファイル'))).click();
  await (await page.waitForSelector(`[role=menu]:not([hidden]) ${aria('開く')}`)).click();
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');

  await edit(page, '総資金', '123456');
  const game = Buffer.from(demo);
  game[game.length - 1] ^= 0xff;  // the game writes while the editor holds the file
  await page.evaluate((b) => { window.disk = new Uint8Array(b); }, [...game]);
  await save(page);
  assert.equal(await answer(page, 'キャンセル'), 'ファイル slot1.bin は開いた後に変更されています。上書きしますか?');
  assert.deepEqual(await disk(page), game);
  assert.equal(await page.title(), 'Korvath slot1.bin*');
  // The game writes again while the question is open: asked again, and what it wrote is kept.
  await save(page);
  await page.waitForSelector('[role=alertdialog]');
  game[game.length - 2] ^= 0xff;
  await page.evaluate((b) => { window.disk = new Uint8Array(b); }, [...game]);
  await answer(page, '上書き保存');
  assert.match(await answer(page, '上書き保存'), /^ファイル slot1\.bin は開いた後に変更されています。/);
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.equal(await page.$eval('[role=status]', (e) => e.textContent), '');
  const ours = await disk(page);
  assert.notDeepEqual(ours, game);
  // The file holds what was saved: no question. The first keeps those bytes, the second nothing
  // more, as they equal the newest backup.
  for (let i = 0; i < 2; ++i) {
    await save(page);
    await page.waitForSelector('main:not([aria-busy])');
  }
  assert.equal(await page.$('[role=alertdialog]'), null);

  // The list: newest first, with the number of differences; ダウンロード gives the game's bytes.
  const rows = await backupRows(page);
  assert.equal(rows.length, 2);
  assert.match(rows[1], /^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} UTC18368[1-9]\d*$/);  // time, size, differences
  await page.keyboard.press('ArrowDown');
  await (await page.waitForSelector(`[role=dialog] ${aria('ダウンロード')}`)).click();
  await page.waitForFunction(() => true, { timeout: 500 }).catch(() => {});
  let name;
  while (!name) {
    await new Promise((r) => setTimeout(r, 50));
    name = readdirSync(downloads).find((f) => f.endsWith('.bin'));
  }
  assert.match(name, /^slot1-\d{8}-\d{6}-\d{3}\.bin$/);
  assert.deepEqual(await waitForDownload(downloads, name), game);
  await (await page.waitForSelector(`[role=dialog] ${aria('比較')}`)).click();
  assert.match(await page.$eval('[role=status]', (e) => e.textContent), /slot1-\d{8}/);

  // At most 50 per file name: each save keeps the bytes it replaced, the oldest go.
  for (let i = 0; i < 51; ++i) {
    await edit(page, '総資金', String(1000 + i));
    await save(page);
    await page.waitForFunction(() => !document.title.endsWith('*'));
  }
  assert.equal((await backupRows(page)).length, 50);
  await page.keyboard.press('Escape');

  // A file there larger than a backup may be is written over when the player says so, read no
  // further than that bound, and kept not at all: the backups there are stay.
  await edit(page, '総資金', '2024');
  await page.evaluate(() => { window.disk = new Uint8Array((64 << 20) + 1); });
  await save(page);
  assert.match(await answer(page, '上書き保存'), /^ファイル slot1\.bin は開いた後に変更されています。/);
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.equal(await page.$eval('[role=status]', (e) => e.textContent), 'バックアップを残せませんでした: 入出力エラー');
  assert.equal(await page.evaluate(() => window.disk.length), demo.length);
  assert.equal((await backupRows(page)).length, 50);
  assert.deepEqual(problems, []);
});

test('back on the page after the game saved, or while it stays shown beside the game, the file is read again, or asked about once over unsaved changes; a save never writes over it unasked, and 復元 writes a backup back', async () => {
  const { page, problems } = await pageWithDisk();
  await choose(page, async () => (await page.waitForSelector('section ::-p-aria(ラベルファイルを選ぶ)')).click(),
    labelNames.map((n) => join(demoDir, n)));
  await menu(page, 'ファイル', '開く');
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  const funds = () => page.$eval(aria('総資金'), (e) => e.value);
  const game = (funds) => cliApplied({ controls: { Edit1_1: funds }, checklist: {}, cells: [] });
  const gameSaves = (funds) => page.evaluate((b) => { window.disk = new Uint8Array(b); }, [...game(funds)]);
  const back = () => page.evaluate(() => window.dispatchEvent(new Event('focus')));

  // Nothing unsaved: read again at once, and said so.
  await gameSaves('777');
  await back();
  await page.waitForFunction(() => document.querySelector('[role=status]').textContent === '他のプログラムが変更したファイルを読み直しました');
  assert.equal(await funds(), '777');
  assert.equal(await page.title(), 'Korvath slot1.bin');
  // Shown while another program has the keyboard, as beside the game on a second screen: the
  // page does not wait to be back in front.
  await page.evaluate(() => { document.hasFocus = () => false; });
  await gameSaves('666');
  for (let i = 0; i < 50 && await funds() !== '666'; ++i) await new Promise((r) => setTimeout(r, 100));
  assert.equal(await funds(), '666');
  await page.evaluate(() => { delete document.hasFocus; });
  // Unsaved changes: asked. 編集を続ける keeps them, and the same bytes are not asked about again.
  await edit(page, '総資金', '4321');
  await gameSaves('888');
  await back();
  assert.equal(await answer(page, '編集を続ける'), 'ファイル slot1.bin が他のプログラムで変更されました。');
  await back();
  await new Promise((r) => setTimeout(r, 300));
  assert.equal(await page.$('[role=alertdialog]'), null);
  assert.equal(await funds(), '4321');
  // The game saves again: asked again, and 読み直す takes its file; a save then asks nothing.
  await gameSaves('999');
  await back();
  await answer(page, '読み直す');
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.equal(await funds(), '999');
  await edit(page, '総資金', '1000');
  await save(page);
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.deepEqual(await disk(page), game('1000'));
  // The game saves while the page writes: the write is given up before it replaces the file, and
  // the player asked.
  await edit(page, '総資金', '2000');
  await page.evaluate((b) => { window.onWrite = () => { window.disk = new Uint8Array(b); window.onWrite = null; }; }, [...game('3000')]);
  await save(page);
  assert.match(await answer(page, 'キャンセル'), /^ファイル slot1\.bin は開いた後に変更されています。/);
  assert.deepEqual(await disk(page), game('3000'));
  // 復元 writes the newest backup (the save of 1000, kept as the given-up write began) into the
  // file as a save does, asking first, and keeps what it replaces.
  await menu(page, 'ファイル', 'バックアップ');
  await (await page.waitForSelector(`[role=dialog] ${aria('復元')}`)).click();
  assert.match(await answer(page, '復元'), /^保存していない変更は失われます。.+ のバックアップを復元しますか\?$/);
  await answer(page, '上書き保存');
  await page.waitForFunction(() => document.title === 'Korvath slot1.bin');
  assert.deepEqual(await disk(page), game('1000'));
  assert.equal(await funds(), '1000');
  assert.match(await page.$eval('[role=status]', (e) => e.textContent), /のバックアップを復元しました$/);
  assert.equal((await backupRows(page)).length, 3);
  assert.deepEqual(problems, []);
});

test('label files Notepad saved in UTF-8, with or without a byte order mark, give the names they hold', async () => {
  const { page, problems } = await openPage(browser, { withoutPicker: true });
  const dir = join(work, 'notepad');
  mkdirSync(dir, { recursive: true });
  const text = (name) => new TextDecoder('shift_jis').decode(readFileSync(join(demoDir, name)));
  for (const name of labelNames) {
    if (name === 'unit.txt') writeFileSync(join(dir, name), `\ufeff${text(name)}`);  // Notepad: BOM, CR LF
    else if (name === 'pilot.txt') writeFileSync(join(dir, name), text(name).replace(/\r\n/g, '\n'));
    else writeFileSync(join(dir, name), readFileSync(join(demoDir, name)));
  }
  await chooseLabels(page, labelNames.map((n) => join(dir, n)));
  await page.waitForSelector('[role=tablist]');
  await openSave(page, join(demoDir, 'demo.bin'));
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
  const unit = await unitName(page);
  await showPage(page, 'パイロット');
  const pilot = await cellText(page, 'パイロット', 1, 0);
  const expected = (name, id) => text(name).split(/\r\n/)[id].split('\t')[0];
  assert.equal(unit, expected('unit.txt', Number(unit.split(' ')[0])));
  assert.match(pilot, /^\d+ /);
  assert.equal(pilot, expected('pilot.txt', Number(pilot.split(' ')[0])));
  assert.deepEqual(problems, []);
});

test('of a chosen folder only its own label files are read, and no more of each than a label file may hold', async () => {
  const { page, problems } = await openPage(browser, { withoutPicker: true });
  const dir = join(work, 'large');
  mkdirSync(join(dir, 'old'), { recursive: true });
  for (const n of labelNames) writeFileSync(join(dir, n), readFileSync(join(demoDir, n)));
  // Beside the labels a film (sparse: it takes no disk) and, in a subfolder, an old copy.
  writeFileSync(join(dir, 'opening.mp4'), '');
  truncateSync(join(dir, 'opening.mp4'), 3 * 1024 ** 3);
  renameSync(join(dir, 'unit.txt'), join(dir, 'old', 'unit.txt'));
  const chooseFolder = () => choose(page, () => menu(page, 'ラベルファイル', 'ラベルのフォルダを選ぶ'), [dir]);
  await chooseFolder();
  assert.equal(await message(page), 'ファイル読込エラー\nunit.txt: ありません');
  writeFileSync(join(dir, 'unit.txt'), '');
  truncateSync(join(dir, 'unit.txt'), 5 * 1024 ** 2);
  await chooseFolder();
  assert.equal(await message(page), 'ファイル読込エラー\nunit.txt: 4 MiB を超えています');
  writeFileSync(join(dir, 'unit.txt'), readFileSync(join(demoDir, 'unit.txt')));
  await chooseFolder();
  await page.waitForSelector('[role=tablist]', { timeout: 10000 });
  assert.deepEqual(problems, []);
});
