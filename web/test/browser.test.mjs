// The page in Chromium over http://127.0.0.1: every example opens, verdicts,
// colours, score, code, reveals, "Cacher", F1, reload and the answers file.
import assert from 'node:assert/strict';
import { cpSync, mkdirSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { quizDir, repoDir, newCore } from './core-support.mjs';
import { startSite } from './site-support.mjs';

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

async function openPage(context, name) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`http://127.0.0.1:${port}/play.html?quiz=quizzes/${name}`);
  await page.waitForSelector('body[data-ready=true]');
  page.errors = errors;
  return page;
}

const status = (page, k) => page.locator(`#status-${k}`);
const field = (page, k) => page.locator(`input[data-field="${k}"]`);
const colour = (page, k) => status(page, k).evaluate((e) => getComputedStyle(e).backgroundColor);

async function type(page, k, text) {
  await field(page, k).fill(text);
  await field(page, k).press('Enter');
}

test('every example opens with its title and judges right, near and wrong answers', async () => {
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 } });
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
    assert.deepEqual(page.errors, [], name);
    await page.close();
  }
  await context.close();
});

test('picture quiz: score and code, reveals, Cacher, F1, reload and the answers file', async () => {
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 }, acceptDownloads: true });
  const page = await openPage(context, 'picture.exe');
  const answers = answersOf('picture.exe');
  await type(page, 1, answers[0]);
  assert.equal(await page.locator('#score').textContent(), ' 1 / 6');
  assert.equal(await page.locator('#code').inputValue(), 'TOUR');
  // comment-and-picture: the comment shows and the answer picture replaces the flag.
  assert.equal(await page.locator('.cell').nth(0).locator('.comment').isHidden(), false);
  assert.equal(await page.locator('.cell').nth(1).locator('.comment').isHidden(), true);
  assert.match(await page.locator('.cell').nth(0).locator('img').getAttribute('alt'), /réponse/);

  await page.locator('#hide').check();
  assert.equal(await page.locator('.cell').nth(0).evaluate((e) => e.classList.contains('folded')), true);
  assert.equal(await page.locator('.cell').nth(0).locator('img').isVisible(), false);
  await page.locator('#hide').uncheck();
  assert.equal(await page.locator('.cell').nth(0).locator('img').isVisible(), true);

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
  assert.deepEqual(page.errors, []);
  await context.close();
});

test('picture quiz: an answers file with two right, a near miss and a wrong one, kept for the Windows player', async () => {
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 }, acceptDownloads: true });
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

test('a file that is not a quiz gets a clear message', async () => {
  const context = await browser.newContext();
  const page = await openPage(context, '../play.html');
  assert.match(await page.locator('#problem').textContent(), /n'est pas un quiz Trivo/);
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
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 } });
  const page = await openPage(context, 'broken-picture.bin');
  const problem = await page.locator('#problem').textContent();
  assert.match(problem, /^Error: couldn't decode PNG resource \((image de la question|image de la réponse) \d+\)OK$/);
  assert.equal(await page.locator('input[data-field]').count(), answersOf('picture.exe').length);
  await page.screenshot({ path: join(shots, 'broken-picture.png') });
  assert.deepEqual(page.errors, []);
  await context.close();
});
