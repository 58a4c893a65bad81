// The authoring page in Chromium over http://127.0.0.1: a picture quiz made
// in the form (diagnostics beside their fields, "Try an answer", the
// download byte for byte as `trivo build` of the exported zip, "Play here"),
// every example opened from its source and from its executable, the draft
// kept across a reload, and imports the page must refuse.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { after, before, test } from 'node:test';
import { newCore, quizDir, repoDir, runTool } from './core-support.mjs';
import { startSite } from './site-support.mjs';
import { readZip } from '../site/zip.js';

const axeSource = readFileSync(join(repoDir, 'web', 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
const WCAG = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];

// The WCAG 2.2 A and AA rules axe finds broken on the page as it stands
// (axe is evaluated through the test driver, which the page's policy does not bind).
async function accessibilityFaults(page) {
  await page.evaluate(axeSource);
  const result = await page.evaluate((tags) => window.axe.run(document, { runOnly: { type: 'tag', values: tags } }), WCAG);
  return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

const shots = process.env.TRIVO_WEB_SHOTS || join(repoDir, 'build', 'web-shots');
// The downloaded quiz, its title and its first answer, for the Wine run
// that follows (scripts/test-web.sh).
const pageQuiz = join(repoDir, 'build', 'web-author');
const examplesDir = join(repoDir, 'examples');
const work = mkdtempSync(join(tmpdir(), 'trivo-author-work-'));
const port = 19000 + (process.pid % 1000);
const core = await newCore();
let site;
let browser;

before(async () => {
  site = await startSite(port, 'author.html');
  browser = site.browser;
  mkdirSync(shots, { recursive: true });
});

after(async () => {
  if (site) await site.stop();
  rmSync(work, { recursive: true, force: true });
});

async function newContext(options = {}) {
  return browser.newContext({ viewport: { width: 1280, height: 900 }, acceptDownloads: true, locale: 'en-US',
    ...options });
}

async function openAuthor(context) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  // The page runs under its Content-Security-Policy: whatever it refuses is a fault.
  page.on('console', (message) => {
    if (/Content Security Policy/i.test(message.text())) errors.push(message.text());
  });
  page.errors = errors;
  await page.goto(`http://127.0.0.1:${port}/author.html`);
  await page.waitForSelector('body[data-ready=true]');
  await checked(page);
  return page;
}

// Waits for the check of the last change.
function checked(page) {
  return page.waitForFunction(() => document.body.dataset.check === 'done' && !document.body.dataset.busy);
}

function saved(page) {
  return page.waitForFunction(() => document.body.dataset.savedVersion === String(window.trivoAuthor.state.version));
}

async function shoot(page, name) {
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: join(shots, `${name}.png`), fullPage: true });
}

async function type(page, selector, text) {
  await page.locator(selector).fill(text);
  await checked(page);
}

const questionId = (page, n) => page.locator('#questions > li').nth(n - 1).getAttribute('data-q');

async function diagnostics(page, field) {
  return page.locator(`[data-diag="${field}"] li`).evaluateAll((items) =>
    items.map((li) => `${li.className}: ${li.querySelector('.message').textContent}`));
}

function picture(name, size, colour) {
  const path = join(work, name);
  execFileSync('convert', ['-size', size, `xc:${colour}`, '-fill', 'white', '-draw', 'circle 30,30 45,45', path]);
  return path;
}

