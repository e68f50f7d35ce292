// Files: the save opened (with a writable handle where the browser gives one), downloads, and
// the label files kept in this browser's own storage.

export interface OpenedFile { name: string; bytes: Uint8Array; handle: FileSystemFileHandle | null }

interface PickerWindow {
  showOpenFilePicker?: (options: object) => Promise<FileSystemFileHandle[]>;
}
interface WritableHandle {
  createWritable(): Promise<{ write(data: Uint8Array): Promise<void>; close(): Promise<void>; abort(): Promise<void> }>;
}

async function readFile(file: Blob): Promise<Uint8Array> {
  return new Uint8Array(await file.arrayBuffer());
}

// At most limit bytes from the file's start, so that a huge file is never read whole; null when it
// cannot be read (gone since it was chosen, or no longer readable).
export function readAtMost(file: Blob, limit: number): Promise<Uint8Array | null> {
  return readFile(file.slice(0, limit)).catch(() => null);
}

// Through the File System Access picker where there is one, so that a save can write back.
export async function chooseSave(fallback: HTMLInputElement): Promise<{ file: File; handle: FileSystemFileHandle | null } | null> {
  const picker = (window as PickerWindow).showOpenFilePicker;
  if (picker) {
    try {
      const [handle] = await picker({ types: [{ description: 'bin', accept: { 'application/octet-stream': ['.bin'] } }] });
      return { file: await handle.getFile(), handle };
    } catch (e) {
      if ((e as DOMException).name === 'AbortError') return null;
    }
  }
  return chooseWithInput(fallback).then((files) => (files[0] ? { file: files[0], handle: null } : null));
}

export function chooseWithInput(input: HTMLInputElement): Promise<File[]> {
  return new Promise((resolve) => {
    input.value = '';
    input.onchange = () => resolve([...(input.files ?? [])]);
    input.oncancel = () => resolve([]);
    input.click();
  });
}

// The file's bytes now, no more than limit of them, or null when it is gone (deleted or renamed
// away).
export async function readBack(handle: FileSystemFileHandle, limit: number): Promise<Uint8Array | null> {
  try {
    return await readFile((await handle.getFile()).slice(0, limit));
  } catch (e) {
    if ((e as DOMException).name === 'NotFoundError') return null;
    throw e;
  }
}

// The browser writes to a temporary file beside the save and puts it in place on close; a write
// that fails is given up, so that nothing of it is left beside the game's save. So is one that
// unchanged() refuses, asked last, just before the file is replaced: false then.
export async function writeBack(handle: FileSystemFileHandle, bytes: Uint8Array,
  unchanged: () => Promise<boolean>): Promise<boolean> {
  const writable = await (handle as unknown as WritableHandle).createWritable();
  let keep: boolean;
  try {
    await writable.write(bytes);
    keep = await unchanged();
  } catch (e) {
    await writable.abort().catch(() => {});
    throw e;
  }
  if (!keep) {
    await writable.abort();
    return false;
  }
  await writable.close();
  return true;
}

export function download(name: string, bytes: Uint8Array): void {
  const url = URL.createObjectURL(new Blob([bytes as Uint8Array<ArrayBuffer>], { type: 'application/octet-stream' }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  window.setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// A plain loop where the browser has no decoder of its own: mapping each character through a
// callback costs tens of milliseconds while the page starts.
export function fromBase64(text: string): Uint8Array {
  const decode = (Uint8Array as { fromBase64?: (text: string) => Uint8Array }).fromBase64;
  if (decode) return decode.call(Uint8Array, text);
  const chars = atob(text);
  const bytes = new Uint8Array(chars.length);
  for (let i = 0; i < chars.length; ++i) bytes[i] = chars.charCodeAt(i);
  return bytes;
}

// ---- Label files in IndexedDB: one record per file name.

const kDatabase = 'korvath';
const kStore = 'labels';
export const kBackupStore = 'backups';
export const kBackupBytesStore = 'backupBytes';

// Version 2 added the backups: entries {name, time, size} under increasing keys, and their bytes
// under the same keys apart, so that deciding what to drop reads no backup whole.
export function database(): Promise<IDBDatabase> {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(kDatabase, 2);
    request.onupgradeneeded = () => {
      const db = request.result;
      if (!db.objectStoreNames.contains(kStore)) db.createObjectStore(kStore);
      if (!db.objectStoreNames.contains(kBackupStore)) {
        db.createObjectStore(kBackupStore, { autoIncrement: true }).createIndex('name', 'name');
      }
      if (!db.objectStoreNames.contains(kBackupBytesStore)) db.createObjectStore(kBackupBytesStore);
    };
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

export function done(t: IDBTransaction): Promise<void> {
  return new Promise((resolve, reject) => {
    t.oncomplete = () => resolve();
    t.onerror = () => reject(t.error);
  });
}

// Every file kept, by name: one transaction, which the page starts before the core is ready.
export async function storedLabels(): Promise<Map<string, Uint8Array>> {
  try {
    const db = await database();
    const store = db.transaction(kStore, 'readonly').objectStore(kStore);
    const request = <T>(r: IDBRequest<T>) => new Promise<T>((resolve, reject) => {
      r.onsuccess = () => resolve(r.result);
      r.onerror = () => reject(r.error);
    });
    const [names, values] = await Promise.all([request(store.getAllKeys()), request(store.getAll())]);
    db.close();
    const kept = new Map<string, Uint8Array>();
    names.forEach((name, i) => { if (typeof name === 'string' && values[i] instanceof Uint8Array) kept.set(name, values[i]); });
    return kept;
  } catch {
    return new Map();  // storage refused (private window, file:// policy): the page asks again
  }
}

// Whether they were kept; when not, the labels still serve this visit.
export async function keepLabels(files: [string, Uint8Array][]): Promise<boolean> {
  try {
    const db = await database();
    const t = db.transaction(kStore, 'readwrite');
    t.objectStore(kStore).clear();
    for (const [name, bytes] of files) t.objectStore(kStore).put(bytes, name);
    await done(t);
    db.close();
    return true;
  } catch {
    return false;
  }
}

export async function forgetLabels(): Promise<void> {
  try {
    const db = await database();
    const t = db.transaction(kStore, 'readwrite');
    t.objectStore(kStore).clear();
    await done(t);
    db.close();
  } catch {
    // nothing kept
  }
}
