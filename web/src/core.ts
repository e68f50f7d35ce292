// The one typed wrapper over the core module: nothing else in the page calls into wasm.
import factory from 'korvath-core';
import wasm from 'virtual:korvath-wasm';
import { fromBase64 } from './files';

export interface Rect { x: number; y: number; width: number; height: number; anchors: number }

export const enum ControlKind { Edit = 0, CheckBox = 1, ComboBox = 2, CheckList = 3, StringGrid = 4 }

export interface ControlInfo {
  name: string; kind: ControlKind; caption: string; label: string; hint: string;
  row: number; column: number; width: number; span: number;
  items?: string[]; editable?: boolean;
}
export interface PanelInfo { rect: Rect; controls: ControlInfo[] }
export interface GroupInfo { caption: string; rect: Rect; columns: number; controls: ControlInfo[] }
export interface TableInfo {
  grid: number; name: string; caption: string; label: string; rect: Rect;
  labelX: number; labelY: number; rows: number; fixed: number;
  rangeSelection: boolean; opensUnitEditor: boolean; widths: number[];
}
export interface CheckListInfo {
  name: string; caption: string; rect: Rect; labelX: number; labelY: number; lineHeight: number;
}
export interface PageInfo {
  caption: string; panels: PanelInfo[]; tables: TableInfo[]; groups: GroupInfo[];
  checkList?: CheckListInfo;
}
export interface Layout {
  pages: PageInfo[]; width: number; height: number; controlHeight: number; panelGap: number;
}
export interface MenuItemInfo { name: string; caption: string; shortcut: string; needsFile: boolean }
export interface MenuInfo { name: string; caption: string; items: MenuItemInfo[] }
export interface UnitEditorControl {
  name: string; kind: number; parent: number; left: number; top: number; width: number;
  height: number; caption: string; hint: string;
  shownName: string;  // the accessible name, from what stands beside the control
  partNames?: string[];  // the spin control's up and down arrows
}
export interface Texts {
  readError: string; writeError: string; title: string; menus: MenuInfo[];
  web: Record<string, string>; labelFiles: string[]; unitEditorTitle: string; dumpTitle: string;
  unitEditorTabs: string[]; unsavedMark: string;
  capacity: number; labelFileLimit: number; aboutTitle: string; aboutLines: string[];
  ask: {
    saveChanges: string; save: string; discard: string; cancel: string; overwrite: string; overwriteAnswer: string;
    changedOnDisk: string; reload: string; keepEditing: string; reloaded: string;
  };
  backups: {
    title: string; columns: string[]; compare: string; none: string; notKept: string; limit: number; tooLarge: string;
    restore: string; restoreQuestion: string; restored: string;
  };
}
export interface ControlValue { text: string; checked: boolean; itemIndex: number }
export type Row = [string[], number[]];
export const kSelectable = 1;
export const kEditable = 2;
export interface Changes {
  grids: number[]; cells: [number, number, number][]; current: number[];
  page: boolean; controls: boolean; history: boolean;
}
// Where a save's store pass stopped: a control, or a cell of a grid.
export interface StoreFault { page: number; control?: string; grid?: number; row?: number; column?: number }
export interface HistoryState { canUndo: boolean; canRedo: boolean; undo: string; redo: string; saved: boolean }
export interface Popup { kind: number; items: string[] }
export const enum DifferenceKind { Control = 0, Cell = 1, CheckListLine = 2, Bytes = 3, Length = 4 }
export interface Difference {
  kind: DifferenceKind; order: number; page: number; control: string; grid: number;
  row: number; column: number; nameColumn: number; line: number; place: string; shown: boolean; tip: string;
}
export interface ComboState { items: string[]; itemIndex: number; text: string }
export interface UnitEditorState {
  tab: number; edits: string[]; combos: ComboState[]; checks: boolean[];
  spinBound: boolean; spin: number;
}

