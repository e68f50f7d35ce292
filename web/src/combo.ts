// A drop-down list whose value changes only by a choice from its open list: no key, wheel or
// typed text on the closed list chooses anything. An editable one also takes typed text, which
// stays text.
import { el, forInputMethod, onTyped } from './dom';

export interface ComboOptions {
  label: string;
  hint?: string;
  editable: boolean;
  onChoose(index: number): void;
  onType?(text: string): void;
  onTypingDone?(): void;
}

let openCombo: Combo | null = null;

export class Combo {
  readonly element: HTMLElement;
  private readonly field: HTMLInputElement | HTMLElement;
  private readonly list: HTMLElement;
  private items: string[] = [];
  private highlighted = -1;
  private selected = -1;

  constructor(private readonly options: ComboOptions) {
    const id = `cb${Math.random().toString(36).slice(2)}`;
    this.list = el('div', { role: 'listbox', id, class: 'combo-list', 'aria-label': options.label });
    this.list.hidden = true;
    if (options.editable) {
      const input = el('input', { type: 'text', role: 'combobox', 'aria-autocomplete': 'none',
        'aria-expanded': 'false', 'aria-controls': id, 'aria-label': options.label, autocomplete: 'off',
        spellcheck: 'false' });
      onTyped(input, (text) => options.onType?.(text));
      input.addEventListener('blur', () => options.onTypingDone?.());
      this.field = input;
    } else {
      this.field = el('div', { role: 'combobox', tabindex: '0', 'aria-expanded': 'false',
        'aria-controls': id, 'aria-haspopup': 'listbox', 'aria-label': options.label, class: 'combo-text' });
    }
    if (options.hint) this.field.title = options.hint;
    const button = el('button', { type: 'button', tabindex: '-1', 'aria-hidden': 'true', class: 'combo-button' }, '▼');
    button.addEventListener('mousedown', (e) => { e.preventDefault(); this.toggle(); });
    if (!options.editable) this.field.addEventListener('mousedown', (e) => { e.preventDefault(); this.field.focus(); this.toggle(); });
    this.field.addEventListener('keydown', (e) => this.key(e as KeyboardEvent));
    this.field.addEventListener('blur', () => this.close());
    this.list.addEventListener('mousedown', (e) => {
      e.preventDefault();
      const option = (e.target as HTMLElement).closest('[role=option]');
      if (option) this.choose(Number(option.getAttribute('data-index')));
    });
    this.element = el('span', { class: options.editable ? 'combo editable' : 'combo' }, this.field, button, this.list);
  }

  focus(): void { this.field.focus(); }

  show(items: readonly string[], index: number, text: string): void {
    if (items.length !== this.items.length || items.some((t, i) => t !== this.items[i])) {
      this.items = [...items];
      this.list.replaceChildren(...this.items.map((t, i) =>
        el('div', { role: 'option', 'data-index': String(i), id: `${this.list.id}-${i}`, 'aria-selected': 'false' }, t)));
    }
    this.selected = index;
    for (const [i, o] of [...this.list.children].entries()) o.setAttribute('aria-selected', String(i === index));
    if (this.field instanceof HTMLInputElement) {
      if (this.field.value !== text) this.field.value = text;
    } else {
      this.field.textContent = text;
    }
  }

  private key(e: KeyboardEvent): void {
    if (forInputMethod(e)) return;
    const open = !this.list.hidden;
    if ((e.altKey && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) || e.key === 'F4') {
      e.preventDefault();
      this.toggle();
    } else if (open && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) {
      e.preventDefault();
      const step = e.key === 'ArrowDown' ? 1 : -1;
      this.highlight(Math.max(0, Math.min(this.items.length - 1, this.highlighted + step)));
    } else if (open && e.key === 'Enter') {
      e.preventDefault();
      if (this.highlighted >= 0) this.choose(this.highlighted); else this.close();
    } else if (open && e.key === 'Escape') {
      e.preventDefault();
      e.stopPropagation();
      this.close();
    } else if (!open && !this.options.editable && (e.key === ' ' || e.key === 'Enter')) {
      e.preventDefault();
      this.toggle();
    } else if (!open && !this.options.editable && (e.key === 'ArrowDown' || e.key === 'ArrowUp')) {
      e.preventDefault();  // a closed list never steps its value
    } else if (this.options.editable && (e.key === 'Enter' || e.key === 'Escape')) {
      this.options.onTypingDone?.();
    }
  }

  private highlight(i: number): void {
    this.highlighted = i;
    for (const [k, o] of [...this.list.children].entries()) o.classList.toggle('highlighted', k === i);
    const option = this.list.children[i] as HTMLElement | undefined;
    if (option) {
      this.field.setAttribute('aria-activedescendant', option.id);
      option.scrollIntoView({ block: 'nearest' });
    }
  }

  private toggle(): void {
    if (this.list.hidden) this.open(); else this.close();
  }

  private open(): void {
    openCombo?.close();
    openCombo = this;
    this.list.hidden = false;
    this.field.setAttribute('aria-expanded', 'true');
    const r = this.field.getBoundingClientRect();
    this.list.style.left = `${r.left}px`;
    this.list.style.top = `${r.bottom}px`;
    this.list.style.minWidth = `${r.width + 16}px`;
    this.highlight(this.selected);
  }

  close(): void {
    if (this.list.hidden) return;
    this.list.hidden = true;
    this.field.setAttribute('aria-expanded', 'false');
    this.field.removeAttribute('aria-activedescendant');
    if (openCombo === this) openCombo = null;
  }

  private choose(index: number): void {
    this.close();
    if (index >= 0 && index < this.items.length) this.options.onChoose(index);
  }
}
