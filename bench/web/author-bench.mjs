// The authoring page over the 96-question PNG picture quiz of the start-up
// benchmark, in Chromium: the time to open it (source and 12 pictures
// picked), and the time a keystroke in the title takes to be checked once
// the page's wait after typing is over, beside their goals. Figures only.
// Run from the repository: node bench/web/author-bench.mjs [keystrokes]
// (needs the web core built into web/site/core and `npm ci` in web/).
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { startSite } from '../../web/test/site-support.mjs';

const CHECK_DELAY_MS = 250;  // the page's wait after a keystroke (author.js)
const KEYSTROKE_GOAL_MS = 100;
const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const keystrokes = Number(process.argv[2] || 15);
const media = mkdtempSync(join(tmpdir(), 'trivo-author-bench-'));

execFileSync('bash', ['-c', `media="$1"; source "$2"; for i in $(seq 0 11); do make_picture "$i"; done; picture_quiz png png 0`,
  'bash', media, join(root, 'bench', 'picture_quiz.sh')]);
const files = [join(media, 'png.toml'), ...readdirSync(media).filter((n) => n.endsWith('.png')).map((n) => join(media, n))];

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const port = 18900 + (process.pid % 100);
const site = await startSite(port, 'author.html');
try {
  const page = await site.browser.newPage({ viewport: { width: 1280, height: 900 } });
  const checked = () => page.waitForFunction(() => document.body.dataset.check === 'done' && !document.body.dataset.busy);
  await page.goto(`http://127.0.0.1:${port}/author.html`);
  await page.waitForSelector('body[data-ready=true]');
  await checked();
  const opening = performance.now();
  await page.locator('#open-files').setInputFiles(files);
  await checked();
  const openMs = performance.now() - opening;

  // Each keystroke timed in the page, from the input event to the end of
  // its check (the body's checked version becomes the keystroke's).
  const times = [];
  for (let i = 0; i < keystrokes; i++) {
    times.push(await page.evaluate(() => new Promise((resolve) => {
      const input = document.getElementById('f-title');
      const started = performance.now();
      input.value += 'x';
      input.dispatchEvent(new Event('input', { bubbles: true }));
      const version = String(window.trivoAuthor.state.version);
      const watch = new MutationObserver(() => {
        if (document.body.dataset.checkedVersion !== version) return;
        watch.disconnect();
        resolve(performance.now() - started);
      });
      watch.observe(document.body, { attributes: true, attributeFilter: ['data-checked-version'] });
    })));
  }
  const afterWait = median(times) - CHECK_DELAY_MS;
  console.log(`open the 96-question PNG quiz: ${openMs.toFixed(0)} ms`);
  console.log(`keystroke in the title checked: ${afterWait.toFixed(0)} ms after the page's ${CHECK_DELAY_MS} ms wait ` +
    `(median of ${keystrokes}; goal ${KEYSTROKE_GOAL_MS} ms)`);
} finally {
  await site.stop();
  rmSync(media, { recursive: true, force: true });
}
