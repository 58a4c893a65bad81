// Loads the core under node and runs the native tool, for the comparisons.
import { execFileSync, spawnSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { loadCore } from '../site/core-api.js';

const here = dirname(fileURLToPath(import.meta.url));
export const siteDir = join(here, '..', 'site');
export const repoDir = join(here, '..', '..');
export const sharedDir = process.env.TRIVO_SHARED_DIR || join(repoDir, '..', 'shared');
export const tool = process.env.TRIVO_TOOL || join(repoDir, 'build', 'native', 'tool', 'trivo');
// Built example quizzes (scripts/test-web.sh makes them).
export const quizDir = process.env.TRIVO_WEB_QUIZZES || join(repoDir, 'build', 'web-quizzes');

// The authoring core (everything), or with `name` 'trivo-play-core' the
// small core play.html and the one-file page load.
export async function newCore(name = 'trivo-core') {
  const require = createRequire(import.meta.url);
  const factory = require(join(siteDir, 'core', `${name}.js`));
  const wasmBinary = readFileSync(join(siteDir, 'core', `${name}.wasm`));
  return loadCore(factory, { wasmBinary });
}

// {code, out, err} of the native tool.
export function runTool(args) {
  const run = spawnSync(tool, args, { encoding: 'buffer' });
  return { code: run.status, out: run.stdout, err: run.stderr.toString('utf8') };
}

export function toolText(args) {
  return execFileSync(tool, args).toString('utf8');
}

export function fnv1a64(bytes) {
  let h = 0xcbf29ce484222325n;
  for (const b of bytes) {
    h = BigInt.asUintN(64, (h ^ BigInt(b)) * 0x100000001b3n);
  }
  return h.toString(16).padStart(16, '0');
}
