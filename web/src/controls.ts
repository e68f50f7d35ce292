// The bound controls of the pages (edit boxes, check boxes, the two kinds of list) and the
// special-plan check list, each showing the working copy's value and writing the user's own
// changes back through the core.
import { type ControlInfo, ControlKind, type Core, type CheckListInfo } from './core';
import { Combo } from './combo';
import { el, forInputMethod, onTyped } from './dom';

export interface ControlHost {
  core: Core;
  run(action: () => string | void): void;
  controlMark(name: string): string | null;
  lineMark(line: number): string | null;
}

interface Bound { info: ControlInfo; element: HTMLElement; show(): void }

export class BoundControls {
  private readonly bound: Bound[] = [];

  constructor(private readonly host: ControlHost) {}

  create(info: ControlInfo): HTMLElement {
    const { core } = this.host;
    let element: HTMLElement;
    let show: () => void;
    if (info.kind === ControlKind.Edit) {
      const input = el('input', { type: 'text', 'aria-label': info.label, 'data-name': info.name, spellcheck: 'false', autocomplete: 'off' });
      onTyped(input, (text) => this.host.run(() => core.setEditText(info.name, text)));
      // The keystrokes since the box was entered, or since the last Enter or Escape, are one step.
      input.addEventListener('blur', () => this.host.run(() => core.endTyping()));
      input.addEventListener('keydown', (e) => {
        if ((e.key === 'Enter' || e.key === 'Escape') && !forInputMethod(e)) this.host.run(() => core.endTyping());
      });
      show = () => {
        const text = core.control(info.name).text;
        if (input.value !== text) input.value = text;
      };
      element = input;
    } else if (info.kind === ControlKind.CheckBox) {
      const box = el('input', { type: 'checkbox', 'aria-label': info.label, 'data-name': info.name });
      box.addEventListener('change', () => this.host.run(() => core.setChecked(info.name, box.checked)));
      show = () => { box.checked = core.control(info.name).checked; };
      element = el('label', { class: 'check' }, box, info.caption);
    } else {
      const items = info.items ?? [];
      const combo = new Combo({
        label: info.label, editable: info.editable === true,
        onChoose: (i) => this.host.run(() => info.editable ? core.setComboText(info.name, items[i]) : core.setItemIndex(info.name, i)),
        onType: (text) => this.host.run(() => core.setComboText(info.name, text)),
        onTypingDone: () => this.host.run(() => core.endTyping()),
      });
      show = () => {
        const v = core.control(info.name);
        combo.show(items, v.itemIndex, info.editable ? v.text : (items[v.itemIndex] ?? ''));
      };
      element = combo.element;
      element.dataset.name = info.name;
    }
    if (info.hint) element.title = info.hint;
    const b = { info, element, show };
    this.bound.push(b);
    return element;
  }

  refresh(): void {
    if (!this.host.core.ready()) return;
    for (const b of this.bound) b.show();
  }

  showMarks(): void {
    for (const b of this.bound) {
      const mark = this.host.controlMark(b.info.name);
      b.element.classList.toggle('diff', mark !== null);
      const tip = mark ?? b.info.hint;
      if (tip) b.element.title = tip; else b.element.removeAttribute('title');
    }
  }
}

// The check list: header lines are text on silver, the others check boxes. Space toggles the
// focused line; no typed letter moves anywhere. One Tab stop, arrows from line to line, as the
// WAI-ARIA toolbar pattern keeps a group of check boxes.
export class CheckListView {
  readonly element: HTMLElement;
  private lines: HTMLElement[] = [];

  constructor(private readonly host: ControlHost, info: CheckListInfo) {
    this.element = el('div', { role: 'group', 'aria-label': info.caption, class: 'check-list', 'data-name': info.name });
    this.element.style.setProperty('--line', `${info.lineHeight + 4}px`);
    this.element.addEventListener('keydown', (e) => this.key(e));
    this.element.addEventListener('focusin', (e) => this.rove(e.target as HTMLElement));
  }

  private boxes(): HTMLInputElement[] {
    return [...this.element.querySelectorAll<HTMLInputElement>('input')];
  }

  private rove(current: HTMLElement): void {
    const boxes = this.boxes();
    if (!boxes.includes(current as HTMLInputElement)) current = boxes[0];
    for (const b of boxes) b.tabIndex = b === current ? 0 : -1;
  }

  private key(e: KeyboardEvent): void {
    const boxes = this.boxes();
    const at = boxes.indexOf(document.activeElement as HTMLInputElement);
    const page = Math.max(1, Math.floor(this.element.clientHeight / (boxes[0]?.parentElement?.offsetHeight || 1)) - 1);
    const to: Record<string, number> = {
      ArrowDown: at + 1, ArrowUp: at - 1, PageDown: at + page, PageUp: at - page, Home: 0, End: boxes.length - 1,
    };
    if (at < 0 || !(e.key in to) || e.altKey || e.ctrlKey) return;
    e.preventDefault();
    const next = boxes[Math.max(0, Math.min(boxes.length - 1, to[e.key]))];
    next?.focus();
    next?.parentElement?.scrollIntoView({ block: 'nearest' });
  }

  refresh(): void {
    if (!this.host.core.ready()) return;
    const lines = this.host.core.checkList();
    if (lines.length !== this.lines.length) {
      this.lines = lines.map(([text, header], i) => {
        if (header) return el('div', { class: 'check-head', role: 'heading', 'aria-level': '3' }, text);
        const box = el('input', { type: 'checkbox' });
        box.addEventListener('change', () => this.host.run(() => this.host.core.setCheckListChecked(i, box.checked)));
        return el('label', { class: 'check-line' }, box, text);
      });
      this.element.replaceChildren(...this.lines);
      this.rove(this.element);
    }
    lines.forEach(([text, header, checked], i) => {
      const line = this.lines[i];
      if (header) { line.textContent = text; return; }
      const box = line.querySelector('input')!;
      box.checked = checked;
      if (line.lastChild?.textContent !== text) line.lastChild!.textContent = text;
    });
  }

  showMarks(): void {
    this.lines.forEach((line, i) => {
      const mark = this.host.lineMark(i);
      line.classList.toggle('diff', mark !== null);
      if (mark !== null) line.title = mark; else line.removeAttribute('title');
    });
  }

  focusLine(line: number): void {
    const e = this.lines[line];
    e?.scrollIntoView({ block: 'nearest' });
    e?.querySelector('input')?.focus();
  }
}
