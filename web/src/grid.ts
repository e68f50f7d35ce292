// A table over a core cell store: a grid with column headers, rows drawn only when scrolled into
// view, the desktop's input rules (typing on an editable current cell edits it, Enter / Tab /
// Escape, F2) and the table popups. It follows the WAI-ARIA grid pattern: one Tab stop, arrows
// inside. Columns are resized by dragging a heading's right edge; a double-click there fits them.
import { type Core, type TableInfo, kEditable, kSelectable } from './core';
import { el, forInputMethod, onTyped } from './dom';
import { PopupMenu } from './menu';

export const kRowHeight = 18;
const kOverscan = 6;
const kClickEditDelay = 400;  // a second click within this is a double-click, not an edit
const kMinColumnWidth = 8;
const kCellPadding = 6;  // both sides' padding and the border

export interface GridHost {
  core: Core;
  run(action: () => string | void): void;  // runs a core call, shows its message, redraws
  markAt(grid: number, row: number, column: number): string | null;  // comparison tooltip
  openUnitEditor(): void;
}

export class GridView {
  readonly element: HTMLElement;
  private readonly body: HTMLElement;
  private readonly header: HTMLElement;
  private readonly rowsShown = new Map<number, HTMLElement>();
  private readonly widths: number[];
  private lefts: number[] = [];
  private totalWidth = 0;
  private readonly dataRows: number;
  private anchor: [number, number] | null = null;  // range selection start
  private editor: { input: HTMLInputElement; row: number; column: number; before: string } | null = null;
  private clickTimer = 0;
  private readonly popup: PopupMenu;
  private laidOut = false;  // rows wait for the first layout rather than force one
  private blank: HTMLElement | null = null;

  constructor(private readonly host: GridHost, readonly info: TableInfo) {
    this.dataRows = info.rows - 1;
    this.widths = [...info.widths];
    this.header = el('div', { role: 'row', 'aria-rowindex': '1', class: 'grid-row grid-head' });
    this.body = el('div', { class: 'grid-body', role: 'rowgroup' });
    this.body.style.height = `${this.dataRows * kRowHeight}px`;
    this.measure();
    this.element = el('div', {
      role: 'grid', 'aria-label': info.label, 'aria-rowcount': String(info.rows),
      'aria-colcount': String(info.widths.length), tabindex: '0', class: 'grid',
      'aria-multiselectable': String(info.rangeSelection), 'data-name': info.name,
    }, el('div', { role: 'rowgroup', class: 'grid-headgroup' }, this.header), this.body);
    this.popup = new PopupMenu(info.label);
    this.element.addEventListener('scroll', () => this.drawRows());
    this.element.addEventListener('keydown', (e) => this.key(e));
    this.element.addEventListener('mousedown', (e) => this.mouseDown(e));
    this.element.addEventListener('dblclick', (e) => this.doubleClick(e));
    this.element.addEventListener('contextmenu', (e) => this.contextMenu(e));
    GridView.views.set(this.element, this);
    GridView.resized.observe(this.element);
  }

  // One observer for every table: the sizes of all tables laid out in a frame are read before any
  // of them draws rows, so that one table's rows never force a layout for the next.
  private static readonly views = new WeakMap<Element, GridView>();
  private static readonly resized = new ResizeObserver((entries) => {
    const views = entries.map((e) => GridView.views.get(e.target)!);
    // A table's first rows are only those in view; the ones ahead follow once they are painted.
    const spans = views.map((v) => v.rowSpan(v.laidOut ? kOverscan : 0));
    views.forEach((v, i) => {
      if (!v.laidOut) setTimeout(() => v.drawRows());
      v.laidOut = true;
      v.drawRows(spans[i]);
    });
  });

  get grid(): number { return this.info.grid; }

