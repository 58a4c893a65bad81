// Files in and out of the authoring page: what the author opens or drops
// (sources, media, folders, a zip, a quiz executable), each refused on its
// size before it is read, and the zip the page exports.
import { SOURCE_NAME } from './author-core.js';
import { mediaPaths } from './author-source.js';
import { formatSize } from './author-i18n.js';
import { mediaKey, openSource } from './author-import.js';
import { LIMITS } from './limits.js';
import { ZipError, readZip, writeZip } from './zip.js';

// A file the page would not read whole: {name, limit} for the message.
export class TooLarge extends Error {
  constructor(name, limit) {
    super(`${name}: over ${limit} bytes`);
    this.fileName = name;
    this.limit = limit;
  }
}

const isExe = (name) => /\.exe$/i.test(name);
const isZip = (name) => /\.zip$/i.test(name);
const isSource = (name) => /\.toml$/i.test(name);

export function limitOf(name) {
  if (isExe(name)) return LIMITS.quizBytes;
  if (isZip(name)) return LIMITS.archiveBytes;
  return isSource(name) ? LIMITS.sourceBytes : LIMITS.mediaBytes;
}

// The file's bytes, unless its size is over what its kind may be.
export async function readLimited(file, limit = limitOf(file.name)) {
  if (file.size > limit) throw new TooLarge(file.name, limit);
  return new Uint8Array(await file.arrayBuffer());
}

// What the author opened: {entries, name}, {exe, name} for an executable
// the core unpacks, or {problem: (t) => message} to show in the language of t.
export async function readOpened(files) {
  const exe = files.find((f) => isExe(f.name));
  const zip = files.find((f) => isZip(f.name));
  const hasSource = files.some((f) => isSource(f.name));
  try {
    if (exe && !hasSource) return { exe: await readLimited(exe), name: exe.name };
    if (zip && !hasSource) {
      const entries = await readZip(await readLimited(zip), limitOf);
      return { entries, name: zip.name };
    }
    const entries = [];
    for (const file of files) {
      const path = mediaKey(file.relativePath || file.webkitRelativePath || file.name);
      entries.push({ path, bytes: await readLimited(file) });
    }
    return { entries, name: '' };
  } catch (error) {
    if (error instanceof TooLarge) return { problem: tooLarge(error.fileName, error.limit) };
    if (error instanceof ZipError) return { problem: (t) => t('zipError', zip.name, t.zip(error.code, error.detail)) };
    throw error;
  }
}

export const tooLarge = (name, limit) => (t) => t('tooLarge', name, formatSize(limit));

// The source among [{path, bytes}] as the form's model, or {problem}.
export function openEntries(entries, shownName, readToml) {
  const opened = openSource(entries, readToml);
  if (!opened) return { problem: (t) => t('noSource') };
  const name = shownName || opened.source.path;
  const { problem, refused, clashes } = opened;
  if (opened.source.bytes.length > LIMITS.sourceBytes) return { problem: tooLarge(name, LIMITS.sourceBytes) };
  if (problem) return { problem: (t) => t('tomlError', name, problem.line, problem.message) };
  if (refused.length) return { problem: (t) => t('refusedKeys', refused.join(', ')) };
  if (clashes.length) return { problem: (t) => t('pathClash', clashes.join(', ')) };
  return { opened, name };
}

// Files and folders dropped on the page, folders read through.
export async function droppedFiles(entries, plainFiles) {
  if (entries.length === 0) return plainFiles;
  const files = [];
  const walk = async (entry, prefix) => {
    if (entry.isFile) {
      const file = await new Promise((resolveFile, reject) => entry.file(resolveFile, reject));
      file.relativePath = prefix + file.name;
      files.push(file);
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolveBatch, reject) => reader.readEntries(resolveBatch, reject));
        if (batch.length === 0) break;
        for (const child of batch) await walk(child, `${prefix}${entry.name}/`);
      }
    }
  };
  for (const entry of entries) await walk(entry, '');
  return files;
}

// The zip of the source text and the media its model names.
export function sourceZip(sourceText, model, media) {
  const files = [{ path: SOURCE_NAME, bytes: new TextEncoder().encode(sourceText) }];
  for (const path of mediaPaths(model).map(mediaKey)) {
    if (media.has(path) && path !== SOURCE_NAME) files.push({ path, bytes: media.get(path) });
  }
  return writeZip(files);
}

// A draft the page could not restore, as it was kept: its model as JSON and
// its media under media/, whatever their names.
export function keptDraftZip(draft) {
  const files = [{ path: 'draft.json', bytes: new TextEncoder().encode(JSON.stringify(draft.model ?? null, null, 1)) }];
  for (const [path, bytes] of draft.media || []) {
    if (bytes instanceof Uint8Array) files.push({ path: `media/${path}`, bytes });
  }
  return writeZip(files);
}
