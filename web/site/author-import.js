// Opening a quiz source among files the author gave the page (picked,
// dropped, from a folder, a zip or an unpacked executable): which file is
// the source, and which of the files are the media it names.
import { SOURCE_NAME } from './author-core.js';
import { mediaPaths, readDocument } from './author-source.js';

const MAX_NAME_BYTES = 255;  // of one folder or file name, as file systems hold them

// A media path as the draft folder holds it: '/' between folders.
export const mediaKey = (path) => path.replace(/\\/g, '/').replace(/^(\.\/)+/, '');

function depth(path) {
  return path.split('/').length;
}

function dirname(path) {
  const at = path.lastIndexOf('/');
  return at < 0 ? '' : path.slice(0, at);
}

const isQuizToml = (path) => /(^|\/)quiz\.toml$/i.test(path);

// "a/b" + "../c.jpg" -> "a/c.jpg"; null when it leaves the top.
export function resolvePath(base, relative) {
  const parts = base ? base.split('/') : [];
  for (const part of mediaKey(relative).split('/')) {
    if (part === '..') {
      if (parts.length === 0) return null;
      parts.pop();
    } else if (part !== '.' && part !== '') {
      parts.push(part);
    }
  }
  return parts.join('/');
}

function staysInside(path) {
  const key = mediaKey(path);
  return !key.startsWith('/') && !/^[A-Za-z]:/.test(key) && !key.split('/').includes('..');
}

// The source among [{path, bytes}]: the least deep .toml, quiz.toml first.
export function pickSource(entries) {
  const sources = entries.filter((e) => /\.toml$/i.test(e.path));
  sources.sort((a, b) => depth(a.path) - depth(b.path) || Number(!isQuizToml(a.path)) - Number(!isQuizToml(b.path)));
  return sources[0] || null;
}

// The media paths (beside the source, quiz.toml) a draft folder cannot
// hold: one that names a file another path needs as a folder ("quiz.toml/x.jpg",
// "a.jpg" with "a.jpg/b.jpg"), or a name no file system takes.
export function draftPathProblems(paths) {
  const clean = (path) => mediaKey(path).split('/').filter((part) => part !== '' && part !== '.').join('/');
  const files = new Set([SOURCE_NAME, ...paths.map(clean)]);
  return paths.filter((path) => {
    const key = clean(path);
    const parts = key.split('/');
    const folders = parts.slice(1).map((_, i) => parts.slice(0, i + 1).join('/'));
    return key === SOURCE_NAME || key === '' || folders.some((folder) => files.has(folder)) ||
      [...files].some((other) => other.startsWith(`${key}/`)) || key.includes('\0') ||
      parts.some((part) => new TextEncoder().encode(part).length > MAX_NAME_BYTES);
  });
}

// The lines of a source's text, as the check numbers them.
function sourceLines(bytes) {
  return new TextDecoder().decode(bytes).replace(/^\uFEFF/, '').split('\n').map((line) => line.replace(/\r$/, ''));
}

// {source, model, media: Map, refused, clashes, missing} of the source among
// `entries`, or {source, problem: {line, message}} when it is no TOML, or
// null when there is no source. readToml is the core's TOML reader.
export function openSource(entries, readToml) {
  const source = pickSource(entries);
  if (!source) return null;
  const read = readToml(source.bytes);
  if (!read.ok) return { source, problem: { line: read.line, message: read.message } };
  const { model, refused } = readDocument(read.value, read.layout, sourceLines(source.bytes));
  const base = dirname(source.path);
  const byPath = new Map(entries.map((e) => [e.path, e.bytes]));
  const media = new Map();
  const missing = [];
  for (const path of mediaPaths(model)) {
    // Media stay inside the draft's folder, so its zip unpacks where it is.
    const exact = staysInside(path) ? resolvePath(base, path) : null;
    let bytes = exact !== null ? byPath.get(exact) : undefined;
    if (!bytes && exact !== null) {
      // Picked one by one, files come without their folders: a name that
      // only one of them has is taken.
      const name = exact.split('/').pop();
      const same = entries.filter((e) => e.path.split('/').pop() === name);
      if (same.length === 1) bytes = same[0].bytes;
    }
    if (bytes) media.set(mediaKey(path), bytes);
    else missing.push(path);
  }
  return { source, model, media, refused, clashes: draftPathProblems([...media.keys()]), missing };
}