  // Everything: headings and every drawn row.
  redraw(): void {
    const [texts] = this.host.core.rows(this.grid, 0, 1)[0];
    this.header.replaceChildren(...texts.map((t, c) => {
      const edge = el('span', { class: 'column-edge', 'aria-hidden': 'true' });
      edge.addEventListener('mousedown', (e) => this.dragEdge(e, c));
      edge.addEventListener('dblclick', (e) => { e.stopPropagation(); this.fitColumn(c); });
      const cell = el('div', { role: 'columnheader', 'aria-colindex': String(c + 1), title: t, class: 'cell' }, t, edge);
      this.placeCell(cell, c);
      return cell;
    }));
    this.header.style.width = `${this.totalWidth}px`;
    for (const row of [...this.rowsShown.keys()]) this.redrawRow(row);
    // Before the first layout, the rows the table's designed height shows: drawn with that layout
    // rather than after it, in a second one.
    if (this.laidOut) this.drawRows();
    else this.drawRows([1, Math.min(this.dataRows, Math.ceil(this.info.rect.height / kRowHeight))]);
    this.showCurrent();
  }

  redrawCell(row: number, column: number): void {
    if (row === 0) { this.redraw(); return; }
    if (this.editor && this.editor.row === row && this.editor.column === column &&
        this.editor.input.value !== this.host.core.rows(this.grid, row, 1)[0][0][column]) {
      this.closeEditor(false);  // the value changed from outside: the typing is over
    }
    this.redrawRow(row);
  }

  // Rows in view, plus a few either side; rows that scrolled away are dropped.
  private rowSpan(overscan = kOverscan): [number, number] {
    const top = Math.max(0, this.element.scrollTop - kRowHeight);
    const first = Math.max(1, Math.floor(top / kRowHeight) + 1 - overscan);
    return [first, Math.min(this.dataRows, Math.ceil((top + this.element.clientHeight) / kRowHeight) + overscan)];
  }

  private drawRows([first, last] = this.rowSpan()): void {
    for (const [row, e] of this.rowsShown) {
      if ((row < first || row > last) && !(this.editor && this.editor.row === row)) {
        e.remove();
        this.rowsShown.delete(row);
      }
    }
    const missing: number[] = [];
    for (let r = first; r <= last; ++r) if (!this.rowsShown.has(r)) missing.push(r);
    if (missing.length === 0) {
      this.nameCurrent();
      return;
    }
    const from = missing[0], to = missing[missing.length - 1];
    const data = this.host.core.rows(this.grid, from, to - from + 1);
    for (const r of missing) this.buildRow(r, data[r - from]);
    this.showCurrent(false, missing);
  }

  private redrawRow(row: number): void {
    if (!this.rowsShown.has(row)) return;
    this.buildRow(row, this.host.core.rows(this.grid, row, 1)[0]);
    this.showCurrent();
  }

  // Updates a drawn row in place, so an open editor in it keeps its focus and caret.
  private buildRow(row: number, [texts, states]: [string[], number[]]): void {
    let e = this.rowsShown.get(row);
    if (!e) {
      e = this.blankRow().cloneNode(true) as HTMLElement;
      e.setAttribute('aria-rowindex', String(row + 1));
      e.style.top = `${(row - 1) * kRowHeight}px`;
      for (let c = 0; c < texts.length; ++c) e.children[c].id = `${this.info.name}-${row}-${c}`;
      this.body.append(e);
      this.rowsShown.set(row, e);
    }
    for (let c = 0; c < texts.length; ++c) {
      const cell = e.children[c] as HTMLElement;
      const editing = this.editor && this.editor.row === row && this.editor.column === c;
      if (!editing && cell.textContent !== texts[c]) cell.textContent = texts[c];
      cell.classList.toggle('unselectable', !(states[c] & kSelectable));
      cell.setAttribute('aria-readonly', String(!(states[c] & kEditable)));
      const mark = this.host.markAt(this.grid, row, c);
      cell.classList.toggle('diff', mark !== null);
      if (mark !== null) cell.title = mark; else cell.removeAttribute('title');
    }
  }

  // Rows are cloned from one blank row: the clones share its cell styles, which are then matched
  // once for the table rather than once a cell.
  private blankRow(): HTMLElement {
    if (this.blank) return this.blank;
    const e = el('div', { role: 'row', class: 'grid-row' });
    e.style.width = `${this.totalWidth}px`;
    this.widths.forEach((_, c) => {
      const cell = el('div', { role: 'gridcell', 'aria-colindex': String(c + 1), class: c < this.info.fixed ? 'cell fixed' : 'cell' });
      this.placeCell(cell, c);
      e.append(cell);
    });
    this.blank = e;
    return e;
  }

