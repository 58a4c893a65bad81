// Makes the one-file quiz page template from play.html as it is: its style
// sheet, the play-only core (wasm deflated, in a base64 data block inflated
// by DecompressionStream, since a page opened from file:// may fetch nothing)
// and its modules (the project's own, concatenated with their import and
// export lines dropped) go inline, under a Content-Security-Policy that names
// each inline block by its SHA-256. The quiz block holds a placeholder that
// the tool replaces with the quiz pack (tool/quiz_page.cpp).
//   node make-quiz-page.mjs CORE_DIR OUTPUT  (CORE_DIR: trivo-play-core.{js,wasm})
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { deflateRawSync } from 'node:zlib';

const site = join(dirname(fileURLToPath(import.meta.url)), '..', 'site');
const [coreDir, output] = process.argv.slice(2);
const PLACEHOLDER = 'TRIVO-QUIZ-PACK';  // kQuizPagePlaceholder in tool/quiz_page.h
const read = (name) => readFileSync(join(site, name), 'utf8');
const hashes = { script: [], style: [] };

function inline(kind, tag, text) {
  if (/<\/(script|style)|<!--/i.test(text)) throw new Error(`an inline ${kind} would end its block early`);
  hashes[kind].push(`'sha256-${createHash('sha256').update(text).digest('base64')}'`);
  return `<${tag}>${text}</${tag.split(' ')[0]}>`;
}

// The entry module after the project modules it imports, each once and
// after its own imports; an imported module runs in a function of its own
// (its names stay its own, as in a module) that returns its exports.
const IMPORT = /^import \{([^}]*)\} from '\.\/([\w-]+)\.js';\n/gm;
const moduleName = (file) => `module_${file.replace(/-/g, '_')}`;

function moduleText(entry) {
  const seen = new Set();
  const ordered = [];
  const resolve = (file, body) => {
    const text = body.replace(IMPORT, (line, names, imported) => {
      if (!seen.has(imported)) {
        seen.add(imported);
        ordered.push(wrapped(imported, resolve));
      }
      return `const {${names.replace(/ as /g, ': ')}} = ${moduleName(imported)};\n`;
    });
    if (/^\s*(import|export)\b/m.test(text.replace(/^export (async function|function|class|const|let) /gm, ''))) {
      throw new Error(`${file}.js: an import or export this page cannot inline`);
    }
    return text;
  };
  const body = resolve(entry.replace(/\.js$/, ''), read(entry));
  return ordered.join('') + body;
}

function wrapped(file, resolve) {
  const exported = [];
  const body = resolve(file, read(`${file}.js`)).replace(/^export (async function|function|class|const|let) ([\w$]+)/gm,
    (line, kind, id) => {
      exported.push(id);
      return `${kind} ${id}`;
    });
  return `const ${moduleName(file)} = (() => {\n${body}\nreturn { ${exported.join(', ')} };\n})();\n`;
}

// The loader hands the core its wasm from the page instead of fetching it.
function coreScript() {
  const loader = readFileSync(join(coreDir, 'trivo-play-core.js'), 'utf8');
  return `${loader}
(() => {
  const makeCore = TrivoCore;
  window.TrivoCore = async (options = {}) => {
    const packed = Uint8Array.from(atob(document.getElementById('trivo-core-wasm').textContent), (c) => c.charCodeAt(0));
    const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return makeCore({ ...options, wasmBinary: await new Response(stream).arrayBuffer() });
  };
})();
`;
}

function dataBlock(id, text) {
  return `<script type="application/octet-stream" id="${id}">${text}</script>\n`;
}

// play.html's own policy allows its files; this page's names its inline blocks instead.
let page = read('play.html').replace(/<meta http-equiv="Content-Security-Policy"[^>]*>\n/, '');
const wasm = deflateRawSync(readFileSync(join(coreDir, 'trivo-play-core.wasm')), { level: 9 });
page = page.replace(/<link rel="stylesheet" href="([\w-]+\.css)">/g, (tag, name) => inline('style', 'style', read(name)));
page = page.replace(/<script src="core\/trivo-play-core\.js"><\/script>\n/, () =>
  dataBlock('trivo-core-wasm', wasm.toString('base64')) + dataBlock('trivo-quiz', PLACEHOLDER) +
  inline('script', 'script', coreScript()) + '\n');
page = page.replace(/<script type="module" src="([\w-]+\.js)"><\/script>/g, (tag, name) =>
  inline('script', 'script type="module"', moduleText(name)));
const leftover = page.match(/<(link|script)\b[^>]*\b(href|src)=/);
if (leftover) throw new Error(`play.html refers to a file this page cannot inline: ${leftover[0]}`);
const policy = [`default-src 'none'`, `script-src ${hashes.script.join(' ')} 'wasm-unsafe-eval'`,
  `style-src ${hashes.style.join(' ')}`, 'img-src blob: data:', 'media-src blob:'].join('; ');
page = page.replace('<meta charset="utf-8">\n', (meta) =>
  `${meta}<meta http-equiv="Content-Security-Policy" content="${policy}">\n`);
writeFileSync(output, page);
console.log(`${output}: ${page.length} bytes (wasm ${wasm.length} deflated)`);
