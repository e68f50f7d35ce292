// The main window of the browser edition: menus, pages, files, history and comparison, all over
// the core module.
import './style.css';
import { type Core, type Difference, DifferenceKind, type MenuItemInfo, type Texts, loadCore } from './core';
import { BoundControls } from './controls';
import { el, plainCaption } from './dom';
import { FloatingWindow, showMessage } from './dialogs';
import * as files from './files';
import { PopupMenu } from './menu';
import { Pages } from './pages';
import { UnitEditor } from './unit_editor';
import { demoLabels, demoSave } from 'virtual:demo';

class App {
  private readonly texts: Texts;
  private pages: Pages | null = null;
  private controls: BoundControls | null = null;
  private unitEditor: UnitEditor | null = null;
  private dump: FloatingWindow | null = null;
  private readonly dumpText = el('pre', { class: 'dump', tabindex: '0' });
  private handle: FileSystemFileHandle | null = null;
  private readonly menuButtons = new Map<string, HTMLElement>();
  private readonly menus = new Map<string, PopupMenu>();
  private readonly saveInput = el('input', { type: 'file', accept: '.bin', hidden: '' });
  private readonly labelInput = el('input', { type: 'file', multiple: '', hidden: '' });
  private readonly folderInput = el('input', { type: 'file', webkitdirectory: '', hidden: '' });
  private readonly status = el('div', { class: 'status', role: 'status' });
  private readonly main = el('main', { class: 'main' });
  private readonly labelPanel: HTMLElement;
  private differences: Difference[] = [];
  private readonly marks = new Map<string, string>();
  private cursor = -1;
  private busy = false;

  constructor(private readonly core: Core) {
    this.texts = core.texts();
    this.labelPanel = this.buildLabelPanel();
    const app = document.getElementById('app')!;
    app.append(this.buildMenuBar(), this.main, this.status, this.saveInput, this.labelInput, this.folderInput);
    this.main.append(this.labelPanel);
    window.addEventListener('keydown', (e) => this.shortcut(e), true);
    // The edit boxes' own text undo would disagree with the one history.
    window.addEventListener('beforeinput', (e) => {
      if (e.inputType === 'historyUndo' || e.inputType === 'historyRedo') e.preventDefault();
    }, true);
    window.addEventListener('beforeunload', (e) => {
      if (this.core.ready() && this.core.loaded() && !this.core.history().saved) e.preventDefault();
    });
    document.addEventListener('dragover', (e) => e.preventDefault());
    document.addEventListener('drop', (e) => {
      e.preventDefault();
      const file = e.dataTransfer?.files[0];
      if (file) void this.openFile(file, null);
    });
    this.updateTitle();
  }

  // korvath.html#demo opens the demo at once, so a link can show the editor without questions.
  async start(): Promise<void> {
    if (location.hash === '#demo') { this.openDemo(); return; }
    const stored = await files.storedLabels(this.texts.labelFiles);
    if (stored.length === this.texts.labelFiles.length && this.core.loadLabels(stored) === '') this.labelsReady();
  }

  // ---- Menus

  private menuItems(): Map<string, () => void> {
    return new Map<string, () => void>([
      ['FilleOpenMenu', () => void this.openCommand()],
      ['FileSaveMenu', () => void this.save()],
      ['FileCompareMenu', () => void this.compare()],
      ['FileNextDiffMenu', () => this.stepDifference(true)],
      ['FilePrevDiffMenu', () => this.stepDifference(false)],
      ['FileCompareEndMenu', () => this.endComparison()],
      ['FileExitMenu', () => window.close()],
      ['EditUndoMenu', () => this.run(() => this.core.undo())],
      ['EditRedoMenu', () => this.run(() => this.core.redo())],
      ['ViewUnitEditMenu', () => this.showUnitEditor()],
      ['ViewDumpManu', () => this.toggleDump()],
      ['HelpAboutMenu', () => void showMessage(this.texts.aboutTitle, this.texts.aboutLines.join('\n'))],
    ]);
  }

