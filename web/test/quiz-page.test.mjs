// quiz.html, the one-file page `trivo html` makes, opened from file:// in
// Chromium with the network cut: it asks for nothing but its own file and
// plays as play.html plays the same quiz (same page after the same keys),
// keeps the answers under the executable's SHA-256 across a reload, and
// "Sauver" downloads the very file play.html downloads.
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { cpSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { newCore, quizDir, repoDir, runTool } from './core-support.mjs';
import { startSite } from './site-support.mjs';

const pagesDir = join(repoDir, 'build', 'quiz-pages');
const webAnswers = join(repoDir, 'build', 'web-answers', 'page');
const port = 19000 + (process.pid % 1000);
const core = await newCore();
const exes = readdirSync(quizDir).filter((n) => n.endsWith('.exe'));
let site;

function answersOf(name) {
  return [...core.unpack(readFileSync(join(quizDir, name))).toml.matchAll(/^answer = "(.*)"$/gm)].map((m) => m[1]);
}

before(async () => {
  mkdirSync(pagesDir, { recursive: true });
  for (const name of exes) {
    const made = runTool(['html', join(quizDir, name), '-o', join(pagesDir, name.replace(/\.exe$/, '.html'))]);
    assert.equal(made.code, 0, made.err);
  }
  site = await startSite(port, 'play.html');
  mkdirSync(join(site.root, 'quizzes'));
  for (const name of exes) cpSync(join(quizDir, name), join(site.root, 'quizzes', name));
});

after(async () => {
  if (site) await site.stop();
});

// The page from file:// with every request but its own file refused; the
// requests it made (blob: and data: are the page's own memory) and its errors.
async function openOffline(context, name) {
  const url = pathToFileURL(join(pagesDir, name.replace(/\.exe$/, '.html'))).href;
  const requests = [];
  await context.route('**/*', (route) => (route.request().url() === url ? route.continue() : route.abort()));
  await context.setOffline(true);
  const page = await context.newPage();
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(error.message));
  page.on('console', (message) => message.type() === 'error' && page.errors.push(message.text()));
  page.on('request', (request) => /^(blob|data):/.test(request.url()) || requests.push(request.url()));
  await page.goto(url);
  await page.waitForSelector('body[data-ready=true]');
  return { page, url, requests };
}

