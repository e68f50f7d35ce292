// Popup menus (tables' right-click menus and the menu bar's menus): role menu, items by caption.
import { el, plainCaption } from './dom';

export interface MenuEntry {
  caption: string;
  name?: string;  // accessible name when the caption carries more (the undo step)
  shortcut?: string;
  enabled?: boolean;
  run(): void;
}

let current: PopupMenu | null = null;

export class PopupMenu {
  readonly element: HTMLElement;
  private returnFocus: HTMLElement | null = null;

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

  openAt(x: number, y: number, entries: MenuEntry[]): void {
    current?.close(false);
    current = this;
    this.returnFocus = document.activeElement as HTMLElement | null;
    this.element.replaceChildren(...entries.map((entry) => {
      const item = el('div', { role: 'menuitem', tabindex: '-1', class: 'menu-item' },
        el('span', {}, plainCaption(entry.caption)), el('span', { class: 'shortcut' }, entry.shortcut ?? ''));
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
    this.element.style.left = `${Math.min(x, window.innerWidth - 180)}px`;
    this.element.style.top = `${y}px`;
    this.items()[0]?.focus();
  }

  close(restoreFocus: boolean): void {
    if (this.element.hidden) return;
    this.element.hidden = true;
    if (current === this) current = null;
    if (restoreFocus) this.returnFocus?.focus();
    this.onClose?.();
  }

  private items(): HTMLElement[] {
    return [...this.element.querySelectorAll<HTMLElement>('[role=menuitem]')];
  }

  private key(e: KeyboardEvent): void {
    const items = this.items();
    const at = items.indexOf(document.activeElement as HTMLElement);
    if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
      e.preventDefault();
      const step = e.key === 'ArrowDown' ? 1 : -1;
      items[(at + step + items.length) % items.length]?.focus();
    } else if (e.key === 'Enter' || e.key === ' ') {
      e.preventDefault();
      items[at]?.click();
    } else if (e.key === 'Escape') {
      e.preventDefault();
      e.stopPropagation();
      this.close(true);
    } else if (e.key === 'Tab') {
      e.preventDefault();
    }
  }
}
