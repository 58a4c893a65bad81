// The page in Chromium over http://127.0.0.1, under its Content-Security-Policy:
// every example opens, verdicts, colours, score, code, reveals, "Cacher", F1,
// reload and the answers file, clips, hostile and oversized quizzes, storage
// failures, quick opens, answers kept under the old key, foreign addresses
// and the WCAG 2.2 AA rules.
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { cpSync, mkdirSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { LIMITS } from '../site/core-api.js';
import { fnv1a64, quizDir, repoDir, newCore } from './core-support.mjs';
import { accessibilityViolations, pictureQuiz, singleColourPng, startSite, watchCsp } from './site-support.mjs';

const shots = process.env.TRIVO_WEB_SHOTS || join(repoDir, 'build', 'web-shots');
// Answers files the page wrote, with the score it showed, for the Windows
// player to open in turn (scripts/test-web.sh).
const webAnswers = join(repoDir, 'build', 'web-answers');
const port = 18000 + (process.pid % 1000);
let site;
let root;
let browser;
const core = await newCore();

function answersOf(name) {
  const toml = core.unpack(readFileSync(join(quizDir, name))).toml;
  return [...toml.matchAll(/^answer = "(.*)"$/gm)].map((m) => m[1]);
}

before(async () => {
  site = await startSite(port, 'play.html');
  ({ root, browser } = site);
  mkdirSync(join(root, 'quizzes'));
  for (const name of readdirSync(quizDir)) cpSync(join(quizDir, name), join(root, 'quizzes', name));
  mkdirSync(shots, { recursive: true });
});

after(async () => {
  if (site) await site.stop();
});

async function newContext(options = {}) {
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 }, ...options });
  await watchCsp(context);
  return context;
}

async function openPage(context, name) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`http://127.0.0.1:${port}/play.html${name ? `?quiz=${name.startsWith('http') ? name : `quizzes/${name}`}` : ''}`);
  await page.waitForSelector('body[data-ready=true]');
  page.errors = errors;
  return page;
}

// No script error and nothing the Content-Security-Policy blocked.
async function assertClean(page, what) {
  assert.deepEqual(page.errors, [], what);
  assert.deepEqual(await page.evaluate(() => window.cspViolations), [], what);
}

// Drops files made in the page, as a player drops them from the desktop.
async function drop(page, files) {
  await page.evaluate((files) => {
    for (const { name, bytes, size } of files) {
      const data = new DataTransfer();
      data.items.add(new File([bytes ? new Uint8Array(bytes) : new Uint8Array(size)], name));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: data, cancelable: true }));
    }
  }, files);
}

const status = (page, k) => page.locator(`#status-${k}`);
const field = (page, k) => page.locator(`input[data-field="${k}"]`);
const colour = (page, k) => status(page, k).evaluate((e) => getComputedStyle(e).backgroundColor);

async function type(page, k, text) {
  await field(page, k).fill(text);
  await field(page, k).press('Enter');
}

test('every example opens with its title and judges right, near and wrong answers', async () => {
  const context = await newContext();
  for (const name of readdirSync(quizDir).filter((n) => n.endsWith('.exe'))) {
    const page = await openPage(context, name);
    const answers = answersOf(name);
    assert.notEqual(await page.locator('#title').textContent(), '', name);
    const total = answers.length;
    assert.equal(await page.locator('#score').textContent(), ` 0 / ${total}`, name);
    assert.equal(await status(page, 1).textContent(), '?');
    await type(page, 1, answers[0].slice(0, -1));
    assert.equal(await status(page, 1).textContent(), core.judge(answers[0], answers[0].slice(0, -1)).text, name);
    await type(page, 1, 'zzzzzzzz');
    assert.equal(await status(page, 1).textContent(), 'FAUX', name);
    assert.equal(await colour(page, 1), 'rgb(255, 0, 0)');
    await type(page, 1, ` ${answers[0].toLowerCase()} `);
    assert.equal(await status(page, 1).textContent(), 'BRAVO', name);
    assert.equal(await colour(page, 1), 'rgb(0, 255, 0)');
    await page.screenshot({ path: join(shots, `${name}.png`), fullPage: true });
    await assertClean(page, name);
    await page.close();
  }
  await context.close();
});

