// The unit editor window, laid out from the core's control table and driven by the core's
// unit editor model: every event goes to the model, then every control shows the model again.
import type { Core, UnitEditorControl } from './core';
import { Combo } from './combo';
import { el } from './dom';
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
      const tab = el('button', { role: 'tab', type: 'button', 'aria-selected': 'false' }, caption);
      tab.addEventListener('click', () => this.event('tab', i, 0));
      this.tabs.push(tab);
      tabList.append(tab);
    });
    const pane = el('div', { role: 'tabpanel', class: 'unit-pane' });
    const parents: HTMLElement[] = [pane];
    const labels = controls.filter((c) => c.kind === Kind.Label);
    // An unlabelled box is named by the label on its line to its left.
    const nameOf = (c: UnitEditorControl) => c.caption || labels.filter((l) => l.parent === c.parent &&
      Math.abs(l.top - 4 - c.top) <= 6 && l.left < c.left).sort((a, b) => b.left - a.left)[0]?.caption || c.hint || c.name;
    for (const c of controls) {
      const n = Number(c.name.replace(/^\D+/, ''));
      let e: HTMLElement;
      switch (c.kind as Kind) {
        case Kind.Label: e = el('span', { class: 'label', 'aria-hidden': 'true' }, c.caption); break;
        case Kind.Edit: {
          const input = el('input', { type: 'text', 'aria-label': nameOf(c), 'data-name': c.name, spellcheck: 'false', autocomplete: 'off' });
          input.addEventListener('input', () => n === 1 ? this.event('number', 0, input.value) : this.event('edit', n, input.value));
          this.edits[n - 1] = input;
          e = input;
          break;
        }
        case Kind.UpDown: {
          const up = el('button', { type: 'button', 'aria-label': '▲', tabindex: '-1' }, '▲');
          const down = el('button', { type: 'button', 'aria-label': '▼', tabindex: '-1' }, '▼');
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
          const button = el('button', { type: 'button', 'data-name': c.name }, c.caption);
          const [event, which] = kButtonEvents[n - 1] ?? ['commit', 0];
          // A search or fill button is named with the field it serves: several share a caption.
          if (event !== 'commit') button.setAttribute('aria-label', `${nameOf({ ...c, caption: '' })} ${c.caption}`);
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
          const box = el('input', { type: 'checkbox', 'data-name': c.name });
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
    this.window.content.append(tabList, pane);
  }

  show(): void { this.window.show(); }

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
    this.tabs.forEach((t, i) => t.setAttribute('aria-selected', String(i === s.tab)));
    s.edits.forEach((text, i) => {
      const e = this.edits[i];
      if (e && e.value !== text) e.value = text;
    });
    s.combos.forEach((c, i) => this.combos[i]?.show(c.items, c.itemIndex, c.text));
    s.checks.forEach((checked, i) => { if (this.checks[i]) this.checks[i].checked = checked; });
  }
}
