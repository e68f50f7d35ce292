// The menu bar and popup menus (the bar's menus and the tables' right-click menus): the WAI-ARIA
// menubar and menu patterns, items named by their captions.
import { el, plainCaption } from './dom';

export interface MenuEntry {
  caption: string;
  name?: string;  // accessible name when the caption carries more (the undo step)
  shortcut?: string;
  enabled?: boolean;
  checked?: boolean;  // a check item, shown ticked or not
  run(): void;
}

// The key a caption marks with "&" ("開く(&O)" → "o"), lower case; empty when none.
export function accessKey(caption: string): string {
  return /&(.)/.exec(caption)?.[1]?.toLowerCase() ?? '';
}

let current: PopupMenu | null = null;

export class PopupMenu {
  readonly element: HTMLElement;
  private returnFocus: HTMLElement | null = null;
  private keys: string[] = [];
  // ArrowLeft / ArrowRight in a menu of the bar: to the neighbouring menu.
  onSideStep: ((step: number) => void) | null = null;

  constructor(label: string, private onClose?: () => void) {
    this.element = el('div', { role: 'menu', class: 'menu', 'aria-label': label, tabindex: '-1' });
    this.element.hidden = true;
    this.element.addEventListener('keydown', (e) => this.key(e));
    this.element.addEventListener('focusout', (e) => {
      if (!this.element.contains(e.relatedTarget as Node | null)) this.close(false);
    });
    document.body.append(this.element);
  }

  get isOpen(): boolean { return !this.element.hidden; }

  openAt(x: number, y: number, entries: MenuEntry[], focusLast = false): void {
    current?.close(false);
    current = this;
    this.returnFocus = document.activeElement as HTMLElement | null;
    this.keys = entries.map((entry) => accessKey(entry.caption));
    this.element.replaceChildren(...entries.map((entry) => {
      const check = entry.checked !== undefined;
      const item = el('div', { role: check ? 'menuitemcheckbox' : 'menuitem', tabindex: '-1', class: 'menu-item' },
        el('span', { class: 'check-mark', 'aria-hidden': 'true' }, entry.checked ? '✓' : ''),
        el('span', { class: 'menu-caption' }, plainCaption(entry.caption)), el('span', { class: 'shortcut' }, entry.shortcut ?? ''));
      if (check) item.setAttribute('aria-checked', String(entry.checked));
      if (entry.name) item.setAttribute('aria-label', entry.name);
      if (entry.enabled === false) item.setAttribute('aria-disabled', 'true');
      item.addEventListener('mousedown', (e) => e.preventDefault());
      item.addEventListener('click', () => {
        if (entry.enabled === false) return;
        this.close(true);
        entry.run();
      });
      return item;
    }));
    this.element.hidden = false;
    this.element.style.left = `${Math.max(0, Math.min(x, window.innerWidth - this.element.offsetWidth))}px`;
    this.element.style.top = `${Math.max(0, Math.min(y, window.innerHeight - this.element.offsetHeight))}px`;
    const items = this.items();
    (focusLast ? items[items.length - 1] : items[0])?.focus();
  }

  close(restoreFocus: boolean): void {
    if (this.element.hidden) return;
    this.element.hidden = true;
    if (current === this) current = null;
    if (restoreFocus) this.returnFocus?.focus();
    this.onClose?.();
  }

  private items(): HTMLElement[] {
    return [...this.element.querySelectorAll<HTMLElement>('.menu-item')];
  }

  private key(e: KeyboardEvent): void {
    const items = this.items();
    const at = items.indexOf(document.activeElement as HTMLElement);
    const side = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      const step = e.key === 'ArrowDown' ? 1 : -1;
      items[(at + step + items.length) % items.length]?.focus();
    } else if (e.key === 'Home' || e.key === 'End') {
      e.preventDefault();
      items[e.key === 'Home' ? 0 : items.length - 1]?.focus();
    } else if (side !== 0 && this.onSideStep) {
      e.preventDefault();
      this.onSideStep(side);
    } else if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      items[at]?.click();
    } else if (e.key === 'Escape') {
      e.preventDefault();
      e.stopPropagation();
      this.close(true);
    } else if (e.key === 'Tab') {
      e.preventDefault();
      this.close(true);
    } else if (e.key.length === 1 && !e.ctrlKey && !e.metaKey) {
      // An item's access key chooses it, as on the desktop.
      const k = this.keys.indexOf(e.key.toLowerCase());
      if (k >= 0) { e.preventDefault(); items[k]?.click(); }
    }
  }
}

