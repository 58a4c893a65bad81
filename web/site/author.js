// The authoring page: a form for every key of the quiz source, checked as
// the author types by the tool's own check (compiled to wasm), built into
// the same executable `trivo build` makes, kept in IndexedDB between visits.
import { loadCore } from './core-api.js';
import { SOURCE_NAME, draftCore } from './author-core.js';
import { defaultLanguage, translator } from './author-i18n.js';
import {
  DEFAULT_BACKGROUND, KINDS, fileStem, freeName, mediaPaths, newModel, newQuestion, showsAnswer2,
  showsClip, showsPictures, writeSource,
} from './author-source.js';
import { loadDraft, saveDraft } from './draft-store.js';
import { mediaKey, openSource } from './author-import.js';
import { ZipError, readZip, writeZip } from './zip.js';

const CHECK_DELAY_MS = 250;
const SAVE_DELAY_MS = 300;
const LANGUAGE_KEY = 'trivo:author:language';
const MIME = {
  jpg: 'image/jpeg', jpeg: 'image/jpeg', gif: 'image/gif', bmp: 'image/bmp', png: 'image/png',
  wav: 'audio/wav', mp3: 'audio/mpeg', avi: 'video/x-msvideo', mpg: 'video/mpeg', mpeg: 'video/mpeg',
  wmv: 'video/x-ms-wmv',
};

const $ = (id) => document.getElementById(id);
const state = {
  model: newModel(),
  media: new Map(),  // path as the draft folder holds it -> bytes
  dirty: false,  // a change since the last export or download
  version: 0,
  diagnostics: [],
  lineFields: [],
  errors: 0,
  previews: new Map(),  // media path -> {bytes, url, info}
  t: translator('en'),
};
let core = null;
let busy = 0;
let checkTimer = 0;
let saveTimer = 0;
let playUrl = '';

// --- small helpers -------------------------------------------------------------

// Runs an asynchronous task started by the author; the body is marked busy
// until every such task has ended (the browser tests wait on it).
function task(run) {
  busy++;
  document.body.dataset.busy = 'true';
  return Promise.resolve()
    .then(run)
    .finally(() => {
      busy--;
      if (busy === 0) delete document.body.dataset.busy;
    });
}

function element(tag, props = {}, ...children) {
  const made = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'class') made.className = value;
    else if (key === 'text') made.textContent = value;
    else if (key.startsWith('aria-') || key.startsWith('data-') || key === 'for') made.setAttribute(key, value);
    else made[key] = value;
  }
  made.append(...children.filter((child) => child !== null && child !== undefined));
  return made;
}

function findQuestion(id) {
  return state.model.questions.find((q) => q.id === Number(id));
}

function showNotice(lines, isProblem = false) {
  const box = $('notice');
  box.replaceChildren(...lines.filter(Boolean).map((line) => element('p', { text: line })));
  box.classList.toggle('problem', isProblem);
  box.hidden = box.childElementCount === 0;
}

function formatSize(bytes) {
  if (bytes < 1024) return `${bytes} B`;
  if (bytes < 1024 * 1024) return `${Math.round(bytes / 1024)} KB`;
  return `${(bytes / 1024 / 1024).toFixed(1)} MB`;
}

// --- the header fields ---------------------------------------------------------

function fillHeader() {
  const model = state.model;
  for (const input of document.querySelectorAll('.group [data-key]:not([data-q])')) {
    const value = String(model[input.dataset.key] ?? '');
    if (input.value !== value) input.value = value;
  }
  for (const radio of document.querySelectorAll('input[name=kind]')) radio.checked = radio.value === model.kind;
  for (const radio of document.querySelectorAll('input[name=answersPerQuestion]')) {
    radio.checked = Number(radio.value) === model.answersPerQuestion;
  }
  showBackground();
  showHeaderFields();
}

function showHeaderFields() {
  const model = state.model;
  const labels = model.answersPerQuestion === 2 || model.label1 !== '' || model.label2 !== '';
  $('label1-field').hidden = !labels;
  $('label2-field').hidden = !labels;
}

