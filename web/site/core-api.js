// The WebAssembly core behind a small JavaScript face, for the page and for
// the node tests. `factory` is the TrivoCore function of core/trivo-core.js.
const decoder = new TextDecoder();

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
      this.m.stringToUTF8(wellFormed, pointer, size);
      return pointer;
    });
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

  // {format, bytes} of question q's media (answer picture when `answer`), or null.
  media(q, answer) {
    const format = this.m._WebMedia(q, answer ? 1 : 0);
    if (format === 0) return null;
    return { format: this.m.UTF8ToString(format), bytes: this.resultBytes() };
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
}
