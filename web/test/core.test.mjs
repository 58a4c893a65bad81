// The wasm core against the native tool on the same inputs: verdicts as
// `trivo judge`, pixels as `trivo decode`, quizzes as `trivo unpack`.
import assert from 'node:assert/strict';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { fnv1a64, newCore, quizDir, runTool, sharedDir } from './core-support.mjs';

const core = await newCore();
const quizzes = readdirSync(quizDir).filter((name) => name.endsWith('.exe')).sort();

test('verdicts agree with trivo judge', () => {
  const pairs = [
    ['Paris', 'Paris'], ['Paris', '  paris '], ['Paris', 'Prais'], ['Paris', 'Pari'], ['Paris', 'Parsi'],
    ['Paris', 'Pa'], ['Paris', 'Parisienne'], ['Paris', 'Londres'], ['Paris', ''], ['Roi', 'rois'],
    ['École', 'école'], ['Noël', 'NOËL'], ['Œuvre', 'œuvre'], ['€uro', '€uro'],
    ['ABCDEFGHIJKLMNOP', 'ABCDEFGHIJKLMXYZ'], ['Danube', 'Dnaube'], ['Pa?is', 'Pa😀is'],
    ['Łódź', 'Lodz'], ['Paris', 'x'.repeat(300)], ['Paris', 'P\u0301aris'],
  ];
  for (const [expected, typed] of pairs) {
    const native = runTool(['judge', expected, typed]);
    const wasm = core.judge(expected, typed);
    assert.equal(wasm.ok, native.code === 0, `${expected} / ${typed}: ${native.err}`);
    if (wasm.ok) assert.equal(wasm.text + '\n', native.out.toString('utf8'), `${expected} / ${typed}`);
    else assert.equal(wasm.text + '\n', native.err, `${expected} / ${typed}`);
  }
});

test('PNG pixels agree with trivo decode on the PngSuite', () => {
  const suite = join(sharedDir, 'testdata', 'pngsuite');
  const work = mkdtempSync(join(tmpdir(), 'trivo-decode-'));
  try {
    let compared = 0;
    for (const name of readdirSync(suite).filter((n) => n.endsWith('.png'))) {
      const png = readFileSync(join(suite, name));
      const out = join(work, name + '.bmp');
      const native = runTool(['decode', join(suite, name), '-o', out]);
      const wasm = core.decodePng(png);
      assert.equal(wasm.ok, native.code === 0, name);
      if (wasm.ok) {
        assert.ok(Buffer.from(wasm.bytes).equals(readFileSync(out)), `${name}: the BMP differs`);
        compared++;
      } else {
        assert.match(native.err, new RegExp(`error 0x${Number(wasm.error).toString(16).toUpperCase().padStart(4, '0')}`), name);
      }
    }
    assert.ok(compared > 100, `only ${compared} pictures decoded`);
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

// The quiz.toml and the media files trivo unpack writes, or its failure.
function nativeUnpack(exe) {
  const work = mkdtempSync(join(tmpdir(), 'trivo-unpack-'));
  try {
    const run = runTool(['unpack', exe, '-o', work]);
    if (run.code !== 0) return { ok: false, error: run.err };
    const media = readdirSync(work).filter((n) => n !== 'quiz.toml').sort();
    return {
      ok: true,
      toml: readFileSync(join(work, 'quiz.toml'), 'utf8'),
      media: media.map((name) => {
        const bytes = readFileSync(join(work, name));
        return { name, size: bytes.length, hash: fnv1a64(bytes) };
      }),
    };
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

function compareUnpack(exe, bytes, label) {
  const native = nativeUnpack(exe);
  const wasm = core.unpack(bytes);
  assert.equal(wasm.ok, native.ok, `${label}: ${native.error || wasm.error}`);
  if (!wasm.ok) {
    assert.equal(`${exe}: ${wasm.error}\n`, native.error, label);
    return;
  }
  assert.equal(wasm.toml, native.toml, label);
  wasm.media.sort((a, b) => (a.name < b.name ? -1 : 1));
  assert.deepEqual(wasm.media, native.media, label);
}

test('every example unpacks as with trivo unpack', () => {
  assert.ok(quizzes.length >= 4, `examples in ${quizDir}: ${quizzes}`);
  for (const name of quizzes) compareUnpack(join(quizDir, name), readFileSync(join(quizDir, name)), name);
});

test('damaged copies unpack, fail or open as with the tool, and never crash the core', async () => {
  const { writeFileSync } = await import('node:fs');
  const work = mkdtempSync(join(tmpdir(), 'trivo-damaged-'));
  try {
    for (const name of quizzes) {
      const original = readFileSync(join(quizDir, name));
      const damaged = [
        ['cut-half', original.subarray(0, original.length >> 1)],
        ['cut-header', original.subarray(0, 300)],
        ['empty', Buffer.alloc(0)],
      ];
      for (let i = 0; i < 6; i++) {
        const copy = Buffer.from(original);
        const at = Math.floor(((i + 1) / 7) * copy.length);
        for (let k = 0; k < 64 && at + k < copy.length; k++) copy[at + k] ^= 0x5a;
        damaged.push([`flipped-${i}`, copy]);
      }
      for (const [label, bytes] of damaged) {
        const path = join(work, `${label}-${name}`);
        writeFileSync(path, bytes);
        compareUnpack(path, bytes, `${name} ${label}`);
        const opened = core.openQuiz(bytes);
        assert.equal(typeof opened.ok, 'boolean');
        if (!opened.ok) assert.match(opened.error, /n'est pas un quiz Trivo/);
      }
    }
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

// The first `answer = "..."` of the quiz as trivo unpack writes it.
function firstAnswer(bytes) {
  return /^answer = "(.*)"$/m.exec(core.unpack(bytes).toml)[1];
}

test('a quiz whose codes block is broken opens without codes, as in the Windows player', () => {
  const bytes = readFileSync(join(quizDir, quizzes[0]));
  const clean = core.openQuiz(bytes);
  assert.ok(clean.ok);
  assert.deepEqual(clean.messages, []);
  const answer = firstAnswer(bytes);
  assert.notEqual(core.typeField(1, answer).code.trim(), '');

  const codes = core.resource('PATCH', 105);
  const at = Buffer.from(bytes).indexOf(Buffer.from(codes));
  assert.ok(at > 0, 'the codes block was not found');
  const broken = Buffer.from(bytes);
  broken.fill(0xff, at, at + 4);
  const opened = core.openQuiz(broken);
  assert.ok(opened.ok);
  assert.deepEqual(opened.messages, ['Erreur dans le décryptage des codes']);
  assert.equal(opened.quiz.questionCount, clean.quiz.questionCount);
  const right = core.typeField(1, answer);
  assert.equal(right.fields[0].status, 'BRAVO');
  assert.equal(right.code.trim(), '');

  const notQuiz = core.openQuiz(Buffer.from('MZ not a program'));
  assert.equal(notQuiz.ok, false);
  assert.match(notQuiz.error, /n'est pas un quiz Trivo/);
});