  private placeCell(cell: HTMLElement, c: number): void {
    cell.style.width = `${this.widths[c]}px`;
    if (c < this.info.fixed) cell.style.left = `${this.lefts[c]}px`;
  }

  private measure(): void {
    let x = 0;
    this.lefts = this.widths.map((w) => { const left = x; x += w; return left; });
    this.totalWidth = x;
    this.blank = null;
    this.body.style.width = `${x}px`;
    this.header.style.width = `${x}px`;
  }

  private setWidth(column: number, width: number): void {
    this.widths[column] = Math.max(kMinColumnWidth, Math.round(width));
    this.measure();
    for (const row of [this.header, ...this.rowsShown.values()]) {
      row.style.width = `${this.totalWidth}px`;
      [...row.children].forEach((cell, c) => this.placeCell(cell as HTMLElement, c));
    }
  }

  private dragEdge(e: MouseEvent, column: number): void {
    if (e.button !== 0) return;
    e.preventDefault();
    e.stopPropagation();
    const x0 = e.clientX, w0 = this.widths[column];
    const move = (m: MouseEvent) => this.setWidth(column, w0 + m.clientX - x0);
    const up = () => { window.removeEventListener('mousemove', move); window.removeEventListener('mouseup', up); };
    window.addEventListener('mousemove', move);
    window.addEventListener('mouseup', up);
  }

  // The widest text of the column, heading included, in the cells' own font.
  private fitColumn(column: number): void {
    const sample = this.header.children[column] as HTMLElement | undefined;
    const context = document.createElement('canvas').getContext('2d');
    if (!sample || !context) return;
    context.font = getComputedStyle(sample).font;
    const texts = this.host.core.rows(this.grid, 0, this.dataRows + 1).map(([t]) => t[column] ?? '');
    const widest = Math.max(...texts.map((t) => context.measureText(t).width));
    this.setWidth(column, Math.ceil(widest) + kCellPadding);
  }

  private current(): [number, number] { return this.host.core.currentCell(this.grid); }

  private state(row: number, column: number): number {
    if (row < 1 || row > this.dataRows || column < 0 || column >= this.info.widths.length) return 0;
    return this.host.core.rows(this.grid, row, 1)[0][1][column];
  }

  // The current cell and the selected range (on the given rows, by default all drawn), and keeps
  // the current cell in view.
  showCurrent(scroll = false, rows: Iterable<number> = this.rowsShown.keys()): void {
    const [r, c] = this.current();
    const [ar, ac] = this.anchor ?? [r, c];
    const r0 = Math.min(r, ar), r1 = Math.max(r, ar), c0 = Math.min(c, ac), c1 = Math.max(c, ac);
    for (const row of rows) {
      const e = this.rowsShown.get(row)!;
      for (const [col, cell] of [...e.children].entries()) {
        const inRange = row >= r0 && row <= r1 && col >= c0 && col <= c1;
        cell.classList.toggle('current', row === r && col === c);
        cell.setAttribute('aria-selected', String(inRange && !cell.classList.contains('unselectable')));
      }
    }
    this.nameCurrent();
    if (scroll) this.scrollTo(r, c);
  }

  // Only a drawn cell can be named as the current one; a row drawn later names it then.
  private nameCurrent(): void {
    const [r, c] = this.current();
    if (this.rowsShown.has(r)) this.element.setAttribute('aria-activedescendant', `${this.info.name}-${r}-${c}`);
    else this.element.removeAttribute('aria-activedescendant');
  }

