// Seeded random sequences of real events on the page, then Ctrl+S: the download must hold the
// bytes the same acts give when applied to the core module directly under node. KORVATH_RANDOM_ACTS
// sets the number of sequences, KORVATH_RANDOM_SEED the first seed; a failure prints the seed and
// the acts.
import assert from 'node:assert/strict';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { demoDir, labelNames, launch, openPage, pageFile, waitForDownload } from './harness.mjs';

const moduleFile = process.env.KORVATH_MODULE ?? resolve(demoDir, '../../wasm/web/korvath_module.js');
const sequences = Number(process.env.KORVATH_RANDOM_ACTS ?? 30);
const firstSeed = Number(process.env.KORVATH_RANDOM_SEED ?? 1);
const kEditable = 2, kSelectable = 1, kEdit = 0, kCheckBox = 1, kComboBox = 2;
// The module's tables, layout and texts are the UTF-8 of JSON texts.
const json = (utf8) => JSON.parse(new TextDecoder().decode(utf8));
const plain = (caption) => caption.replace(/\(&.\)/, '').replace(/&(.)/, '$1').replace(/\.\.\.$/, '');

// The core the page is built on, as a second copy that the acts are applied to directly.
async function directCore() {
  const dir = mkdtempSync(join(tmpdir(), 'korvath-core-'));
  writeFileSync(join(dir, 'core.mjs'), readFileSync(moduleFile));
  globalThis.window ??= globalThis;  // the module is built for browsers only
  const wasmBinary = readFileSync(moduleFile.replace(/\.js$/, '.wasm'));
  const core = await (await import(pathToFileURL(join(dir, 'core.mjs')).href)).default({ wasmBinary });
  rmSync(dir, { recursive: true });
  assert.equal(core.loadLabels(labelNames.map((n) => [n, readFileSync(join(demoDir, n))])), '');
  return core;
}

let browser, session, core, layout, menus, demo, other, dir;
before(async () => {
  core = await directCore();
  layout = json(core.layout());
  menus = new Map(json(core.texts()).menus.flatMap((m) => m.items.map((i) => [i.name, [plain(m.caption), plain(i.caption)]])));
  demo = readFileSync(join(demoDir, 'demo.bin'));
  dir = mkdtempSync(join(tmpdir(), 'korvath-random-'));
  // The comparison's other save differs in a few values of every page.
  const b = Buffer.from(demo);
  for (let i = 1600; i < 1700; i += 7) b[i] ^= 0x11;
  for (let i = 14801; i < 17000 && i < b.length; i += 53) b[i] ^= 0x05;
  other = join(dir, 'other.bin');
  writeFileSync(other, b);
  browser = await launch();
  session = await openPage(browser);
  session.page.on('dialog', (d) => void d.accept());
});
after(async () => {
  await browser?.close();
  if (dir) rmSync(dir, { recursive: true, force: true });
});

// Everything a sequence picks from, by page, read from the core's layout.
const controls = (p) => [...p.panels, ...p.groups].flatMap((x) => x.controls);

class Player {
  constructor(seed) {
    this.state = seed >>> 0;
    this.log = [];
    this.open = null;  // the edit box or cell left with typing in it
    this.avoid = null;  // the one left open before this act
    this.again = null;  // the edit box or cell typed into by the act before, its typing ended
  }

  pick(n) {  // mulberry32
    let t = (this.state = (this.state + 0x6d2b79f5) >>> 0);
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return (((t ^ (t >>> 14)) >>> 0) % n);
  }

  digits() {
    let text = String(1 + this.pick(9));
    for (let n = this.pick(3); n > 0; --n) text += String(this.pick(10));
    return text;
  }

