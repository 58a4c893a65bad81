// The authoring calls of the wasm core against the native tool on the same
// sources: diagnostics as `trivo check`, executables as `trivo build`, files
// as `trivo unpack`, verdicts as `trivo judge`.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, test } from 'node:test';
import { newCore, repoDir, runTool, tool } from './core-support.mjs';

const core = await newCore();
const work = mkdtempSync(join(tmpdir(), 'trivo-author-'));
after(() => rmSync(work, { recursive: true, force: true }));
const examples = readdirSync(join(repoDir, 'examples'))
  .filter((name) => existsSync(join(repoDir, 'examples', name, 'quiz.toml')))
  .sort();

// Copies a folder on disk into the module's file system.
function copyIn(folder, target) {
  for (const name of readdirSync(folder)) {
    const path = join(folder, name);
    if (statSync(path).isDirectory()) copyIn(path, `${target}/${name}`);
    else core.writeFile(`${target}/${name}`, readFileSync(path));
  }
}

// A quiz folder written both on disk (for the tool) and in the module.
function draft(name, files) {
  const folder = join(work, name);
  rmSync(folder, { recursive: true, force: true });
  mkdirSync(folder, { recursive: true });
  for (const [file, data] of Object.entries(files)) writeFileSync(join(folder, file), data);
  core.removeFolder('/draft');
  copyIn(folder, '/draft');
  return folder;
}

function useExample(name) {
  core.removeFolder('/draft');
  copyIn(join(repoDir, 'examples', name), '/draft');
  return join(repoDir, 'examples', name);
}

// `trivo check quiz.toml` run beside the source: {ok, lines} with each
// diagnostic as the tool prints it.
function nativeCheck(folder) {
  const run = spawnSync(tool, ['check', 'quiz.toml'], { cwd: folder, encoding: 'utf8' });
  return { ok: run.status === 0, lines: run.stderr.split('\n').filter((line) => line !== ''), out: run.stdout };
}

function printed(diagnostics) {
  return diagnostics.map((d) => `quiz.toml:${d.line}: ${d.error ? '' : 'warning: '}${d.message}`);
}

function assertSameCheck(folder, label) {
  const native = nativeCheck(folder);
  const wasm = core.checkSource('/draft/quiz.toml');
  assert.deepEqual(printed(wasm.diagnostics), native.lines, label);
  assert.equal(wasm.ok, native.ok, label);
  if (wasm.ok) {
    const count = (n, one) => `${n} ${one}${n === 1 ? '' : 's'}`;
    assert.equal(`quiz.toml: ${count(wasm.questions, 'question')}, ${count(wasm.media, 'media file')}: ok\n`, native.out);
  }
  return wasm;
}

function nativeBuild(folder) {
  const out = join(work, 'native.exe');
  execFileSync(tool, ['build', join(folder, 'quiz.toml'), '-o', out], { stdio: 'pipe' });
  return readFileSync(out);
}

function assertSameBytes(wasm, native, label) {
  assert.equal(wasm.length, native.length, `${label}: sizes differ`);
  const at = Buffer.from(wasm).findIndex((byte, i) => byte !== native[i]);
  assert.equal(at, -1, `${label}: first difference at byte ${at}`);
}

// ImageMagick pictures the player must see fitted: a large JPEG, a large
// PNG, and a PNG with transparent areas.
function pictureFiles() {
  const made = join(work, 'made');
  mkdirSync(made, { recursive: true });
  const convert = (args, name) => {
    execFileSync('convert', [...args, join(made, name)]);
    return readFileSync(join(made, name));
  };
  return {
    'large.jpg': convert(['-size', '1600x1000', 'gradient:#2050d0-#f0c040', '-quality', '90'], 'large.jpg'),
    'large.png': convert(['-size', '900x1200', 'gradient:#c02020-#20c0a0'], 'large.png'),
    'clear.png': convert(
      ['-size', '400x300', 'xc:none', '-fill', '#3080ff', '-draw', 'circle 200,150 200,40'],
      'clear.png'),
  };
}

