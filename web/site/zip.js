// Zip archives for the authoring page: reads stored and deflated entries
// (with the browser's DecompressionStream) and writes them, each entry
// deflated when that makes it smaller. An archive that would unpack outside
// its folder, into more than the limits allow, or beyond what it declares
// is refused with a ZipError whose `code` names the reason.

export const MAX_ENTRIES = 2000;
export const MAX_ENTRY_BYTES = 256 * 1024 * 1024;  // what the tool reads of one file
export const MAX_TOTAL_BYTES = 512 * 1024 * 1024;

export class ZipError extends Error {
  constructor(code, detail = '') {
    super(detail ? `${code}: ${detail}` : code);
    this.code = code;
    this.detail = detail;
  }
}

const CRC_TABLE = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

export function crc32(bytes) {
  let c = 0xffffffff;
  for (let i = 0; i < bytes.length; i++) c = CRC_TABLE[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// The entry name as a safe relative path ("clips/q1.mp3"), or a ZipError.
export function safePath(name) {
  const path = name.replace(/\\/g, '/').replace(/^(\.\/)+/, '');
  const parts = path.split('/');
  if (path.startsWith('/') || /^[A-Za-z]:/.test(path) || parts.includes('..') || path.includes('\0')) {
    throw new ZipError('unsafe-path', name);
  }
  return parts.filter((part) => part !== '' && part !== '.').join('/');
}

async function drain(stream, limit, name) {
  const reader = stream.getReader();
  const chunks = [];
  let total = 0;
  for (;;) {
    let step;
    try {
      step = await reader.read();
    } catch (error) {
      throw new ZipError('corrupt', `${name}: ${error.message}`);
    }
    if (step.done) break;
    total += step.value.length;
    if (total > limit) {
      await reader.cancel().catch(() => {});
      throw new ZipError('bomb', name);
    }
    chunks.push(step.value);
  }
  const out = new Uint8Array(total);
  let at = 0;
  for (const chunk of chunks) {
    out.set(chunk, at);
    at += chunk.length;
  }
  return out;
}

function inflate(bytes, limit, name) {
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return drain(stream, limit, name);
}

function deflate(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  return drain(stream, Infinity, '');
}

function findEnd(view) {
  const lowest = Math.max(0, view.byteLength - 22 - 0xffff);
  for (let at = view.byteLength - 22; at >= lowest; at--) {
    if (view.getUint32(at, true) === 0x06054b50) return at;
  }
  throw new ZipError('not-zip');
}

// [{path, bytes}] of the archive's files (folders left out), in its order.
export async function readZip(input) {
  const bytes = ArrayBuffer.isView(input) ? new Uint8Array(input.buffer, input.byteOffset, input.byteLength)
    : new Uint8Array(input);
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (bytes.length < 22) throw new ZipError('not-zip');
  const end = findEnd(view);
  const count = view.getUint16(end + 10, true);
  const directorySize = view.getUint32(end + 12, true);
  let at = view.getUint32(end + 16, true);
  if (count === 0xffff || at === 0xffffffff || directorySize === 0xffffffff) throw new ZipError('zip64');
  if (count > MAX_ENTRIES) throw new ZipError('too-many', String(count));
  if (at + directorySize > end) throw new ZipError('corrupt', 'central directory');
  const decoder = new TextDecoder();
  const files = [];
  let total = 0;
  for (let i = 0; i < count; i++) {
    if (at + 46 > end || view.getUint32(at, true) !== 0x02014b50) throw new ZipError('corrupt', 'central directory');
    const flags = view.getUint16(at + 8, true);
    const method = view.getUint16(at + 10, true);
    const crc = view.getUint32(at + 16, true);
    const packed = view.getUint32(at + 20, true);
    const size = view.getUint32(at + 24, true);
    const nameLength = view.getUint16(at + 28, true);
    const extraLength = view.getUint16(at + 30, true);
    const commentLength = view.getUint16(at + 32, true);
    const local = view.getUint32(at + 42, true);
    if (at + 46 + nameLength > end) throw new ZipError('corrupt', 'central directory');
    const name = decoder.decode(bytes.subarray(at + 46, at + 46 + nameLength));
    at += 46 + nameLength + extraLength + commentLength;
    const path = safePath(name);
    if (name.endsWith('/') || path === '') continue;
    if (flags & 1) throw new ZipError('encrypted', name);
    if (packed === 0xffffffff || size === 0xffffffff || local === 0xffffffff) throw new ZipError('zip64');
    if (size > MAX_ENTRY_BYTES) throw new ZipError('too-large', name);
    total += size;
    if (total > MAX_TOTAL_BYTES) throw new ZipError('too-large', name);
    if (local + 30 > bytes.length || view.getUint32(local, true) !== 0x04034b50) throw new ZipError('corrupt', name);
    const start = local + 30 + view.getUint16(local + 26, true) + view.getUint16(local + 28, true);
    if (start + packed > bytes.length) throw new ZipError('corrupt', name);
    const data = bytes.subarray(start, start + packed);
    let content;
    if (method === 0) {
      if (packed !== size) throw new ZipError('corrupt', name);
      content = data.slice();
    } else if (method === 8) {
      content = await inflate(data, size, name);
      if (content.length !== size) throw new ZipError('corrupt', name);
    } else {
      throw new ZipError('method', `${name}: ${method}`);
    }
    if (crc32(content) !== crc) throw new ZipError('crc', name);
    files.push({ path, bytes: content });
  }
  return files;
}

function dosTime(date) {
  const time = (date.getHours() << 11) | (date.getMinutes() << 5) | (date.getSeconds() >> 1);
  const day = ((Math.max(1980, date.getFullYear()) - 1980) << 9) | ((date.getMonth() + 1) << 5) | date.getDate();
  return [time, day];
}

// A zip of [{path, bytes}]: UTF-8 names, each entry deflated when smaller.
export async function writeZip(files, date = new Date()) {
  const encoder = new TextEncoder();
  const [time, day] = dosTime(date);
  const parts = [];
  const directory = [];
  let offset = 0;
  for (const file of files) {
    const name = encoder.encode(file.path);
    const packed = await deflate(file.bytes);
    const deflated = packed.length < file.bytes.length;
    const data = deflated ? packed : file.bytes;
    const crc = crc32(file.bytes);
    const header = (signature, size) => {
      const head = new Uint8Array(size);
      const v = new DataView(head.buffer);
      v.setUint32(0, signature, true);
      return [head, v];
    };
    const [local, lv] = header(0x04034b50, 30);
    lv.setUint16(4, 20, true);
    lv.setUint16(6, 0x0800, true);
    lv.setUint16(8, deflated ? 8 : 0, true);
    lv.setUint16(10, time, true);
    lv.setUint16(12, day, true);
    lv.setUint32(14, crc, true);
    lv.setUint32(18, data.length, true);
    lv.setUint32(22, file.bytes.length, true);
    lv.setUint16(26, name.length, true);
    parts.push(local, name, data);
    const [central, cv] = header(0x02014b50, 46);
    cv.setUint16(4, 20, true);
    cv.setUint16(6, 20, true);
    cv.setUint16(8, 0x0800, true);
    cv.setUint16(10, deflated ? 8 : 0, true);
    cv.setUint16(12, time, true);
    cv.setUint16(14, day, true);
    cv.setUint32(16, crc, true);
    cv.setUint32(20, data.length, true);
    cv.setUint32(24, file.bytes.length, true);
    cv.setUint16(28, name.length, true);
    cv.setUint32(42, offset, true);
    directory.push(central, name);
    offset += 30 + name.length + data.length;
  }
  const directorySize = directory.reduce((sum, part) => sum + part.length, 0);
  const end = new Uint8Array(22);
  const ev = new DataView(end.buffer);
  ev.setUint32(0, 0x06054b50, true);
  ev.setUint16(8, files.length, true);
  ev.setUint16(10, files.length, true);
  ev.setUint32(12, directorySize, true);
  ev.setUint32(16, offset, true);
  return new Uint8Array(await new Blob([...parts, ...directory, end]).arrayBuffer());
}