function showBackground() {
  const hex = state.model.background;
  const valid = /^#[0-9a-f]{6}$/i.test(hex);
  if (valid) $('f-background-picker').value = hex.toLowerCase();
  const sample = $('background-sample');
  sample.style.background = valid ? hex : DEFAULT_BACKGROUND;
  const labels = core.labelColour(valid ? hex : DEFAULT_BACKGROUND);
  const black = labels === '#000000';
  sample.style.color = labels;
  $('label-colour-help').textContent = state.t(black ? 'labelsBlack' : 'labelsWhite');
}

// --- codes -----------------------------------------------------------------------

function renderCodes() {
  const list = $('codes');
  const t = state.t;
  const questions = state.model.questions.length;
  const codes = state.model.codes;
  const rows = [];
  for (let i = 0; i < Math.max(questions, codes.length); i++) {
    const id = `f-code-${i}`;
    const extra = i >= questions;
    const input = element('input', { id, value: codes[i] ?? '', autocomplete: 'off', 'data-code': String(i) });
    const row = element('li', { class: 'field code', 'data-field': `code:${i}` },
      element('label', { for: id, text: t(extra ? 'codeExtra' : 'codeLabel', i + 1) }), input,
      extra ? element('button', { type: 'button', class: 'small', text: t('remove'), 'aria-label': t('removeCode', i + 1),
        'data-remove-code': String(i) }) : null,
      element('ul', { class: 'diagnostics', 'data-diag': `code:${i}` }));
    rows.push(row);
  }
  list.replaceChildren(...rows);
}

// Codes past the last score that hold nothing go; the others stay for the
// check to name them.
function trimCodes() {
  const codes = state.model.codes;
  while (codes.length > state.model.questions.length && codes[codes.length - 1] === '') codes.pop();
}

// --- questions -------------------------------------------------------------------

function textField(question, key, labelKey, { help, tryIt } = {}) {
  const t = state.t;
  const id = `q${question.id}-${key}`;
  const input = element('input', { id, value: question[key], autocomplete: 'off', spellcheck: false,
    'data-q': String(question.id), 'data-key': key });
  const field = element('div', { class: 'field', 'data-field': `q:${question.id}:${key}` },
    element('label', { for: id, text: t(labelKey) }), input,
    help ? element('p', { class: 'help', text: t(help) }) : null);
  if (tryIt) field.append(tryBox(question, key));
  field.append(element('ul', { class: 'diagnostics', 'data-diag': `q:${question.id}:${key}` }));
  return field;
}

function tryBox(question, key) {
  const t = state.t;
  const n = state.model.questions.indexOf(question) + 1;
  const id = `q${question.id}-try-${key}`;
  const input = element('input', { id, autocomplete: 'off', spellcheck: false, class: 'try',
    'data-q': String(question.id), 'data-try': key, 'aria-label': t(key === 'answer2' ? 'tryLabel2' : 'tryLabel', n) });
  const verdict = element('output', { class: 'status', id: `${id}-verdict`, 'for': id, text: '?' });
  input.setAttribute('aria-describedby', verdict.id);
  return element('div', { class: 'try-row' }, element('span', { class: 'try-label', text: t('tryAnswer'), 'aria-hidden': 'true' }),
    input, verdict);
}

function judgeTry(input) {
  const question = findQuestion(input.dataset.q);
  const verdict = $(`${input.id}-verdict`);
  if (!question || !verdict) return;
  verdict.style.background = '';
  if (input.value === '') {
    verdict.textContent = '?';
    verdict.className = 'status';
    return;
  }
  const result = core.verdict(question[input.dataset.try], input.value);
  verdict.textContent = result.ok ? result.verdict : result.error;
  verdict.className = result.ok ? `status ${result.kind}` : 'status problem';
  if (result.ok && result.colour) verdict.style.background = result.colour;
}

