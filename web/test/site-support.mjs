// The static site served from a temporary copy on 127.0.0.1 and Debian's
// Chromium driven by playwright-core, for the browser tests.
import { spawn } from 'node:child_process';
import { cpSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';
import { siteDir } from './core-support.mjs';

// Copies the site into a new folder, serves it on `port` once `firstPage`
// answers, and starts Chromium. `stop()` ends both and removes the folder.
export async function startSite(port, firstPage) {
  const root = mkdtempSync(join(tmpdir(), 'trivo-site-'));
  cpSync(siteDir, root, { recursive: true });
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
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  async function stop() {
    await browser.close();
    server.kill();
    rmSync(root, { recursive: true, force: true });
  }
  return { root, browser, stop };
}