test('a picture quiz made in the form: diagnostics come and go, answers tried, the download is trivo build\'s', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  await shoot(page, 'author-new');
  const title = 'Fruits du verger';
  await page.locator('input[name=kind][value=picture]').check();
  await type(page, '#f-title', title);
  await type(page, '#f-creator', 'Claire Martin');
  await type(page, '#f-explanation', 'Nommez chaque fruit.');
  await page.locator('#f-reveal').selectOption('comment');
  await type(page, '#f-footer', 'Au verger');
  const q1 = await questionId(page, 1);
  await type(page, `#q${q1}-text`, 'Rouge et ronde');
  await type(page, `#q${q1}-answer`, 'Pomme');
  await type(page, `#q${q1}-comment`, 'Une par jour.');
  await page.locator(`[data-field="q:${q1}:picture"] input[type=file]`).setInputFiles(picture('pomme.jpg', '120x90', 'red'));
  await checked(page);
  await page.locator('#add-question').click();
  const q2 = await questionId(page, 2);
  assert.equal(await page.evaluate(() => document.activeElement.id), `q${q2}-text`, 'a new question takes the focus');
  await type(page, `#q${q2}-answer`, 'Poire');
  await page.locator(`[data-field="q:${q2}:picture"] input[type=file]`).setInputFiles(picture('poire.png', '100x140', 'green'));
  await checked(page);
  await type(page, '#f-code-0', 'PEPIN');
  await type(page, '#f-code-1', 'VERGER');

  // Shown at its fitted size, PNG through the project's decoder.
  const shown = page.locator(`[data-field="q:${q2}:picture"] img`);
  assert.deepEqual(await shown.evaluate((img) => [img.width, img.height, img.naturalWidth]), [185, 260, 100]);

  assert.deepEqual(await diagnostics(page, `q:${q2}:answer`), []);
  await type(page, `#q${q2}-answer`, 'Poi');
  const [warning] = await diagnostics(page, `q:${q2}:answer`);
  assert.match(warning, /^warning: .*3 characters or fewer/);
  assert.equal(await page.locator('#download').isDisabled(), false, 'a warning leaves the download');
  await type(page, `#q${q1}-answer`, 'Pomme 😀');
  const [error, ...more] = await diagnostics(page, `q:${q1}:answer`);
  assert.deepEqual(more, [], 'a refused answer has the one error that says why');
  assert.match(error, /^error: question 1 answer holds the character U\+1F600/);
  assert.equal(await page.locator(`#q${q1}-answer`).getAttribute('aria-invalid'), 'true');
  assert.equal(await page.locator('#download').isDisabled(), true, 'an error holds the download');
  assert.ok(await page.locator('#download-scorm-2004').isDisabled(), 'and the SCORM one');
  assert.match(await page.locator('#summary-line').textContent(), /^1 error, 1 warning\./);
  await shoot(page, 'author-en-diagnostics');
  await type(page, `#q${q1}-answer`, 'Pomme');
  await type(page, `#q${q2}-answer`, 'Poire');
  assert.deepEqual(await diagnostics(page, `q:${q1}:answer`), []);
  assert.deepEqual(await diagnostics(page, `q:${q2}:answer`), []);
  assert.equal(await page.locator('#download').isDisabled(), false);

  // "Try an answer": the player's verdict word and colour.
  const tryIt = page.locator(`#q${q1}-try-answer`);
  const verdict = page.locator(`#q${q1}-try-answer-verdict`);
  const colour = () => verdict.evaluate((e) => getComputedStyle(e).backgroundColor);
  await tryIt.fill(' pomme ');
  assert.equal(await verdict.textContent(), 'BRAVO');
  assert.equal(await colour(), 'rgb(0, 255, 0)');
  await tryIt.fill('Pome');
  assert.equal(await verdict.textContent(), core.verdict('Pomme', 'Pome').verdict);
  assert.equal(await colour(), 'rgb(255, 203, 38)');
  await tryIt.fill('Banane');
  assert.equal(await verdict.textContent(), 'FAUX');
  assert.equal(await colour(), 'rgb(255, 0, 0)');
  await shoot(page, 'author-en');

  const downloaded = page.waitForEvent('download');
  await page.locator('#download').click();
  const exeFile = await downloaded;
  assert.equal(exeFile.suggestedFilename(), 'Fruits-du-verger.exe');
  const exe = readFileSync(await exeFile.path());
  const zipped = page.waitForEvent('download');
  await page.locator('#export-zip').click();
  const zipFile = await zipped;
  assert.equal(zipFile.suggestedFilename(), 'Fruits-du-verger.zip');
  const exported = join(work, 'exported');
  const entries = await readZip(readFileSync(await zipFile.path()));
  assert.deepEqual(entries.map((e) => e.path).sort(), ['poire.png', 'pomme.jpg', 'quiz.toml']);
  for (const entry of entries) {
    mkdirSync(dirname(join(exported, entry.path)), { recursive: true });
    writeFileSync(join(exported, entry.path), entry.bytes);
  }
  const built = runTool(['build', join(exported, 'quiz.toml'), '-o', join(work, 'native.exe')]);
  assert.equal(built.code, 0, built.err);
  assert.ok(exe.equals(readFileSync(join(work, 'native.exe'))), 'the page\'s quiz.exe differs from trivo build\'s');
  const pageDownload = page.waitForEvent('download');
  await page.locator('#download-html').click();
  const pageFile = await pageDownload;
  assert.equal(pageFile.suggestedFilename(), 'Fruits-du-verger.html');
  assert.equal(runTool(['build', '--html', join(exported, 'quiz.toml'), '-o', join(work, 'native.html')]).code, 0);
  assert.ok(readFileSync(await pageFile.path()).equals(readFileSync(join(work, 'native.html'))), 'quiz.html differs');
  const scormDownload = page.waitForEvent('download');
  await page.locator('#download-scorm-12').click();
  const scormFile = await scormDownload;
  assert.equal(scormFile.suggestedFilename(), 'Fruits-du-verger-SCORM-1.2.zip');
  const scormBuilt = runTool(['build', '--scorm', '1.2', join(exported, 'quiz.toml'), '-o', join(work, 'native.zip')]);
  assert.equal(scormBuilt.code, 0, scormBuilt.err);
  assert.ok(readFileSync(await scormFile.path()).equals(readFileSync(join(work, 'native.zip'))), 'the SCORM zip differs');
  mkdirSync(pageQuiz, { recursive: true });
  writeFileSync(join(pageQuiz, 'quiz.exe'), exe);
  writeFileSync(join(pageQuiz, 'quiz.title'), title);
  writeFileSync(join(pageQuiz, 'quiz.answer'), 'Pomme');

  // "Play here": the web player opens the same quiz.
  const opened = context.waitForEvent('page');
  await page.locator('#play-here').click();
  const player = await opened;
  await player.waitForSelector('body[data-ready=true]');
  assert.equal(await player.locator('#title').textContent(), title);
  await player.locator('input[data-field="1"]').fill('pomme');
  await player.locator('input[data-field="1"]').press('Enter');
  assert.equal(await player.locator('#status-1').textContent(), 'BRAVO');
  assert.equal(await player.locator('#code').inputValue(), 'PEPIN');
  await player.close();

  // The same page in French and at a phone's width.
  await page.locator('button[data-lang=fr]').click();
  assert.equal(await page.locator('#download').textContent(), 'Télécharger quiz.exe');
  assert.match(await page.locator('.scorm-choice').textContent(), /^Télécharger pour une plateforme d’apprentissage \(SCORM\)/);
  assert.equal(await page.locator('html').getAttribute('lang'), 'fr');
  await shoot(page, 'author-fr');
  await page.setViewportSize({ width: 390, height: 844 });
  await shoot(page, 'author-fr-phone');
  await page.locator('button[data-lang=en]').click();
  await shoot(page, 'author-en-phone');
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
  assert.ok(overflow <= 0, `the phone page scrolls sideways by ${overflow} pixels`);
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('pictures larger than the frame, one dropped, one transparent: the download is trivo build\'s', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  await page.locator('input[name=kind][value=picture]').check();
  await type(page, '#f-title', 'Grande image');
  const q1 = await questionId(page, 1);
  await type(page, `#q${q1}-answer`, 'Soleil');
  const large = readFileSync(picture('soleil.jpg', '900x600', 'orange'));
  const dropped = await page.evaluateHandle((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'soleil.jpg', { type: 'image/jpeg' }));
    return transfer;
  }, [...large]);
  await page.dispatchEvent(`[data-field="q:${q1}:picture"] .picture-frame`, 'drop', { dataTransfer: dropped });
  await checked(page);
  const shown = page.locator(`[data-field="q:${q1}:picture"] img`);
  assert.deepEqual(await shown.evaluate((img) => [img.width, img.height]), [260, 173]);
  assert.match((await diagnostics(page, `q:${q1}:picture`)).join(), /^warning: .*900 x 600 .*far more than the 260 x 260 frame/);
  // A transparent PNG is laid over the background by the build, as the player would show it.
  await page.locator('#f-reveal').selectOption('picture');
  await type(page, '#f-background', '#F2E8CF');
  const halo = join(work, 'halo.png');
  execFileSync('convert', ['-size', '600x400', 'xc:none', '-fill', 'blue', '-draw', 'circle 300,200 300,20', halo]);
  await page.locator(`[data-field="q:${q1}:answerPicture"] input[type=file]`).setInputFiles(halo);
  await checked(page);
  assert.match((await diagnostics(page, `q:${q1}:answerPicture`)).join(), /transparent/);

  const downloaded = page.waitForEvent('download');
  await page.locator('#download').click();
  const exe = readFileSync(await (await downloaded).path());
  const zipped = page.waitForEvent('download');
  await page.locator('#export-zip').click();
  const folder = join(work, 'large');
  mkdirSync(folder, { recursive: true });
  for (const entry of await readZip(readFileSync(await (await zipped).path()))) {
    writeFileSync(join(folder, entry.path), entry.bytes);
  }
  assert.deepEqual(page.errors, []);
  await context.close();
  const native = runTool(['build', join(folder, 'quiz.toml'), '-o', join(work, 'large.exe')]);
  assert.equal(native.code, 0, native.err);
  assert.ok(exe.equals(readFileSync(join(work, 'large.exe'))), 'the page\'s quiz.exe differs from trivo build\'s');
  const kept = runTool(['build', '--keep-pictures', join(folder, 'quiz.toml'), '-o', join(work, 'large-kept.exe')]);
  assert.ok(exe.length < readFileSync(join(work, 'large-kept.exe')).length, 'the pictures were stored fitted');
});

