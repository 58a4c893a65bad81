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

test('an opened quiz carries the rules the pages draw from', async () => {
  const { createHash } = await import('node:crypto');
  const { LIMITS } = await import('../site/core-api.js');
  assert.deepEqual(core.limits(), { ...LIMITS });
  for (const name of quizzes) {
    const bytes = readFileSync(join(quizDir, name));
    const { quiz, state } = core.openQuiz(bytes);
    assert.equal(quiz.hash, createHash('sha256').update(bytes).digest('hex'), name);
    assert.equal(core.legacyKey(bytes), fnv1a64(bytes), name);
    assert.deepEqual([quiz.textLimit, quiz.tabOffset, quiz.box], [259, 360, 260]);
    const [r, g] = quiz.background;
    assert.equal(quiz.labelColour, r > 69 || g > 69 ? '#000000' : '#FFFFFF', name);
    assert.equal(quiz.hideBox, quiz.mediaKind === 1 && quiz.answersPerQuestion === 1, name);
    for (const field of state.fields) assert.deepEqual([field.kind, field.colour], ['unjudged', null]);
    const right = core.typeField(1, firstAnswer(bytes)).fields[0];
    assert.deepEqual([right.status, right.kind, right.colour], ['BRAVO', 'right', '#00FF00'], name);
    assert.equal(core.typeField(1, 'zzzzzzzzzzzz').fields[0].kind, 'wrong');
  }
});

test('media come as stored with their MIME type, PNG fitted to RGBA by the player\'s fit', () => {
  let pictures = 0;
  let clips = 0;
  for (const name of quizzes) {
    const bytes = readFileSync(join(quizDir, name));
    const { quiz } = core.openQuiz(bytes);
    quiz.questions.forEach((question, i) => {
      if (question.clip) {
        const media = core.media(i + 1, false);
        assert.equal(media.format, question.clip.format, name);
        assert.match(media.mime, /^(audio|video)\//, name);
        assert.equal(question.clip.format, question.clip.format.toLowerCase());
        clips++;
      }
      for (const [info, answer] of [[question.picture, false], [question.answerPicture, true]]) {
        if (!info) continue;
        const media = core.media(i + 1, answer);
        assert.equal(info.refused, false, `${name} ${i + 1}`);
        assert.ok(info.fitWidth === 260 || info.fitHeight === 260, `${name} ${i + 1}: ${JSON.stringify(info)}`);
        if (info.format === 'png') {
          assert.deepEqual([media.format, media.width, media.height], ['rgba', info.fitWidth, info.fitHeight]);
          assert.equal(media.bytes.length, info.fitWidth * info.fitHeight * 4);
        } else {
          assert.equal(media.format, info.format);
          assert.equal(media.mime, `image/${info.format === 'jpg' ? 'jpeg' : info.format}`);
          if (info.format === 'jpg') assert.deepEqual([...media.bytes.subarray(0, 2)], [0xff, 0xd8], 'nibbles undone');
        }
        pictures++;
      }
    });
  }
  assert.ok(pictures > 10 && clips > 4, `${pictures} pictures, ${clips} clips`);
  assert.equal(core.media(97, false), null);
  assert.equal(core.media(0, true), null);
});

test('calls without an open quiz or with hostile arguments answer, never trap', () => {
  const fresh = core;
  assert.equal(fresh.media(-5, true), null);
  assert.equal(fresh.typeField(100000, 'x').ok, true);
  assert.equal(fresh.fillFrom(-1, 'x').ok, true);
  assert.equal(fresh.openQuiz(Buffer.alloc(0)).ok, false);
});

test('the play core opens every example, judges as trivo judge and writes the answers file the Windows player reads', async () => {
  const play = await newCore('trivo-play-core');
  for (const name of quizzes) {
    const exe = readFileSync(join(quizDir, name));
    const expected = [...core.unpack(exe).toml.matchAll(/^answer2? = "(.*)"$/gm)].map((m) => m[1]);
    const opened = play.openQuiz(exe);
    assert.ok(opened.ok, name);
    assert.deepEqual(opened.quiz, core.openQuiz(exe).quiz, name);
    const fields = opened.state.fields.length;
    const typed = [];
    for (let k = 1; k <= fields; k++) {
      const answer = expected[k - 1] ?? '';
      const text = k % 3 === 0 ? 'zzzz' : k % 3 === 1 ? answer : answer + 'x';
      typed.push(text);
      const state = play.typeField(k, text);
      assert.equal(state.fields[k - 1].status + '\n', runTool(['judge', answer, text]).out.toString('utf8'), `${name} ${k}`);
    }
    const file = Buffer.from(play.answersFile());
    assert.ok(file.equals(Buffer.from(typed.map((text) => text + '\r\n').join(''), 'latin1')), name);
    core.openQuiz(exe);
    assert.deepEqual(core.loadAnswers(file).fields, play.loadAnswers(file).fields, name);
  }
});

