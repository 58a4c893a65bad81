// The authoring page's plain modules under node: the source it writes maps
// every line back to its field and reads back into the same form, and its
// zip archives agree with Python's zipfile and refuse hostile archives.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { randomBytes } from 'node:crypto';
import { deflateRawSync } from 'node:zlib';
import { test } from 'node:test';
import { STRINGS, defaultLanguage } from '../site/author-i18n.js';
import { draftPathProblems, openSource, resolvePath } from '../site/author-import.js';
import { setHeader } from '../site/author-model.js';
import { fileStem, freeName, newModel, newQuestion, readDocument, writeSource } from '../site/author-source.js';
import { MAX_ENTRY_BYTES, ZipError, crc32, readZip, writeZip } from '../site/zip.js';
import { newCore } from './core-support.mjs';

const quote = (text) => JSON.stringify(text);

function python(script, ...args) {
  const run = spawnSync('python3', ['-c', script, ...args], { encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  return run.stdout;
}

test('the written source: one key per line, each line named by its field, read back the same', async () => {
  const model = newModel();
  Object.assign(model, { title: 'Drapeaux', creator: 'Claire', kind: 'picture', answersPerQuestion: 2,
    label1: 'Pays', label2: 'Capitale', reveal: 'comment', background: '#244244', footer: 'Fin' });
  model.questions = [
    newQuestion({ text: 'Bleu, blanc, rouge', answer: 'France', answer2: 'Paris', picture: 'fr.jpg',
      answerPicture: 'fr-ok.png', comment: 'Révolution' }),
    newQuestion({ answer: '' }),
  ];
  model.codes = ['UN'];
  const { text, fields } = writeSource(model, quote);
  const lines = text.split('\n');
  assert.equal(lines.pop(), '', 'the source ends with a line end');
  assert.equal(lines.length, fields.length);
  const at = (field) => lines[fields.indexOf(field)];
  const [first, second] = model.questions;
  assert.equal(at('title'), 'title = "Drapeaux"');
  assert.equal(at(`q:${first.id}:answer2`), 'answer2 = "Paris"');
  assert.equal(at(`q:${first.id}:answerPicture`), 'answer_picture = "fr-ok.png"');
  // An empty answer is still written, so the check names the answer's line.
  assert.equal(at(`q:${second.id}:answer`), 'answer = ""');
  assert.equal(at(`q:${second.id}:answer2`), 'answer2 = ""');
  // Codes are padded to one per score, each on a line of its own.
  assert.equal(at('code:0'), '  "UN",');
  assert.equal(at('code:1'), '  "",');
  assert.ok(!fields.includes('link'), 'an empty link is left out');
  assert.equal(lines[fields.lastIndexOf(`q:${second.id}`) + 1], 'answer = ""', 'a table line belongs to its question');

  // What the form reads back from that source (through the core's TOML reader) is the same model.
  const core = await newCore();
  const read = core.tomlToJson(text);
  const back = readDocument(read.value, read.layout, text.split('\n'));
  assert.deepEqual(back.refused, []);
  back.model.questions.forEach((q, i) => { q.id = model.questions[i].id; });
  assert.equal(writeSource(back.model, quote).text, text);
});

test('what the form cannot hold goes back as the source wrote it, so the check is the source\'s own', async () => {
  const core = await newCore();
  const kept = ['title = 5', 'kind = "textt"  # typo', 'answers_per_question = 2.0', 'colour = [', '  "red",', ']',
    'codes = ["A", 2]'];
  const source = [...kept, '', '[[question]]', 'answer = "a"', 'hint = "h"', 'picture = 7', ''].join('\n');
  const read = core.tomlToJson(source);
  const { model, refused } = readDocument(read.value, read.layout, source.split('\n'));
  assert.deepEqual(refused, []);
  assert.equal(model.kind, 'textt', 'shown as the source has it; no radio is checked');
  const { text, fields } = writeSource(model, quote);
  const lines = text.split('\n');
  const id = model.questions[0].id;
  const fieldOf = (line) => fields[lines.indexOf(line)];
  assert.deepEqual(kept.map(fieldOf), ['title', 'kind', 'answersPerQuestion', null, null, null, 'codes']);
  assert.equal(fieldOf('hint = "h"'), `q:${id}`);
  assert.equal(fieldOf('picture = 7'), `q:${id}:picture`);
  const check = (toml) => {
    core.writeFile('/kept/quiz.toml', toml);
    return core.checkSource('/kept/quiz.toml').diagnostics.map((d) => `${d.error} ${d.message}`).sort();
  };
  assert.deepEqual(check(text), check(source));
  assert.ok(check(text).some((d) => d.includes('textt')));
  // A field the author edits holds its value from then on.
  assert.match(writeSource(setHeader(model, 'kind', 'picture'), quote).text, /^kind = "picture"$/m);
  // Tables of their own cannot be carried line for line: the source is refused, naming them.
  const tables = 'title = "T"\n[extra]\nx = 1\n[[question]]\nanswer = "a"\n[question.more]\ny = 2\n';
  const withTables = core.tomlToJson(tables);
  assert.deepEqual(readDocument(withTables.value, withTables.layout, tables.split('\n')).refused,
    ['extra', 'question 1: more']);
});

test('download names and media names', () => {
  assert.equal(fileStem('Drapeaux d’Europe !'), 'Drapeaux-d-Europe');
  assert.equal(fileStem('Œuvres complètes'), 'uvres-completes');
  assert.equal(fileStem('😀 ?'), 'quiz');
  assert.equal(fileStem('x'.repeat(60)).length, 40);
  const taken = new Set(['photo.jpg', 'photo-2.jpg']);
  assert.equal(freeName('photo.jpg', taken), 'photo-3.jpg');
  assert.equal(freeName('C:\\pictures\\sun.png', taken), 'sun.png');
  assert.equal(freeName('a|b".png', taken), 'a_b_.png');
});

test('an opened folder, zip or pick of files: its source, and the media it names found beside it', async () => {
  const core = await newCore();
  const readToml = (bytes) => core.tomlToJson(bytes);
  const text = (value) => new TextEncoder().encode(value);
  const source = text(`title = "T"\nkind = "audio"\n[[question]]\nanswer = "un"\nclip = "clips\\\\q1.wav"\n` +
    `[[question]]\nanswer = "deux"\nclip = "../dehors.wav"\n[[question]]\nanswer = "trois"\nclip = "q3.wav"\n`);
  const q1 = text('one');
  const q3 = text('three');
  // A folder: the least deep quiz.toml is the source, media taken from its own folder.
  const folder = openSource([
    { path: 'quiz/notes.toml', bytes: text('title = 1') },
    { path: 'quiz/old/quiz.toml', bytes: text('title = 2') },
    { path: 'quiz/quiz.toml', bytes: source },
    { path: 'quiz/clips/q1.wav', bytes: q1 },
    { path: 'dehors.wav', bytes: text('outside') },
    { path: 'quiz/q3.wav', bytes: q3 },
  ], readToml);
  assert.equal(folder.source.path, 'quiz/quiz.toml');
  assert.deepEqual([...folder.media], [['clips/q1.wav', q1], ['q3.wav', q3]]);
  assert.deepEqual(folder.missing, ['../dehors.wav'], 'nothing is taken from outside the source\'s folder');
  // Picked one by one: names without folders, matched when only one file has the name.
  const picked = openSource([{ path: 'quiz.toml', bytes: source }, { path: 'q1.wav', bytes: q1 }], readToml);
  assert.deepEqual([...picked.media.keys()], ['clips/q1.wav']);
  assert.deepEqual(picked.missing, ['../dehors.wav', 'q3.wav']);
  const twice = openSource([{ path: 'quiz.toml', bytes: source }, { path: 'a/q1.wav', bytes: q1 },
    { path: 'b/q1.wav', bytes: q3 }], readToml);
  assert.deepEqual(twice.missing, ['clips\\q1.wav', '../dehors.wav', 'q3.wav'], 'two files of that name: neither is guessed');
  // Names a draft folder cannot hold side by side (a file where another needs a folder) are named.
  const clashing = text('[[question]]\nanswer = "a"\npicture = "quiz.toml/x.jpg"\n' +
    '[[question]]\nanswer = "b"\npicture = "a.jpg"\nanswer_picture = "a.jpg/b.jpg"\n');
  const clash = openSource([{ path: 'quiz.toml', bytes: clashing }, { path: 'x.jpg', bytes: q1 },
    { path: 'a.jpg', bytes: q1 }, { path: 'a.jpg/b.jpg', bytes: q3 }], readToml);
  assert.deepEqual(clash.clashes, ['quiz.toml/x.jpg', 'a.jpg', 'a.jpg/b.jpg']);
  const long = `${'n'.repeat(256)}.jpg`;
  assert.deepEqual(draftPathProblems(['ok.jpg', 'sub/ok.jpg', './sub//two.jpg', long]), [long]);
  const broken = openSource([{ path: 'x.toml', bytes: text('title = "open\n') }], readToml);
  assert.equal(broken.problem.line, 1);
  assert.equal(openSource([{ path: 'a.jpg', bytes: q1 }], readToml), null);
  assert.equal(resolvePath('a/b', '../c/./d.jpg'), 'a/c/d.jpg');
  assert.equal(resolvePath('', '../d.jpg'), null);
});

test('the page speaks both languages whole: every text in English and in French, the page\'s own keys included', () => {
  const keys = (table) => Object.entries(table).flatMap(([k, v]) =>
    (v && typeof v === 'object' && !Array.isArray(v) ? Object.keys(v).map((sub) => `${k}.${sub}`) : [k])).sort();
  assert.deepEqual(keys(STRINGS.fr), keys(STRINGS.en));
  const html = readFileSync(join(dirname(fileURLToPath(import.meta.url)), '..', 'site', 'author.html'), 'utf8');
  const used = [...html.matchAll(/data-t="([A-Za-z0-9]+)"/g)].map((m) => m[1]);
  assert.ok(used.length > 30);
  const script = readFileSync(join(dirname(fileURLToPath(import.meta.url)), '..', 'site', 'author.js'), 'utf8');
  used.push(...[...script.matchAll(/\bt(?:\.count)?\('([A-Za-z0-9]+)'/g)].map((m) => m[1]));
  for (const key of used) assert.ok(key in STRINGS.en, `the page names the text ${key}, which has none`);
  assert.equal(defaultLanguage(null, 'fr-CA'), 'fr');
  assert.equal(defaultLanguage(null, 'de-DE'), 'en');
  assert.equal(defaultLanguage('en', 'fr-FR'), 'en', 'a language chosen before wins');
});

test('zip archives: ours read by Python, Python\'s (stored and deflated) read by ours', async () => {
  const work = mkdtempSync(join(tmpdir(), 'trivo-zip-'));
  try {
    const text = new TextEncoder().encode('title = "Été"\n'.repeat(200));
    const noise = new Uint8Array(randomBytes(5000));
    const files = [
      { path: 'quiz.toml', bytes: text },
      { path: 'clips/bruit.bin', bytes: noise },
      { path: 'vide.txt', bytes: new Uint8Array(0) },
    ];
    const ours = join(work, 'ours.zip');
    writeFileSync(ours, await writeZip(files));
    const listed = JSON.parse(python(`
import sys, zipfile, json, hashlib
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
print(json.dumps([[i.filename, i.compress_type, hashlib.sha256(z.read(i)).hexdigest()] for i in z.infolist()]))`, ours));
    const { createHash } = await import('node:crypto');
    const sha = (bytes) => createHash('sha256').update(bytes).digest('hex');
    assert.deepEqual(listed, [['quiz.toml', 8, sha(text)], ['clips/bruit.bin', 0, sha(noise)], ['vide.txt', 0, sha(new Uint8Array(0))]]);

    const theirs = join(work, 'theirs.zip');
    python(`
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('dossier/', '')
    z.writestr('dossier/quiz.toml', open(sys.argv[2], 'rb').read(), zipfile.ZIP_DEFLATED)
    z.writestr('dossier/bruit.bin', open(sys.argv[3], 'rb').read(), zipfile.ZIP_STORED)`,
    theirs, writeBytes(work, 'a', text), writeBytes(work, 'b', noise));
    const read = await readZip(readFileSync(theirs));
    assert.deepEqual(read.map((f) => f.path), ['dossier/quiz.toml', 'dossier/bruit.bin']);
    assert.deepEqual(read[0].bytes, text);
    assert.deepEqual(read[1].bytes, noise);
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
});

function writeBytes(dir, name, bytes) {
  writeFileSync(join(dir, name), bytes);
  return join(dir, name);
}

// A one-entry archive by hand, with what it declares given apart from what it holds.
function handZip(name, data, { method = 8, size, crc, flags = 0x0800 } = {}) {
  const nameBytes = Buffer.from(name);
  const local = Buffer.alloc(30);
  local.writeUInt32LE(0x04034b50, 0);
  local.writeUInt16LE(flags, 6);
  local.writeUInt16LE(method, 8);
  local.writeUInt32LE(crc, 14);
  local.writeUInt32LE(data.length, 18);
  local.writeUInt32LE(size, 22);
  local.writeUInt16LE(nameBytes.length, 26);
  const central = Buffer.alloc(46);
  central.writeUInt32LE(0x02014b50, 0);
  central.writeUInt16LE(flags, 8);
  central.writeUInt16LE(method, 10);
  central.writeUInt32LE(crc, 16);
  central.writeUInt32LE(data.length, 20);
  central.writeUInt32LE(size, 24);
  central.writeUInt16LE(nameBytes.length, 28);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(1, 8);
  end.writeUInt16LE(1, 10);
  end.writeUInt32LE(46 + nameBytes.length, 12);
  end.writeUInt32LE(30 + nameBytes.length + data.length, 16);
  return Buffer.concat([local, nameBytes, data, central, nameBytes, end]);
}

test('hostile or broken archives are refused with their reason', async () => {
  const plain = Buffer.from('bonjour');
  const packed = deflateRawSync(plain);
  const good = { size: plain.length, crc: crc32(plain) };
  assert.deepEqual((await readZip(handZip('a.txt', packed, good)))[0].bytes, new Uint8Array(plain));
  const refused = async (bytes, code) => {
    await assert.rejects(readZip(bytes), (error) => error instanceof ZipError && error.code === code, code);
  };
  await refused(handZip('../evil.txt', packed, good), 'unsafe-path');
  await refused(handZip('a/../../evil.txt', packed, good), 'unsafe-path');
  await refused(handZip('/etc/evil', packed, good), 'unsafe-path');
  await refused(handZip('C:\\evil.txt', packed, good), 'unsafe-path');
  // Ten megabytes of zeros declared as seven bytes: reading stops at the declared size.
  const zeros = deflateRawSync(Buffer.alloc(10 * 1024 * 1024));
  await refused(handZip('bomb.bin', zeros, good), 'bomb');
  await refused(handZip('big.bin', zeros, { size: MAX_ENTRY_BYTES + 1, crc: 0 }), 'too-large');
  await refused(handZip('a.txt', packed, { ...good, crc: (good.crc ^ 1) >>> 0 }), 'crc');
  await refused(handZip('a.txt', packed, { ...good, method: 12 }), 'method');
  await refused(handZip('a.txt', packed, { ...good, flags: 1 }), 'encrypted');
  await refused(handZip('a.txt', Buffer.from('not deflate at all'), good), 'corrupt');
  await refused(handZip('a.txt', packed, good).subarray(0, 60), 'not-zip');
  await refused(Buffer.from('MZ this is an executable'), 'not-zip');
});

test('every truncation and every flipped byte of an archive gives its files or a ZipError, never another failure', async () => {
  const archive = await writeZip([
    { path: 'quiz.toml', bytes: new TextEncoder().encode('title = "Fleurs"\n'.repeat(8)) },
    { path: 'a.bin', bytes: new Uint8Array(randomBytes(40)) },
  ]);
  const outcome = async (bytes) => {
    try {
      await readZip(bytes);
      return 'read';
    } catch (error) {
      if (error instanceof ZipError) return error.code;
      throw error;
    }
  };
  for (let size = 0; size < archive.length; size++) {
    assert.notEqual(await outcome(archive.subarray(0, size)), 'read', `cut to ${size} bytes`);
  }
  const seen = new Set();
  for (let at = 0; at < archive.length; at++) {
    const damaged = archive.slice();
    damaged[at] ^= 0xff;
    seen.add(await outcome(damaged));
  }
  assert.ok(seen.has('crc') && seen.has('corrupt'), [...seen].join());
});