  // Now and then a Japanese input method composes after the typing: given up with Escape, which
  // must change nothing, or committed with Enter, which must only commit it. Gives what it added
  // to the text, and how it went for the log.
  async maybeCompose() {
    if (this.pick(4)) return ['', ''];
    const text = this.digits();
    const commit = this.pick(2) === 0;
    const ime = await session.page.createCDPSession();
    await ime.send('Input.imeSetComposition', { text, selectionStart: text.length, selectionEnd: text.length });
    await this.key(commit ? 'Enter' : 'Escape');
    if (commit) await ime.send('Input.insertText', { text });
    else await ime.send('Input.imeSetComposition', { text: '', selectionStart: 0, selectionEnd: 0 });
    await ime.detach();
    return [commit ? text : '', ` (composed ${text}, ${commit ? 'committed' : 'given up'})`];
  }

  async key(key, modifiers = []) {
    const { page } = session;
    for (const m of modifiers) await page.keyboard.down(m);
    await page.keyboard.press(key);
    for (const m of [...modifiers].reverse()) await page.keyboard.up(m);
  }

  // As a user: the tab is clicked only when its page is not the one shown.
  async showPage(p) {
    const tab = `#tab${p}`;
    if (await session.page.$eval(tab, (t) => t.getAttribute('aria-selected')) !== 'true') await session.page.click(tab);
    core.setActivePage(p);
  }

  gridSelector(table) { return `[role=tabpanel]:not([hidden]) [role=grid][data-name="${table.name}"]`; }

  // Scrolls the cell into view past the fixed columns and the heading, then gives its selector.
  async cell(table, row, column) {
    const grid = this.gridSelector(table);
    let x = 0, fixed = 0;
    table.widths.forEach((w, c) => { if (c < column) x += w; if (c < table.fixed) fixed += w; });
    await session.page.$eval(grid, (g, top, left) => { g.scrollTop = top; g.scrollLeft = left; },
      Math.max(0, (row - 3) * 18), Math.max(0, x - fixed));
    const selector = `${grid} [role=row][aria-rowindex="${row + 1}"] [aria-colindex="${column + 1}"]`;
    await session.page.waitForSelector(selector);
    return selector;
  }

  // A table and a cell of it whose state holds all of flags, near the top or anywhere.
  pickCell(flags, which = (t) => true) {
    for (;;) {
      const p = this.pick(layout.pages.length);
      const tables = layout.pages[p].tables.filter(which);
      if (tables.length === 0) continue;
      const table = tables[this.pick(tables.length)];
      const rows = table.rows - 1;
      const row = 1 + (this.pick(2) ? this.pick(Math.min(8, rows)) : this.pick(rows));
      const column = this.pick(table.widths.length);
      if ((json(core.rows(table.grid, row, 1))[0][1][column] & flags) === flags) return { p, table, row, column };
    }
  }

  async typeIntoCell(again = null) {
    const { page } = session;
    let at = again;
    if (!at) do at = this.pickCell(kEditable | kSelectable); while (this.avoid === `${at.table.grid} ${at.row} ${at.column}`);
    const { p, table, row, column } = at;
    let text = this.digits();
    await this.showPage(p);
    await page.click(await this.cell(table, row, column));
    const f2 = this.pick(3) === 0;
    if (f2) await this.key('F2');
    await page.keyboard.type(text);
    const [composed, how] = await this.maybeCompose();
    text += composed;
    const end = ['Enter', 'Tab', 'Escape', 'ArrowDown', null][this.pick(5)];
    if (end) await this.key(end);
    this.log.push(`cell ${table.name} ${row},${column}:${f2 ? ' F2' : ''} ${text}${how} ${end ?? '(left open)'}`);
    this.open = end ? null : `${table.grid} ${row} ${column}`;
    this.again = end ? at : null;
    if (end === 'Escape') return;
    core.setCell(table.grid, row, column, text);
    core.endTyping();
  }

  pickControl(kind) {
    for (;;) {
      const p = this.pick(layout.pages.length);
      const list = controls(layout.pages[p]).filter((c) => c.kind === kind);
      if (list.length) return [p, list[this.pick(list.length)]];
    }
  }

