// The quiz page inside a learning platform: scorm-again stands in for the
// platform's run-time in a parent page that launches the package's page in
// an iframe, as a platform does. The page is the one `trivo scorm` packs.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { cpSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { quizDir, repoDir, runTool, siteDir } from './core-support.mjs';
import { startSite } from './site-support.mjs';

const port = 19000 + (process.pid % 1000);
const BIG_ANSWER = 240;  // characters of each expected answer of the largest quiz
let site;
let root;

// The platform: the run-time of the package's version, every call logged as
// [name, ...arguments, result], then the launch page in an iframe, or in a
// window of its own as some platforms open it.
const PLATFORM = `<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
<script src="scorm-again/scorm12.js"></script><script src="scorm-again/scorm2004.js"></script>
<script>
const options = JSON.parse(decodeURIComponent(location.hash.slice(1)));
const api = options.version === '1.2' ? new Scorm12API({ logLevel: 5 }) : new Scorm2004API({ logLevel: 5 });
if (options.suspend) api.loadFromJSON({ cmi: { suspend_data: options.suspend } });
window.calls = [];
for (const name of ['LMSInitialize', 'LMSFinish', 'LMSGetValue', 'LMSSetValue', 'LMSCommit',
  'Initialize', 'Terminate', 'GetValue', 'SetValue', 'Commit']) {
  if (typeof api[name] !== 'function') continue;
  const call = api[name].bind(api);
  api[name] = (...args) => { const result = call(...args); calls.push([name, ...args, String(result)]); return result; };
}
window[options.version === '1.2' ? 'API' : 'API_1484_11'] = window.api = api;
// The other version's run-time too, unlogged, as platforms that offer both.
window[options.version === '1.2' ? 'API_1484_11' : 'API'] =
  options.version === '1.2' ? new Scorm2004API({ logLevel: 5 }) : new Scorm12API({ logLevel: 5 });
if (options.window) {
  window.open(options.launch, 'lesson');
} else {
  const frame = document.createElement('iframe');
  frame.style.cssText = 'width: 1100px; height: 800px';
  frame.src = options.launch;
  document.body.append(frame);
}
</script></body></html>`;

// A package's launch page, taken out of the zip `trivo scorm` writes.
function packagePage(version, exe, passScore, name) {
  const zip = join(root, `${name}.zip`);
  const made = runTool(['scorm', version, exe, '--pass-score', String(passScore), '--page', join(siteDir, 'play.html'), '-o', zip]);
  assert.equal(made.code, 0, made.err);
  const unzip = spawnSync('python3', ['-c', 'import zipfile,sys; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("quiz.html"))', zip]);
  writeFileSync(join(root, `${name}.html`), unzip.stdout);
  return `${name}.html`;
}

// 96 questions of two answers, each answer BIG_ANSWER characters long.
function buildLargestQuiz() {
  const folder = join(root, 'largest');
  mkdirSync(folder);
  let toml = 'title = "Le plus grand"\nkind = "audio"\nanswers_per_question = 2\n';
  for (let q = 1; q <= 96; q++) {
    toml += `[[question]]\nanswer = "${`A${q}`.padEnd(BIG_ANSWER, 'a')}"\nanswer2 = "${`B${q}`.padEnd(BIG_ANSWER, 'b')}"\n`;
  }
  writeFileSync(join(folder, 'quiz.toml'), toml);
  const made = runTool(['build', join(folder, 'quiz.toml'), '-o', join(root, 'quizzes', 'largest.exe')]);
  assert.equal(made.code, 0, made.err);
}

before(async () => {
  site = await startSite(port, 'play.html');
  root = site.root;
  mkdirSync(join(root, 'quizzes'));
  cpSync(join(quizDir, 'text.exe'), join(root, 'quizzes', 'text.exe'));
  cpSync(join(repoDir, 'web', 'node_modules', 'scorm-again', 'dist'), join(root, 'scorm-again'), { recursive: true });
  writeFileSync(join(root, 'platform.html'), PLATFORM);
  buildLargestQuiz();
});

after(async () => {
  if (site) await site.stop();
});

async function launch(version, launchPage, quiz, suspend) {
  const page = await site.browser.newPage({ viewport: { width: 1200, height: 900 } });
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  const options = encodeURIComponent(JSON.stringify({ version, suspend, launch: `${launchPage}?quiz=quizzes/${quiz}` }));
  await page.goto(`http://127.0.0.1:${port}/platform.html#${options}`);
  const frame = page.frameLocator('iframe');
  await frame.locator('body[data-ready=true]').waitFor();
  await page.waitForFunction(() => window.calls.some((c) => /Commit$/.test(c[0])));
  page.errors = errors;
  page.quiz = frame;
  return page;
}

async function type(page, k, text) {
  const field = page.quiz.locator(`input[data-field="${k}"]`);
  await field.fill(text);
  await field.press('Enter');
}

