// The draft kept in the browser's IndexedDB: the form's model and whether
// its last change was exported under one key, each media file under a key
// of its own, so a save after typing rewrites the texts and not the clips.
const DATABASE = 'trivo-author';
const STORE = 'drafts';
const KEY = 'current';
const ASIDE = 'aside';  // a draft the page could not restore, kept for its export
const MEDIA = 'media:';
const stored = new Map();  // media path -> the bytes last written under it

function open() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DATABASE, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

// Runs action(store) in one transaction; resolves with what it returns once
// the transaction is complete.
async function run(mode, action) {
  const db = await open();
  return new Promise((resolve, reject) => {
    const transaction = db.transaction(STORE, mode);
    const result = action(transaction.objectStore(STORE));
    transaction.oncomplete = () => {
      db.close();
      resolve(result);
    };
    transaction.onerror = transaction.onabort = () => {
      db.close();
      reject(transaction.error);
    };
  });
}

// draft: {model, dirty}; media: Map path -> bytes.
export async function saveDraft(draft, media) {
  const written = [];
  await run('readwrite', (store) => {
    store.put(draft, KEY);
    for (const [path, bytes] of media) {
      if (stored.get(path) === bytes) continue;
      store.put(bytes, MEDIA + path);
      written.push([path, bytes]);
    }
    for (const path of stored.keys()) if (!media.has(path)) store.delete(MEDIA + path);
  });
  for (const path of [...stored.keys()]) if (!media.has(path)) stored.delete(path);
  for (const [path, bytes] of written) stored.set(path, bytes);
}

// {model, dirty, media: Map} or null.
export async function loadDraft() {
  const found = {};
  await run('readonly', (store) => {
    const draft = store.get(KEY);
    const range = IDBKeyRange.bound(MEDIA, `${MEDIA}\uffff`);
    const keys = store.getAllKeys(range);
    const values = store.getAll(range);
    draft.onsuccess = () => { found.draft = draft.result; };
    values.onsuccess = () => { found.keys = keys.result; found.values = values.result; };
  });
  if (!found.draft) return null;
  const media = new Map(found.keys.map((key, i) => [key.slice(MEDIA.length), found.values[i]]));
  stored.clear();
  for (const [path, bytes] of media) stored.set(path, bytes);
  return { ...found.draft, media };
}

// Keeps a draft the page could not restore ({model, dirty, media: Map}) as
// it was, apart from the current one.
export async function setAside(draft) {
  await run('readwrite', (store) => store.put({ model: draft.model, dirty: draft.dirty, media: draft.media }, ASIDE));
}

// The draft set aside, or null.
export async function loadAside() {
  const found = {};
  await run('readonly', (store) => {
    const request = store.get(ASIDE);
    request.onsuccess = () => { found.draft = request.result; };
  });
  return found.draft || null;
}