  private buildMenuBar(): HTMLElement {
    const bar = el('div', { role: 'menubar', class: 'menubar', 'aria-label': this.texts.title });
    const actions = this.menuItems();
    for (const menu of this.texts.menus) {
      const caption = plainCaption(menu.caption);
      const button = el('button', { type: 'button', role: 'menuitem', 'aria-haspopup': 'menu', 'aria-expanded': 'false' }, caption);
      const popup = new PopupMenu(caption, () => button.setAttribute('aria-expanded', 'false'));
      this.menus.set(menu.name, popup);
      const open = () => {
        const r = button.getBoundingClientRect();
        button.setAttribute('aria-expanded', 'true');
        popup.openAt(r.left, r.bottom, menu.items.map((item) => this.menuEntry(item, actions)));
      };
      button.addEventListener('mousedown', (e) => { e.preventDefault(); if (popup.isOpen) popup.close(true); else open(); });
      button.addEventListener('keydown', (e) => { if (e.key === 'ArrowDown' || e.key === 'Enter' || e.key === ' ') { e.preventDefault(); open(); } });
      this.menuButtons.set(menu.name, button);
      bar.append(button);
    }
    const demo = el('button', { type: 'button', role: 'menuitem' }, this.texts.web.demo);
    demo.addEventListener('click', () => this.openDemo());
    const labels = el('button', { type: 'button', role: 'menuitem', 'aria-haspopup': 'menu' }, this.texts.web.labels);
    const labelMenu = new PopupMenu(this.texts.web.labels);
    labels.addEventListener('click', () => {
      const r = labels.getBoundingClientRect();
      labelMenu.openAt(r.left, r.bottom, [
        { caption: this.texts.web.chooseLabels, run: () => void this.chooseLabels(this.labelInput) },
        { caption: this.texts.web.chooseLabelFolder, run: () => void this.chooseLabels(this.folderInput) },
        { caption: this.texts.web.forgetLabels, run: () => void files.forgetLabels() },
      ]);
    });
    bar.append(demo, labels);
    return bar;
  }

  private menuEntry(item: MenuItemInfo, actions: Map<string, () => void>) {
    const loaded = this.core.ready() && this.core.loaded();
    let caption = item.caption;
    let enabled = !item.needsFile || loaded;
    const comparing = this.differences.length > 0 || this.comparing;
    if (item.name === 'FileNextDiffMenu' || item.name === 'FilePrevDiffMenu' || item.name === 'FileCompareEndMenu') enabled = enabled && comparing;
    if (item.name === 'EditUndoMenu' || item.name === 'EditRedoMenu') {
      const h = this.core.ready() ? this.core.history() : null;
      const undo = item.name === 'EditUndoMenu';
      const what = h ? (undo ? h.undo : h.redo) : '';
      enabled = h !== null && (undo ? h.canUndo : h.canRedo);
      if (what) caption = caption.replace(/\(&.\)$/, '') + `: ${what}`;
    }
    return {
      caption, name: plainCaption(item.caption), shortcut: item.shortcut.split(', ')[0], enabled,
      run: actions.get(item.name) ?? (() => undefined),
    };
  }

  private shortcut(e: KeyboardEvent): void {
    const ctrl = e.ctrlKey || e.metaKey;
    const key = e.key.toLowerCase();
    let action: (() => void) | null = null;
    if (ctrl && !e.altKey && key === 'z' && !e.shiftKey) action = () => this.run(() => this.core.undo());
    else if (ctrl && !e.altKey && (key === 'y' || (key === 'z' && e.shiftKey))) action = () => this.run(() => this.core.redo());
    else if (ctrl && !e.altKey && key === 's') action = () => void this.save();
    else if (ctrl && !e.altKey && key === 'o') action = () => void this.openCommand();
    else if (e.key === 'F3') action = () => this.stepDifference(!e.shiftKey);
    if (!action) return;
    e.preventDefault();
    e.stopPropagation();
    if (!this.core.ready()) return;
    action();
  }

  // ---- Running core calls

  // Runs a core call; a message it returns is shown (as an error where the desktop shows one),
  // then everything that changed is drawn again.
  run(action: () => string | void, error = true): void {
    let message: string | void;
    try {
      message = action();
    } finally {
      this.sync();
    }
    if (message) void showMessage(this.texts.title, message, error);
  }

  private sync(): void {
    if (!this.core.ready() || !this.pages) return;
    const changes = this.core.changes();
    const grids = new Set(changes.grids);
    if (this.comparing && (grids.size || changes.cells.length || changes.controls)) this.recompare();
    for (const view of this.pages.grids) {
      if (grids.has(view.grid)) view.redraw();
      else if (changes.current.includes(view.grid)) view.showCurrent();
    }
    for (const [g, r, c] of changes.cells) this.pages.grids.find((v) => v.grid === g)?.redrawCell(r, c);
    // A control's own change is told only as history; it is shown again all the same.
    if (changes.controls || changes.history) { this.controls?.refresh(); this.pages.checkList?.refresh(); }
    if (changes.page) this.pages.show(this.core.activePage());
    if (changes.history) this.updateTitle();
    this.unitEditor?.sync();
  }