const pictureQuiz = `title = "Grandes images"
kind = "picture"
reveal = "picture"
background = "#E0E0C0"
[[question]]
text = "Un grand JPEG"
answer = "Degrade"
picture = "large.jpg"
answer_picture = "clear.png"
[[question]]
text = "Un grand PNG"
answer = "Vertical"
picture = "large.png"
[[question]]
text = "Un PNG transparent"
answer = "Cercle"
picture = "clear.png"
answer_picture = "large.png"
`;

test('every example and a picture quiz build byte for byte as with trivo build', () => {
  assert.ok(examples.length >= 4, `examples: ${examples}`);
  for (const name of examples) {
    const folder = useExample(name);
    assertSameBytes(core.buildSource('/draft/quiz.toml'), nativeBuild(folder), name);
  }
  const folder = draft('pictures', { 'quiz.toml': pictureQuiz, ...pictureFiles() });
  const exe = core.buildSource('/draft/quiz.toml');
  assertSameBytes(exe, nativeBuild(folder), 'picture quiz');
  const jpeg = core.unpack(exe).media.find((m) => m.name.endsWith('.jpg'));
  assert.ok(jpeg.size < 20000, `the large JPEG is stored fitted (${jpeg.size} bytes)`);
});

test('diagnostics are the ones trivo check prints, for the examples and for broken sources', () => {
  for (const name of examples) {
    const folder = useExample(name);
    const result = assertSameCheck(folder, name);
    assert.ok(result.ok, `${name} has errors`);
  }
  const pictures = pictureFiles();
  const brokenPng = Buffer.from(pictures['large.png']);
  brokenPng.fill(0x55, 60, 200);
  const header = 'title = "T"\nkind = "picture"\n';
  const question = (picture, answer = 'Reponse') => `[[question]]\ntext = "Q"\nanswer = "${answer}"\npicture = "${picture}"\n`;
  const sources = {
    'missing media': header + question('absent.jpg'),
    'bad colour': 'background = "#12345G"\n' + header + question('large.jpg'),
    'too many questions': header + question('large.jpg').repeat(97),
    'unreadable PNG': header + question('broken.png'),
    'warnings only': header + 'codes = ["un"]\n' + question('clear.png', 'Oui') + question('large.jpg'),
    'TOML syntax': header + '[[question]\ntext = "Q"\n',
    'unknown keys and kind': 'title = "T"\nkind = "photo"\ncolour = "red"\n',
    'UTF-16': Buffer.from('\ufefftitle = "T"\n', 'utf16le'),
    'byte order mark': '\ufeff' + header + question('large.jpg'),
    'not UTF-8': Buffer.concat([Buffer.from(header + 'creator = "'), Buffer.from([0xe9]), Buffer.from('"\n')]),
  };
  let errors = 0;
  let warnings = 0;
  for (const [label, source] of Object.entries(sources)) {
    const folder = draft('broken', { 'quiz.toml': source, ...pictures, 'broken.png': brokenPng });
    const result = assertSameCheck(folder, label);
    errors += result.diagnostics.filter((d) => d.error).length;
    warnings += result.diagnostics.filter((d) => !d.error).length;
    if (!result.ok) {
      assert.throws(() => core.buildSource('/draft/quiz.toml'), (error) => {
        assert.deepEqual(error.diagnostics, result.diagnostics, label);
        return true;
      });
    }
  }
  assert.ok(errors >= 8 && warnings >= 3, `${errors} errors and ${warnings} warnings seen`);

  core.removeFolder('/draft');
  const missing = core.checkSource('/draft/quiz.toml');
  assert.equal(missing.ok, false);
  assert.equal(missing.diagnostics[0].line, 0);
  assert.match(missing.diagnostics[0].message, /^cannot read the file: /);
});

// The source written back from its JSON as the page would, with TOML texts
// quoted by the core.
function tomlFromJson(value) {
  const scalar = (v) => {
    if (typeof v === 'string') return core.tomlQuote(v);
    if (Array.isArray(v)) return `[${v.map(scalar).join(', ')}]`;
    return String(v);
  };
  const lines = [];
  for (const [key, v] of Object.entries(value)) if (key !== 'question') lines.push(`${key} = ${scalar(v)}`);
  for (const question of value.question || []) {
    lines.push('[[question]]');
    for (const [key, v] of Object.entries(question)) lines.push(`${key} = ${scalar(v)}`);
  }
  return lines.join('\n') + '\n';
}

