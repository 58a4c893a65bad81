// The static site served from a temporary copy on 127.0.0.1 and Debian's
// Chromium driven by playwright-core, for the browser tests and the browser
// benchmark; with the quizzes they make and the checks they share.
import { execFileSync, spawn } from 'node:child_process';
import { cpSync, existsSync, mkdirSync, mkdtempSync, renameSync, rmSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { deflateSync } from 'node:zlib';
import { chromium } from 'playwright-core';
import { siteDir, tool } from './core-support.mjs';

const axeScript = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

// Copies the site (with axe-core beside it, for the accessibility checks)
// into a new folder, serves it on `port` once `firstPage` answers, and starts
// Chromium. `stop()` ends both and removes the folder.
export async function startSite(port, firstPage) {
  const root = mkdtempSync(join(tmpdir(), 'trivo-site-'));
  cpSync(siteDir, root, { recursive: true });
  cpSync(axeScript, join(root, 'axe.min.js'));
  const server = spawn('python3', ['-m', 'http.server', String(port), '--bind', '127.0.0.1', '--directory', root], {
    stdio: 'ignore',
  });
  for (let i = 0; i < 50; i++) {
    try {
      await fetch(`http://127.0.0.1:${port}/${firstPage}`);
      break;
    } catch {
      await new Promise((r) => setTimeout(r, 100));
    }
  }
  const browser = await chromium.launch({
    executablePath: process.env.TRIVO_CHROMIUM || '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      // Clips start from a test's click as from a player's; headless Chromium counts neither as a gesture.
      '--autoplay-policy=no-user-gesture-required', '--enable-precise-memory-info'],
  });
  async function stop() {
    await browser.close();
    server.kill();
    rmSync(root, { recursive: true, force: true });
  }
  return { root, browser, stop };
}

// Records the page's Content-Security-Policy violations in window.cspViolations.
export async function watchCsp(context) {
  await context.addInitScript(() => {
    window.cspViolations = [];
    document.addEventListener('securitypolicyviolation', (e) => window.cspViolations.push(`${e.violatedDirective} ${e.blockedURI}`));
  });
}

// The WCAG 2.2 A and AA violations axe-core finds on the page, as
// "rule: target, target" lines. axe loads from the site, as the CSP allows.
export async function accessibilityViolations(page) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.addScriptTag({ url: 'axe.min.js' });
  const violations = await page.evaluate(async () => {
    const result = await window.axe.run(document, {
      runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'] },
    });
    return result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
  });
  return violations;
}

// A PNG of one colour (8-bit RGB): a few hundred kilobytes on disk for a
// picture that takes width x height x 4 bytes once decoded.
export function singleColourPng(width, height, [r, g, b]) {
  const row = Buffer.alloc(1 + width * 3);
  for (let x = 0; x < width; x++) row.set([r, g, b], 1 + x * 3);
  const raw = Buffer.alloc(row.length * height);
  for (let y = 0; y < height; y++) row.copy(raw, y * row.length);
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(body));
    return Buffer.concat([length, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 2, 0, 0, 0], 8);
  return Buffer.concat([Buffer.from('\x89PNG\r\n\x1a\n', 'latin1'), chunk('IHDR', header),
    chunk('IDAT', deflateSync(raw, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

function crc32(bytes) {
  let crc = ~0;
  for (const byte of bytes) {
    crc ^= byte;
    for (let k = 0; k < 8; k++) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return ~crc >>> 0;
}

// A picture quiz of `count` questions that all show `file` (written beside
// the source as `name`), built by the native tool with the pictures kept as
// given; returns the executable's path. One already built there is kept.
export function pictureQuiz(folder, count, name, file) {
  const exe = join(folder, 'quiz.exe');
  if (existsSync(exe)) return exe;
  mkdirSync(folder, { recursive: true });
  writeFileSync(join(folder, name), file);
  let source = 'title = "Images"\ncreator = "Test"\nkind = "picture"\nreveal = "picture"\n';
  for (let q = 1; q <= count; q++) {
    source += `\n[[question]]\ntext = "Q${q}"\nanswer = "R${q}"\npicture = "${name}"\nanswer_picture = "${name}"\n`;
  }
  writeFileSync(join(folder, 'quiz.toml'), source);
  execFileSync(tool, ['build', join(folder, 'quiz.toml'), '-o', `${exe}.part`, '--keep-pictures'], { stdio: 'pipe' });
  renameSync(`${exe}.part`, exe);
  return exe;
}