  private updateTitle(): void {
    const loaded = this.core.ready() && this.core.loaded();
    const name = loaded ? ` ${this.core.fileName()}` : '';
    const mark = loaded && !this.core.history().saved ? this.texts.unsavedMark : '';
    document.title = `${this.texts.title}${name}${mark}`;
  }

  // ---- Labels

  private buildLabelPanel(): HTMLElement {
    const choose = el('button', { type: 'button', 'aria-label': plainCaption(this.texts.web.chooseLabels) }, this.texts.web.chooseLabels);
    choose.addEventListener('click', () => void this.chooseLabels(this.labelInput));
    const folder = el('button', { type: 'button', 'aria-label': plainCaption(this.texts.web.chooseLabelFolder) }, this.texts.web.chooseLabelFolder);
    folder.addEventListener('click', () => void this.chooseLabels(this.folderInput));
    const demo = el('button', { type: 'button' }, this.texts.web.demo);
    demo.addEventListener('click', () => this.openDemo());
    return el('section', { class: 'label-panel', 'aria-label': this.texts.web.labels },
      el('p', {}, this.texts.web.labelPrompt), el('p', {}, choose, ' ', folder, ' ', demo),
      el('p', { class: 'hint' }, this.texts.web.dropHint));
  }

  private async chooseLabels(input: HTMLInputElement): Promise<void> {
    const chosen = await files.chooseWithInput(input);
    if (chosen.length === 0) return;
    const named = await Promise.all(chosen.map(async (f) => [f.name, await files.readFile(f)] as [string, Uint8Array]));
    const message = this.core.loadLabels(named);
    if (message) { await showMessage(this.texts.title, message, true); return; }
    await files.keepLabels(named.filter(([name]) => this.texts.labelFiles.includes(name)));
    this.labelsReady();
  }

  private labelsReady(): void {
    this.handle = null;
    this.endComparison();
    if (!this.pages) this.buildWindow();
    this.labelPanel.remove();
    for (const view of this.pages!.grids) view.redraw();
    this.pages!.show(this.core.activePage());
    this.controls!.refresh();
    this.pages!.checkList?.refresh();
    this.core.changes();
    this.updateTitle();
  }

  private buildWindow(): void {
    const layout = this.core.layout();
    this.controls = new BoundControls({
      core: this.core, run: (a) => this.run(a),
      controlMark: (name) => this.marks.get(`c:${name}`) ?? null,
      lineMark: (line) => this.marks.get(`l:${line}`) ?? null,
    });
    this.pages = new Pages(layout, this.controls, {
      core: this.core, run: (a) => this.run(a),
      markAt: (g, r, c) => this.marks.get(`g:${g}:${r}:${c}`) ?? null,
      controlMark: (name) => this.marks.get(`c:${name}`) ?? null,
      lineMark: (line) => this.marks.get(`l:${line}`) ?? null,
      openUnitEditor: () => this.showUnitEditor(),
    }, (page) => this.run(() => this.core.setActivePage(page)), (grids) => {
      for (const view of grids) view.redraw();
      this.controls?.refresh();
      this.controls?.showMarks();
      this.pages?.checkList?.refresh();
      this.pages?.checkList?.showMarks();
    });
    this.main.append(this.pages.element);
    this.unitEditor = new UnitEditor(this.core, this.texts.unitEditorTitle, this.texts.unitEditorTabs,
      this.texts.unitEditorControls, this.texts.web.close, (a, error) => this.run(a, error));
    this.dump = new FloatingWindow(this.texts.dumpTitle, this.texts.web.close, () => {
      this.dumpText.textContent = this.core.dump().replace(/\r\n/g, '\n');
    });
    this.dump.element.classList.add('dump-window');
    this.dump.content.append(this.dumpText);
  }

  // ---- Files

  private openDemo(): void {
    const message = this.core.loadLabels(demoLabels.map(([name, b64]) => [name, files.fromBase64(b64)]));
    if (message) { void showMessage(this.texts.title, message, true); return; }
    this.labelsReady();
    this.openBytes(files.fromBase64(demoSave), 'demo.bin', null);
  }

  private async openCommand(): Promise<void> {
    if (!this.core.ready()) return;
    const chosen = await files.chooseSave(this.saveInput);
    if (chosen) await this.openFile(chosen.file, chosen.handle);
  }

  private async openFile(file: File, handle: FileSystemFileHandle | null): Promise<void> {
    if (!this.core.ready()) return;
    // Read no more than a save can hold: a larger file is refused without reading it whole.
    const bytes = file.size > this.texts.capacity ? null : await files.readFile(file);
    this.openBytes(bytes, file.name, handle);
  }