function mediaSlot(question, key) {
  const t = state.t;
  const n = state.model.questions.indexOf(question) + 1;
  const path = question[key];
  const what = t(key).toLowerCase();
  const fieldId = `q:${question.id}:${key}`;
  const labelId = `q${question.id}-${key}-label`;
  const picker = element('input', { type: 'file', 'data-q': String(question.id), 'data-media': key,
    accept: key === 'clip' ? '.mp3,.wav,.wmv,.avi,.mpg,.mpeg,audio/*,video/*' : '.jpg,.jpeg,.gif,.bmp,.png,image/*',
    'aria-label': t('chooseLabel', n, what) });
  const slot = element('div', { class: 'field media-slot', 'data-field': fieldId, 'data-q': String(question.id),
    'data-drop': key, role: 'group', 'aria-labelledby': labelId },
  element('span', { class: 'label', id: labelId, text: t(key) }));
  const frame = element('div', { class: key === 'clip' ? 'clip-frame' : 'picture-frame' });
  frame.style.background = /^#[0-9a-f]{6}$/i.test(state.model.background) ? state.model.background : DEFAULT_BACKGROUND;
  const info = element('p', { class: 'help media-info' });
  slot.append(frame, info);
  const bytes = path ? state.media.get(mediaKey(path)) : null;
  if (!path) {
    frame.classList.add('empty');
    frame.append(element('span', { text: t('dropHere') }));
  } else if (!bytes) {
    info.textContent = t('missingMedia', path);
  } else if (key === 'clip') {
    showClip(frame, info, path, bytes);
  } else {
    showPicture(frame, info, path, bytes, n, key);
  }
  const buttons = element('div', { class: 'media-buttons' },
    element('label', { class: 'button small' }, element('span', { text: t('choose'), 'aria-hidden': 'true' }), picker));
  if (path) {
    buttons.append(element('button', { type: 'button', class: 'small', text: t('removeMedia'),
      'aria-label': t('removeMediaLabel', n, what), 'data-q': String(question.id), 'data-unset': key }));
  }
  slot.append(buttons, element('ul', { class: 'diagnostics', 'data-diag': fieldId }));
  return slot;
}

function preview(path, bytes) {
  const known = state.previews.get(path);
  if (known && known.bytes === bytes) return known;
  if (known) URL.revokeObjectURL(known.url);
  const extension = path.split('.').pop().toLowerCase();
  let info = null;
  let shown = bytes;
  let type = MIME[extension] || 'application/octet-stream';
  if (type.startsWith('image/')) {
    info = core.pictureInfo(bytes);
    if (info.format === 'png') {
      // Shown as the player shows it: through the project's own decoder.
      const decoded = core.decodePng(bytes);
      shown = decoded.ok ? decoded.bytes : null;
      type = 'image/bmp';
    } else if (info.format && MIME[info.format]) {
      type = MIME[info.format];
    }
  }
  const made = { bytes, info, type, url: shown ? URL.createObjectURL(new Blob([shown], { type })) : '' };
  state.previews.set(path, made);
  return made;
}

function showPicture(frame, info, path, bytes, n, key) {
  const shown = preview(path, bytes);
  const picture = shown.info;
  if (!shown.url || !picture || picture.error || !picture.fittedWidth) {
    info.textContent = `${path} — ${state.t('pictureBroken')}${picture && picture.error ? ` (${picture.error})` : ''}`;
    return;
  }
  frame.append(element('img', { src: shown.url, width: picture.fittedWidth, height: picture.fittedHeight,
    alt: `${state.t(key)} ${n}` }));
  info.textContent = `${path} — ${state.t('pictureSize', picture.width, picture.height, picture.fittedWidth,
    picture.fittedHeight)}`;
}

function showClip(frame, info, path, bytes) {
  const shown = preview(path, bytes);
  info.textContent = state.t('clipSize', path, formatSize(bytes.length));
  const video = state.model.kind === 'video';
  const player = element(video ? 'video' : 'audio', { controls: true, preload: 'metadata', src: shown.url });
  if (player.canPlayType(shown.type) !== '') frame.append(player);
}