// Types into many fields at once, as the page's own keyup handler judges them.
async function typeAll(page, texts) {
  const frame = page.frames()[1];
  await frame.evaluate((all) => {
    for (const [k, text] of all) {
      const input = document.querySelector(`input[data-field="${k}"]`);
      input.value = text;
      input.dispatchEvent(new KeyboardEvent('keyup', { key: 'Enter' }));
    }
  }, texts);
}

const sets = (page) => page.evaluate(() => calls.filter((c) => /SetValue$/.test(c[0])).map((c) => [c[1], c[2]]));
const cmi = (page) => page.evaluate(() => JSON.parse(JSON.stringify(api.cmi)));

// Every status comes after the score it follows from, and "passed" never
// below `passQuestions`.
function checkOrder(setCalls, scoreKey, statusKey, passQuestions) {
  let raw = null;
  for (const [element, value] of setCalls) {
    if (element === scoreKey) raw = Number(value);
    if (element === statusKey) {
      assert.notEqual(raw, null, `${statusKey} before any score`);
      assert.equal(value === 'passed', raw >= passQuestions, `${value} at ${raw}`);
    }
  }
}

test('SCORM 1.2: calls in order, score then status, the pass mark, and resume after a relaunch', async () => {
  const launchPage = packagePage('1.2', join(root, 'quizzes', 'text.exe'), 50, 'scorm12');
  const page = await launch('1.2', launchPage, 'text.exe');
  const first = await page.evaluate(() => calls.map((c) => c[0] + (c[1] ? ' ' + c[1] : '')));
  assert.deepEqual(first.slice(0, 2), ['LMSInitialize', 'LMSGetValue cmi.suspend_data']);
  assert.deepEqual(first.slice(2, 8), ['LMSSetValue cmi.core.score.raw', 'LMSSetValue cmi.core.score.min',
    'LMSSetValue cmi.core.score.max', 'LMSSetValue cmi.core.lesson_status', 'LMSSetValue cmi.suspend_data', 'LMSCommit']);
  await type(page, 1, 'victor hugo');
  await type(page, 2, 'Jules Verne');
  let data = await cmi(page);
  assert.deepEqual([data.core.score.raw, data.core.score.min, data.core.score.max, data.core.lesson_status],
    ['1', '0', '6', 'incomplete']);
  await type(page, 3, 'Gustave Flaubert');
  assert.equal((await cmi(page)).core.lesson_status, 'incomplete');  // 2 of 6, below 50 %
  await type(page, 4, 'Albert Camus');
  data = await cmi(page);
  assert.deepEqual([data.core.score.raw, data.core.lesson_status], ['3', 'passed']);
  checkOrder(await sets(page), 'cmi.core.score.raw', 'cmi.core.lesson_status', 3);
  assert.ok((await page.evaluate(() => calls.every((c) => c.at(-1) === 'true' || c[0] === 'LMSGetValue'))));

  await page.evaluate(() => document.querySelector('iframe').remove());
  const last = await page.evaluate(() => calls.slice(-3).map((c) => c.join(' ')));
  assert.deepEqual(last, ['LMSSetValue cmi.core.exit suspend true', 'LMSCommit  true', 'LMSFinish  true']);
  const suspend = (await cmi(page)).suspend_data;
  assert.deepEqual(page.errors, []);
  await page.close();

  const again = await launch('1.2', launchPage, 'text.exe', suspend);
  const statuses = await again.quiz.locator('.status').allTextContents();
  assert.deepEqual(statuses.slice(0, 5), ['BRAVO', 'FAUX', 'BRAVO', 'BRAVO', '?']);
  assert.equal(await again.quiz.locator('input[data-field="2"]').inputValue(), 'Jules Verne');
  assert.equal(await again.quiz.locator('input[data-field="1"]').inputValue(), 'victor hugo');
  assert.deepEqual([(await cmi(again)).core.score.raw, (await cmi(again)).core.lesson_status], ['3', 'passed']);
  assert.ok(await again.quiz.locator('#problem').isHidden());
  await again.close();
});

