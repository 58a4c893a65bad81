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

// The one reader of an archive's headers: little-endian fields from a
// position on; a read past the end gives 0 and clears `ok` for good, so a
// header is read whole and checked once.
class Cursor {
  constructor(bytes, at) {
    this.bytes = bytes;
    this.view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    this.at = at;
    this.ok = at >= 0 && at <= bytes.length;
  }

  fits(size) {
    if (this.ok && this.at + size <= this.bytes.length) return true;
    this.ok = false;
    return false;
  }

  u16() {
    const value = this.fits(2) ? this.view.getUint16(this.at, true) : 0;
    this.at += 2;
    return value;
  }

  u32() {
    const value = this.fits(4) ? this.view.getUint32(this.at, true) : 0;
    this.at += 4;
    return value;
  }

  take(size) {
    const part = this.fits(size) ? this.bytes.subarray(this.at, this.at + size) : new Uint8Array(0);
    this.at += size;
    return part;
  }

  skip(size) {
    this.take(size);
  }
}

const END_SIGNATURE = 0x06054b50;
const CENTRAL_SIGNATURE = 0x02014b50;
const LOCAL_SIGNATURE = 0x04034b50;
const END_SIZE = 22;
const MAX_COMMENT = 0xffff;

function findEnd(bytes) {
  const lowest = Math.max(0, bytes.length - END_SIZE - MAX_COMMENT);
  for (let at = bytes.length - END_SIZE; at >= lowest; at--) {
    if (new Cursor(bytes, at).u32() === END_SIGNATURE) return at;
  }
  throw new ZipError('not-zip');
}

// One central directory record, read at the cursor.
function readRecord(cursor, decoder) {
  if (cursor.u32() !== CENTRAL_SIGNATURE) throw new ZipError('corrupt', 'central directory');
  cursor.skip(4);
  const record = { flags: cursor.u16(), method: cursor.u16() };
  cursor.skip(4);
  record.crc = cursor.u32();
  record.packed = cursor.u32();
  record.size = cursor.u32();
  const nameLength = cursor.u16();
  const extraLength = cursor.u16();
  const commentLength = cursor.u16();
  cursor.skip(8);
  record.local = cursor.u32();
  record.name = decoder.decode(cursor.take(nameLength));
  cursor.skip(extraLength + commentLength);
  if (!cursor.ok) throw new ZipError('corrupt', 'central directory');
  return record;
}

// The entry's stored bytes, found through its local header.
function storedData(bytes, record) {
  const cursor = new Cursor(bytes, record.local);
  if (cursor.u32() !== LOCAL_SIGNATURE) throw new ZipError('corrupt', record.name);
  cursor.skip(22);
  const nameLength = cursor.u16();
  const extraLength = cursor.u16();
  cursor.skip(nameLength + extraLength);
  const data = cursor.take(record.packed);
  if (!cursor.ok) throw new ZipError('corrupt', record.name);
  return data;
}

async function unpackEntry(data, record) {
  let content;
  if (record.method === 0) {
    if (record.packed !== record.size) throw new ZipError('corrupt', record.name);
    content = data.slice();
  } else if (record.method === 8) {
    content = await inflate(data, record.size, record.name);
    if (content.length !== record.size) throw new ZipError('corrupt', record.name);
  } else {
    throw new ZipError('method', `${record.name}: ${record.method}`);
  }
  if (crc32(content) !== record.crc) throw new ZipError('crc', record.name);
  return content;
}

// [{path, bytes}] of the archive's files (folders left out), in its order.
// An entry declared larger than limitOf(path) is refused before it is read.
export async function readZip(input, limitOf = () => MAX_ENTRY_BYTES) {
  const bytes = ArrayBuffer.isView(input) ? new Uint8Array(input.buffer, input.byteOffset, input.byteLength)
    : new Uint8Array(input);
  if (bytes.length < END_SIZE) throw new ZipError('not-zip');
  const end = new Cursor(bytes, findEnd(bytes));
  end.skip(10);
  const count = end.u16();
  const directorySize = end.u32();
  const directoryStart = end.u32();
  if (count === 0xffff || directoryStart === 0xffffffff || directorySize === 0xffffffff) throw new ZipError('zip64');
  if (count > MAX_ENTRIES) throw new ZipError('too-many', String(count));
  if (directoryStart + directorySize > bytes.length) throw new ZipError('corrupt', 'central directory');
  const directory = new Cursor(bytes.subarray(0, directoryStart + directorySize), directoryStart);
  const decoder = new TextDecoder();
  const files = [];
  let total = 0;
  for (let i = 0; i < count; i++) {
    const record = readRecord(directory, decoder);
    const path = safePath(record.name);
    if (record.name.endsWith('/') || path === '') continue;
    if (record.flags & 1) throw new ZipError('encrypted', record.name);
    if (record.packed === 0xffffffff || record.size === 0xffffffff || record.local === 0xffffffff) {
      throw new ZipError('zip64');
    }
    if (record.size > Math.min(MAX_ENTRY_BYTES, limitOf(path))) throw new ZipError('too-large', record.name);
    total += record.size;
    if (total > MAX_TOTAL_BYTES) throw new ZipError('too-large', record.name);
    files.push({ path, bytes: await unpackEntry(storedData(bytes, record), record) });
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