function buildQuestion(question, index) {
  const t = state.t;
  const model = state.model;
  const n = index + 1;
  const count = model.questions.length;
  const at = `q:${question.id}`;
  const button = (text, label, action, disabled) =>
    element('button', { type: 'button', class: 'small', text, 'aria-label': label, disabled,
      'data-q': String(question.id), 'data-action': action });
  const legend = element('legend', { text: t('question', n) });
  const tools = element('div', { class: 'question-tools' },
    button(`↑ ${t('moveUp')}`, t('moveUpLabel', n), 'up', index === 0),
    button(`↓ ${t('moveDown')}`, t('moveDownLabel', n), 'down', index === count - 1),
    button(t('remove'), t('removeLabel', n), 'remove', count === 1));
  const box = element('fieldset', { class: 'question', 'data-field': at }, legend, tools,
    element('ul', { class: 'diagnostics', 'data-diag': at }));
  const texts = element('div', { class: 'question-texts' },
    textField(question, 'text', 'questionText', { help: model.kind === 'text' ? null : 'questionTextHelp' }),
    textField(question, 'answer', 'answer', { tryIt: true }));
  if (showsAnswer2(model, question)) texts.append(textField(question, 'answer2', 'answer2', { tryIt: true }));
  texts.append(textField(question, 'comment', 'comment'));
  const media = element('div', { class: 'question-media' });
  if (showsPictures(model, question)) media.append(mediaSlot(question, 'picture'), mediaSlot(question, 'answerPicture'));
  if (showsClip(model, question)) media.append(mediaSlot(question, 'clip'));
  box.append(element('div', { class: 'question-body' }, texts, media.childElementCount ? media : null));
  return element('li', { 'data-q': String(question.id) }, box);
}

function renderQuestions(focusSelector) {
  const list = $('questions');
  const tries = new Map([...list.querySelectorAll('input.try')].map((input) => [input.id, input.value]));
  list.replaceChildren(...state.model.questions.map(buildQuestion));
  for (const [id, value] of tries) {
    const input = $(id);
    if (input) {
      input.value = value;
      judgeTry(input);
    }
  }
  $('add-question').disabled = false;
  renderCodes();
  if (focusSelector) document.querySelector(focusSelector)?.focus();
}

// --- diagnostics -----------------------------------------------------------------

// The list a diagnostic of `field` goes to: its own, else its question's or
// the codes', else none (the summary holds it).
function diagnosticList(field) {
  const own = field && document.querySelector(`[data-diag="${CSS.escape(field)}"]`);
  if (own) return own;
  if (!field) return null;
  const parent = field.startsWith('code:') ? 'codes' : field.split(':').slice(0, 2).join(':');
  return document.querySelector(`[data-diag="${CSS.escape(parent)}"]`);
}

function fieldName(field) {
  const t = state.t;
  if (!field) return '';
  const [head, id, key] = field.split(':');
  if (head === 'q') {
    const n = state.model.questions.findIndex((q) => q.id === Number(id)) + 1;
    return key ? `${t('question', n)} · ${t(key === 'text' ? 'questionText' : key)}` : t('question', n);
  }
  if (head === 'code') return t('codeLabel', Number(id) + 1);
  if (head === 'codes') return t('codesGroup');
  return t(head);
}

function diagnosticItem(diagnostic, withField) {
  const t = state.t;
  const kind = diagnostic.error ? 'error' : 'warning';
  const item = element('li', { class: kind },
    element('span', { class: 'tag', text: t(kind) }), ' ');
  const field = diagnostic.field;
  if (withField && field) {
    const go = element('a', { href: '#', class: 'goto', text: fieldName(field), 'data-goto': field });
    item.append(go, t('fieldSeparator'));
  }
  item.append(element('span', { class: 'message', text: diagnostic.message }));
  return item;
}

function renderDiagnostics() {
  const t = state.t;
  for (const list of document.querySelectorAll('[data-diag]')) list.replaceChildren();
  for (const input of document.querySelectorAll('[aria-invalid]')) input.removeAttribute('aria-invalid');
  const general = $('general-diagnostics');
  general.replaceChildren();
  for (const diagnostic of state.diagnostics) {
    const list = diagnosticList(diagnostic.field);
    if (list) {
      list.append(diagnosticItem(diagnostic, false));
      const field = list.closest('[data-field]');
      const input = field && field.querySelector('input:not(.try), select');
      if (input) {
        if (!list.id) list.id = `diag-${Math.random().toString(36).slice(2)}`;
        const described = new Set((input.getAttribute('aria-describedby') || '').split(' ').filter(Boolean));
        described.add(list.id);
        input.setAttribute('aria-describedby', [...described].join(' '));
        if (diagnostic.error) input.setAttribute('aria-invalid', 'true');
      }
    }
    general.append(diagnosticItem(diagnostic, true));
  }
  const errors = state.diagnostics.filter((d) => d.error).length;
  const warnings = state.diagnostics.length - errors;
  state.errors = errors;
  const parts = [];
  if (errors) parts.push(t.count('errors', errors));
  if (warnings) parts.push(t.count('warnings', warnings));
  const line = $('summary-line');
  if (errors) line.textContent = t('summaryErrors', parts.join(', '));
  else if (warnings) line.textContent = t('summaryOk', parts.join(', '));
  else line.textContent = t('summaryNone');
  line.className = `summary-line ${errors ? 'has-errors' : warnings ? 'has-warnings' : 'clean'}`;
  $('download').disabled = errors > 0;
  $('download-html').disabled = errors > 0;
  $('play-here').disabled = errors > 0;
}