export interface Core {
  // The message loadLabels would give, and nothing else changes.
  checkLabels(files: [string, Uint8Array][]): string;
  loadLabels(files: [string, Uint8Array][]): string;
  // The same, and the open save read again with them from its bytes as last opened or saved.
  loadLabelsKeepingSave(files: [string, Uint8Array | null][]): string;  // null: unreadable
  labelFileNames(names: string[]): string[];
  labelFilesInUse(): [string, Uint8Array][];
  // Whether bytes differ from those opened or last saved, or from seen.
  changedSince(bytes: Uint8Array, seen: Uint8Array | null): boolean;
  baseBytes(): Uint8Array;
  differenceCount(bytes: Uint8Array): number;
  backupsToDrop(entries: [string, number, number][]): number[];
  backupName(name: string, time: number): string;
  backupTime(time: number): string;
  needsBackup(old: Uint8Array, newest: Uint8Array | null): boolean;
  ready(): boolean;
  loaded(): boolean;
  closeFile(): void;
  open(bytes: Uint8Array, name: string): boolean;
  // The open save read again from bytes another program wrote; a comparison stays on.
  reopen(bytes: Uint8Array): boolean;
  store(): { error: string; bytes?: Uint8Array; fault?: StoreFault };
  markSaved(): void;
  fileName(): string;
  layout(): Layout;
  texts(): Texts;
  unitEditorControls(): UnitEditorControl[];
  control(name: string): ControlValue;
  setEditText(name: string, text: string): string;
  setChecked(name: string, checked: boolean): string;
  setItemIndex(name: string, index: number): string;
  setComboText(name: string, text: string): string;
  endTyping(): void;
  checkList(): [string, boolean, boolean][];
  setCheckListChecked(line: number, checked: boolean): string;
  rows(grid: number, first: number, count: number): Row[];
  setCell(grid: number, row: number, column: number, text: string): string;
  setCurrentCell(grid: number, row: number, column: number): void;
  currentCell(grid: number): [number, number];
  activePage(): number;
  setActivePage(page: number): void;
  popup(grid: number, row: number, column: number): Popup;
  popupClick(kind: number, item: number): string;
  history(): HistoryState;
  undo(): string;
  redo(): string;
  changes(): Changes;
  dump(): string;
  compareStart(bytes: Uint8Array, name: string): boolean;
  compareEnd(): void;
  differences(): Difference[];
  compareStatus(cursor: number): string;
  stepDifference(cursor: number, forward: boolean): number;
  unitEditor(): UnitEditorState;
  unitEvent(event: string, which: number, arg: string | number | boolean): string;
}

// A text of the core with %1, %2 … filled in.
export function fill(text: string, ...values: (string | number)[]): string {
  return text.replace(/%(\d)/g, (m, n: string) => String(values[Number(n) - 1] ?? m));
}

// What the module binds under another name or in another form than the page reads it.
interface Bound {
  started(): boolean;
  // The UTF-8 of JSON texts of what the page reads, valid until the next call into the core
  rows(grid: number, first: number, count: number): Uint8Array;
  layout(): Uint8Array;
  texts(): Uint8Array;
}

const utf8 = new TextDecoder();
const json = <T>(text: Uint8Array) => JSON.parse(utf8.decode(text)) as T;

// The wasm is compiled and instantiated at once, on this thread: the page waits for nothing else,
// and the core is ready within the task that runs the script (the module's own loader would
// fetch its data: URL and resolve a few tasks later).
export async function loadCore(): Promise<Core> {
  const instantiateWasm = (imports: WebAssembly.Imports, receive: (i: WebAssembly.Instance, m: WebAssembly.Module) => void) => {
    const module = new WebAssembly.Module(fromBase64(wasm) as Uint8Array<ArrayBuffer>);
    const instance = new WebAssembly.Instance(module, imports);
    receive(instance, module);
    return instance.exports;
  };
  const module = (await factory({ instantiateWasm })) as Omit<Core, keyof Bound | 'ready'> & Bound;
  return Object.assign(Object.create(module) as Core, {
    ready: () => module.started(),
    rows: (grid: number, first: number, count: number) => json<Row[]>(module.rows(grid, first, count)),
    layout: () => json<Layout>(module.layout()),
    texts: () => json<Texts>(module.texts()),
  });
}