  scrollTo(row: number, column: number): void {
    const y = (row - 1) * kRowHeight;
    const headerHeight = kRowHeight;
    const view = this.element.clientHeight - headerHeight;
    if (y < this.element.scrollTop) this.element.scrollTop = y;
    else if (y + kRowHeight > this.element.scrollTop + view) this.element.scrollTop = y + kRowHeight - view;
    let fixedWidth = 0;
    for (let k = 0; k < this.info.fixed; ++k) fixedWidth += this.widths[k];
    const x = this.lefts[column] ?? 0;
    const w = this.widths[column] ?? 0;
    if (x - fixedWidth < this.element.scrollLeft) this.element.scrollLeft = Math.max(0, x - fixedWidth);
    else if (x + w > this.element.scrollLeft + this.element.clientWidth) this.element.scrollLeft = x + w - this.element.clientWidth;
    this.drawRows();
  }

  focusCell(row: number, column: number): void {
    this.host.run(() => this.host.core.setCurrentCell(this.grid, row, column));
    this.anchor = null;
    this.element.focus();
    this.showCurrent(true);
  }

  private moveTo(row: number, column: number, extend: boolean): void {
    if (this.state(row, column) & kSelectable) {
      const [r, c] = this.current();
      if (extend && this.info.rangeSelection) this.anchor ??= [r, c]; else this.anchor = null;
      this.host.run(() => this.host.core.setCurrentCell(this.grid, row, column));
    }
    this.showCurrent(true);
  }

  // The next selectable cell from (row, column) in a direction, or the cell itself.
  private step(row: number, column: number, dr: number, dc: number, count = 1): [number, number] {
    let [r, c] = [row, column];
    let best: [number, number] = [row, column];
    for (let moved = 0; moved < count;) {
      r += dr; c += dc;
      if (r < 1 || r > this.dataRows || c < 0 || c >= this.info.widths.length) break;
      if (this.state(r, c) & kSelectable) { best = [r, c]; ++moved; }
    }
    return best;
  }

