// The suspend data codec at its worst cases: the largest quiz (96 questions,
// two fields, 259 characters each) within SCORM 1.2's 4,096 characters.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { LIMIT_12, LIMIT_2004, decodeSuspendData, encodeSuspendData } from '../site/suspend-data.js';

const FIELDS = 192;
const long = (k) => `${k}é;,:`.padEnd(259, String.fromCharCode(97 + (k % 26)));
const quiz = (right) => Array.from({ length: FIELDS }, (_, i) => ({ typed: long(i + 1), right: right(i + 1) }));

test('every field right at 259 characters: all kept as bits within 4,096', () => {
  const { text, dropped } = encodeSuspendData(quiz(() => true), LIMIT_12);
  assert.ok(text.length <= LIMIT_12);
  assert.equal(dropped, 0);
  const read = decodeSuspendData(text, FIELDS);
  assert.deepEqual(read.right, new Array(FIELDS).fill(true));
  assert.equal(read.texts.size, 0);
});

test('every field wrong at 259 characters: the first that fit kept whole, the rest counted', () => {
  const { text, dropped } = encodeSuspendData(quiz(() => false), LIMIT_12);
  assert.ok(text.length <= LIMIT_12 && text.length > LIMIT_12 - 265, `${text.length} characters`);
  const read = decodeSuspendData(text, FIELDS);
  assert.equal(read.texts.size, 15);
  assert.equal(dropped, FIELDS - 15);
  assert.equal(read.dropped, dropped);
  assert.deepEqual([...read.texts.keys()], Array.from({ length: 15 }, (_, i) => i + 1));
  for (const [k, typed] of read.texts) assert.equal(typed, long(k));
});

test('mixed: right fields as bits, a short text after a dropped long one still kept; 2004 keeps all as typed', () => {
  const fields = quiz((k) => k % 3 === 0);
  fields[190].typed = 'court';
  const { text, dropped } = encodeSuspendData(fields, LIMIT_12);
  const read = decodeSuspendData(text, FIELDS);
  assert.deepEqual(read.right, fields.map((f) => f.right));
  assert.equal(read.texts.get(191), 'court');
  assert.equal(read.texts.size + dropped, 128);
  const whole = encodeSuspendData(fields, LIMIT_2004);
  assert.equal(whole.dropped, 0);
  const all = decodeSuspendData(whole.text, FIELDS);
  fields.forEach((f, i) => assert.equal(all.texts.get(i + 1), f.typed));
  assert.equal(decodeSuspendData(encodeSuspendData([{ typed: '', right: false }], LIMIT_12).text, 1).texts.size, 0);
});

test('damaged, foreign or cut texts read as nothing, never throw', () => {
  const { text } = encodeSuspendData(quiz((k) => k % 2 === 0), LIMIT_12);
  for (const bad of [undefined, null, '', 'garbage', 'T1;5c;a;0;;zz,1:x', 'T2' + text.slice(2), text + '9']) {
    assert.equal(decodeSuspendData(bad, FIELDS), null, String(bad).slice(0, 20));
  }
  assert.equal(decodeSuspendData(text, FIELDS - 1), null);
  for (let cut = 0; cut < text.length; cut += 7) {
    const read = decodeSuspendData(text.slice(0, cut), FIELDS);
    if (read) for (const [, typed] of read.texts) assert.ok(text.includes(typed));
  }
});