// --- checking --------------------------------------------------------------------

function writeDraft() {
  const written = writeSource(state.model, core.quote);
  state.source = written.text;
  state.lineFields = written.fields;
  core.writeDraft(written.text, state.media);
}

function runCheck() {
  clearTimeout(checkTimer);
  checkTimer = 0;
  writeDraft();
  const result = core.check();
  // A check that could not run at all (out of memory...) holds the download too.
  const found = result.diagnostics || [{ line: 0, error: true, message: result.error || 'check failed' }];
  state.diagnostics = found.map((d) => ({
    ...d, field: d.line >= 1 ? state.lineFields[d.line - 1] || null : null,
  }));
  renderDiagnostics();
  document.body.dataset.check = 'done';
  document.body.dataset.checkedVersion = String(state.version);
}

function scheduleCheck() {
  document.body.dataset.check = 'pending';
  clearTimeout(checkTimer);
  checkTimer = setTimeout(runCheck, CHECK_DELAY_MS);
}

// --- keeping the draft -------------------------------------------------------------


async function saveNow() {
  clearTimeout(saveTimer);
  saveTimer = 0;
  const version = state.version;
  try {
    await saveDraft({ model: state.model, dirty: state.dirty }, state.media);
    document.body.dataset.savedVersion = String(version);
  } catch (error) {
    showNotice([state.t('saveFailed', error.message)], true);
  }
}

function scheduleSave() {
  clearTimeout(saveTimer);
  saveTimer = setTimeout(saveNow, SAVE_DELAY_MS);
}

function changed({ rebuild = false, focus = null } = {}) {
  state.version++;
  state.dirty = true;
  if (rebuild) renderQuestions(focus);
  scheduleCheck();
  scheduleSave();
}

// Only media a question names stay in the draft.
function dropUnusedMedia() {
  const used = new Set(mediaPaths(state.model).map(mediaKey));
  for (const path of [...state.media.keys()]) if (!used.has(path)) state.media.delete(path);
}

function replaceDraft(model, media, dirty) {
  state.model = model;
  state.media = media;
  state.dirty = dirty;
  state.version++;
  fillHeader();
  renderQuestions();
  runCheck();
  saveNow();
}

async function restoreDraft() {
  let saved = null;
  try {
    saved = await loadDraft();
  } catch {
    saved = null;
  }
  if (!saved || !saved.model) return false;
  const model = { ...newModel(), ...saved.model };
  model.questions = (saved.model.questions || []).map(({ id, ...fields }) => newQuestion(fields));
  if (model.questions.length === 0) model.questions.push(newQuestion());
  model.codes = [...(saved.model.codes || [])];
  replaceDraft(model, saved.media, !!saved.dirty);
  return true;
}

// --- import ------------------------------------------------------------------------

function startsWith(bytes, ...prefix) {
  return prefix.every((b, i) => bytes[i] === b);
}

function askToReplace() {
  return !state.dirty || window.confirm(state.t('replaceDraft'));
}

// The source among `entries` ([{path, bytes}]) with the media it names.
function importEntries(entries, shownName) {
  const t = state.t;
  const opened = openSource(entries, core.readToml);
  if (!opened) {
    showNotice([t('noSource')], true);
    return;
  }
  const name = shownName || opened.source.path;
  if (opened.problem) {
    showNotice([t('tomlError', name, opened.problem.line, opened.problem.message)], true);
    return;
  }
  if (!askToReplace()) return;
  const { model, media, dropped, missing } = opened;
  replaceDraft(model, media, false);
  showNotice([
    media.size ? t('openedMedia', name, media.size) : t('opened', name),
    dropped.length ? t('droppedKeys', dropped.join(', ')) : '',
    missing.length ? t('notFound', missing.join(', ')) : '',
  ], dropped.length > 0 || missing.length > 0);
}