test('picture quiz: score and code, reveals, Cacher, F1, reload and the answers file', async () => {
  const context = await newContext({ acceptDownloads: true });
  const page = await openPage(context, 'picture.exe');
  const answers = answersOf('picture.exe');
  const picture = (k) => page.locator('.cell').nth(k).locator('canvas[role=img]');
  await picture(0).waitFor();
  assert.deepEqual(await picture(0).evaluate((c) => [c.width, c.height, c.getAttribute('aria-label')]),
    [260, 173, 'Image de la question 1']);
  await type(page, 1, answers[0]);
  assert.equal(await page.locator('#score').textContent(), ' 1 / 6');
  assert.equal(await page.locator('#code').inputValue(), 'TOUR');
  // comment-and-picture: the comment shows and the answer picture replaces the flag.
  assert.equal(await page.locator('.cell').nth(0).locator('.comment').isHidden(), false);
  assert.equal(await page.locator('.cell').nth(1).locator('.comment').isHidden(), true);
  await page.waitForSelector('.cell:first-child canvas[aria-label="Image de la réponse 1"]');

  await page.locator('#hide').check();
  assert.equal(await page.locator('.cell').nth(0).evaluate((e) => e.classList.contains('folded')), true);
  assert.equal(await picture(0).isVisible(), false);
  await page.locator('#hide').uncheck();
  assert.equal(await picture(0).isVisible(), true);

  // F1 fills every field not yet right; only the one it fits turns right.
  await field(page, 2).fill(answers[2]);
  await field(page, 2).press('F1');
  for (let k = 2; k <= 6; k++) assert.equal(await field(page, k).inputValue(), answers[2], `field ${k}`);
  assert.equal(await field(page, 1).inputValue(), answers[0]);
  assert.equal(await status(page, 3).textContent(), 'BRAVO');
  assert.equal(await page.locator('#score').textContent(), ' 2 / 6');

  const download = page.waitForEvent('download');
  await field(page, 4).press('F2');
  const file = await download;
  assert.equal(file.suggestedFilename(), 'picture.txt');
  const saved = readFileSync(await file.path());
  const expected = Buffer.from([answers[0], ...Array(5).fill(answers[2])].map((a) => a + '\r\n').join(''), 'latin1');
  assert.ok(saved.equals(expected), `answers file: ${JSON.stringify(saved.toString('latin1'))}`);

  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  assert.equal(await page.locator('#score').textContent(), ' 2 / 6');
  assert.equal(await status(page, 1).textContent(), 'BRAVO');
  assert.equal(await field(page, 5).inputValue(), answers[2]);

  // A character Windows-1252 lacks is held as '?', in the field as in the file.
  await type(page, 6, 'Ł😀');
  assert.equal(await field(page, 6).inputValue(), '??');
  await page.setViewportSize({ width: 390, height: 800 });
  await page.screenshot({ path: join(shots, 'picture-phone.png'), fullPage: true });
  const columns = await page.locator('.grid').evaluate((e) => getComputedStyle(e).gridTemplateColumns.split(' ').length);
  assert.equal(columns, 1);
  assert.equal(await page.locator('#storage-problem').isHidden(), true);
  await assertClean(page, 'picture.exe');
  await context.close();
});