test('each example read as JSON and written back builds the same quiz', () => {
  for (const name of examples) {
    useExample(name);
    const original = core.buildSource('/draft/quiz.toml');
    const source = readFileSync(join(repoDir, 'examples', name, 'quiz.toml'));
    const json = core.tomlToJson(source);
    assert.ok(json.ok, `${name}: ${json.message}`);
    for (const key of ['title', 'kind', 'question']) assert.ok(key in json.value, `${name}: no ${key}`);
    const keys = [...source.toString('utf8').matchAll(/^([a-z_0-9]+) *=/gm)].map((m) => m[1]);
    const seen = [...Object.keys(json.value).filter((key) => key !== 'question'),
      ...json.value.question.flatMap((q) => Object.keys(q))];
    assert.deepEqual([...new Set(seen)].sort(), [...new Set(keys)].sort(), name);
    core.writeFile('/draft/quiz.toml', tomlFromJson(json.value));
    assertSameBytes(core.buildSource('/draft/quiz.toml'), original, `${name} written back`);
  }
  const awkward = 'title = "Guillemets \\" et \\\\ barre, tab\\t, é €"\n';
  assert.equal(core.tomlToJson(tomlFromJson(core.tomlToJson(awkward).value)).value.title,
    'Guillemets " et \\ barre, tab\t, é €');
});

test('a source that is no TOML gives the line and message trivo check gives', () => {
  const cases = {
    'syntax': 'title = "T"\n\nkind = \n',
    'UTF-16': Buffer.from('\ufefftitle = "T"\n', 'utf16le'),
    'control character': 'title = "T\u0001"\n',
    'deep nesting': 'title = "T"\n' + 'a.'.repeat(40) + 'b = 1\n',
  };
  for (const [label, source] of Object.entries(cases)) {
    const folder = draft('toml', { 'quiz.toml': source });
    const native = nativeCheck(folder);
    const json = core.tomlToJson(typeof source === 'string' ? Buffer.from(source) : source);
    assert.equal(json.ok, false, label);
    assert.equal(`quiz.toml:${json.line}: ${json.message}`, native.lines[0], label);
  }
  const bom = core.tomlToJson(Buffer.from('\ufeffkind = "text"\n[[question]]\ntext = "é"\n'));
  assert.deepEqual(bom.value, { kind: 'text', question: [{ text: 'é' }] });
  // Where each key stands, for the page to carry a value over as written.
  assert.deepEqual(bom.layout.questions[0].text, { type: 'string', first: 3, last: 3, lines: true });
  assert.equal(bom.layout.keys.question.lines, false, 'a [[question]] table is no line of its own');
});

test('unpacking into a folder writes what trivo unpack writes, and building it gives the quiz back', () => {
  for (const name of examples) {
    const exe = nativeBuild(join(repoDir, 'examples', name));
    const out = join(work, `unpacked-${name}`);
    runTool(['unpack', join(work, 'native.exe'), '-o', out]);
    core.removeFolder('/draft');
    core.writeFile('/draft/stale.txt', 'left from an earlier draft');
    const files = core.unpackToFolder(exe, '/draft');
    assert.equal(files[0], 'quiz.toml');
    assert.deepEqual([...files].sort(), readdirSync(out).sort(), name);
    for (const file of files) {
      assert.ok(Buffer.from(core.readFile(`/draft/${file}`)).equals(readFileSync(join(out, file))), `${name}: ${file}`);
    }
    assertSameBytes(core.buildSource('/draft/quiz.toml'), exe, `${name} rebuilt`);
  }
  const notQuiz = join(work, 'not-a-quiz.exe');
  writeFileSync(notQuiz, 'MZ but nothing more');
  const native = runTool(['unpack', notQuiz, '-o', join(work, 'nothing')]);
  assert.throws(() => core.unpackToFolder(readFileSync(notQuiz), '/nothing'),
    (error) => `${notQuiz}: ${error.detail.error}\n` === native.err);
  assert.deepEqual(core.listFolder('/nothing'), []);
});

