// The unit editor window, laid out from the core's control table and driven by the core's
// unit editor model: every event goes to the model, then every control shows the model again.
// Its force tabs follow the WAI-ARIA tabs pattern, the unit number the spinbutton pattern.
import type { Core, UnitEditorControl } from './core';
import { Combo } from './combo';
import { el, forInputMethod, onTyped } from './dom';
import { FloatingWindow } from './dialogs';

const enum Kind { Label, Edit, UpDown, GroupBox, Bevel, Button, ComboBox, CheckBox }
// Buttons 1 to 7 in order: searches and the two Max buttons; button 8 commits.
const kButtonEvents: [string, number][] = [
  ['search', 2], ['maxDurability', 0], ['maxSupplies', 0], ['search', 7], ['search', 8], ['search', 11], ['search', 12],
];

export class UnitEditor {
  private readonly window: FloatingWindow;
  private readonly tabs: HTMLElement[] = [];
  private readonly edits: HTMLInputElement[] = [];
  private readonly combos: Combo[] = [];
  private readonly checks: HTMLInputElement[] = [];

  constructor(private readonly core: Core, title: string, tabs: string[], controls: UnitEditorControl[],
    closeCaption: string, private readonly run: (action: () => string | void, error?: boolean) => void) {
    this.window = new FloatingWindow(title, closeCaption, () => this.activate());
    this.window.element.classList.add('unit-editor');
    this.window.element.addEventListener('focusin', (e) => {
      // Coming back to the window shows the current unit of the active page, as on the desktop.
      if (!this.window.element.contains(e.relatedTarget as Node | null)) this.activate();
    });
    const tabList = el('div', { role: 'tablist', class: 'tabs' });
    tabs.forEach((caption, i) => {
      const tab = el('button', { role: 'tab', type: 'button', 'aria-selected': 'false', tabindex: '-1', id: `unit-tab${i}` }, caption);
      tab.addEventListener('click', () => this.event('tab', i, 0));
      tab.addEventListener('keydown', (e) => {
        const step = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
        if (step === 0) return;
        e.preventDefault();
        const next = (i + step + tabs.length) % tabs.length;
        this.event('tab', next, 0);
        this.tabs[next].focus();
      });
      this.tabs.push(tab);
      tabList.append(tab);
    });
    // The controls' positions are within the tab control, tab strip included.
    const pane = el('div', { role: 'tabpanel', class: 'unit-pane', 'aria-labelledby': 'unit-tab0' });
    const parents: HTMLElement[] = [pane];
    const nameOf = (c: UnitEditorControl) => c.shownName;
    for (const c of controls) {
      const n = Number(c.name.replace(/^\D+/, ''));
      let e: HTMLElement;
      switch (c.kind as Kind) {
        case Kind.Label: e = el('span', { class: 'label', 'aria-hidden': 'true' }, c.caption); break;
        case Kind.Edit: {
          const input = el('input', { type: 'text', 'aria-label': nameOf(c), 'data-name': c.name, spellcheck: 'false', autocomplete: 'off' });
          onTyped(input, (text) => n === 1 ? this.event('number', 0, text) : this.event('edit', n, text));
          if (n === 1) {
            // The number box takes the spin control's arrows as keys.
            input.setAttribute('role', 'spinbutton');
            input.addEventListener('keydown', (e) => {
              if ((e.key !== 'ArrowUp' && e.key !== 'ArrowDown') || e.altKey || e.ctrlKey || forInputMethod(e)) return;
              e.preventDefault();
              this.event('step', e.key === 'ArrowUp' ? 1 : -1, 0);
            });
          }
          this.edits[n - 1] = input;
          e = input;
          break;
        }
        case Kind.UpDown: {
          const [upName, downName] = c.partNames ?? [];
          const up = el('button', { type: 'button', 'aria-label': upName, tabindex: '-1' }, '▲');
          const down = el('button', { type: 'button', 'aria-label': downName, tabindex: '-1' }, '▼');
          up.addEventListener('click', () => this.event('step', 1, 0));
          down.addEventListener('click', () => this.event('step', -1, 0));
          e = el('span', { class: 'updown' }, up, down);
          break;
        }
        case Kind.GroupBox: {
          e = el('fieldset', { class: 'group' }, el('legend', {}, c.caption));
          parents[n] = e;
          break;
        }
        case Kind.Bevel: e = el('hr', {}); break;
        case Kind.Button: {
          const button = el('button', { type: 'button', 'data-name': c.name, 'aria-label': nameOf(c) }, c.caption);
          const [event, which] = kButtonEvents[n - 1] ?? ['commit', 0];
          button.addEventListener('click', () => this.event(event, which, 0, event === 'commit'));
          e = button;
          break;
        }
        case Kind.ComboBox: {
          const combo = new Combo({
            label: nameOf(c), editable: true,
            onChoose: (i) => this.event('choose', n, i),
            onType: (text) => this.event('type', n, text),
          });
          this.combos[n - 1] = combo;
          e = combo.element;
          e.dataset.name = c.name;
          break;
        }
        case Kind.CheckBox: {
          const box = el('input', { type: 'checkbox', 'data-name': c.name, 'aria-label': nameOf(c) });
          box.addEventListener('click', () => this.event('check', n, box.checked));
          this.checks[n - 1] = box;
          e = el('label', { class: 'check' }, box, c.caption);
          break;
        }
      }
      if (c.hint) e.title = c.hint;
      e.style.position = 'absolute';
      e.style.left = `${c.left}px`;
      e.style.top = `${c.top}px`;
      if (c.width) e.style.width = `${c.width}px`;
      if (c.height) e.style.height = `${c.height}px`;
      (parents[c.parent] ?? pane).append(e);
    }
    this.window.content.append(el('div', { class: 'unit-tabcontrol' }, tabList, pane));
  }

  get element(): HTMLElement { return this.window.element; }
  get visible(): boolean { return this.window.visible; }

  show(): void { this.window.show(); }

  hide(): void { this.window.hide(); }

  private activate(): void { this.event('activate', 0, 0); }

  private event(name: string, which: number, arg: string | number | boolean, showsMessage = false): void {
    this.run(() => {
      const message = this.core.unitEvent(name, which, arg);
      this.sync();
      return message;
    }, showsMessage);
  }

  sync(): void {
    if (!this.window.visible) return;
    const s = this.core.unitEditor();
    this.tabs.forEach((t, i) => {
      t.setAttribute('aria-selected', String(i === s.tab));
      t.tabIndex = i === s.tab ? 0 : -1;
    });
    this.tabs[0]?.parentElement?.nextElementSibling?.setAttribute('aria-labelledby', `unit-tab${s.tab}`);
    const number = this.edits[0];
    const value = Number(s.edits[0]);
    if (s.edits[0]?.trim() && Number.isInteger(value)) number?.setAttribute('aria-valuenow', String(value));
    else number?.removeAttribute('aria-valuenow');
    s.edits.forEach((text, i) => {
      const e = this.edits[i];
      if (e && e.value !== text) e.value = text;
    });
    s.combos.forEach((c, i) => this.combos[i]?.show(c.items, c.itemIndex, c.text));
    s.checks.forEach((checked, i) => { if (this.checks[i]) this.checks[i].checked = checked; });
  }
}