async function importFiles(files) {
  const t = state.t;
  const entries = [];
  for (const file of files) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const path = mediaKey(file.relativePath || file.webkitRelativePath || file.name);
    entries.push({ path, bytes, name: file.name });
  }
  const exe = entries.find((e) => startsWith(e.bytes, 0x4d, 0x5a) || /\.exe$/i.test(e.path));
  const zip = entries.find((e) => startsWith(e.bytes, 0x50, 0x4b) || /\.zip$/i.test(e.path));
  if (exe && !entries.some((e) => /\.toml$/i.test(e.path))) {
    try {
      importEntries(core.unpack(exe.bytes), exe.name);
    } catch (error) {
      showNotice([t('unpackError', exe.name, error.message)], true);
    }
  } else if (zip && !entries.some((e) => /\.toml$/i.test(e.path))) {
    try {
      importEntries(await readZip(zip.bytes), zip.name);
    } catch (error) {
      if (!(error instanceof ZipError)) throw error;
      showNotice([t('zipError', zip.name, t.zip(error.code, error.detail))], true);
    }
  } else {
    importEntries(entries);
  }
}

// Files and folders dropped on the page, folders read through.
async function droppedFiles(entries, plainFiles) {
  if (entries.length === 0) return plainFiles;
  const files = [];
  const walk = async (entry, prefix) => {
    if (entry.isFile) {
      const file = await new Promise((resolveFile, reject) => entry.file(resolveFile, reject));
      file.relativePath = prefix + file.name;
      files.push(file);
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolveBatch, reject) => reader.readEntries(resolveBatch, reject));
        if (batch.length === 0) break;
        for (const child of batch) await walk(child, `${prefix}${entry.name}/`);
      }
    }
  };
  for (const entry of entries) await walk(entry, '');
  return files;
}

// --- media -------------------------------------------------------------------------

async function setMedia(question, key, file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  // The file it replaces leaves first, so a file of the same name keeps it.
  question[key] = '';
  dropUnusedMedia();
  let path = [...state.media].find(([, known]) => known.length === bytes.length && known.every((b, i) => b === bytes[i]))?.[0];
  if (!path) {
    path = freeName(file.name, new Set([...state.media.keys(), SOURCE_NAME]));
    state.media.set(path, bytes);
  }
  question[key] = path;
  changed({ rebuild: true, focus: `[data-field="q:${question.id}:${key}"] input[type=file]` });
}

// --- export, download and play --------------------------------------------------------

