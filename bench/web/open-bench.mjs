// node bench/web/open-bench.mjs [ROUNDS]
// Opening quizzes in the web player, in Debian's Chromium: the time until the
// first rows are shown (or a refusal told) and the peak JavaScript heap and
// ArrayBuffer use while opening, medians over ROUNDS fresh pages (default 5),
// each beside its goal:
// - 24 questions sharing one 8192 x 8192 single-colour PNG (about 200 KB):
//   under 2 s and under 300 MB;
// - the start-up benchmark's 96-picture JPEG quiz: its first rows within
//   twice the time a one-question text quiz takes.
// Needs the web core (web/site/core, scripts/test-web.sh builds it), the
// native tool (build/native/tool/trivo, or TRIVO_TOOL) and `npm ci` in web/.
// Figures only: nothing here passes or fails on them.
import { execFileSync } from 'node:child_process';
import { cpSync, mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { repoDir, tool } from '../../web/test/core-support.mjs';
import { pictureQuiz, singleColourPng, startSite } from '../../web/test/site-support.mjs';

const rounds = Number(process.argv[2] || 5);
const work = join(repoDir, 'build', 'bench-web');
const port = 17000 + (process.pid % 1000);

function build(name, source, options = []) {
  const exe = join(work, `${name}.exe`);
  execFileSync(tool, ['build', source, '-o', exe, ...options], { stdio: 'pipe' });
  return exe;
}

function makeQuizzes() {
  const media = join(work, 'media');
  mkdirSync(media, { recursive: true });
  // The start-up benchmark's generator: twelve 800 x 600 pictures, 96 questions.
  execFileSync('bash', ['-c', `source "${repoDir}/bench/picture_quiz.sh"; for i in $(seq 0 11); do make_picture $i; done;
    picture_quiz jpg jpg 0`], { env: { ...process.env, media }, stdio: 'pipe' });
  writeFileSync(join(media, 'one.toml'),
    'title = "Une question"\ncreator = "Banc"\nkind = "text"\n\n[[question]]\ntext = "Q1"\nanswer = "R1"\n');
  return {
    bomb: pictureQuiz(join(repoDir, 'build', 'web-made', 'png-bomb-24'), 24, 'bomb.png',
      singleColourPng(8192, 8192, [200, 40, 40])),
    jpeg: build('jpeg', join(media, 'jpg.toml')),
    text: build('one', join(media, 'one.toml')),
  };
}

// Opens the quiz in a fresh page; {ms, peak}: the time from navigation to
// the first row shown (or the problem told), and the peak of the JS heap,
// the ArrayBuffer backing stores and the core's WebAssembly memory (which
// the backing stores leave out), sampled every 20 ms meanwhile.
async function openOnce(browser, name) {
  const context = await browser.newContext({ viewport: { width: 1100, height: 800 } });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  let peak = 0;
  let sampling = true;
  const sample = async () => {
    while (sampling) {
      try {
        const usage = await cdp.send('Runtime.getHeapUsage');
        const wasm = await page.evaluate(() => window.trivoCore?.m.HEAPU8.length || 0);
        peak = Math.max(peak, usage.usedSize + (usage.backingStorageSize || 0) + wasm);
      } catch {
        // the page is between documents
      }
      await new Promise((r) => setTimeout(r, 20));
    }
  };
  const sampler = sample();
  await page.goto(`http://127.0.0.1:${port}/play.html?quiz=quizzes/${name}`);
  const ms = await page.waitForFunction(() => {
    const told = !document.getElementById('problem').hidden;
    const firstRow = [...document.querySelectorAll('.cell')].slice(0, 3);
    const drawn = firstRow.length > 0 && firstRow.every((cell) => cell.querySelector('canvas, .clip-problem:not(:empty)'));
    const text = document.querySelector('.text-list input');
    return (told || drawn || text) && performance.now();
  }, null, { polling: 'raf', timeout: 120000 }).then((handle) => handle.jsonValue());
  await page.waitForTimeout(300);  // what the opening left behind
  sampling = false;
  await sampler;
  await context.close();
  return { ms, peak };
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function measure(browser, name) {
  const runs = [];
  for (let i = 0; i < rounds; i++) runs.push(await openOnce(browser, name));
  return { ms: median(runs.map((r) => r.ms)), peak: median(runs.map((r) => r.peak)) };
}

const quizzes = makeQuizzes();
const site = await startSite(port, 'play.html');
try {
  mkdirSync(join(site.root, 'quizzes'));
  for (const [name, exe] of Object.entries(quizzes)) cpSync(exe, join(site.root, 'quizzes', `${name}.exe`));
  console.log(`  (tool ${tool}; ${rounds} rounds, medians; load ${execFileSync('cat', ['/proc/loadavg']).toString().trim()})`);
  const bomb = await measure(site.browser, 'bomb.exe');
  const mb = (bytes) => (bytes / (1024 * 1024)).toFixed(0);
  console.log(`  24 x 8192^2 PNG quiz: first rows or refusal in ${bomb.ms.toFixed(0)} ms (goal < 2000 ms), ` +
    `peak JS heap + ArrayBuffers ${mb(bomb.peak)} MB (goal < 300 MB)`);
  const text = await measure(site.browser, 'text.exe');
  const jpeg = await measure(site.browser, 'jpeg.exe');
  console.log(`  one-question text quiz: ${text.ms.toFixed(0)} ms, ${mb(text.peak)} MB`);
  console.log(`  96-picture JPEG quiz: first rows in ${jpeg.ms.toFixed(0)} ms, ${mb(jpeg.peak)} MB; ` +
    `${(jpeg.ms / text.ms).toFixed(2)} x the text quiz (goal < 2 x)`);
} finally {
  await site.stop();
}
