// The whole page without a mouse: from start-up through every page, a control of each kind, a
// cell of every table, the unit editor's 変更, the hex dump and back, and 保存 by Ctrl+S. Only
// real key presses; the saved bytes must equal the command line's for the same edits.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { cellText, cliApplied, launch, openPage, waitForDownload } from './harness.mjs';

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

// What a screen reader would say the focused element is: role and name.
function focused(page) {
  return page.evaluate(() => {
    const a = document.activeElement;
    const role = a.getAttribute('role') ?? a.tagName.toLowerCase();
    const name = a.getAttribute('aria-label') ?? a.textContent.trim();
    const dialog = a.closest('[role=dialog]')?.getAttribute('aria-label') ?? '';
    const list = a.closest('.check-list');
    const line = list ? [...list.children].indexOf(a.parentElement) : -1;
    return { role, name, dialog, checked: a.checked === true, line };
  });
}

async function press(page, key, modifiers = []) {
  for (const m of modifiers) await page.keyboard.down(m);
  await page.keyboard.press(key);
  for (const m of modifiers.reverse()) await page.keyboard.up(m);
}

// Tab (or Shift+Tab) until the focus is on what want accepts; a table or list that keeps the
// focus, or a control out of reach, fails here.
async function tabTo(page, want, { back = false, limit = 40 } = {}) {
  const seen = [];
  for (let i = 0; i < limit; ++i) {
    await press(page, 'Tab', back ? ['Shift'] : []);
    const f = await focused(page);
    if (want(f)) return f;
    seen.push(`${f.role}:${f.name}`);
  }
  assert.fail(`not reached in ${limit} presses: ${seen.join(' | ')}`);
}
const named = (role, name) => (f) => f.role === role && f.name === name;

async function toPage(page, caption) {
  const f = await focused(page);
  if (f.role !== 'tab') await tabTo(page, (x) => x.role === 'tab', { back: true, limit: 60 });
  for (let i = 0; i < 8 && (await focused(page)).name !== caption; ++i) await press(page, 'ArrowRight');
  assert.equal(await page.$eval('[role=tab][aria-selected=true]', (t) => t.textContent), caption);
}

// Into a table, one step inside it, and out again with one Tab.
async function visitTable(page, label) {
  await tabTo(page, named('grid', label), { limit: 60 });
  await press(page, 'ArrowDown');
  await press(page, 'ArrowRight');
  await press(page, 'Tab');
  assert.notEqual((await focused(page)).name, label, `Tab stays in ${label}`);
}

// Into the unit table, to the third unit's fourth column, an editable one.
async function toUnitCell(page) {
  await tabTo(page, named('grid', '部隊データ'), { limit: 60 });
  await press(page, 'ArrowDown');
  await press(page, 'ArrowDown');
  await press(page, 'Home');
  for (let i = 0; i < 3; ++i) await press(page, 'ArrowRight');
}

async function menu(page, barKey, itemKey) {
  await press(page, barKey, ['Alt']);
  await press(page, itemKey);
}

