// The seven pages: tabs named by their captions, each page laid out from the core's page table.
// The tabs follow the WAI-ARIA tabs pattern.
import { type Layout, type PageInfo, type PanelInfo, ControlKind } from './core';
import { type BoundControls, CheckListView, type ControlHost } from './controls';
import { el, place } from './dom';
import { GridView, type GridHost } from './grid';

// A page's controls and tables are built when it is first shown: start-up builds only the first.
export class Pages {
  readonly element: HTMLElement;
  readonly grids: GridView[] = [];
  checkList: CheckListView | null = null;
  private readonly tabs: HTMLElement[] = [];
  private readonly panels: HTMLElement[] = [];

  constructor(private readonly layout: Layout, private readonly controls: BoundControls,
    private readonly host: GridHost & ControlHost, onSelect: (page: number) => void,
    private readonly onBuilt: (grids: GridView[]) => void) {
    const tabList = el('div', { role: 'tablist', class: 'tabs' });
    const sheets = el('div', { class: 'sheets' });
    layout.pages.forEach((page, p) => {
      const tab = el('button', { role: 'tab', id: `tab${p}`, 'aria-controls': `page${p}`, 'aria-selected': 'false', tabindex: '-1', type: 'button' }, page.caption);
      tab.addEventListener('click', () => onSelect(p));
      tab.addEventListener('keydown', (e) => {
        const step = e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0;
        if (step === 0) return;
        e.preventDefault();
        const next = (p + step + layout.pages.length) % layout.pages.length;
        onSelect(next);
        this.tabs[next].focus();
      });
      this.tabs.push(tab);
      tabList.append(tab);
      const sheet = el('div', { class: 'sheet' });
      sheet.id = `page${p}`;
      sheet.setAttribute('role', 'tabpanel');
      sheet.setAttribute('aria-labelledby', `tab${p}`);
      sheet.hidden = true;
      this.panels.push(sheet);
      sheets.append(sheet);
    });
    this.element = el('div', { class: 'pages' }, tabList, sheets);
  }

  focusTab(): void {
    this.tabs.find((t) => t.tabIndex === 0)?.focus();
  }

  // The page's tab selected and its sheet shown, not yet built.
  select(page: number): void {
    this.tabs.forEach((t, i) => {
      t.setAttribute('aria-selected', String(i === page));
      t.tabIndex = i === page ? 0 : -1;
    });
    this.panels.forEach((s, i) => { s.hidden = i !== page; });
  }

  show(page: number): void {
    this.select(page);
    // Built where it is shown: its tables draw every row in view with the first layout.
    const sheet = this.panels[page];
    if (sheet && !sheet.hasChildNodes()) {
      const before = this.grids.length;
      this.buildPage(sheet, this.layout.pages[page]);
      this.onBuilt(this.grids.slice(before));
    }
  }

  private buildPage(sheet: HTMLElement, page: PageInfo): void {
    const { layout, controls, host } = this;
    sheet.style.minWidth = `${layout.width}px`;
    sheet.style.minHeight = `${layout.height}px`;
    for (const panel of page.panels) sheet.append(this.buildPanel(panel, layout, controls));
    for (const group of page.groups) {
      const box = el('fieldset', { class: 'group' }, el('legend', {}, group.caption));
      box.style.gridTemplateColumns = `repeat(${group.columns}, auto)`;
      for (const c of group.controls) box.append(controls.create(c));
      place(box, group.rect, layout);
      sheet.append(box);
    }
    for (const table of page.tables) {
      const view = new GridView(host, table);
      place(view.element, table.rect, layout);
      this.grids.push(view);
      if (table.caption) {
        const label = el('div', { class: 'caption', 'aria-hidden': 'true' }, table.caption);
        place(label, { x: table.labelX, y: table.labelY, width: table.rect.width, height: 16, anchors: 3 }, layout);
        sheet.append(label);
      }
      sheet.append(view.element);
    }
    if (page.checkList) {
      const info = page.checkList;
      this.checkList = new CheckListView(host, info);
      place(this.checkList.element, info.rect, layout);
      const label = el('div', { class: 'caption', 'aria-hidden': 'true' }, info.caption);
      place(label, { x: info.labelX, y: info.labelY, width: info.rect.width, height: 16, anchors: 3 }, layout);
      sheet.append(label, this.checkList.element);
    }
  }

  private buildPanel(panel: PanelInfo, layout: Layout, controls: BoundControls): HTMLElement {
    const e = el('div', { class: 'panel' });
    place(e, panel.rect, layout);
    for (const c of panel.controls) {
      const control = controls.create(c);
      control.style.gridRow = String(c.row + 1);
      control.style.gridColumn = `${c.column + 1} / span ${c.span}`;
      control.style.height = `${layout.controlHeight}px`;
      if (c.width > 0) control.style.width = `${c.width}px`;
      e.append(control);
      if (c.kind !== ControlKind.CheckBox && c.caption) {
        const label = el('span', { class: 'label', 'aria-hidden': 'true' }, c.caption);
        label.style.gridRow = String(c.row + 1);
        label.style.gridColumn = String(c.column);
        e.append(label);
      }
    }
    return e;
  }
}
