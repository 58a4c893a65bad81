// The WebAssembly core behind a small JavaScript face, for the pages and for
// the node tests. `factory` is the TrivoCore function of core/trivo-core.js.
const decoder = new TextDecoder();
const encoder = new TextEncoder();

// A failed build or unpack: `detail` is the core's JSON ({diagnostics} or
// {error}), `diagnostics` its errors and warnings when the source has errors.
export class CoreError extends Error {
  constructor(detail) {
    const errors = (detail.diagnostics || []).filter((d) => d.error);
    super(detail.error || errors.map((d) => (d.line > 0 ? `line ${d.line}: ` : '') + d.message).join('\n'));
    this.name = 'CoreError';
    this.detail = detail;
    this.diagnostics = detail.diagnostics || [];
  }
}

// The size caps (bytes) the pages check before reading a file. The numbers
// are the core's own (content/input_limits.h); a test holds them equal to
// Core.limits().
export const LIMITS = Object.freeze({
  quizBytes: 64 * 1024 * 1024,
  sourceBytes: 1024 * 1024,
  archiveBytes: 128 * 1024 * 1024,
  mediaBytes: 32 * 1024 * 1024,
});

export async function loadCore(factory, options = {}) {
  const module = await factory(options);
  return new Core(module);
}

export class Core {
  constructor(module) {
    this.m = module;
  }

  // The bytes of the last result (a copy).
  resultBytes() {
    const data = this.m._WebResultData();
    const size = this.m._WebResultSize();
    return this.m.HEAPU8.slice(data, data + size);
  }

  resultText() {
    return decoder.decode(this.resultBytes());
  }

  resultJson() {
    return JSON.parse(this.resultText());
  }

  // Calls fn(pointer, size) with the bytes copied into the module's memory.
  withBytes(bytes, fn) {
    const pointer = this.m._WebAlloc(bytes.length);
    if (!pointer) throw new CoreError({ error: 'Mémoire insuffisante pour lire ce fichier.' });
    this.m.HEAPU8.set(bytes, pointer);
    try {
      return fn(pointer, bytes.length);
    } finally {
      this.m._WebFree(pointer);
    }
  }

  // Calls fn with the texts as zero-terminated UTF-8 in the module's memory.
  withStrings(texts, fn) {
    const pointers = texts.map((text) => {
      const wellFormed = typeof text.toWellFormed === 'function' ? text.toWellFormed() : text;
      const size = this.m.lengthBytesUTF8(wellFormed) + 1;
      const pointer = this.m._WebAlloc(size);
      if (pointer) this.m.stringToUTF8(wellFormed, pointer, size);
      return pointer;
    });
    if (pointers.includes(0)) {
      pointers.forEach((pointer) => pointer && this.m._WebFree(pointer));
      throw new CoreError({ error: 'Mémoire insuffisante pour ce texte.' });
    }
    try {
      return fn(...pointers);
    } finally {
      pointers.forEach((pointer) => this.m._WebFree(pointer));
    }
  }

  openQuiz(bytes) {
    this.withBytes(bytes, (p, n) => this.m._WebOpenQuiz(p, n));
    return this.resultJson();
  }

  // Question q's media (answer picture when `answer`), or null: {format,
  // mime, bytes} as stored, {format: 'rgba', width, height, bytes} for a PNG
  // fitted by the core, or {format: 'error', message}.
  media(q, answer) {
    if (this.m._WebMedia(q, answer ? 1 : 0) !== 1) return null;
    const result = this.resultBytes();
    const end = result.indexOf(10);
    const head = JSON.parse(decoder.decode(result.subarray(0, end)));
    if (head.format === 'error') return head;
    return { ...head, bytes: result.subarray(end + 1) };
  }

  // {quizBytes, sourceBytes, archiveBytes, mediaBytes} from the core.
  limits() {
    this.m._WebLimits();
    return this.resultJson();
  }

  typeField(field, text) {
    this.withStrings([text], (t) => this.m._WebTypeField(field, t));
    return this.resultJson();
  }

  fillFrom(field, text) {
    this.withStrings([text], (t) => this.m._WebFillFrom(field, t));
    return this.resultJson();
  }

  setHide(checked) {
    this.m._WebSetHide(checked ? 1 : 0);
    return this.resultJson();
  }

  state() {
    this.m._WebState();
    return this.resultJson();
  }

  answersFile() {
    this.m._WebAnswersFile();
    return this.resultBytes();
  }

  loadAnswers(bytes) {
    this.withBytes(bytes, (p, n) => this.m._WebLoadAnswers(p, n));
    return this.resultJson();
  }

  answersFileName(exeName) {
    this.withStrings([exeName], (t) => this.m._WebAnswersFileName(t));
    return this.resultText();
  }

