// The learner's answers as a learning platform keeps them between launches
// (SCORM cmi.suspend_data): at most 4,096 characters in SCORM 1.2 and
// 64,000 in SCORM 2004.
//
// Format, all printable and self-checking, so a platform that trims or
// mangles it gives an unreadable text, never a wrong answer:
//
//   T1;<fields>;<mode>;<dropped>;<right bits>;<entries>
//
// - <fields>: how many answer fields the quiz has (base 36); a text made for
//   another quiz does not read.
// - <mode>: "a" when every typed text is kept as typed (always in 2004, and
//   in 1.2 whenever it fits), "b" when right fields are kept as one bit each.
// - <dropped>: how many typed texts could not be kept (base 36).
// - <right bits>: mode "b" only, one bit per field (field 1 first), six to a
//   character in the URL-safe base 64 alphabet; a right field's verdict is
//   all the score needs, and its expected answer earns it again.
// - <entries>: `<field>,<length>:<text>` for each kept text, field and length
//   in base 36. Texts go as typed: a length prefix needs no escaping, and
//   each character of the quiz's Windows-1252 texts is one character here,
//   which is what the platforms' limits count. 96 questions of two fields
//   at 259 characters each are 192 * 265 characters: too many for 1.2.
const VERSION = 'T1';
const BITS = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_';
export const LIMIT_12 = 4096;
export const LIMIT_2004 = 64000;

function entry(field, text) {
  return `${field.toString(36)},${text.length.toString(36)}:${text}`;
}

function rightBits(fields) {
  let out = '';
  for (let i = 0; i < fields.length; i += 6) {
    let value = 0;
    for (let j = 0; j < 6 && i + j < fields.length; j++) if (fields[i + j].right) value |= 1 << j;
    out += BITS[value];
  }
  return out;
}

function header(count, mode, dropped, bits) {
  return `${VERSION};${count.toString(36)};${mode};${dropped.toString(36)};${bits};`;
}

// `fields`: [{typed, right}] in field order. Returns the text for the platform,
// never longer than `limit`, and how many typed texts it could not keep.
export function encodeSuspendData(fields, limit) {
  const typed = fields.map((f, i) => (f.typed ? entry(i + 1, f.typed) : '')).join('');
  const whole = header(fields.length, 'a', 0, '') + typed;
  if (whole.length <= limit) return { text: whole, dropped: 0 };
  // The dropped count is written before it is known: reserve its widest form.
  const bits = rightBits(fields);
  let room = limit - header(fields.length, 'b', fields.length, bits).length;
  let kept = '';
  let dropped = 0;
  fields.forEach((f, i) => {
    if (f.right || !f.typed) return;
    const text = entry(i + 1, f.typed);
    if (text.length <= room) {
      kept += text;
      room -= text.length;
    } else {
      dropped++;
    }
  });
  return { text: header(fields.length, 'b', dropped, bits) + kept, dropped };
}

function base36(text) {
  return /^[0-9a-z]{1,4}$/.test(text) ? parseInt(text, 36) : NaN;
}

function readBits(bits, count) {
  if (bits.length !== Math.ceil(count / 6)) return null;
  const right = [];
  for (let i = 0; i < count; i++) {
    const value = BITS.indexOf(bits[Math.floor(i / 6)]);
    if (value < 0) return null;
    right.push((value >> i % 6) & 1 ? true : false);
  }
  return right;
}

function readEntries(text, start, count) {
  const texts = new Map();
  let at = start;
  while (at < text.length) {
    const match = /^([0-9a-z]{1,4}),([0-9a-z]{1,4}):/.exec(text.slice(at, at + 10));
    if (!match) return null;
    const field = base36(match[1]);
    const length = base36(match[2]);
    at += match[0].length;
    if (field < 1 || field > count || texts.has(field) || at + length > text.length) return null;
    texts.set(field, text.slice(at, at + length));
    at += length;
  }
  return texts;
}

// The answers kept by encodeSuspendData for a quiz of `count` fields:
// {right: [bool] by field - 1, texts: Map(field -> typed), dropped}, or null
// when the text is empty, made for another quiz, or damaged.
export function decodeSuspendData(text, count) {
  if (typeof text !== 'string') return null;
  const parts = text.split(';', 5);
  if (parts.length < 5 || parts[0] !== VERSION || base36(parts[1]) !== count) return null;
  const mode = parts[2];
  const dropped = base36(parts[3]);
  if ((mode !== 'a' && mode !== 'b') || !(dropped >= 0 && dropped <= count)) return null;
  const right = mode === 'b' ? readBits(parts[4], count) : new Array(count).fill(false);
  if (right === null || (mode === 'a' && parts[4] !== '')) return null;
  const prefix = parts.join(';') + ';';
  if (!text.startsWith(prefix)) return null;
  const texts = readEntries(text, prefix.length, count);
  return texts === null ? null : { right, texts, dropped };
}