test('start-up to 保存 with keys only', async () => {
  const { page, downloads, problems } = await openPage(browser);
  await page.evaluate(() => {
    window.mouseEvents = 0;
    for (const type of ['mousedown', 'mouseup', 'pointerdown', 'wheel']) {
      window.addEventListener(type, () => { window.mouseEvents += 1; }, true);
    }
  });
  const edits = { controls: {}, checklist: {}, cells: [] };

  // The start panel, reached from the menu bar's one Tab stop.
  await tabTo(page, named('button', 'デモを開く'));
  await press(page, 'Enter');
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
  assert.deepEqual(await focused(page), { role: 'tab', name: '自軍', dialog: '', checked: false, line: -1 });

  // F10 and Alt alone go to the menu bar and back; arrows go along it and across open menus.
  await press(page, 'F10');
  assert.equal((await focused(page)).name, 'ファイル');
  await press(page, 'ArrowDown');
  assert.equal((await focused(page)).role, 'menuitem');
  await press(page, 'ArrowRight');
  assert.match((await focused(page)).name, /^元に戻す/);
  await press(page, 'Escape');
  assert.equal((await focused(page)).name, '編集');
  await press(page, 'Escape');
  assert.equal((await focused(page)).name, '自軍');
  await press(page, 'Alt');
  assert.equal((await focused(page)).role, 'menuitem');
  await press(page, 'Alt');
  assert.equal((await focused(page)).name, '自軍');

  // An edit box, a check box and a fixed list.
  await tabTo(page, named('input', '総資金'));
  await page.keyboard.type('777777');
  edits.controls.Edit1_1 = '777777';
  await tabTo(page, named('input', '基礎Lv のフラグ'));
  const flag = (await focused(page)).checked;
  await press(page, ' ');
  edits.controls.CheckBox1_2 = !flag;
  assert.equal((await focused(page)).checked, !flag);
  await tabTo(page, named('combobox', '勢力'), { back: true });
  await press(page, 'ArrowDown', ['Alt']);
  await press(page, 'ArrowDown');
  await press(page, 'Enter');
  edits.controls.ComboBox1_1 = await page.$eval('[role=combobox][aria-label="勢力"]', (c) =>
    [...document.getElementById(c.getAttribute('aria-controls')).children].findIndex((o) => o.textContent === c.textContent));
  assert.ok(edits.controls.ComboBox1_1 >= 0);

  // A table cell typed into, then every table of the force pages.
  await toUnitCell(page);
  await page.keyboard.type('250');
  await press(page, 'Enter');
  assert.equal(await cellText(page, '部隊データ', 3, 3), '250');
  edits.cells.push(['StringGrid1_2', 3, 3, '250']);
  for (const caption of ['敵勢力１', '敵勢力２']) {
    await toPage(page, caption);
    await visitTable(page, '開発プラン');
    await visitTable(page, '部隊データ');
  }
  await toPage(page, 'パイロット');
  await visitTable(page, 'パイロット');
  await toPage(page, 'エリア');
  await visitTable(page, '特別エリア 生産ドック');
  await visitTable(page, 'エリア 支配勢力');

  // The editable list keeps typed text; a group's check box and a check list line.
  await toPage(page, '特別');
  await tabTo(page, named('combobox', 'シナリオ'));
  await page.keyboard.type('第２');
  await press(page, 'Enter');
  edits.controls.ComboBox6_1 = '第２';
  await tabTo(page, (f) => f.role === 'input' && f.name.startsWith('エリア存在'));
  await press(page, ' ');
  const area = await page.evaluate(() => [document.activeElement.dataset.name, document.activeElement.checked]);
  edits.controls[area[0]] = area[1];
  const first = await tabTo(page, (f) => f.line >= 0, { limit: 60 });
  await press(page, 'ArrowDown');  // the list is one Tab stop; arrows go from line to line
  const line = await focused(page);
  assert.ok(line.line > first.line);
  await press(page, ' ');
  edits.checklist[String(line.line)] = !line.checked;
  assert.equal((await focused(page)).checked, !line.checked);
  await toPage(page, '兵器一覧');
  await visitTable(page, '兵器一覧');

  // The unit editor from the menu: focus on its first control, 変更 by keys, Escape back.
  await toPage(page, '自軍');
  await visitTable(page, '開発プラン');
  await tabTo(page, named('grid', '部隊データ'));
  await press(page, 'ArrowDown');  // row 4: unit 3
  await menu(page, 'v', 'u');
  assert.deepEqual(await focused(page), { role: 'tab', name: '自軍', dialog: '部隊エディタ', checked: false, line: -1 });
  await tabTo(page, named('input', '耐久'));
  await page.keyboard.type('42');
  await tabTo(page, named('button', '変更'));
  await press(page, 'Enter');
  assert.equal(await cellText(page, '部隊データ', 4, 3), '42');
  edits.cells.push(['StringGrid1_2', 4, 3, '42']);
  await press(page, 'Escape');
  assert.equal((await focused(page)).name, '部隊データ');

  // The hex dump: checked in the menu while open, Escape returns to the table.
  await menu(page, 'v', 'h');
  assert.equal((await focused(page)).dialog, '16進ダンプ');
  await press(page, 'F6');  // to the main window and back, the dump staying open
  assert.equal((await focused(page)).name, '部隊データ');
  await press(page, 'F6');
  assert.equal((await focused(page)).dialog, '16進ダンプ');
  await press(page, 'v', ['Alt']);
  assert.equal(await page.$eval('[role=menu]:not([hidden]) [role=menuitemcheckbox]', (e) => e.getAttribute('aria-checked')), 'true');
  await press(page, 'Escape');
  await press(page, 'Escape');
  assert.equal((await focused(page)).dialog, '16進ダンプ');
  await press(page, 'Escape');
  assert.equal((await focused(page)).name, '部隊データ');

  // Ctrl+S saves and leaves the focus where it was.
  await press(page, 's', ['Control']);
  const saved = await waitForDownload(downloads, 'demo.bin');
  assert.equal((await focused(page)).name, '部隊データ');
  await press(page, 'ArrowDown');  // the arrows still move the cell
  assert.match(await page.evaluate(() => document.activeElement.getAttribute('aria-activedescendant')), /^StringGrid1_2-5-/);
  assert.equal(await page.evaluate(() => window.mouseEvents), 0);

  // A commit counts again who is aboard; pilot 0 never is, whatever the file said.
  await toPage(page, 'パイロット');
  edits.cells.push(['StringGrid4_1', 1, 3, await cellText(page, 'パイロット', 1, 3)]);
  assert.ok(saved.equals(cliApplied(edits)), 'the saved bytes differ from the CLI\'s');

  // 終了 asks about the unsaved edit; a tab the page did not open stays, back at the start panel.
  await tabTo(page, named('grid', 'パイロット'));
  const readOnly = () => page.evaluate(() =>
    document.getElementById(document.activeElement.getAttribute('aria-activedescendant')).getAttribute('aria-readonly') === 'true');
  await press(page, 'End');
  for (let i = 0; i < 15 && await readOnly(); ++i) await press(page, 'ArrowLeft');
  await page.keyboard.type('1');
  await press(page, 'Enter');
  assert.match(await page.title(), /\*$/);
  await menu(page, 'f', 'x');
  assert.equal(await page.evaluate(() => document.activeElement.closest('[role=alertdialog]') !== null), true);
  await press(page, 'Escape');
  assert.equal((await focused(page)).name, 'パイロット');
  await menu(page, 'f', 'x');
  await tabTo(page, named('button', '保存しない'));
  await press(page, 'Enter');
  await page.waitForFunction(() => document.title === 'Korvath');
  assert.equal((await focused(page)).role, 'button');
  assert.equal(await page.$('main [role=grid]'), null);
  assert.equal(await page.evaluate(() => window.mouseEvents), 0);
  assert.deepEqual(problems, []);
});