test('SCORM 1.2 at 4,096 characters: the largest quiz all wrong, then all right, comes back as the platform kept it', async () => {
  const launchPage = packagePage('1.2', join(root, 'quizzes', 'largest.exe'), 80, 'largest12');
  const page = await launch('1.2', launchPage, 'largest.exe');
  const wrong = Array.from({ length: 192 }, (_, i) => [i + 1, `Faux ${i + 1} `.padEnd(259, 'z')]);
  await typeAll(page, wrong);
  const suspend = (await cmi(page)).suspend_data;
  assert.ok(suspend.length <= 4096, `${suspend.length} characters`);
  await page.close();

  const again = await launch('1.2', launchPage, 'largest.exe', suspend);
  assert.match(await again.quiz.locator('#problem').textContent(), /177 réponse\(s\) à retaper/);
  const kept = await again.frames()[1].evaluate(() => [...document.querySelectorAll('input.answer')].map((i) => i.value));
  assert.deepEqual(kept.slice(0, 15), wrong.slice(0, 15).map(([, text]) => text));
  assert.deepEqual(kept.slice(15), new Array(177).fill(''));
  const right = Array.from({ length: 192 }, (_, i) => [i + 1, `${i % 2 ? 'B' : 'A'}${(i >> 1) + 1}`.padEnd(BIG_ANSWER, i % 2 ? 'b' : 'a')]);
  await typeAll(again, right.slice(0, 153));  // 76.5 questions: below 80 %
  assert.equal((await cmi(again)).core.lesson_status, 'incomplete');
  await typeAll(again, right.slice(153));
  const full = await cmi(again);
  assert.deepEqual([full.core.score.raw, full.core.lesson_status], ['96', 'passed']);
  checkOrder(await sets(again), 'cmi.core.score.raw', 'cmi.core.lesson_status', 77);
  await again.close();

  const third = await launch('1.2', launchPage, 'largest.exe', full.suspend_data);
  assert.ok(full.suspend_data.length <= 4096);
  assert.equal((await third.quiz.locator('.status').allTextContents()).filter((s) => s === 'BRAVO').length, 192);
  assert.ok(await third.quiz.locator('#problem').isHidden());
  await third.close();
});

test('SCORM 2004: scaled score, completion and success apart, everything kept as typed; bad suspend data ignored', async () => {
  const launchPage = packagePage('2004', join(root, 'quizzes', 'largest.exe'), 80, 'largest2004');
  const page = await launch('2004', launchPage, 'largest.exe', 'T1;zz;damaged');
  assert.deepEqual(page.errors, []);
  assert.deepEqual((await page.evaluate(() => calls.slice(0, 2).map((c) => c[0]))), ['Initialize', 'GetValue']);
  const texts = Array.from({ length: 192 }, (_, i) => [i + 1, `Essai ${i + 1} `.padEnd(259, 'é')]);
  texts[0] = [1, 'A1'.padEnd(BIG_ANSWER, 'a')];
  await typeAll(page, texts);
  let data = await cmi(page);
  assert.deepEqual([data.score.raw, data.score.max, data.score.scaled, data.completion_status, data.success_status],
    ['0', '96', '0', 'completed', 'unknown']);
  const right = Array.from({ length: 154 }, (_, i) => [i + 1, `${i % 2 ? 'B' : 'A'}${(i >> 1) + 1}`.padEnd(BIG_ANSWER, i % 2 ? 'b' : 'a')]);
  await typeAll(page, right);
  data = await cmi(page);
  assert.deepEqual([data.score.raw, data.score.scaled, data.success_status], ['77', '0.8021', 'passed']);
  checkOrder(await sets(page), 'cmi.score.raw', 'cmi.success_status', 77);
  await page.close();

  const again = await launch('2004', launchPage, 'largest.exe', data.suspend_data);
  const kept = await again.frames()[1].evaluate(() => [...document.querySelectorAll('input.answer')].map((i) => i.value));
  assert.deepEqual(kept, [...right, ...texts.slice(154)].map(([, text]) => text));
  assert.ok(await again.quiz.locator('#problem').isHidden());
  await again.close();
});

test('a platform that opens the page in a window of its own is found through the window that opened it', async () => {
  const launchPage = packagePage('2004', join(root, 'quizzes', 'text.exe'), 50, 'popup2004');
  const platform = await site.browser.newPage();
  const options = encodeURIComponent(JSON.stringify({ version: '2004', window: true, launch: `${launchPage}?quiz=quizzes/text.exe` }));
  const [lesson] = await Promise.all([platform.waitForEvent('popup'), platform.goto(`http://127.0.0.1:${port}/platform.html#${options}`)]);
  await lesson.waitForSelector('body[data-ready=true]');
  await lesson.locator('input[data-field="1"]').fill('Victor Hugo');
  await lesson.locator('input[data-field="1"]').press('Enter');
  await platform.waitForFunction(() => api.cmi.score.raw === '1');
  assert.equal((await cmi(platform)).completion_status, 'incomplete');
  await lesson.close();
  await platform.close();
});

test('outside a platform the page plays as before', async () => {
  const page = await site.browser.newPage();
  await page.goto(`http://127.0.0.1:${port}/play.html?quiz=quizzes/text.exe`);
  await page.waitForSelector('body[data-ready=true]');
  await page.locator('input[data-field="1"]').fill('Victor Hugo');
  await page.locator('input[data-field="1"]').press('Enter');
  assert.equal(await page.locator('#status-1').textContent(), 'BRAVO');
  await page.close();
});
