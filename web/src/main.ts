// The main window of the browser edition: menus, pages, files, history and comparison, all over
// the core module.
import './style.css';
import * as backups from './backups';
import { type Core, type Difference, DifferenceKind, type MenuItemInfo, type StoreFault, type Texts, fill, loadCore } from './core';
import { BoundControls } from './controls';
import { afterPaint, el, forInputMethod, plainCaption } from './dom';
import { FloatingWindow, ask, showMessage } from './dialogs';
import * as files from './files';
import { LabelSets } from './label_sets';
import { MenuBar, type MenuEntry } from './menu';
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
  private readonly menuBar: MenuBar;
  private readonly saveInput = el('input', { type: 'file', accept: '.bin', hidden: '' });
  private readonly labelInput = el('input', { type: 'file', multiple: '', hidden: '' });
  private readonly folderInput = el('input', { type: 'file', webkitdirectory: '', hidden: '' });
  private readonly status = el('span', { role: 'status' });
  private readonly labelStatus = el('span', { class: 'label-status', role: 'status' });
  private readonly labelSets: LabelSets;
  private altAlone = false;
  private lastInMain: HTMLElement | null = null;
  private readonly main = el('main', { class: 'main' });
  private readonly labelPanel: HTMLElement;
  private differences: Difference[] = [];
  private readonly marks = new Map<string, string>();
  private cursor = -1;
  private busy = false;
  private looking = false;
  // Bytes of the game's the player chose to keep editing over: not asked about again.
  private declined: Uint8Array | null = null;
  // The file's bytes at the last second's look while another program has the keyboard.
  private polled: Uint8Array | null = null;

  constructor(private readonly core: Core) {
    this.texts = core.texts();
    this.labelSets = new LabelSets(core, this.texts);
    this.labelPanel = this.buildLabelPanel();
    const app = document.getElementById('app')!;
    // Landmarks: the menu bar, the pages, the status line.
    this.menuBar = this.buildMenuBar();
    const statusBar = el('footer', { class: 'status' }, this.status, this.labelStatus);
    app.append(el('header', {}, this.menuBar.element), this.main, statusBar, this.saveInput, this.labelInput, this.folderInput);
    this.main.append(this.labelPanel);
    window.addEventListener('keydown', (e) => this.shortcut(e), true);
    window.addEventListener('keyup', (e) => this.altUp(e), true);
    this.main.addEventListener('focusin', (e) => { this.lastInMain = e.target as HTMLElement; });
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
      if (e.dataTransfer) this.dropped(e.dataTransfer);
    });
    window.addEventListener('hashchange', () => { if (location.hash === '#demo') void this.openDemo(); });
    // The game may have saved meanwhile: the file is looked at whenever the page comes to the front.
    window.addEventListener('focus', () => void this.lookAgain());
    document.addEventListener('visibilitychange', () => { if (!document.hidden) void this.lookAgain(); });
    // And every second while it is shown but another program has the keyboard, such as the game
    // on a screen beside it: the page follows the game's saves as the desktop's file watch does.
    window.setInterval(() => { if (!document.hidden && !document.hasFocus()) void this.poll(); }, 1000);
    this.updateTitle();
  }

  // korvath.html#demo opens the demo at once, so a link can show the editor without questions:
  // the set kept from an earlier visit is read and checked once the demo's first page has been
  // drawn.
  async start(kept: () => Promise<Map<string, Uint8Array>>): Promise<void> {
    if (location.hash === '#demo') {
      void this.labelSets.restore(afterPaint().then(kept), false);
      await this.openDemo();
    } else if (await this.labelSets.restore(kept(), true)) {
      this.labelsReady();
    }
    this.showLabelStatus();
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
      ['FileBackupsMenu', () => void this.showBackups()],
      ['FileExitMenu', () => void this.exit()],
      ['EditUndoMenu', () => this.run(() => this.core.undo())],
      ['EditRedoMenu', () => this.run(() => this.core.redo())],
      ['ViewUnitEditMenu', () => this.showUnitEditor()],
      ['ViewDumpManu', () => this.toggleDump()],
      ['HelpAboutMenu', () => void showMessage(this.texts.aboutTitle, this.texts.aboutLines.join('\n'))],
    ]);
  }

  private buildMenuBar(): MenuBar {
    const actions = this.menuItems();
    return new MenuBar(this.texts.title, [
      ...this.texts.menus.map((menu) => ({
        caption: menu.caption, entries: () => menu.items.map((item) => this.menuEntry(item, actions)),
      })),
      { caption: this.texts.web.demo, run: () => void this.openDemo() },
      { caption: this.texts.web.labels, entries: () => [
        { caption: this.texts.web.chooseLabels, run: () => void this.chooseLabels(this.labelInput) },
        { caption: this.texts.web.chooseLabelFolder, run: () => void this.chooseLabels(this.folderInput) },
        { caption: this.texts.web.forgetLabels, run: () => void this.labelSets.forget().then(() => this.showLabelStatus()) },
      ] },
    ]);
  }

  private menuEntry(item: MenuItemInfo, actions: Map<string, () => void>): MenuEntry {
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
      checked: item.name === 'ViewDumpManu' ? this.dump?.visible === true : undefined,
      run: actions.get(item.name) ?? (() => undefined),
    };
  }

  private shortcut(e: KeyboardEvent): void {
    // A message or question waits for its answer: nothing behind it runs meanwhile.
    if (document.querySelector('[aria-modal=true]') || forInputMethod(e)) return;
    this.altAlone = e.key === 'Alt' && !e.ctrlKey && !e.shiftKey && !e.metaKey;
    if ((e.key === 'F10' && !e.shiftKey && !e.ctrlKey && !e.altKey) ||
        (e.altKey && !e.ctrlKey && !e.metaKey && /^Key[A-Z]$/.test(e.code) && this.menuBar.openByKey(e.code.slice(3)))) {
      e.preventDefault();
      e.stopPropagation();
      if (e.key === 'F10') this.toggleMenuBar();
      return;
    }
    const ctrl = e.ctrlKey || e.metaKey;
    const key = e.key.toLowerCase();
    let action: (() => void) | null = null;
    if (ctrl && !e.altKey && key === 'z' && !e.shiftKey) action = () => this.run(() => this.core.undo());
    else if (ctrl && !e.altKey && (key === 'y' || (key === 'z' && e.shiftKey))) action = () => this.run(() => this.core.redo());
    else if (ctrl && !e.altKey && key === 's') action = () => void this.save();
    else if (ctrl && !e.altKey && key === 'o') action = () => void this.openCommand();
    else if (e.key === 'F3') action = () => this.stepDifference(!e.shiftKey);
    else if (e.key === 'F6' && !ctrl && !e.altKey) action = () => this.nextWindow(e.shiftKey ? -1 : 1);
    if (!action) return;
    e.preventDefault();
    e.stopPropagation();
    // Opening says by itself that the labels come first.
    if (!this.core.ready() && key !== 'o') return;
    action();
  }

  // F6 goes from the main window to the open side windows and back, as a desktop switches
  // windows; the main window gets back the control it had.
  private nextWindow(step: number): void {
    const sides = [this.unitEditor, this.dump].filter((w) => w?.visible) as { element: HTMLElement; show(): void }[];
    if (!this.pages || sides.length === 0) return;
    const active = document.activeElement;
    const at = sides.findIndex((w) => w.element.contains(active));
    const next = (at + 1 + step + sides.length + 1) % (sides.length + 1) - 1;  // -1: the main window
    if (next >= 0) { sides[next].show(); return; }
    if (this.lastInMain?.isConnected && this.main.contains(this.lastInMain)) this.lastInMain.focus();
    else this.pages.focusTab();
  }

  // Alt pressed and let go alone moves to the menu bar and back, as F10 does.
  private altUp(e: KeyboardEvent): void {
    if (e.key !== 'Alt' || !this.altAlone) return;
    this.altAlone = false;
    e.preventDefault();
    this.toggleMenuBar();
  }

  private toggleMenuBar(): void {
    if (this.menuBar.hasFocus) this.menuBar.leave(); else this.menuBar.enter();
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
    demo.addEventListener('click', () => void this.openDemo());
    return el('section', { class: 'label-panel', 'aria-label': this.texts.web.labels },
      el('h1', {}, this.texts.title), el('p', {}, this.texts.web.labelPrompt), el('p', {}, choose, ' ', folder, ' ', demo),
      el('p', { class: 'hint' }, this.texts.web.dropHint));
  }

  private async chooseLabels(input: HTMLInputElement): Promise<void> {
    const chosen = await files.chooseWithInput(input);
    if (chosen.length) await this.useLabelFiles(chosen);
  }

  // Chosen or dropped label files: an open save stays open and is read again with them.
  private async useLabelFiles(chosen: File[]): Promise<void> {
    // Only the label files, and of each no more than the core takes: a chosen folder may hold
    // anything else, as large as it likes. Files are never mixed across folders: those in a
    // chosen folder's subfolders (an old copy kept there, say) are not its own.
    const names = this.core.labelFileNames(chosen.map((f) => f.name));
    const own = (f: File) => f.webkitRelativePath.split('/').length <= 2;
    const named = await Promise.all(chosen.filter((f, i) => names[i] !== '' && own(f)).map(async (f) =>
      [f.name, await files.readAtMost(f, this.texts.labelFileLimit + 1)] as [string, Uint8Array | null]));
    if (!await this.mayDropChanges()) return;
    const message = await this.labelSets.choose(named);
    this.showLabelStatus();
    if (message) { await showMessage(this.texts.title, message, true); return; }
    this.labelsReady();
  }

  // The core has a new label set (and the save, if one stays open, read again with it): every
  // view is drawn again.
  private labelsReady(): void {
    if (!this.core.loaded()) this.handle = null;
    this.endComparison();
    if (!this.pages) this.buildWindow();
    this.showPages();
    // The chosen panel's button is gone: the focus goes to the first page's tab once everything
    // is drawn. A focus lays the document out: done last, the one layout of the whole page runs
    // while the browser waits for its next frame anyway.
    const active = document.activeElement;
    for (const view of this.pages!.grids) view.redraw();
    this.pages!.show(this.core.activePage());
    this.controls!.refresh();
    this.pages!.checkList?.refresh();
    this.core.changes();
    this.unitEditor?.sync();
    this.dump?.refresh();
    this.updateTitle();
    this.showLabelStatus();
    if (!active || active === document.body || !active.isConnected) this.pages!.focusTab();
  }

  private showLabelStatus(): void {
    this.labelStatus.textContent = this.labelSets.status();
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
    this.dump = new FloatingWindow(this.texts.dumpTitle, this.texts.web.close, () => {
      this.dumpText.textContent = this.core.dump().replace(/\r\n/g, '\n');
    });
    this.dump.element.classList.add('dump-window');
    this.dump.content.append(this.dumpText);
  }

  // ---- Files

  // Asks 「変更を保存しますか?」 while there are unsaved changes; true when the caller may go on
  // (saved, or the changes dropped).
  private async mayDropChanges(): Promise<boolean> {
    if (!this.core.ready() || !this.core.loaded() || this.core.history().saved) return true;
    const q = this.texts.ask;
    const answer = await ask(this.texts.title, q.saveChanges, [q.save, q.discard, q.cancel], 0, 2);
    if (answer === 0) return this.save();
    return answer === 1;
  }

  private async openDemo(): Promise<void> {
    if (!await this.mayDropChanges()) return;
    const message = this.labelSets.useDemo(demoLabels.map(([name, b64]) => [name, files.fromBase64(b64)]));
    if (message) { await showMessage(this.texts.title, message, true); return; }
    // The save first, so that the pages are drawn once, with it.
    this.openBytes(files.fromBase64(demoSave), 'demo.bin', null);
    this.labelsReady();
  }

  private async labelsFirst(): Promise<boolean> {
    if (await this.labelSets.hasOwn()) return false;
    await showMessage(this.texts.title, this.texts.web.labelsFirst);
    return true;
  }

  private async openCommand(): Promise<void> {
    if (await this.labelsFirst()) return;
    const chosen = await files.chooseSave(this.saveInput);
    if (chosen) await this.openFile(chosen.file, chosen.handle);
  }

  private async openFile(file: File, handle: FileSystemFileHandle | null): Promise<void> {
    if (await this.labelsFirst()) return;
    // Read no more than a save can hold: a larger file is refused without reading it whole.
    const bytes = file.size > this.texts.capacity ? null : await files.readAtMost(file, this.texts.capacity);
    if (!bytes) { await showMessage(this.texts.title, `${this.texts.readError}\n${file.name}`); return; }
    if (!await this.mayDropChanges()) return;
    // The player's own save is read with the player's own labels, never the demo's.
    const switching = this.labelSets.demoInUse;
    if (!this.labelSets.useOwn()) return;
    if (switching) this.labelsReady();
    this.openBytes(bytes, file.name, handle);
  }

  // A drop: label files are taken as chosen; one save is opened; a folder or several saves are
  // named and refused.
  private dropped(data: DataTransfer): void {
    // Entries must be taken before the event ends.
    const folders = [...data.items].map((i) => i.webkitGetAsEntry?.()).filter((e) => e?.isDirectory).map((e) => e!.name);
    const dropped = [...data.files];
    if (folders.length) { void showMessage(this.texts.title, fill(this.texts.web.droppedFolder, folders.join(this.texts.web.listSeparator)), true); return; }
    if (!dropped.length) return;
    const names = dropped.map((f) => f.name);
    // Label files among them: the set chosen (the core names what is missing or not its own).
    if (this.core.labelFileNames(names).some((n) => n !== '')) { void this.useLabelFiles(dropped); return; }
    if (dropped.length > 1) {
      void showMessage(this.texts.title, fill(this.texts.web.droppedSeveral, dropped.length, names.join(this.texts.web.listSeparator)), true);
      return;
    }
    void this.openFile(dropped[0], null);
  }

  private openBytes(bytes: Uint8Array | null, name: string, handle: FileSystemFileHandle | null): void {
    if (!bytes || !this.core.open(bytes, name)) {
      void showMessage(this.texts.title, `${this.texts.readError}\n${name}`);
      return;
    }
    this.handle = handle;
    this.declined = null;
    this.endComparison();
    this.status.textContent = '';
    this.showPages();
    this.run(() => undefined);
    this.dump?.refresh();
    this.updateTitle();
  }

  // A change is taken once the file held still for a second: the game may have been writing it.
  private async poll(): Promise<void> {
    const handle = this.handle;
    if (!handle || this.busy || this.looking) return;
    const now = await files.readBack(handle, this.texts.capacity + 1).catch(() => null);
    const still = now !== null && this.polled !== null && !this.core.changedSince(now, this.polled);
    this.polled = now;
    if (still && handle === this.handle) await this.lookAgain(now);
  }

  // When the file no longer holds the bytes opened or last saved, another program (the game) wrote
  // it: read again at once when nothing here is unsaved, asked about once otherwise. known is the
  // file's bytes when the caller has just read them.
  private async lookAgain(known?: Uint8Array): Promise<void> {
    const handle = this.handle;
    if (!handle || this.busy || this.looking || !this.core.ready() || !this.core.loaded() ||
        document.querySelector('[aria-modal=true]')) return;
    this.looking = true;
    try {
      // Gone, unreadable or too large for a save: the next save's own look finds it.
      const readNow = () => files.readBack(handle, this.texts.capacity + 1).catch(() => null);
      const now = known ?? await readNow();
      if (handle !== this.handle || this.busy || !now || now.length > this.texts.capacity) return;
      if (!this.core.changedSince(now, null)) { this.declined = null; return; }
      if (this.declined && !this.core.changedSince(now, this.declined)) return;
      let bytes: Uint8Array | null = now;
      if (!this.core.history().saved) {
        const q = this.texts.ask;
        const answer = await ask(this.texts.title, fill(q.changedOnDisk, this.core.fileName()), [q.reload, q.keepEditing], 0, 1);
        if (handle !== this.handle) return;
        if (answer !== 0) { this.declined = now; return; }
        bytes = await readNow();  // as it is now, should the game have written again meanwhile
        if (handle !== this.handle || this.busy || !bytes || bytes.length > this.texts.capacity) return;
      }
      const focused = document.activeElement as HTMLElement | null;
      const grid = focused?.closest<HTMLElement>('[role=grid]') ?? null;
      if (await this.readAgain(bytes, this.texts.ask.reloaded)) this.refocus(focused, grid);
      else this.declined = bytes;
    } finally {
      this.looking = false;
    }
  }

  // The open file read again from the bytes now in it: the history starts over, and a comparison
  // stays on. False, having said so, when they cannot be read as a save.
  private async readAgain(bytes: Uint8Array, status: string): Promise<boolean> {
    if (!this.core.reopen(bytes)) {
      await showMessage(this.texts.title, `${this.texts.readError}\n${this.core.fileName()}`);
      return false;
    }
    this.declined = null;
    this.run(() => undefined);
    this.dump?.refresh();
    this.updateTitle();
    this.status.textContent = status;
    return true;
  }

  // True when the file (or the download) now holds the working copy. A text that is no integer
  // stops it before anything is written, and the player is taken to it.
  private async save(): Promise<boolean> {
    if (!this.core.ready() || !this.core.loaded() || this.busy) return false;
    const focused = document.activeElement as HTMLElement | null;
    const grid = focused?.closest<HTMLElement>('[role=grid]') ?? null;
    focused?.blur?.();  // an open editor commits first
    const stored = this.core.store();
    this.sync();
    if (stored.error || !stored.bytes) {
      await showMessage(this.texts.title, stored.error, true);
      if (stored.fault) this.showFault(stored.fault); else this.refocus(focused, grid);
      return false;
    }
    const saved = await this.writeOut(stored.bytes);
    if (saved) {
      this.core.markSaved();
      this.declined = null;
    }
    this.refocus(focused, grid);
    this.sync();
    this.updateTitle();
    this.dump?.refresh();
    return saved;
  }

  // Writes bytes into the open file, or downloads them where the page cannot: true when done.
  // Writing into the file first reads it again: bytes another program wrote there are written over
  // only when the player says so, and what the write replaces is kept as a backup.
  private async writeOut(bytes: Uint8Array): Promise<boolean> {
    const name = this.core.fileName();
    this.busy = true;
    this.main.setAttribute('aria-busy', 'true');
    try {
      if (!this.handle) {
        files.download(name, bytes);
        this.status.textContent = fill(this.texts.web.downloaded, name);
        return true;
      }
      const handle = this.handle;
      // No more than a backup may hold, and one byte to tell a larger file by.
      const limit = this.texts.backups.limit + 1;
      // What the player agreed to write over; null: the bytes opened or last saved.
      let agreed: Uint8Array | null = null;
      for (;;) {
        let now = await files.readBack(handle, limit);
        // Asked again when the file changed once more while the question was open.
        for (; now && this.core.changedSince(now, agreed); now = await files.readBack(handle, limit)) {
          const q = this.texts.ask;
          if (await ask(this.texts.title, fill(q.overwrite, name), [q.overwriteAnswer, q.cancel], 1, 1) !== 0) return false;
          agreed = now;
        }
        const why = !now ? '' : now.length >= limit ? this.texts.backups.tooLarge : await backups.keep(this.core, name, now);
        // The last look, as late as possible: what the game wrote meanwhile is asked about too.
        const written = await files.writeBack(handle, bytes, async () => {
          const last = await files.readBack(handle, limit);
          return !now || !last ? !now && !last : !this.core.changedSince(last, now);
        });
        if (written) {
          this.status.textContent = why ? fill(this.texts.backups.notKept, why) : '';
          return true;
        }
      }
    } catch {
      await showMessage(this.texts.title, `${this.texts.writeError}\n${name}`);
      return false;
    } finally {
      this.busy = false;
      this.main.removeAttribute('aria-busy');
    }
  }

  // The backup's bytes go into the file like any save (so what they replace is kept too), and the
  // file is read again.
  private async restoreBackup(backup: backups.Backup): Promise<void> {
    const t = this.texts.backups;
    const time = this.core.backupTime(backup.time);
    if (!this.core.history().saved &&
        await ask(this.texts.title, fill(t.restoreQuestion, time), [t.restore, this.texts.ask.cancel], 1, 1) !== 0) return;
    if (await this.writeOut(backup.bytes)) await this.readAgain(backup.bytes, fill(t.restored, time));
  }

  // The control or cell whose text stopped the save, on its page.
  private showFault(fault: StoreFault): void {
    this.run(() => this.core.setActivePage(fault.page));
    if (fault.control) this.focusControl(fault.control);
    else this.pages?.grids.find((v) => v.grid === fault.grid)?.focusCell(fault.row!, fault.column!);
  }

  private focusControl(name: string): void {
    const e = document.querySelector<HTMLElement>(`[data-name="${name}"]`);
    (e?.querySelector<HTMLElement>('input,[role=combobox]') ?? e)?.focus();
  }

  // Focus back where the player was, on the cell of a grid whose editor closed.
  private refocus(focused: HTMLElement | null, grid: HTMLElement | null): void {
    if (focused?.isConnected && focused !== document.body) { focused.focus(); return; }
    const view = this.pages?.grids.find((v) => v.element === grid || v.element.contains(grid));
    if (view) { const [r, c] = this.core.currentCell(view.grid); view.focusCell(r, c); }
  }

  // The pages in place of the start panel, or the start panel back when no file is open.
  private showPages(): void {
    if (!this.pages || this.pages.element.isConnected) return;
    this.labelPanel.remove();
    this.main.append(this.pages.element);
  }

  // A tab the page did not open cannot close itself: the file is closed instead, and the start
  // panel comes back.
  private async exit(): Promise<void> {
    if (!(await this.mayDropChanges())) return;
    window.close();
    if (window.closed || !this.core.ready() || !this.core.loaded()) return;
    this.endComparison();
    this.unitEditor?.hide();
    this.dump?.hide();
    this.handle = null;
    this.core.closeFile();
    this.pages?.element.remove();
    this.main.append(this.labelPanel);
    this.status.textContent = '';
    this.updateTitle();
    this.labelPanel.querySelector<HTMLElement>('button')?.focus();
  }

  private async showBackups(): Promise<void> {
    if (!this.core.loaded()) return;
    const name = this.core.fileName();
    backups.showList(this.core, this.texts, await backups.list(name), {
      compare: (b) => this.startComparison(b.bytes, this.core.backupName(name, b.time)),
      download: (b) => files.download(this.core.backupName(name, b.time), b.bytes),
      ...(this.handle ? { restore: (b: backups.Backup) => void this.restoreBackup(b) } : {}),
    });
  }

  // ---- Comparison

  private comparing = false;

  private async compare(): Promise<void> {
    if (!this.core.loaded()) return;
    const chosen = await files.chooseWithInput(this.saveInput);
    const file = chosen[0];
    if (!file) return;
    const bytes = file.size > this.texts.capacity ? null : await files.readAtMost(file, this.texts.capacity);
    await this.startComparison(bytes, file.name);
  }

  private async startComparison(bytes: Uint8Array | null, name: string): Promise<void> {
    if (!bytes || !this.core.compareStart(bytes, name)) {
      await showMessage(this.texts.title, `${this.texts.readError}\n${name}`);
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
      this.focusControl(d.control);
    }
  }

  // ---- Other windows

  private showUnitEditor(): void {
    if (!this.core.loaded()) return;
    // Built when first asked for: start-up does not wait for it.
    this.unitEditor ??= new UnitEditor(this.core, this.texts.unitEditorTitle, this.texts.unitEditorTabs,
      this.core.unitEditorControls(), this.texts.web.close, (a, error) => this.run(a, error));
    this.unitEditor.show();
  }

  private toggleDump(): void {
    if (!this.dump) return;
    if (this.dump.visible) this.dump.hide(); else if (this.core.loaded()) this.dump.show();
  }
}

const coreReady = loadCore();
// The set kept from an earlier visit is read at once, but for the demo: it reads
// the set once its first page is drawn, so that nothing else runs before.
const early = location.hash === '#demo' ? null : files.storedLabels();
void coreReady.then(async (core) => {
  const app = new App(core);
  await app.start(() => early ?? files.storedLabels());
  // The first page is drawn with the next frame, its tables' rows once that frame's layout has
  // sized them. The benchmark reads this mark. The page is ready for the tests one task later,
  // after the tables' rows below the fold, which that frame queued.
  await afterPaint();
  performance.mark('korvath-first-page');
  setTimeout(() => { document.body.dataset.ready = 'true'; });
});