export interface BarItem {
  caption: string;
  entries?: () => MenuEntry[];  // a menu; otherwise the item runs at once
  run?: () => void;
}

// The main window's menu bar: one Tab stop; Alt alone or F10 comes in, arrows move along it and
// across open menus, Escape goes back to where the focus was.
export class MenuBar {
  readonly element: HTMLElement;
  private readonly buttons: HTMLElement[] = [];
  private readonly popups: (PopupMenu | null)[] = [];
  private returnFocus: HTMLElement | null = null;

  constructor(label: string, private readonly items: BarItem[]) {
    this.element = el('div', { role: 'menubar', class: 'menubar', 'aria-label': label });
    items.forEach((item, i) => {
      const caption = plainCaption(item.caption);
      const button = el('button', { type: 'button', role: 'menuitem', tabindex: i === 0 ? '0' : '-1' }, caption);
      let popup: PopupMenu | null = null;
      if (item.entries) {
        button.setAttribute('aria-haspopup', 'menu');
        button.setAttribute('aria-expanded', 'false');
        popup = new PopupMenu(caption, () => button.setAttribute('aria-expanded', 'false'));
        popup.onSideStep = (step) => this.step(i, step, true);
        button.addEventListener('mousedown', (e) => {
          e.preventDefault();
          if (!this.hasFocus) this.returnFocus = document.activeElement as HTMLElement | null;
          if (popup?.isOpen) this.leave(); else this.open(i);
        });
      } else {
        button.addEventListener('click', () => item.run?.());
      }
      button.addEventListener('keydown', (e) => this.key(e, i));
      button.addEventListener('focus', () => this.rove(i));
      this.buttons.push(button);
      this.popups.push(popup);
      this.element.append(button);
    });
  }

  get hasFocus(): boolean {
    return this.element.contains(document.activeElement) || this.popups.some((p) => p?.isOpen);
  }

  // Into the bar from wherever the focus is, remembering it for Escape.
  enter(): void {
    if (!this.hasFocus) this.returnFocus = document.activeElement as HTMLElement | null;
    this.buttons.find((b) => b.tabIndex === 0)?.focus();
  }

  leave(): void {
    for (const p of this.popups) p?.close(false);
    const back = this.returnFocus;
    this.returnFocus = null;
    if (back && back.isConnected && back !== document.body) back.focus();
    else (document.activeElement as HTMLElement | null)?.blur();
  }

  // Opens a menu by its access key (Alt+F); false when no menu has that key.
  openByKey(key: string): boolean {
    const i = this.items.findIndex((item) => item.entries && accessKey(item.caption) === key.toLowerCase());
    if (i < 0) return false;
    if (!this.hasFocus) this.returnFocus = document.activeElement as HTMLElement | null;
    this.open(i);
    return true;
  }

  private rove(i: number): void {
    this.buttons.forEach((b, k) => { b.tabIndex = k === i ? 0 : -1; });
  }

  private open(i: number, focusLast = false): void {
    const item = this.items[i], popup = this.popups[i], button = this.buttons[i];
    if (!item.entries || !popup) return;
    this.rove(i);
    button.focus();
    const r = button.getBoundingClientRect();
    button.setAttribute('aria-expanded', 'true');
    // A command runs where the focus was before the bar, as a dialog it opens returns there.
    const entries = item.entries().map((entry) => ({ ...entry, run: () => { this.leave(); entry.run(); } }));
    popup.openAt(r.left, r.bottom, entries, focusLast);
  }

  private step(i: number, step: number, openNext: boolean): void {
    const next = (i + step + this.buttons.length) % this.buttons.length;
    this.popups[i]?.close(false);
    if (openNext && this.items[next].entries) this.open(next);
    else this.buttons[next].focus();
  }

  private key(e: KeyboardEvent, i: number): void {
    if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
      e.preventDefault();
      this.step(i, e.key === 'ArrowRight' ? 1 : -1, false);
    } else if (e.key === 'Home' || e.key === 'End') {
      e.preventDefault();
      this.buttons[e.key === 'Home' ? 0 : this.buttons.length - 1].focus();
    } else if (this.items[i].entries && (e.key === 'ArrowDown' || e.key === 'ArrowUp' || e.key === 'Enter' || e.key === ' ')) {
      e.preventDefault();
      this.open(i, e.key === 'ArrowUp');
    } else if (e.key === 'Escape') {
      e.preventDefault();
      this.leave();
    }
  }
}