  // The key answers to the quiz `bytes` were once kept under in a browser.
  legacyKey(bytes) {
    this.withBytes(bytes, (p, n) => this.m._WebLegacyKey(p, n));
    return this.resultText();
  }

  // {ok, text}: the verdict or the error, as `trivo judge` prints them.
  judge(expected, typed) {
    const ok = this.withStrings([expected, typed], (e, t) => this.m._WebJudge(e, t)) === 1;
    return { ok, text: this.resultText() };
  }

  // {ok, bytes | error}: the BMP `trivo decode` writes.
  decodePng(bytes) {
    const ok = this.withBytes(bytes, (p, n) => this.m._WebDecodePng(p, n)) === 1;
    return ok ? { ok, bytes: this.resultBytes() } : { ok, error: this.resultText() };
  }

  // The data of a resource of the open quiz ("PATCH", 104...), or null.
  resource(type, id) {
    const ok = this.withStrings([type], (t) => this.m._WebResource(t, id)) === 1;
    return ok ? this.resultBytes() : null;
  }

  unpack(bytes) {
    this.withBytes(bytes, (p, n) => this.m._WebUnpack(p, n));
    return this.resultJson();
  }

  // --- authoring -------------------------------------------------------
  // A draft lives in the module's in-memory file system: its source (e.g.
  // /draft/quiz.toml) with its media beside it, named as the source names them.

  // Writes bytes or a text (as UTF-8), creating the folders on the way.
  writeFile(path, data) {
    const folder = path.slice(0, path.lastIndexOf('/'));
    if (folder) this.m.FS.mkdirTree(folder);
    this.m.FS.writeFile(path, typeof data === 'string' ? encoder.encode(data) : data);
  }

  // The file's bytes, or null when there is none.
  readFile(path) {
    try {
      return this.m.FS.readFile(path);
    } catch {
      return null;
    }
  }

  // The names in a folder (not . and ..), or [] when there is no such folder.
  listFolder(folder) {
    try {
      return this.m.FS.readdir(folder).filter((name) => name !== '.' && name !== '..');
    } catch {
      return [];
    }
  }

  // Removes a folder and everything in it; nothing when it is missing.
  removeFolder(folder) {
    for (const name of this.listFolder(folder)) {
      const path = `${folder}/${name}`;
      if (this.m.FS.isDir(this.m.FS.stat(path).mode)) this.removeFolder(path);
      else this.m.FS.unlink(path);
    }
    try {
      this.m.FS.rmdir(folder);
    } catch {
      // already gone
    }
  }

  // {ok, questions, media, diagnostics: [{line, error, message}]}, as `trivo check`.
  checkSource(path) {
    this.withStrings([path], (p) => this.m._WebCheckSource(p));
    return this.resultJson();
  }

  // The quiz executable `trivo build` makes of the source, as a Uint8Array;
  // throws a CoreError when the source has errors or no player is built in.
  buildSource(path) {
    if (this.withStrings([path], (p) => this.m._WebBuildSource(p)) === 1) return this.resultBytes();
    throw new CoreError(this.resultJson());
  }

  // {ok: true, value} with the TOML document as JSON, or {ok: false, line, message}.
  tomlToJson(source) {
    const bytes = typeof source === 'string' ? encoder.encode(source) : source;
    this.withBytes(bytes, (p, n) => this.m._WebTomlToJson(p, n));
    return this.resultJson();
  }

  // Writes the quiz's source and media into the folder, as `trivo unpack`;
  // returns their names (quiz.toml first) or throws a CoreError.
  unpackToFolder(bytes, folder) {
    const ok = this.withBytes(bytes, (p, n) => this.withStrings([folder], (f) => this.m._WebUnpackToFolder(p, n, f)));
    const result = this.resultJson();
    if (ok !== 1) throw new CoreError(result);
    return result.files;
  }

  // {format, width, height, fittedWidth, fittedHeight, playerTakes, transparent, error?}.
  pictureInfo(bytes) {
    this.withBytes(bytes, (p, n) => this.m._WebPictureInfo(p, n));
    return this.resultJson();
  }

  // {ok, verdict, kind, colour}: the word and colour the player shows, or {ok: false, error}.
  verdict(expected, typed) {
    this.withStrings([expected, typed], (e, t) => this.m._WebVerdict(e, t));
    return this.resultJson();
  }

  // A text written as the tool writes it in a quiz source: a TOML string.
  tomlQuote(text) {
    this.withStrings([text], (t) => this.m._WebTomlQuote(t));
    return this.resultText();
  }

  // The player's label colour ("#000000" or "#FFFFFF") on a background "#RRGGBB".
  labelColour(background) {
    const value = parseInt(background.slice(1), 16);
    this.m._WebLabelColour((value >> 16) & 255, (value >> 8) & 255, value & 255);
    return this.resultText();
  }
}