async function openServed(context, name) {
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${port}/play.html?quiz=quizzes/${name}`);
  await page.waitForSelector('body[data-ready=true]');
  return page;
}

const field = (page, k) => page.locator(`input[data-field="${k}"]`);

// A right answer, a near one, F1 from a third field, "Cacher" when offered,
// the first clip started when there are clips.
async function play(page, answers) {
  if (await page.locator('.clip-buttons').count()) await page.locator('.clip-buttons button').first().click();
  await field(page, 1).fill(answers[0]);
  await field(page, 1).press('Enter');
  await field(page, 1).press('Tab');
  await field(page, 2).fill(answers[1].slice(0, -1));
  await field(page, 2).press('Enter');
  await field(page, 3).fill(answers[2]);
  await field(page, 3).press('F1');
  if (await page.locator('#hide-label').isVisible()) await page.locator('#hide').check();
}

// What the player sees: header, the pane's markup (object URLs differ from
// page to page) and every field's text and verdict colour.
function seen(page) {
  return page.evaluate(() => ({
    header: document.getElementById('header').innerText,
    code: document.getElementById('code').value,
    pane: document.getElementById('pane').outerHTML.replace(/blob:[^"]+/g, 'blob:'),
    fields: [...document.querySelectorAll('input[data-field]')].map((e) => e.value),
    colours: [...document.querySelectorAll('.status')].map((e) => getComputedStyle(e).backgroundColor),
    scroll: window.scrollY,
  }));
}

async function download(page, key) {
  const saved = page.waitForEvent('download');
  await page.keyboard.press(key);
  const file = await saved;
  return { name: file.suggestedFilename(), bytes: readFileSync(await file.path()) };
}

test('trivo build --html writes the page trivo html makes of the built quiz; the demo page is at most 450 KB', () => {
  const source = join(repoDir, 'examples', 'demo', 'quiz.toml');
  const built = runTool(['build', source, '-o', join(pagesDir, 'built.exe')]);
  assert.equal(built.code, 0, built.err);
  assert.equal(runTool(['build', '--html', source, '-o', join(pagesDir, 'built.html')]).code, 0);
  assert.equal(runTool(['html', join(pagesDir, 'built.exe'), '-o', join(pagesDir, 'twin.html')]).code, 0);
  assert.ok(readFileSync(join(pagesDir, 'built.html')).equals(readFileSync(join(pagesDir, 'twin.html'))));
  assert.ok(statSync(join(pagesDir, 'demo.html')).size <= 450 * 1024, `${statSync(join(pagesDir, 'demo.html')).size}`);
  const refused = runTool(['html', source, '-o', join(pagesDir, 'not.html')]);
  assert.equal(refused.code, 1);
  assert.match(refused.err, /not a quiz executable/);
});

test("the core opens the page's quiz pack under the executable's SHA-256 and refuses a damaged one", () => {
  const page = readFileSync(join(pagesDir, 'demo.html'), 'utf8');
  const pack = Buffer.from(page.match(/<script type="application\/octet-stream" id="trivo-quiz">([^<]*)</)[1], 'base64');
  const exe = readFileSync(join(quizDir, 'demo.exe'));
  const opened = core.openQuiz(pack);
  assert.equal(opened.ok, true, opened.error);
  assert.equal(opened.quiz.hash, createHash('sha256').update(exe).digest('hex'));
  assert.deepEqual(opened.quiz.questions, core.openQuiz(exe).quiz.questions);
  pack[pack.length >> 1] ^= 0x10;
  const damaged = core.openQuiz(pack);
  assert.equal(damaged.ok, false);
  assert.match(damaged.error, /endommagé/);
});

test('every example from file:// offline asks for nothing else and plays as play.html', async () => {
  for (const name of exes) {
    const answers = answersOf(name);
    const offline = await site.browser.newContext({ viewport: { width: 1100, height: 800 } });
    const served = await site.browser.newContext({ viewport: { width: 1100, height: 800 } });
    const { page, url, requests } = await openOffline(offline, name);
    const twin = await openServed(served, name);
    await play(page, answers);
    await play(twin, answers);
    assert.deepEqual(await seen(page), await seen(twin), name);
    assert.deepEqual(requests, [url], name);
    assert.deepEqual(page.errors, [], name);
    await offline.close();
    await served.close();
  }
});

test('picture page: answers kept under the SHA-256 across a reload, Sauver as play.html, loaded back', async () => {
  const answers = answersOf('picture.exe');
  const offline = await site.browser.newContext({ viewport: { width: 1100, height: 800 }, acceptDownloads: true });
  const served = await site.browser.newContext({ viewport: { width: 1100, height: 800 }, acceptDownloads: true });
  const { page } = await openOffline(offline, 'picture.exe');
  const twin = await openServed(served, 'picture.exe');
  await play(page, answers);
  await play(twin, answers);
  const before = await seen(page);
  const hash = createHash('sha256').update(readFileSync(join(quizDir, 'picture.exe'))).digest('hex');
  assert.deepEqual(await page.evaluate(() => Object.keys(localStorage)), [`trivo:answers:${hash}`]);

  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  assert.equal(await page.locator('#hide').isChecked(), false);
  if (await page.locator('#hide-label').isVisible()) await page.locator('#hide').check();
  assert.deepEqual({ ...(await seen(page)), scroll: 0 }, { ...before, scroll: 0 });

  const saved = await download(page, 'F2');
  const expected = await download(twin, 'F2');
  assert.equal(saved.name, 'picture.txt');
  assert.ok(saved.bytes.equals(expected.bytes), saved.bytes.toString('latin1'));
  mkdirSync(webAnswers, { recursive: true });
  writeFileSync(join(webAnswers, 'picture.txt'), saved.bytes);
  writeFileSync(join(webAnswers, 'picture.score'), (await page.locator('#score').textContent()).trim() + '\n');

  const other = Buffer.from(answers.map((a) => a + '\r\n').join(''), 'latin1');
  await page.locator('#answers-file').setInputFiles({ name: 'picture.txt', mimeType: 'text/plain', buffer: other });
  // The file is read asynchronously: the score follows once it is judged.
  const all = ` ${answers.length} / ${answers.length}`;
  await page.waitForFunction((text) => document.querySelector('#score').textContent === text, all, { timeout: 5000 })
    .catch(() => {});
  assert.equal(await page.locator('#score').textContent(), all);
  assert.ok((await download(page, 'F2')).bytes.equals(other));
  assert.deepEqual(page.errors, []);
  await offline.close();
  await served.close();
});