// A Japanese input method composes before it commits: its provisional text, and its own use of
// Escape and Enter, must not reach the working copy or end an edit.
test('an input method\'s text counts once the player settles it, and its keys are its own', async () => {
  const { page, downloads, problems } = await openPage(browser);
  await tabTo(page, named('button', 'デモを開く'));
  await press(page, 'Enter');
  await page.waitForFunction(() => document.title === 'Korvath demo.bin');
  const ime = await page.createCDPSession();
  const compose = (text) => ime.send('Input.imeSetComposition', { text, selectionStart: text.length, selectionEnd: text.length });
  const value = () => page.evaluate(() => document.activeElement.value);

  // Composed in an edit box, then given up with Escape: no step, nothing to undo.
  await tabTo(page, named('input', '総資金'));
  const was = await value();
  await press(page, 'End');
  await compose('９');
  await compose('９８');
  await press(page, 'Escape');
  await compose('');
  assert.equal(await value(), was);
  await press(page, 'z', ['Control']);
  assert.equal(await value(), was);

  // In a cell's editor Escape and Enter end the composition, not the editing.
  await toUnitCell(page);
  await page.keyboard.type('5');
  await compose('9');
  await press(page, 'Escape');
  await compose('');
  await compose('0');
  await press(page, 'Enter');
  await ime.send('Input.insertText', { text: '0' });
  assert.equal((await focused(page)).role, 'input');
  await press(page, 'Enter');
  assert.equal(await cellText(page, '部隊データ', 3, 3), '50');

  await press(page, 's', ['Control']);
  const saved = await waitForDownload(downloads, 'demo.bin');
  assert.ok(saved.equals(cliApplied({ cells: [['StringGrid1_2', 3, 3, '50']] })), 'the saved bytes differ from the CLI\'s');
  assert.deepEqual(problems, []);
});
