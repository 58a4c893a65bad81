// The draft kept in the browser's IndexedDB: the form's model, its media
// files and whether the last change was exported, under one key, so a
// reopened page finds the work where it was left.
const DATABASE = 'trivo-author';
const STORE = 'drafts';
const KEY = 'current';

function open() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DATABASE, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

function run(mode, action) {
  return open().then(
    (db) =>
      new Promise((resolve, reject) => {
        const transaction = db.transaction(STORE, mode);
        const request = action(transaction.objectStore(STORE));
        transaction.oncomplete = () => {
          db.close();
          resolve(request.result);
        };
        transaction.onerror = transaction.onabort = () => {
          db.close();
          reject(transaction.error || request.error);
        };
      }),
  );
}

// draft: {model, media: [{path, bytes}], exported}
export function saveDraft(draft) {
  return run('readwrite', (store) => store.put(draft, KEY));
}

export function loadDraft() {
  return run('readonly', (store) => store.get(KEY));
}