  async typeIntoBox(again = null) {
    let { p, c } = again ?? {};
    if (!c) do [p, c] = this.pickControl(kEdit); while (this.avoid === c.name);
    let text = this.digits();
    await this.showPage(p);
    await session.page.click(`input[data-name="${c.name}"]`, { clickCount: 3 });
    await session.page.keyboard.type(text);
    const [composed, how] = await this.maybeCompose();
    text += composed;
    const end = ['Enter', 'Tab', 'Escape', null][this.pick(4)];
    if (end) await this.key(end);
    this.log.push(`${c.name}: ${text}${how} ${end ?? '(left open)'}`);
    this.open = end ? null : c.name;
    this.again = end ? { p, c } : null;
    core.setEditText(c.name, text);
    core.endTyping();
  }

  async toggleCheckBox() {
    const [p, c] = this.pickControl(kCheckBox);
    await this.showPage(p);
    await session.page.click(`input[type=checkbox][data-name="${c.name}"]`);
    this.log.push(`click ${c.name}`);
    core.setChecked(c.name, !core.control(c.name).checked);
  }

  // A choice from the open list, typed text in an editable one, or keys and the wheel over a
  // closed one, which must change nothing.
  async useList() {
    const { page } = session;
    const [p, c] = this.pickControl(kComboBox);
    await this.showPage(p);
    const field = `[data-name="${c.name}"] [role=combobox]`;
    const how = this.pick(c.editable ? 3 : 2);
    if (how === 0) {
      const i = this.pick(c.items.length);
      await page.click(field);
      if (c.editable) await page.click(`[data-name="${c.name}"] .combo-button`);
      await page.click(`[role=listbox]:not([hidden]) [data-index="${i}"]`);
      this.log.push(`${c.name}: choose ${i}`);
      if (c.editable) core.setComboText(c.name, c.items[i]); else core.setItemIndex(c.name, i);
    } else if (how === 1) {
      await page.hover(field);
      await page.mouse.wheel({ deltaY: this.pick(2) ? 120 : -120 });
      await page.focus(field);
      await this.key(this.pick(2) ? 'ArrowDown' : 'ArrowUp');
      this.log.push(`${c.name}: wheel and arrow while closed`);
    } else {
      const text = this.digits();
      await page.click(field, { clickCount: 3 });
      await page.keyboard.type(text);
      const end = ['Enter', 'Tab', 'Escape'][this.pick(3)];
      await this.key(end);
      this.log.push(`${c.name}: ${text} ${end}`);
      core.setComboText(c.name, text);
      core.endTyping();
    }
  }

  async toggleLine() {
    const page = layout.pages.findIndex((x) => x.checkList);
    const lines = core.checkList();
    const line = this.pick(lines.length);
    if (lines[line][1]) return;  // a heading
    await this.showPage(page);
    const box = `[data-name="${layout.pages[page].checkList.name}"] > :nth-child(${line + 1}) input`;
    await session.page.$eval(box, (b) => b.scrollIntoView({ block: 'center' }));
    await session.page.click(box);
    this.log.push(`line ${line}`);
    core.setCheckListChecked(line, !lines[line][2]);
  }

  // A right-click popup on a cell; on a table that selects ranges, over a range first.
  async popup() {
    const { page } = session;
    let at;
    do at = this.pickCell(0); while (core.popup(at.table.grid, at.row, at.column).items.length === 0);
    const { p, table, row, column } = at;
    await this.showPage(p);
    const target = await this.cell(table, row, column);
    let range = '';
    if (table.rangeSelection && this.pick(2)) {
      const from = Math.max(1, row - 1 - this.pick(3));
      const start = await this.cell(table, from, column);
      await page.click(start);
      await page.keyboard.down('Shift');
      await page.click(await this.cell(table, row, column));
      await page.keyboard.up('Shift');
      range = ` from row ${from}`;
    }
    await page.click(target, { button: 'right' });
    const { kind, items } = core.popup(table.grid, row, column);
    const item = this.pick(items.length);
    await page.click(`[role=menu]:not([hidden]) [role=menuitem]:nth-child(${item + 1})`);
    this.log.push(`popup ${table.name} ${row},${column}${range} item ${item}`);
    core.setCurrentCell(table.grid, row, column);
    core.popupClick(kind, item);
  }