function saveFile(bytes, name, type) {
  const link = element('a', { href: URL.createObjectURL(new Blob([bytes], { type })), download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function exported(version) {
  if (state.version === version) state.dirty = false;
  saveNow();
}

async function exportZip() {
  const version = state.version;
  writeDraft();
  const files = [{ path: SOURCE_NAME, bytes: new TextEncoder().encode(state.source) }];
  for (const path of mediaPaths(state.model).map(mediaKey)) {
    if (state.media.has(path) && path !== SOURCE_NAME) files.push({ path, bytes: state.media.get(path) });
  }
  saveFile(await writeZip(files), `${fileStem(state.model.title)}.zip`, 'application/zip');
  exported(version);
}

function buildExe() {
  runCheck();
  if (state.errors > 0) return null;
  try {
    return core.build();
  } catch (error) {
    const details = (error.diagnostics || []).map((d) => d.message).join(' ');
    showNotice([state.t('buildFailed', details || error.message)], true);
    return null;
  }
}

function download() {
  const version = state.version;
  const bytes = buildExe();
  if (!bytes) return;
  saveFile(bytes, `${fileStem(state.model.title)}.exe`, 'application/octet-stream');
  exported(version);
}

async function downloadPage() {
  const version = state.version;
  const bytes = buildExe();
  if (!bytes) return;
  try {
    const response = await fetch('core/quiz-page-template.html');
    if (!response.ok) throw new Error(`core/quiz-page-template.html: ${response.status}`);
    const page = core.quizPage(bytes, new Uint8Array(await response.arrayBuffer()));
    saveFile(page, `${fileStem(state.model.title)}.html`, 'text/html');
    exported(version);
  } catch (error) {
    showNotice([state.t('buildFailed', error.message)], true);
  }
}

function playHere() {
  const bytes = buildExe();
  if (!bytes) return;
  if (playUrl) URL.revokeObjectURL(playUrl);
  playUrl = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const name = `${fileStem(state.model.title)}.exe`;
  window.open(`play.html?quiz=${encodeURIComponent(playUrl)}&name=${encodeURIComponent(name)}`, '_blank');
}

// --- language ------------------------------------------------------------------------

function applyLanguage(language) {
  state.t = translator(language);
  document.documentElement.lang = language;
  document.title = state.t('pageTitle');
  for (const node of document.querySelectorAll('[data-t]')) node.textContent = state.t(node.dataset.t);
  for (const button of document.querySelectorAll('[data-lang]')) {
    button.setAttribute('aria-pressed', String(button.dataset.lang === language));
  }
  try {
    localStorage.setItem(LANGUAGE_KEY, language);
  } catch {
    // The choice is then only for this visit.
  }
  if (!core) return;
  showBackground();
  renderQuestions();
  renderDiagnostics();
}

// --- wiring --------------------------------------------------------------------------

function onInput(event) {
  const target = event.target;
  if (target.dataset.try !== undefined) {
    judgeTry(target);
    return;
  }
  if (target.dataset.code !== undefined) {
    const i = Number(target.dataset.code);
    while (state.model.codes.length <= i) state.model.codes.push('');
    state.model.codes[i] = target.value;
    trimCodes();
    changed();
    return;
  }
  if (target.id === 'f-background-picker') {
    state.model.background = target.value.toUpperCase();
    $('f-background').value = state.model.background;
    showBackground();
    changed();
    return;
  }
  const key = target.dataset.key;
  if (!key || target.type === 'file') return;
  if (target.dataset.q) {
    const question = findQuestion(target.dataset.q);
    if (!question) return;
    question[key] = target.value;
    for (const tryInput of document.querySelectorAll(`input.try[data-q="${question.id}"][data-try="${key}"]`)) {
      judgeTry(tryInput);
    }
  } else {
    state.model[key] = target.value;
    if (key === 'background') showBackground();
    if (key === 'label1' || key === 'label2') showHeaderFields();
  }
  changed();
}

function onChange(event) {
  const target = event.target;
  if (target.name === 'kind') {
    state.model.kind = KINDS.includes(target.value) ? target.value : 'text';
    changed({ rebuild: true });
  } else if (target.name === 'answersPerQuestion') {
    state.model.answersPerQuestion = Number(target.value) === 2 ? 2 : 1;
    showHeaderFields();
    changed({ rebuild: true });
  } else if (target.id === 'f-reveal') {
    state.model.reveal = target.value;
    changed();
  } else if (target.type === 'file' && target.dataset.media && target.files[0]) {
    const question = findQuestion(target.dataset.q);
    const file = target.files[0];
    if (question) task(() => setMedia(question, target.dataset.media, file));
  }
}

function onClick(event) {
  const target = event.target.closest('button, a[data-goto]');
  if (!target) return;
  const questions = state.model.questions;
  if (target.dataset.goto) {
    event.preventDefault();
    const field = document.querySelector(`[data-field="${CSS.escape(target.dataset.goto)}"]`);
    const input = field && field.querySelector('input:not([type=file]):not(.try), select, button');
    field?.scrollIntoView({ block: 'center' });
    input?.focus();
  } else if (target.dataset.action) {
    const question = findQuestion(target.dataset.q);
    const at = questions.indexOf(question);
    const action = target.dataset.action;
    if (action === 'remove') {
      questions.splice(at, 1);
      trimCodes();
      const next = questions[Math.min(at, questions.length - 1)];
      changed({ rebuild: true, focus: `li[data-q="${next.id}"] input` });
      $('announce').textContent = state.t('removed', at + 1);
    } else {
      const to = action === 'up' ? at - 1 : at + 1;
      if (to < 0 || to >= questions.length) return;
      [questions[at], questions[to]] = [questions[to], questions[at]];
      const keep = to === 0 || to === questions.length - 1 ? (action === 'up' ? 'down' : 'up') : action;
      changed({ rebuild: true, focus: `button[data-q="${question.id}"][data-action="${keep}"]` });
      $('announce').textContent = state.t('moved', to + 1);
    }
  } else if (target.dataset.unset) {
    const question = findQuestion(target.dataset.q);
    question[target.dataset.unset] = '';
    dropUnusedMedia();
    changed({ rebuild: true, focus: `[data-field="q:${question.id}:${target.dataset.unset}"] input[type=file]` });
  } else if (target.dataset.removeCode !== undefined) {
    state.model.codes.splice(Number(target.dataset.removeCode), 1);
    trimCodes();
    changed({ rebuild: true, focus: '#codes input' });
  } else if (target.dataset.lang) {
    applyLanguage(target.dataset.lang);
  }
}

// What was dropped is read while the drop event lasts; the files after.
function onDrop(event) {
  document.body.classList.remove('dragging');
  for (const slot of document.querySelectorAll('[data-drop].dragging')) slot.classList.remove('dragging');
  const slot = event.target.closest?.('[data-drop]');
  const plainFiles = [...event.dataTransfer.files];
  if (slot) {
    const question = findQuestion(slot.dataset.q);
    if (question && plainFiles[0]) task(() => setMedia(question, slot.dataset.drop, plainFiles[0]));
    return;
  }
  const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
  task(async () => {
    const files = await droppedFiles(entries, plainFiles);
    if (files.length) await importFiles(files);
  });
}

function wire() {
  const form = $('form');
  form.addEventListener('input', onInput);
  form.addEventListener('change', onChange);
  form.addEventListener('submit', (event) => event.preventDefault());
  document.addEventListener('click', onClick);
  $('add-question').addEventListener('click', () => {
    const question = newQuestion();
    state.model.questions.push(question);
    changed({ rebuild: true, focus: `#q${question.id}-text` });
  });
  $('new-quiz').addEventListener('click', () => {
    if (!askToReplace()) return;
    replaceDraft(newModel(), new Map(), false);
    showNotice([]);
    $('f-title').focus();
  });
  for (const id of ['open-files', 'open-folder']) {
    $(id).addEventListener('change', async (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      if (files.length) await task(() => importFiles(files));
    });
  }
  $('export-zip').addEventListener('click', () => task(exportZip));
  $('download').addEventListener('click', download);
  $('download-html').addEventListener('click', downloadPage);
  $('play-here').addEventListener('click', playHere);
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    const slot = event.target.closest?.('[data-drop]');
    document.body.classList.toggle('dragging', !slot);
    for (const other of document.querySelectorAll('[data-drop].dragging')) other.classList.toggle('dragging', other === slot);
    slot?.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.target === document.documentElement || !event.relatedTarget) {
      document.body.classList.remove('dragging');
      for (const slot of document.querySelectorAll('[data-drop].dragging')) slot.classList.remove('dragging');
    }
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    onDrop(event);
  });
  window.addEventListener('beforeunload', (event) => {
    if (saveTimer) saveNow();
    if (!state.dirty) return;
    event.preventDefault();
    event.returnValue = '';
  });
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden' && saveTimer) saveNow();
  });
}

async function start() {
  let language = 'en';
  try {
    language = defaultLanguage(localStorage.getItem(LANGUAGE_KEY), navigator.language);
  } catch {
    language = defaultLanguage(null, navigator.language);
  }
  state.t = translator(language);
  try {
    core = draftCore(await loadCore(window.TrivoCore));
  } catch (error) {
    applyLanguage(language);
    showNotice([state.t('coreFailed', error.message)], true);
    return;
  }
  wire();
  if (await restoreDraft()) showNotice([state.t('restored')]);
  else replaceDraft(newModel(), new Map(), false);
  applyLanguage(language);
  fillHeader();
  window.trivoAuthor = { state, runCheck, saveNow };  // for the browser tests
  document.body.dataset.ready = 'true';
}

start();