  private key(e: KeyboardEvent): void {
    if (this.editor || e.target !== this.element) return;
    const [r, c] = this.current();
    const page = Math.max(1, Math.floor(this.element.clientHeight / kRowHeight) - 2);
    const moves: Record<string, [number, number, number]> = {
      ArrowUp: [-1, 0, 1], ArrowDown: [1, 0, 1], ArrowLeft: [0, -1, 1], ArrowRight: [0, 1, 1],
      PageUp: [-1, 0, page], PageDown: [1, 0, page],
    };
    const move = moves[e.key];
    if (move && !e.ctrlKey && !e.altKey) {
      e.preventDefault();
      const [nr, nc] = this.step(r, c, move[0], move[1], move[2]);
      this.moveTo(nr, nc, e.shiftKey);
      return;
    }
    if (e.key === 'Home' || e.key === 'End') {
      e.preventDefault();
      const [nr, nc] = this.step(r, e.key === 'Home' ? -1 : this.info.widths.length, 0, e.key === 'Home' ? 1 : -1);
      this.moveTo(nr, nc, e.shiftKey);
      return;
    }
    if (e.key === 'F2') {
      e.preventDefault();
      this.startEditing(null);
      return;
    }
    if (e.key === 'ContextMenu' || (e.key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      const cell = document.getElementById(`${this.info.name}-${r}-${c}`);
      const box = (cell ?? this.element).getBoundingClientRect();
      this.openPopup(r, c, box.left + 4, box.bottom);
      return;
    }
    if (e.key.length === 1 && !e.ctrlKey && !e.altKey && !e.metaKey) {
      // The key replaces the cell's text, as in a spreadsheet; no key ever searches the table.
      e.preventDefault();
      this.startEditing(e.key);
    }
  }

  private cellAt(e: MouseEvent): [number, number] | null {
    const cell = (e.target as HTMLElement).closest<HTMLElement>('[role=gridcell]');
    const row = cell?.parentElement;
    if (!cell || !row || !this.body.contains(cell)) return null;
    return [Number(row.getAttribute('aria-rowindex')) - 1, Number(cell.getAttribute('aria-colindex')) - 1];
  }

  private mouseDown(e: MouseEvent): void {
    window.clearTimeout(this.clickTimer);
    if (e.button !== 0) return;
    const at = this.cellAt(e);
    if (!at || (this.editor && this.editor.row === at[0] && this.editor.column === at[1])) return;
    if (this.editor) this.closeEditor(true);
    e.preventDefault();
    this.element.focus();
    const [r, c] = this.current();
    const onCurrent = at[0] === r && at[1] === c && !e.shiftKey && !e.ctrlKey;
    this.moveTo(at[0], at[1], e.shiftKey);
    if (onCurrent && e.detail === 1 && (this.state(r, c) & kEditable)) {
      this.clickTimer = window.setTimeout(() => this.startEditing(null), kClickEditDelay);
    }
  }

  private doubleClick(e: MouseEvent): void {
    window.clearTimeout(this.clickTimer);
    if (this.info.opensUnitEditor) {
      e.preventDefault();
      this.host.openUnitEditor();
    }
  }

  private contextMenu(e: MouseEvent): void {
    e.preventDefault();
    const at = this.cellAt(e);
    if (at) this.openPopup(at[0], at[1], e.clientX, e.clientY);
  }

  private openPopup(row: number, column: number, x: number, y: number): void {
    if (this.editor) this.closeEditor(true);
    const popup = this.host.core.popup(this.grid, row, column);
    if (popup.items.length === 0) return;
    // The items write into the current row, so the clicked cell becomes current first.
    this.host.run(() => this.host.core.setCurrentCell(this.grid, row, column));
    this.showCurrent();
    this.popup.openAt(x, y, popup.items.map((caption, i) => ({
      caption, run: () => this.host.run(() => this.host.core.popupClick(popup.kind, i)),
    })));
  }

  // Opens the editor on the current cell; key replaces its text when given.
  private startEditing(key: string | null): void {
    window.clearTimeout(this.clickTimer);
    const [row, column] = this.current();
    if (!(this.state(row, column) & kEditable)) return;
    this.scrollTo(row, column);
    const before = this.host.core.rows(this.grid, row, 1)[0][0][column];
    const input = el('input', { type: 'text', class: 'cell-editor', 'aria-label': this.header.children[column]?.textContent ?? '', spellcheck: 'false', autocomplete: 'off' });
    input.value = key ?? before;
    this.editor = { input, row, column, before };
    document.getElementById(`${this.info.name}-${row}-${column}`)?.replaceChildren(input);
    input.focus();
    if (key === null) input.select();
    else this.host.run(() => this.host.core.setCell(this.grid, row, column, input.value));
    onTyped(input, (text) => {
      if (this.editor?.input === input) this.host.run(() => this.host.core.setCell(this.grid, row, column, text));
    });
    input.addEventListener('keydown', (e) => this.editorKey(e));
    input.addEventListener('blur', () => this.closeEditor(false));
    input.addEventListener('dblclick', () => { if (this.info.opensUnitEditor) this.host.openUnitEditor(); });
  }

  private editorKey(e: KeyboardEvent): void {
    if (!this.editor || forInputMethod(e)) return;
    const { row, column } = this.editor;
    if (e.key === 'Enter') {
      e.preventDefault();
      this.closeEditor(true);
    } else if (e.key === 'Escape') {
      e.preventDefault();
      e.stopPropagation();
      const { before } = this.editor;
      if (this.editor.input.value !== before) this.host.run(() => this.host.core.setCell(this.grid, row, column, before));
      this.closeEditor(true);
    } else if (e.key === 'Tab' || e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      e.preventDefault();
      this.closeEditor(true);
      const [dr, dc] = e.key === 'Tab' ? [0, e.shiftKey ? -1 : 1] : [e.key === 'ArrowUp' ? -1 : 1, 0];
      const [nr, nc] = this.step(row, column, dr, dc);
      this.moveTo(nr, nc, false);
    }
  }

  // The cell already holds every keystroke; closing ends the typing step.
  closeEditor(focusTable: boolean): void {
    const editor = this.editor;
    if (!editor) return;
    this.editor = null;
    const cell = document.getElementById(`${this.info.name}-${editor.row}-${editor.column}`);
    if (cell) cell.textContent = '';
    this.host.run(() => this.host.core.endTyping());
    this.redrawRow(editor.row);
    if (focusTable) this.element.focus();
  }
}