  async menu(name) {
    const [bar, item] = menus.get(name);
    await session.page.click(`[role=menubar] ::-p-aria(${bar})`);
    await session.page.click(`[role=menu]:not([hidden]) ::-p-aria(${item})`);
  }

  // Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z with the focus in some kind of widget, or the menu.
  async undoOrRedo(undo) {
    const { page } = session;
    if (this.pick(4) === 0) {
      await this.menu(undo ? 'EditUndoMenu' : 'EditRedoMenu');
      this.log.push(undo ? 'menu undo' : 'menu redo');
    } else {
      const kinds = ['input[type=text]', 'input[type=checkbox]', '[role=combobox]', '[role=grid]', 'cell editor', '[role=tab]', 'body'];
      const kind = kinds[this.pick(kinds.length)];
      if (kind === 'cell editor') {
        await page.focus(`[role=tabpanel]:not([hidden]) [role=grid]`).catch(() => {});
        await this.key('F2');
      } else if (kind === 'body') {
        await page.evaluate(() => document.activeElement?.blur());
      } else {
        await page.evaluate((k) => {
          const all = [...document.querySelectorAll(`[role=tabpanel]:not([hidden]) ${k}, .pages > [role=tablist] ${k}`)];
          all[Math.floor(all.length / 2)]?.focus();
        }, kind);
      }
      const keys = undo ? [['z', ['Control']]] : [['y', ['Control']], ['Z', ['Control', 'Shift']]];
      const [key, mods] = keys[this.pick(keys.length)];
      await this.key(key, mods);
      this.log.push(`${mods.join('+')}+${key} in ${kind}`);
    }
    this.open = null;
    core.endTyping();
    if (undo) core.undo(); else core.redo();
  }

  // The unit editor's 変更 on a unit, with a durability typed.
  async unitEditor() {
    const { page } = session;
    let at;
    do at = this.pickCell(0, (t) => t.opensUnitEditor); while (!(json(core.rows(at.table.grid, at.row, 1))[0][1][3] & kSelectable));
    const { p, table, row } = at;
    const text = this.digits();
    await this.showPage(p);
    await page.click(await this.cell(table, row, 3), { clickCount: 2 });
    const editor = '[role=dialog].unit-editor:not([hidden])';
    await page.click(`${editor} input[data-name=Edit3]`, { clickCount: 3 });
    await page.keyboard.type(text);
    await page.click(`${editor} [data-name=Button8]`);
    this.log.push(`unit editor ${table.name} row ${row} 耐久 ${text} 変更`);
    core.setCurrentCell(table.grid, row, 3);
    core.unitEvent('activate', 0, 0);
    core.unitEvent('edit', 3, text);
    const message = core.unitEvent('commit', 0, 0);
    if (message) this.log.push(`  (core: ${message})`);
    await this.dismissMessages();
    await page.click(`${editor} .close`);
  }

  async compare() {
    const { page } = session;
    if (this.pick(3) === 0) {
      await this.menu('FileCompareEndMenu').catch(() => this.key('Escape'));
      this.log.push('end comparison');
      return;
    }
    const [chooser] = await Promise.all([page.waitForFileChooser(), this.menu('FileCompareMenu')]);
    await chooser.accept([other]);
    this.log.push('compare');
  }

  async dismissMessages() {
    for (let box; (box = await session.page.$('[role=alertdialog] button'));) {
      this.log.push(`  message: ${await session.page.$eval('[role=alertdialog] .message-text', (e) => e.textContent)}`);
      await box.click();
    }
  }