test('picture quiz: an answers file with two right, a near miss and a wrong one, kept for the Windows player', async () => {
  const context = await newContext({ acceptDownloads: true });
  const page = await openPage(context, 'picture.exe');
  const answers = answersOf('picture.exe');
  const near = answers[1].slice(0, -1);
  // Field 5 holds a letter beyond ASCII, one byte in Windows-1252.
  const typed = [answers[0], near, answers[2].toLowerCase(), 'zzzz', answers[4].slice(0, -1), ''];
  for (let k = 1; k <= 5; k++) await type(page, k, typed[k - 1]);
  assert.equal(await status(page, 1).textContent(), 'BRAVO');
  assert.equal(await status(page, 2).textContent(), core.judge(answers[1], near).text);
  assert.notEqual(await status(page, 2).textContent(), 'FAUX');
  assert.equal(await status(page, 3).textContent(), 'BRAVO');
  assert.equal(await status(page, 4).textContent(), 'FAUX');
  const score = await page.locator('#score').textContent();
  assert.equal(score, ` 2 / ${answers.length}`);

  const download = page.waitForEvent('download');
  await field(page, 1).press('F2');
  const saved = readFileSync(await (await download).path());
  const expected = Buffer.from(typed.map((a) => a + '\r\n').join(''), 'latin1');
  assert.ok(saved.equals(expected), `answers file: ${JSON.stringify(saved.toString('latin1'))}`);
  mkdirSync(webAnswers, { recursive: true });
  writeFileSync(join(webAnswers, 'picture.txt'), saved);
  writeFileSync(join(webAnswers, 'picture.score'), score.trim() + '\n');
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('a file that is not a quiz, a quiz too large and one from another site are refused with a message', async () => {
  const context = await newContext();
  const page = await openPage(context, '../play.html');
  assert.match(await page.locator('#problem').textContent(), /n'est pas un quiz Trivo/);
  assert.equal(await page.locator('#header').isHidden(), true);
  await drop(page, [{ name: 'big.exe', size: LIMITS.quizBytes + 1 }]);
  assert.match(await page.locator('#problem').textContent(), /^Ce fichier fait 64 Mo : .* de plus de 64 Mo\./);

  const requests = [];
  context.on('request', (request) => requests.push(request.url()));
  const foreign = await openPage(context, `http://localhost:${port}/quizzes/text.exe`);
  assert.match(await foreign.locator('#problem').textContent(), /n'est pas sur ce site/);
  assert.equal(await foreign.locator('#header').isHidden(), true);
  assert.deepEqual(requests.filter((url) => new URL(url).hostname === 'localhost'), []);
  await assertClean(page, 'refusals');
  await context.close();
});

test('a stored PNG the decoder refuses leaves its frame empty and says which picture', async () => {
  const exe = readFileSync(join(quizDir, 'picture.exe'));
  // The first deflate block of the first stored PNG (the player's code holds
  // the signature too, but not followed by a header chunk) gets a reserved
  // block type.
  const signature = exe.indexOf(Buffer.from('\x89PNG\r\n\x1a\n\0\0\0\rIHDR', 'latin1'));
  const idat = exe.indexOf('IDAT', signature, 'latin1');
  assert.ok(signature > 0 && idat > signature);
  exe[idat + 4 + 2] = 0xff;
  writeFileSync(join(root, 'quizzes', 'broken-picture.bin'), exe);
  const context = await newContext();
  const page = await openPage(context, 'broken-picture.bin');
  // Every answer right: the answer pictures are decoded too.
  const answers = answersOf('picture.exe');
  for (let k = 1; k <= answers.length; k++) await type(page, k, answers[k - 1]);
  const told = page.locator('.clip-problem', { hasText: "Error: couldn't decode PNG resource" });
  await told.first().waitFor();
  assert.match(await told.first().textContent(), /^Error: couldn't decode PNG resource \(image de la (question|réponse) \d+\)$/);
  assert.equal(await page.locator('input[data-field]').count(), answers.length);
  await page.screenshot({ path: join(shots, 'broken-picture.png') });
  await assertClean(page, 'broken picture');
  await context.close();
});

test('PNG bombs: 24 questions of one 8192 x 8192 picture open with every question and the refusal told', async () => {
  const exe = pictureQuiz(join(repoDir, 'build', 'web-made', 'png-bomb-24'), 24, 'bomb.png',
    singleColourPng(8192, 8192, [200, 40, 40]));
  cpSync(exe, join(root, 'quizzes', 'bomb.exe'));
  const context = await newContext();
  const page = await openPage(context, 'bomb.exe');
  assert.equal(await page.locator('input[data-field]').count(), 24);
  await page.locator('.clip-problem', { hasText: /^Error: couldn't decode PNG resource \(image de la question \d+\)$/ })
    .first().waitFor();
  await assertClean(page, 'bomb');
  await context.close();
});

test('clips: a WAV and an MP3 play one at a time, stop stops them, a format the browser lacks offers its file', async () => {
  const context = await newContext();
  const page = await openPage(context, 'audio.exe');
  const clip = (q) => page.evaluate((q) => {
    const player = window.trivoPage.cells[q].player;
    return player ? { time: player.currentTime, paused: player.paused } : null;
  }, q);
  const playing = (q) => page.waitForFunction((q) => window.trivoPage.cells[q].player?.currentTime > 0.05, q);
  const play = (q) => page.getByRole('button', { name: `Question ${q} : lire le clip` }).click();
  await play(1);
  await playing(1);
  await play(5);
  await playing(5);
  assert.deepEqual(await clip(1), { time: 0, paused: true }, 'starting the MP3 stopped the WAV');
  await page.locator('.cell').nth(4).getByRole('button', { name: 'Arrêter le clip' }).click();
  assert.deepEqual(await clip(5), { time: 0, paused: true });
  assert.equal(await page.locator('.clip-problem').filter({ hasText: /./ }).count(), 0);
  await assertClean(page, 'audio');

  const video = await openPage(context, 'video.exe');
  await video.getByRole('button', { name: 'Question 1 : lire le clip' }).click();
  const told = video.locator('.cell').nth(0).locator('.clip-problem');
  assert.equal(await told.textContent(), 'Ce navigateur ne lit pas ce clip : télécharger le clip (AVI)');
  assert.equal(await told.locator('a').getAttribute('download'), 'question01.avi');
  await assertClean(video, 'video');
  await context.close();
});

test('a browser that stops keeping the answers says so once, and names "Sauver"', async () => {
  const context = await newContext();
  await context.addInitScript(() => {
    Storage.prototype.setItem = () => {
      throw new DOMException('full', 'QuotaExceededError');
    };
  });
  const page = await openPage(context, 'picture.exe');
  await type(page, 1, 'un');
  await type(page, 2, 'deux');
  assert.equal(await status(page, 2).textContent(), 'FAUX', 'the page still plays');
  const told = page.locator('#storage-problem');
  assert.equal(await told.textContent(),
    'Ce navigateur ne garde plus vos réponses (stockage plein ou refusé). Cliquez sur « Sauver » pour les garder dans un fichier.');
  assert.equal(await page.locator('[role=alert]:visible').count(), 1);
  await assertClean(page, 'storage');
  await context.close();
});

test('answers kept under the old key come back, move to the new key, and a later open wins over an earlier one', async () => {
  const bytes = readFileSync(join(quizDir, 'picture.exe'));
  const answers = answersOf('picture.exe');
  const context = await newContext();
  await context.addInitScript(([key, text]) => {
    if (!sessionStorage.getItem('seeded')) localStorage.setItem(key, text);
    sessionStorage.setItem('seeded', '1');
  }, [`trivo:answers:${fnv1a64(bytes)}`, `${answers[0]}\r\n\r\n${answers[2]}\r\n`]);
  const page = await openPage(context, 'picture.exe');
  assert.equal(await page.locator('#score').textContent(), ' 2 / 6');
  assert.equal(await field(page, 3).inputValue(), answers[2]);
  const keys = await page.evaluate(() => Object.keys(localStorage));
  assert.deepEqual(keys, [`trivo:answers:${createHash('sha256').update(bytes).digest('hex')}`]);
  await page.reload();
  await page.waitForSelector('body[data-ready=true]');
  assert.equal(await status(page, 3).textContent(), 'BRAVO', 'kept under the new key');

  // The text quiz is read slowly: the picture quiz dropped after it stays.
  await page.evaluate(() => {
    const read = Blob.prototype.arrayBuffer;
    Blob.prototype.arrayBuffer = function slowly() {
      const delay = this.name === 'text.exe' ? 500 : 0;
      return new Promise((resolve) => setTimeout(resolve, delay)).then(() => read.call(this));
    };
  });
  await drop(page, [{ name: 'text.exe', bytes: [...readFileSync(join(quizDir, 'text.exe'))] },
    { name: 'again.exe', bytes: [...bytes] }]);
  await page.waitForTimeout(1000);
  assert.equal(await page.locator('.text-list').count(), 0);
  assert.equal(await page.locator('input[data-field]').count(), 6);
  assert.equal(await field(page, 3).inputValue(), answers[2]);
  await assertClean(page, 'legacy and quick opens');

  // The quiz an address names arrives after the player dropped another one: the dropped one stays.
  let release;
  const held = new Promise((resolve) => { release = resolve; });
  await page.route('**/quizzes/text.exe', async (route) => {
    await held;
    await route.continue();
  });
  await page.goto(`http://127.0.0.1:${port}/play.html?quiz=quizzes/text.exe`, { waitUntil: 'commit' });
  await page.waitForFunction(() => window.trivoCore);
  await drop(page, [{ name: 'dropped.exe', bytes: [...bytes] }]);
  await page.waitForSelector('input[data-field="6"]');
  release();
  await page.waitForSelector('body[data-ready=true]');
  assert.equal(await page.locator('.text-list').count(), 0, 'the address came too late');
  await context.close();
});

test('WCAG 2.2 A and AA: the quizzes open, with answers typed and with reveals shown', async () => {
  const context = await newContext();
  for (const name of ['text.exe', 'audio.exe', 'video.exe']) {
    const page = await openPage(context, name);
    assert.deepEqual(await accessibilityViolations(page), [], name);
    await page.close();
  }
  const page = await openPage(context, 'picture.exe');
  assert.deepEqual(await accessibilityViolations(page), [], 'open');
  const answers = answersOf('picture.exe');
  await type(page, 2, answers[1].slice(0, -1));
  await type(page, 3, 'zzzz');
  assert.deepEqual(await accessibilityViolations(page), [], 'answers typed');
  await type(page, 1, answers[0]);
  await page.waitForSelector('.cell:first-child canvas[aria-label="Image de la réponse 1"]');
  assert.deepEqual(await accessibilityViolations(page), [], 'reveals shown');
  const height = await field(page, 1).evaluate((e) => e.getBoundingClientRect().height);
  assert.ok(height >= 24, `answer fields are ${height} px tall`);
  await assertClean(page, 'accessibility');
  await context.close();
});