// Everything the form shows, media by presence (an unpacked quiz names its
// files question01.jpg..., and trivo build may have fitted them).
async function formState(page) {
  return page.evaluate(() => {
    const value = (e) => (e.type === 'radio' ? (e.checked ? e.value : null) : e.value);
    const header = {};
    for (const e of document.querySelectorAll('.group [data-key]:not([data-q]), input[type=radio]')) {
      const v = value(e);
      if (v !== null) header[e.dataset.key || e.name] = v;
    }
    const codes = [...document.querySelectorAll('#codes input')].map((e) => e.value);
    const questions = [...document.querySelectorAll('#questions > li')].map((li) => {
      const q = {};
      for (const e of li.querySelectorAll('input[data-key]')) q[e.dataset.key] = e.value;
      for (const slot of li.querySelectorAll('.media-slot')) {
        q[slot.dataset.drop] = slot.querySelector('img, audio, video, .media-info')?.textContent !== '' ? 'shown' : 'none';
      }
      return q;
    });
    return { header, codes, questions, errors: window.trivoAuthor.state.errors };
  });
}

test('every example fills the same form from its source and media as from its executable', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  page.on('dialog', (dialog) => dialog.accept());
  const names = readdirSync(quizDir).filter((n) => n.endsWith('.exe')).map((n) => n.slice(0, -4)).sort();
  assert.ok(names.length >= 4, `only ${names.length} examples`);
  for (const name of names) {
    await page.locator('#open-folder').setInputFiles(join(examplesDir, name));
    await checked(page);
    const fromSource = await formState(page);
    assert.match(await page.locator('#notice').textContent(), /Opened/, name);
    assert.equal(fromSource.errors, 0, `${name}: ${await page.locator('#general-diagnostics').textContent()}`);
    await page.locator('#open-files').setInputFiles(join(quizDir, `${name}.exe`));
    await checked(page);
    const fromExe = await formState(page);
    assert.deepEqual(fromExe, fromSource, name);
    assert.ok(fromSource.questions.length >= 3, name);
    assert.ok(fromSource.questions.every((q) => q.answer !== ''), `${name}: the answers are in the form`);
  }
  // A zip of a source folder, and the files picked one by one (without
  // their folders: clips/ is found by name).
  const zipPath = join(work, 'audio.zip');
  execFileSync('python3', ['-c', `
import sys, zipfile, os
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for folder, _, files in os.walk(sys.argv[2]):
        for f in files:
            full = os.path.join(folder, f)
            z.write(full, os.path.join('audio', os.path.relpath(full, sys.argv[2])))`, zipPath, join(examplesDir, 'audio')]);
  await page.locator('#open-folder').setInputFiles(join(examplesDir, 'audio'));
  await checked(page);
  const audio = await formState(page);
  await page.locator('#open-files').setInputFiles(zipPath);
  await checked(page);
  assert.deepEqual(await formState(page), audio, 'from the zip');
  const clips = readdirSync(join(examplesDir, 'audio', 'clips')).map((n) => join(examplesDir, 'audio', 'clips', n));
  await page.locator('#open-files').setInputFiles([join(examplesDir, 'audio', 'quiz.toml'), ...clips]);
  await checked(page);
  assert.deepEqual(await formState(page), audio, 'from files picked one by one');
  await shoot(page, 'author-audio');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('the draft is kept across a reload, and leaving with an unexported change asks first', async () => {
  const context = await newContext({ locale: 'fr-FR' });
  const page = await openAuthor(context);
  assert.equal(await page.locator('#new-quiz').textContent(), 'Nouveau quiz', 'French from the browser\'s language');
  const dialogs = [];
  page.on('dialog', (dialog) => {
    dialogs.push(dialog.type());
    dialog.accept();
  });
  await page.locator('#f-title').click();
  await page.locator('input[name=kind][value=picture]').check();
  await type(page, '#f-title', 'Brouillon gardé');
  const q1 = await questionId(page, 1);
  await type(page, `#q${q1}-answer`, 'Cerise');
  await page.locator(`[data-field="q:${q1}:picture"] input[type=file]`).setInputFiles(picture('cerise.gif', '80x80', 'purple'));
  await checked(page);
  await page.locator('#add-question').click();
  const q2 = await questionId(page, 2);
  await type(page, `#q${q2}-answer`, 'Prune');
  // Reordered with the keyboard: the moved question keeps the focus.
  await page.locator(`button[data-q="${q2}"][data-action=up]`).focus();
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.action), 'down');
  await checked(page);
  await saved(page);
  const before = await formState(page);
  assert.equal(before.questions[0].answer, 'Prune');

  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  await checked(page);
  assert.deepEqual(dialogs, ['beforeunload'], 'an unexported change asks before leaving');
  assert.deepEqual(await formState(page), before);
  assert.match(await page.locator('#notice').textContent(), /restauré/);
  assert.equal(await page.locator('[data-field] img').count(), 1, 'the picture came back with the draft');

  const zipped = page.waitForEvent('download');
  await page.locator('#export-zip').click();
  await zipped;
  await saved(page);
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  assert.deepEqual(dialogs, ['beforeunload'], 'nothing to ask once exported');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('imports the page cannot take say why and keep the draft', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  await type(page, '#f-title', 'À garder');
  const evil = join(work, 'evil.zip');
  execFileSync('python3', ['-c', `
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('quiz.toml', 'title = "x"')
    z.writestr('../../outside.jpg', 'x')`, evil]);
  const broken = join(work, 'broken.toml');
  writeFileSync(broken, 'title = "Sans fin\nkind = "text"\n');
  const notAQuiz = join(work, 'notes.exe');
  writeFileSync(notAQuiz, Buffer.concat([Buffer.from('MZ'), Buffer.alloc(200)]));
  const big = join(work, 'big.toml');
  writeFileSync(big, `title = "${'x'.repeat(1100000)}"\n`);
  const tables = join(work, 'tables.toml');
  writeFileSync(tables, 'title = "T"\n[look]\nshade = "blue"\n');
  const cases = [
    [big, /big\.toml is larger than the page reads \(1\.0 MB at most\)/],
    [tables, /cannot hold these tables of the source: look\./],
    [evil, /would be written outside its folder/],
    [broken, /broken\.toml, line 1/],
    [notAQuiz, /notes\.exe/],
    [join(examplesDir, 'make_pictures.sh'), /None of these files is a quiz source/],
  ];
  for (const [file, message] of cases) {
    await page.locator('#open-files').setInputFiles(file);
    await checked(page);
    assert.match(await page.locator('#notice').textContent(), message, file);
    assert.equal(await page.locator('#f-title').inputValue(), 'À garder', file);
    await page.evaluate(() => { document.getElementById('notice').hidden = true; });
  }
  assert.deepEqual(page.errors, []);
  await context.close();
});

