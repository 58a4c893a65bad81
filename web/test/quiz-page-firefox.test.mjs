// The demo's and the audio example's quiz.html in Debian's Firefox (headless,
// over WebDriver BiDi) from file://, every other address sent to a dead
// proxy: the page asks for nothing but itself, judges an answer and plays a
// clip. Made by `trivo html` as in quiz-page.test.mjs.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import puppeteer from 'puppeteer-core';
import { newCore, quizDir, repoDir, runTool } from './core-support.mjs';

const pagesDir = join(repoDir, 'build', 'quiz-pages-firefox');
const core = await newCore();
let browser;

before(async () => {
  mkdirSync(pagesDir, { recursive: true });
  for (const name of ['demo', 'audio']) {
    const made = runTool(['html', join(quizDir, `${name}.exe`), '-o', join(pagesDir, `${name}.html`)]);
    assert.equal(made.code, 0, made.err);
  }
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.TRIVO_FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    extraPrefsFirefox: {
      'network.proxy.type': 1,
      'network.proxy.http': '127.0.0.1',
      'network.proxy.http_port': 9,
      'network.proxy.ssl': '127.0.0.1',
      'network.proxy.ssl_port': 9,
      'network.proxy.allow_hijacking_localhost': true,
      'media.autoplay.default': 0,
    },
  });
});

after(async () => {
  if (browser) await browser.close();
});

async function open(name) {
  const url = pathToFileURL(join(pagesDir, `${name}.html`)).href;
  const page = await browser.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (request) => /^(blob|data):/.test(request.url()) || requests.push(request.url()));
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(url);
  await page.waitForSelector('body[data-ready=true]');
  return { page, url, requests, errors };
}

async function judge(page, k, text) {
  await page.locator(`input[data-field="${k}"]`).fill(text);
  await page.focus(`input[data-field="${k}"]`);
  await page.keyboard.press('Enter');
  return page.$eval(`#status-${k}`, (e) => [e.textContent, getComputedStyle(e).backgroundColor]);
}

test('Firefox plays the demo page and a clip of the audio page from file://', async () => {
  for (const name of ['demo', 'audio']) {
    const answer = core.unpack(readFileSync(join(quizDir, `${name}.exe`))).toml.match(/^answer = "(.*)"$/m)[1];
    const { page, url, requests, errors } = await open(name);
    assert.deepEqual(await judge(page, 1, answer), ['BRAVO', 'rgb(0, 255, 0)'], name);
    assert.deepEqual(await judge(page, 2, 'zzzz'), ['FAUX', 'rgb(255, 0, 0)'], name);
    assert.match(await page.$eval('#score', (e) => e.textContent), /^ 1 \/ \d+$/);
    if (name === 'audio') {
      // The play button starts the clip from the pack's bytes under the page's policy.
      await page.click('.cell:first-child .clip-buttons button');
      await page.waitForFunction(() => window.trivoPage.cells[1].player?.currentTime > 0);
    } else {
      // The first row's picture is painted into its canvas at the fitted size.
      await page.waitForSelector('.cell canvas[role=img]');
      assert.ok(await page.$eval('.cell canvas[role=img]', (canvas) => {
        const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        return canvas.width > 0 && pixels.some((value, i) => i % 4 === 3 && value > 0);
      }));
    }
    // Over BiDi Firefox may not report the file's own load; nothing else may show.
    assert.deepEqual(requests.filter((address) => address !== url), [], name);
    assert.deepEqual(errors, [], name);
    await page.close();
  }
});
