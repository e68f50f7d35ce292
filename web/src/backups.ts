// Backups of what each save back into a file replaced, kept in this browser (IndexedDB), and
// their list with 比較 and ダウンロード. Which to keep and which to drop is the core's rule.
import type { Core, Texts } from './core';
import { el } from './dom';
import { database, done, kBackupBytesStore as kBytesStore, kBackupStore } from './files';

export interface Backup { key: number; name: string; time: number; bytes: Uint8Array }
interface Entry { name: string; time: number; size: number }

function request<T>(r: IDBRequest<T>): Promise<T> {
  return new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error);
  });
}

// Keeps bytes as the newest backup of name unless they equal it, then drops what the bounds
// leave no room for. The empty text, or why nothing was kept.
export async function keep(core: Core, name: string, bytes: Uint8Array, time = Date.now()): Promise<string> {
  try {
    const db = await database();
    const t = db.transaction([kBackupStore, kBytesStore], 'readwrite');
    const entries = t.objectStore(kBackupStore);
    const blobs = t.objectStore(kBytesStore);
    const keys = (await request(entries.getAllKeys())) as number[];
    const all = (await request(entries.getAll())) as Entry[];
    let newest = -1;
    all.forEach((e, i) => { if (e.name === name && (newest < 0 || e.time >= all[newest].time)) newest = i; });
    const previous = newest < 0 ? undefined : (await request(blobs.get(keys[newest]))) as Uint8Array | undefined;
    if (!core.needsBackup(bytes, previous ?? null)) { db.close(); return ''; }
    const key = (await request(entries.add({ name, time, size: bytes.length }))) as number;
    blobs.put(bytes, key);
    keys.push(key);
    all.push({ name, time, size: bytes.length });
    for (const i of core.backupsToDrop(all.map((e) => [e.name, e.time, e.size]))) {
      entries.delete(keys[i]);
      blobs.delete(keys[i]);
    }
    await done(t);
    db.close();
    return '';
  } catch (e) {
    return e instanceof DOMException ? `${e.name}: ${e.message}` : String(e);
  }
}

// The backups of name, newest first.
export async function list(name: string): Promise<Backup[]> {
  try {
    const db = await database();
    const t = db.transaction([kBackupStore, kBytesStore], 'readonly');
    const index = t.objectStore(kBackupStore).index('name');
    const keys = (await request(index.getAllKeys(name))) as number[];
    const entries = (await request(index.getAll(name))) as Entry[];
    const blobs = t.objectStore(kBytesStore);
    const out: Backup[] = [];
    for (let i = 0; i < keys.length; ++i) {
      const bytes = (await request(blobs.get(keys[i]))) as Uint8Array | undefined;
      if (bytes) out.push({ key: keys[i], name: entries[i].name, time: entries[i].time, bytes });
    }
    db.close();
    return out.sort((a, b) => b.time - a.time || b.key - a.key);
  } catch {
    return [];
  }
}

// restore: only where the page can write into the save.
export interface BackupActions { compare(b: Backup): void; download(b: Backup): void; restore?(b: Backup): void }

// The list: one option per backup (time, size, number of differences from the working copy), the
// first selected; 比較, 復元 and ダウンロード act on the selected one. Follows the dialog pattern.
export function showList(core: Core, texts: Texts, backups: Backup[], actions: BackupActions): void {
  const t = texts.backups;
  const previous = document.activeElement as HTMLElement | null;
  const options = backups.map((b, i) => el('div', { role: 'option', 'aria-selected': i === 0 ? 'true' : 'false', id: `backup-${b.key}` },
    el('span', { class: 'backup-time' }, core.backupTime(b.time)),
    el('span', { class: 'backup-size' }, String(b.bytes.length)),
    el('span', { class: 'backup-count' }, String(core.differenceCount(b.bytes)))));
  const listbox = el('div', { role: 'listbox', tabindex: '0', 'aria-label': t.title, class: 'backup-list' }, ...options);
  const header = el('div', { class: 'backup-header', 'aria-hidden': 'true' },
    ...t.columns.map((c) => el('span', {}, c)));
  const compare = el('button', { type: 'button' }, t.compare);
  const restore = actions.restore ? el('button', { type: 'button' }, t.restore) : null;
  const download = el('button', { type: 'button' }, texts.web.download);
  const close = el('button', { type: 'button' }, texts.web.close);
  let selected = 0;
  const select = (i: number) => {
    if (!options.length) return;
    selected = Math.max(0, Math.min(options.length - 1, i));
    options.forEach((o, j) => o.setAttribute('aria-selected', j === selected ? 'true' : 'false'));
    listbox.setAttribute('aria-activedescendant', options[selected].id);
    options[selected].scrollIntoView({ block: 'nearest' });
  };
  select(0);
  options.forEach((o, i) => o.addEventListener('mousedown', () => select(i)));
  listbox.addEventListener('keydown', (e) => {
    const step = { ArrowDown: 1, ArrowUp: -1, Home: -options.length, End: options.length }[e.key];
    if (step !== undefined) { e.preventDefault(); select(selected + step); }
  });
  // Those acting on the selected backup, in the desktop's order.
  const acting = [compare, ...(restore ? [restore] : []), download];
  for (const b of acting) b.disabled = backups.length === 0;
  const box = el('div', { role: 'dialog', 'aria-modal': 'true', 'aria-label': t.title, class: 'dialog backups' },
    el('div', { class: 'dialog-title' }, t.title),
    backups.length ? el('div', {}, header, listbox) : el('p', {}, t.none),
    el('div', { class: 'buttons' }, ...acting, close));
  const shade = el('div', { class: 'shade' }, box);
  const end = () => { shade.remove(); previous?.focus(); };
  compare.addEventListener('click', () => { const b = backups[selected]; end(); actions.compare(b); });
  restore?.addEventListener('click', () => { const b = backups[selected]; end(); actions.restore?.(b); });
  download.addEventListener('click', () => actions.download(backups[selected]));
  close.addEventListener('click', end);
  // Modal: Tab goes round the list and the buttons.
  const stops: HTMLElement[] = [...(backups.length ? [listbox] : []), ...acting, close].filter((b) => !(b as HTMLButtonElement).disabled);
  box.addEventListener('keydown', (e) => {
    e.stopPropagation();
    if (e.key === 'Escape') { e.preventDefault(); end(); }
    if (e.key === 'Tab') {
      e.preventDefault();
      const at = stops.indexOf(document.activeElement as HTMLElement);
      stops[(at + (e.shiftKey ? stops.length - 1 : 1)) % stops.length].focus();
    }
  });
  document.body.append(shade);
  (backups.length ? listbox : close).focus();
}