// The errors `trivo check` gives for a source, as their messages.
function toolErrors(source) {
  const run = runTool(['check', source]);
  return `${run.out}${run.err}`.split('\n').map((line) => /^.*?:\d+: (?!warning: )(.*)$/.exec(line)?.[1])
    .filter(Boolean).sort();
}

test('a source is checked as written: a refused kind shows beside its field and holds the download, an unknown key goes back out; no axe fault in either language', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  assert.deepEqual(await accessibilityFaults(page), [], 'a new quiz');
  const folder = join(work, 'textt');
  mkdirSync(folder, { recursive: true });
  const source = join(folder, 'quiz.toml');
  writeFileSync(source, 'title = "Faute de frappe"\nkind = "textt"\nshade = "blue"\n\n[[question]]\nanswer = "Pomme"\n');
  await page.locator('#open-files').setInputFiles(source);
  await checked(page);
  const pageErrors = await page.locator('#general-diagnostics li.error .message').allTextContents();
  assert.deepEqual(pageErrors.sort(), toolErrors(source));
  assert.ok((await diagnostics(page, 'kind')).some((d) => d.startsWith('error') && d.includes('textt')));
  assert.ok(await page.locator('#download').isDisabled());
  assert.equal(await page.locator('input[name=kind]:checked').count(), 0, 'no kind is shown as picked');
  await shoot(page, 'author-kept-keys');
  assert.deepEqual(await accessibilityFaults(page), [], 'diagnostics shown, in English');
  await page.locator('button[data-lang=fr]').click();
  assert.deepEqual(await accessibilityFaults(page), [], 'diagnostics shown, in French');

  const zipped = page.waitForEvent('download');
  await page.locator('#export-zip').click();
  const files = await readZip(readFileSync(await (await zipped).path()));
  const text = new TextDecoder().decode(files.find((f) => f.path === 'quiz.toml').bytes);
  assert.match(text, /^kind = "textt"$/m);
  assert.match(text, /^shade = "blue"$/m);
  await page.locator('input[name=kind][value=text]').check();
  await checked(page);
  assert.deepEqual(await diagnostics(page, 'kind'), [], 'a picked kind replaces the kept one');
  assert.ok(await page.locator('#download').isDisabled(), 'the unknown key still holds the download');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('a zip whose names clash is refused by name; a kept draft that cannot be restored is set aside and the page starts', async () => {
  const context = await newContext();
  const page = await openAuthor(context);
  await type(page, '#f-title', 'Avant');
  const clash = join(work, 'clash.zip');
  execFileSync('python3', ['-c', `
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('quiz.toml', 'kind = "picture"\\n[[question]]\\nanswer = "a"\\npicture = "quiz.toml/x.jpg"\\n'
               '[[question]]\\nanswer = "b"\\npicture = "a.jpg"\\nanswer_picture = "a.jpg/b.jpg"\\n')
    for name in ('x.jpg', 'a.jpg', 'a.jpg/b.jpg'):
        z.writestr(name, 'not a picture')`, clash]);
  await page.locator('#open-files').setInputFiles(clash);
  await checked(page);
  assert.match(await page.locator('#notice').textContent(), /: quiz\.toml\/x\.jpg, a\.jpg, a\.jpg\/b\.jpg\./);
  assert.equal(await page.locator('#f-title').inputValue(), 'Avant');
  await saved(page);

  // A draft an earlier page kept with such names.
  await page.evaluate(() => new Promise((resolve, reject) => {
    const request = indexedDB.open('trivo-author', 1);
    request.onsuccess = () => {
      const transaction = request.result.transaction('drafts', 'readwrite');
      const store = transaction.objectStore('drafts');
      store.put({ model: { title: 'Cassé', kind: 'picture', codes: [], questions: [
        { answer: 'a', picture: 'a.jpg', answerPicture: 'a.jpg/b.jpg' }] }, dirty: true }, 'current');
      store.put(new Uint8Array([1, 2, 3]), 'media:a.jpg');
      store.put(new Uint8Array([4, 5, 6]), 'media:a.jpg/b.jpg');
      transaction.oncomplete = resolve;
      transaction.onerror = () => reject(transaction.error);
    };
  }));
  page.on('dialog', (dialog) => dialog.accept());
  for (let visit = 0; visit < 2; visit++) {
    await page.reload();
    await page.waitForSelector('body[data-ready=true]');
    await checked(page);
    assert.ok(await page.locator('#export-aside').isVisible(), 'the set-aside draft can be exported');
    if (visit === 0) assert.match(await page.locator('#notice').textContent(), /set aside.*\(a\.jpg, a\.jpg\/b\.jpg\)|\(a\.jpg, a\.jpg\/b\.jpg\).*set aside/);
  }
  await type(page, '#f-title', 'Après');
  await saved(page);
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  assert.equal(await page.locator('#f-title').inputValue(), 'Après', 'the page works on and keeps its new draft');
  const zipped = page.waitForEvent('download');
  await page.locator('#export-aside').click();
  const files = await readZip(readFileSync(await (await zipped).path()));
  assert.deepEqual(files.map((f) => f.path).sort(), ['draft.json', 'media/a.jpg', 'media/a.jpg/b.jpg']);
  assert.equal(JSON.parse(new TextDecoder().decode(files[0].bytes)).title, 'Cassé');
  assert.deepEqual(page.errors, []);
  await context.close();
});