test('picture sizes are the files\' own, fitted into the 260 x 260 frame; what the player refuses says why', () => {
  const pictures = pictureFiles();
  for (const [name, bytes] of Object.entries(pictures)) {
    const info = core.pictureInfo(bytes);
    const [width, height] = execFileSync('identify', ['-format', '%w %h', join(work, 'made', name)])
      .toString().split(' ').map(Number);
    assert.deepEqual([info.width, info.height, info.playerTakes], [width, height, true], name);
    assert.equal(info.format, name.slice(-3));
    assert.ok(Math.max(info.fittedWidth, info.fittedHeight) <= 260 && Math.max(info.fittedWidth, info.fittedHeight) >= 250, name);
    assert.ok(Math.abs(info.fittedWidth / info.fittedHeight - width / height) < 0.02, name);
    assert.equal(info.transparent, name === 'clear.png', name);
  }
  const broken = Buffer.from(pictures['large.png']);
  broken.fill(0x55, 60, 200);
  const folder = draft('refused', { 'quiz.toml': 'title = "T"\nkind = "picture"\n[[question]]\ntext = "Q"\nanswer = "Reponse"\npicture = "broken.png"\n', 'broken.png': broken });
  const info = core.pictureInfo(broken);
  assert.equal(info.playerTakes, false);
  assert.ok(nativeCheck(folder).lines[0].includes(`is ${info.error}`), info.error);
  assert.equal(core.pictureInfo(Buffer.from('not a picture')).playerTakes, false);
  // The decoder's word on each PNG is kept by content: the same file mended
  // and broken again in place is checked anew each time.
  const checks = [broken, pictures['large.png'], broken].map((bytes) => {
    core.writeFile('/draft/broken.png', bytes);
    return core.checkSource('/draft/quiz.toml').ok;
  });
  assert.deepEqual(checks, [false, true, false]);
});

test('verdicts are trivo judge\'s words, each kind in its own colour', () => {
  const kinds = new Set();
  const colours = new Map();
  for (const [expected, typed] of [['Paris', 'Paris'], ['Paris', 'Londres'], ['Paris', 'Pasir'], ['Paris', 'Pari'],
    ['Paris', ''], ['Paris', 'Parisienne'], ['Danube', 'Dnaube'], ['Roi', 'rois'], ['Paris', 'Pa😀is'], ['Łódź', 'Lodz']]) {
    const native = runTool(['judge', expected, typed]);
    const wasm = core.verdict(expected, typed);
    assert.equal(wasm.ok, native.code === 0);
    if (!wasm.ok) {
      assert.equal(wasm.error + '\n', native.err);
      continue;
    }
    assert.equal(wasm.verdict + '\n', native.out.toString('utf8'), `${expected} / ${typed}`);
    kinds.add(wasm.kind);
    if (wasm.kind === 'empty') assert.equal(wasm.colour, null);
    else assert.match(wasm.colour, /^#[0-9A-F]{6}$/, wasm.verdict);
    colours.set(wasm.kind, wasm.colour);
  }
  assert.deepEqual([...kinds].sort(), ['anagram', 'empty', 'hint', 'right', 'wrong']);
  assert.equal(new Set(colours.values()).size, kinds.size);
  assert.equal(core.labelColour('#5A5F96'), '#000000');
  assert.equal(core.labelColour('#244244'), '#FFFFFF');
});

test('odd paths and empty inputs get an answer the page can show, never a trap', () => {
  core.removeFolder('/draft');
  core.writeFile('/draft/quiz.toml', 'title = "T"\n');
  for (const [path, reason] of [['', 'it does not exist'], ['/draft', 'it is a folder, not a file'],
    ['/draft/quiz.toml/x', 'it does not exist']]) {
    const result = core.checkSource(path);
    assert.deepEqual([result.ok, result.diagnostics], [false, [{ line: 0, error: true, message: `cannot read the file: ${reason}` }]], path);
    assert.throws(() => core.buildSource(path), /cannot read the file/, path);
  }
  const exe = nativeBuild(join(repoDir, 'examples', examples[0]));
  for (const folder of ['/draft/quiz.toml', '']) {
    assert.throws(() => core.unpackToFolder(exe, folder), /cannot create the folder: /, folder);
  }
  assert.equal(core.pictureInfo(new Uint8Array(0)).playerTakes, false);
  assert.deepEqual(core.tomlToJson(new Uint8Array(0)), { ok: true, value: {}, layout: { keys: {}, questions: [] } });
  assert.equal(core.checkSource('/draft/quiz.toml').ok, false, 'a source without kind or questions');
});