  private openBytes(bytes: Uint8Array | null, name: string, handle: FileSystemFileHandle | null): void {
    if (!bytes || !this.core.open(bytes, name)) {
      void showMessage(this.texts.title, `${this.texts.readError}\n${name}`);
      return;
    }
    this.handle = handle;
    this.endComparison();
    this.run(() => undefined);
    if (this.dump?.visible) this.dump.show();
    this.updateTitle();
  }

  private async save(): Promise<void> {
    if (!this.core.ready() || !this.core.loaded() || this.busy) return;
    (document.activeElement as HTMLElement | null)?.blur?.();  // an open editor commits first
    const stored = this.core.store();
    this.sync();
    if (stored.error || !stored.bytes) { await showMessage(this.texts.title, stored.error, true); return; }
    this.busy = true;
    try {
      if (this.handle) await files.writeBack(this.handle, stored.bytes);
      else files.download(this.core.fileName(), stored.bytes);
      this.core.markSaved();
    } catch {
      await showMessage(this.texts.title, `${this.texts.writeError}\n${this.core.fileName()}`);
    } finally {
      this.busy = false;
    }
    this.sync();
    this.updateTitle();
    if (this.dump?.visible) this.dump.show();
  }

  // ---- Comparison

  private comparing = false;

  private async compare(): Promise<void> {
    if (!this.core.loaded()) return;
    const chosen = await files.chooseWithInput(this.saveInput);
    const file = chosen[0];
    if (!file) return;
    const bytes = file.size > this.texts.capacity ? null : await files.readFile(file);
    if (!bytes || !this.core.compareStart(bytes, file.name)) {
      await showMessage(this.texts.title, `${this.texts.readError}\n${file.name}`);
      return;
    }
    this.comparing = true;
    this.cursor = -1;
    this.recompare();
  }

  private recompare(): void {
    this.differences = this.comparing ? this.core.differences() : [];
    this.marks.clear();
    for (const d of this.differences) {
      if (d.kind === DifferenceKind.Control) this.marks.set(`c:${d.control}`, d.tip);
      else if (d.kind === DifferenceKind.Cell) {
        this.marks.set(`g:${d.grid}:${d.row}:${d.column}`, d.tip);
        if (d.nameColumn >= 0) this.marks.set(`g:${d.grid}:${d.row}:${d.nameColumn}`, d.tip);
      } else if (d.kind === DifferenceKind.CheckListLine) this.marks.set(`l:${d.line}`, d.tip);
    }
    this.showMarks();
  }

  private showMarks(): void {
    if (!this.pages) return;
    for (const view of this.pages.grids) view.redraw();
    this.controls?.showMarks();
    this.pages.checkList?.showMarks();
    this.status.textContent = this.comparing ? this.core.compareStatus(this.cursor) : '';
  }

  private endComparison(): void {
    if (!this.comparing) return;
    this.comparing = false;
    this.core.compareEnd();
    this.recompare();
  }

  private stepDifference(forward: boolean): void {
    if (!this.comparing || !this.pages) return;
    const order = this.core.stepDifference(this.cursor, forward);
    const d = this.differences.find((x) => x.order === order);
    if (!d) return;
    this.cursor = order;
    this.status.textContent = this.core.compareStatus(this.cursor);
    this.run(() => this.core.setActivePage(d.page));
    if (d.kind === DifferenceKind.Cell) {
      this.pages.grids.find((v) => v.grid === d.grid)?.focusCell(d.row, d.column);
    } else if (d.kind === DifferenceKind.CheckListLine) {
      this.pages.checkList?.focusLine(d.line);
    } else if (d.kind === DifferenceKind.Control) {
      const e = document.querySelector<HTMLElement>(`[data-name="${d.control}"]`);
      (e?.querySelector<HTMLElement>('input,[role=combobox]') ?? e)?.focus();
    }
  }

  // ---- Other windows

  private showUnitEditor(): void {
    if (this.core.loaded()) this.unitEditor?.show();
  }

  private toggleDump(): void {
    if (!this.dump) return;
    if (this.dump.visible) this.dump.hide(); else if (this.core.loaded()) this.dump.show();
  }
}

void loadCore().then(async (core) => {
  const app = new App(core);
  await app.start();
  // The first page is drawn with the next frame; the benchmark reads this mark.
  requestAnimationFrame(() => performance.mark('korvath-first-page'));
  document.body.dataset.ready = 'true';
});