  async act() {
    const roll = this.pick(100);
    // Typing left open is not continued at once: the page rightly joins that to the typing before,
    // which the direct acts do not model. Only the menu and F3 leave such typing as it is.
    this.avoid = this.open;
    if (roll < 83 || roll >= 94) this.open = null;
    // Typing again where one has just typed and ended it, and taking back what one has just
    // typed, are what users do most after typing.
    const again = this.again;
    this.again = null;
    if (again && this.pick(3) === 0) return again.c ? this.typeIntoBox(again) : this.typeIntoCell(again);
    if (again && this.pick(2) === 0) return this.undoOrRedo(true);
    if (roll < 18) return this.typeIntoCell();
    if (roll < 30) return this.typeIntoBox();
    if (roll < 38) return this.toggleCheckBox();
    if (roll < 45) return this.useList();
    if (roll < 50) return this.toggleLine();
    if (roll < 56) return this.popup();
    if (roll < 66) return this.undoOrRedo(true);
    if (roll < 72) return this.undoOrRedo(false);
    if (roll < 78) {
      const p = this.pick(layout.pages.length);
      this.log.push(`page ${p}`);
      return this.showPage(p);
    }
    if (roll < 83) return this.unitEditor();
    if (roll < 89) return this.compare();
    if (roll < 94) {
      this.log.push('F3');
      return this.key('F3', this.pick(3) === 0 ? ['Shift'] : []);
    }
    return this.typeIntoCell();
  }

  // One sequence; the empty text when the download holds what the direct acts give.
  async play(acts) {
    const { page, downloads } = session;
    await page.goto(`${pathToFileURL(pageFile).href}?${this.state}#demo`);
    await page.waitForSelector('body[data-ready] [role=grid]');
    core.open(demo, 'demo.bin');
    try {
      for (let i = 0; i < acts; ++i) {
        await this.act();
        await this.dismissMessages();
        if (await page.$('[role=menu]:not([hidden])')) await this.key('Escape');
      }
      this.log.push('Ctrl+S');
      await this.key('s', ['Control']);
      const saved = await waitForDownload(downloads, 'demo.bin');
      rmSync(join(downloads, 'demo.bin'));
      core.endTyping();
      const stored = core.store();
      assert.equal(stored.error, '');
      const meant = Buffer.from(stored.bytes);
      if (saved.equals(meant)) return '';
      const at = meant.findIndex((b, i) => b !== saved[i]);
      this.log.push(`first differing byte ${at}: saved ${saved[at]}, meant ${meant[at]}`);
    } catch (e) {
      this.log.push(`error: ${e.message.split('\n')[0]}`);
    }
    return this.log.join('\n');
  }
}

test(`${sequences} random sequences of acts save what the same acts give in the core`, async () => {
  const failed = [];
  const all = process.env.KORVATH_RANDOM_ALL !== undefined;
  const started = Date.now();
  for (let i = 0; i < sequences; ++i) {
    const seed = firstSeed + i;
    const player = new Player(seed);
    const failure = await player.play(4 + (seed % 9));
    if (process.env.KORVATH_RANDOM_DEBUG) console.log(`seed ${seed}:\n${player.log.join('\n')}`);
    // A long run tells how far it got, in case it has to be stopped.
    if (all && (i + 1) % 50 === 0) console.log(`${i + 1} sequences played, ${failed.length + (failure ? 1 : 0)} failed`);
    if (!failure) continue;
    failed.push(seed);
    console.log(`seed ${seed}:\n${failure}`);
    if (!all) break;
  }
  console.log(`${sequences} sequences from seed ${firstSeed}, ${Date.now() - started} ms, ${failed.length} failed`);
  assert.deepEqual(failed, []);
  assert.deepEqual(session.problems, []);
});
