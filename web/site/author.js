// The authoring page: a form for every key of the quiz source, checked as
// the author types by the tool's own check (compiled to wasm), built into
// the same executable `trivo build` makes, kept in IndexedDB between visits.
// This module holds the page's state and its events: each event picks an
// edit of the model (author-model.js), the view draws (author-view.js),
// files come and go through author-transfer.js, the draft through draft-store.js.
import { loadCore } from './core-api.js';
import { SOURCE_NAME, draftCore, failure } from './author-core.js';
import { defaultLanguage, translator } from './author-i18n.js';
import { draftPathProblems, mediaKey } from './author-import.js';
import {
  addQuestion, moveQuestion, removeCode, removeQuestion, setCode, setHeader, setQuestion,
} from './author-model.js';
import { fileStem, freeName, mediaPaths, newModel, newQuestion, writeSource } from './author-source.js';
import {
  TooLarge, droppedFiles, keptDraftZip, openEntries, readLimited, readOpened, sourceZip, tooLarge,
} from './author-transfer.js';
import {
  bindView, element, fillHeader, forgetPreviews, judgeTry, renderDiagnostics, renderQuestions,
  showBackground, showHeaderFields, showNotice,
} from './author-view.js';
import { loadAside, loadDraft, saveDraft, setAside } from './draft-store.js';
import { LIMITS } from './limits.js';

const CHECK_DELAY_MS = 250;
const SAVE_DELAY_MS = 300;
const LANGUAGE_KEY = 'trivo:author:language';

const $ = (id) => document.getElementById(id);
const state = {
  model: newModel(),
  media: new Map(),  // path as the draft folder holds it -> bytes
  dirty: false,  // a change since the last export or download
  version: 0,
  diagnostics: [],
  lineFields: [],
  errors: 0,
  t: translator('en'),
};
let core = null;
let busy = 0;
let checkTimer = 0;
let saveTimer = 0;
let playUrl = '';

// Runs an asynchronous task started by the author; the body is marked busy
// until every such task has ended (the browser tests wait on it).
function task(run) {
  busy++;
  document.body.dataset.busy = 'true';
  return Promise.resolve()
    .then(run)
    .catch((error) => showNotice([state.t('checkFailed', failure(error))], true))
    .finally(() => {
      busy--;
      if (busy === 0) delete document.body.dataset.busy;
    });
}

// --- checking --------------------------------------------------------------------

// The check of the draft as the source is written now. Whatever fails on
// the way (the draft folder, the core) is an error in the summary, so the
// download waits and the page goes on.
function runCheck() {
  clearTimeout(checkTimer);
  checkTimer = 0;
  let result;
  try {
    const written = writeSource(state.model, core.quote);
    state.lineFields = written.fields;
    core.writeDraft(written.text, state.media);
    result = core.check();
  } catch (error) {
    result = { ok: false, error: failure(error) };
  }
  const found = result.diagnostics ||
    [{ line: 0, error: true, message: state.t('checkFailed', result.error || '') }];
  state.diagnostics = found.map((d) => ({
    ...d, field: d.line >= 1 ? state.lineFields[d.line - 1] || null : null,
  }));
  try {
    renderDiagnostics();
  } finally {
    document.body.dataset.check = 'done';
    document.body.dataset.checkedVersion = String(state.version);
  }
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
    showNotice([state.t('saveFailed', failure(error))], true);
  }
}

function scheduleSave() {
  clearTimeout(saveTimer);
  saveTimer = setTimeout(saveNow, SAVE_DELAY_MS);
}

// After an edit: the model is state.model already; the view draws it.
function changed(model, { rebuild = false, focus = null } = {}) {
  state.model = model;
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
  forgetPreviews(state.media);
}

function replaceDraft(model, media, dirty) {
  state.model = model;
  state.media = media;
  state.dirty = dirty;
  state.version++;
  forgetPreviews(media);
  fillHeader();
  renderQuestions();
  runCheck();
  saveNow();
}

// The kept draft as a model and media, or an Error saying why it cannot be
// the page's draft (its media names clash, the draft folder refuses it).
function restoredDraft(saved) {
  const kept = saved.model;
  if (!kept || typeof kept !== 'object' || !Array.isArray(kept.questions) || !(saved.media instanceof Map)) {
    throw new Error('its form is not one this page keeps');
  }
  const model = { ...newModel(), ...kept, raw: { ...kept.raw }, extra: [...(kept.extra || [])] };
  model.questions = kept.questions.map(({ id, ...fields }) => newQuestion({ raw: {}, extra: [], ...fields }));
  model.codes = [...(kept.codes || [])];
  const clashes = draftPathProblems([...saved.media.keys()]);
  if (clashes.length) throw new Error(clashes.join(', '));
  core.writeDraft(writeSource(model, core.quote).text, saved.media);
  return model;
}

// Restores the kept draft; one that cannot be restored is set aside (for
// its export) and the page starts with a new quiz.
async function restoreDraft() {
  let saved = null;
  try {
    saved = await loadDraft();
  } catch (error) {
    showNotice([state.t('saveFailed', failure(error))], true);
  }
  if (!saved) return false;
  try {
    replaceDraft(restoredDraft(saved), saved.media, !!saved.dirty);
    showNotice([state.t('restored')]);
  } catch (error) {
    try {
      await setAside(saved);
    } catch {
      // Nothing more can be kept; the message still says why.
    }
    replaceDraft(newModel(), new Map(), false);
    showNotice([state.t('draftAside', failure(error))], true);
  }
  return true;
}

// --- import ------------------------------------------------------------------------

function askToReplace() {
  return !state.dirty || window.confirm(state.t('replaceDraft'));
}

async function importFiles(files) {
  const t = state.t;
  const read = await readOpened(files);
  if (read.problem) return showNotice([read.problem(t)], true);
  let entries = read.entries;
  if (read.exe) {
    try {
      entries = core.unpack(read.exe);
    } catch (error) {
      return showNotice([t('unpackError', read.name, failure(error))], true);
    }
  }
  const opened = openEntries(entries, read.name, core.readToml);
  if (opened.problem) return showNotice([opened.problem(t)], true);
  if (!askToReplace()) return null;
  const { model, media, missing } = opened.opened;
  replaceDraft(model, media, false);
  return showNotice([
    media.size ? t('openedMedia', opened.name, media.size) : t('opened', opened.name),
    missing.length ? t('notFound', missing.join(', ')) : '',
  ], missing.length > 0);
}

// --- media -------------------------------------------------------------------------

// The names a new medium must not take: the draft's files and their folders.
function takenNames() {
  const taken = new Set([SOURCE_NAME]);
  for (const path of state.media.keys()) {
    const parts = path.split('/');
    parts.forEach((_, i) => taken.add(parts.slice(0, i + 1).join('/')));
  }
  return taken;
}

async function setMedia(id, key, file) {
  let bytes;
  try {
    bytes = await readLimited(file, LIMITS.mediaBytes);
  } catch (error) {
    if (!(error instanceof TooLarge)) throw error;
    showNotice([tooLarge(file.name, LIMITS.mediaBytes)(state.t)], true);
    return;
  }
  // The file it replaces leaves first, so a file of the same name keeps it.
  state.model = setQuestion(state.model, id, key, '');
  dropUnusedMedia();
  let path = [...state.media].find(([, known]) => known.length === bytes.length && known.every((b, i) => b === bytes[i]))?.[0];
  if (!path) {
    path = freeName(file.name, takenNames());
    state.media.set(path, bytes);
  }
  changed(setQuestion(state.model, id, key, path), { rebuild: true, focus: `[data-field="q:${id}:${key}"] input[type=file]` });
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
  const { text } = writeSource(state.model, core.quote);
  saveFile(await sourceZip(text, state.model, state.media), `${fileStem(state.model.title)}.zip`, 'application/zip');
  exported(version);
}

async function exportAside() {
  const aside = await loadAside();
  if (aside) saveFile(await keptDraftZip(aside), 'draft-set-aside.zip', 'application/zip');
}

function showBuildFailure(error) {
  const details = (error.diagnostics || []).map((d) => d.message).join(' ');
  showNotice([state.t('buildFailed', details || failure(error))], true);
}

function buildExe() {
  runCheck();
  if (state.errors > 0) return null;
  try {
    return core.build();
  } catch (error) {
    showBuildFailure(error);
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

// The quiz's one-file page, as `trivo html` makes it from the page template
// the site serves beside the core.
async function pageTemplate() {
  const response = await fetch('core/quiz-page-template.html');
  if (!response.ok) throw new Error(`core/quiz-page-template.html: ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

async function downloadPage() {
  const version = state.version;
  const bytes = buildExe();
  if (!bytes) return;
  try {
    const page = core.quizPage(bytes, await pageTemplate());
    saveFile(page, `${fileStem(state.model.title)}.html`, 'text/html');
    exported(version);
  } catch (error) {
    showNotice([state.t('buildFailed', failure(error))], true);
  }
}

// The package for a learning platform, as `trivo build --scorm` makes it,
// with the source's pass mark.
async function downloadScorm(scorm) {
  const version = state.version;
  runCheck();
  if (state.errors > 0) return;
  try {
    const zip = core.scormPackage(scorm, await pageTemplate());
    saveFile(zip, `${fileStem(state.model.title)}-SCORM-${scorm}.zip`, 'application/zip');
    exported(version);
  } catch (error) {
    showBuildFailure(error);
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
    changed(setCode(state.model, Number(target.dataset.code), target.value));
    return;
  }
  if (target.id === 'f-background-picker') {
    changed(setHeader(state.model, 'background', target.value.toUpperCase()));
    $('f-background').value = state.model.background;
    showBackground();
    return;
  }
  const key = target.dataset.key;
  if (!key || target.type === 'file') return;
  if (target.dataset.q) {
    const id = Number(target.dataset.q);
    changed(setQuestion(state.model, id, key, target.value));
    for (const tryInput of document.querySelectorAll(`input.try[data-q="${id}"][data-try="${key}"]`)) judgeTry(tryInput);
    return;
  }
  changed(setHeader(state.model, key, target.value));
  if (key === 'background') showBackground();
  if (key === 'label1' || key === 'label2') showHeaderFields();
}

function onChange(event) {
  const target = event.target;
  if (target.name === 'kind' || target.name === 'answersPerQuestion') {
    changed(setHeader(state.model, target.name, target.value), { rebuild: true });
    showHeaderFields();
  } else if (target.id === 'f-reveal') {
    changed(setHeader(state.model, 'reveal', target.value));
  } else if (target.type === 'file' && target.dataset.media && target.files[0]) {
    const file = target.files[0];
    task(() => setMedia(Number(target.dataset.q), target.dataset.media, file));
  }
}

function goTo(field) {
  const box = document.querySelector(`[data-field="${CSS.escape(field)}"]`);
  const input = box && box.querySelector('input:not([type=file]):not(.try), select, button');
  box?.scrollIntoView({ block: 'center' });
  input?.focus();
}

function onQuestionAction(id, action) {
  const at = state.model.questions.findIndex((q) => q.id === id);
  if (action === 'remove') {
    const model = removeQuestion(state.model, id);
    const next = model.questions[Math.min(at, model.questions.length - 1)];
    changed(model, { rebuild: true, focus: `li[data-q="${next.id}"] input` });
    $('announce').textContent = state.t('removed', at + 1);
    return;
  }
  const step = action === 'up' ? -1 : 1;
  const model = moveQuestion(state.model, id, step);
  if (model === state.model) return;
  const to = at + step;
  const last = model.questions.length - 1;
  const keep = to === 0 || to === last ? (action === 'up' ? 'down' : 'up') : action;
  changed(model, { rebuild: true, focus: `button[data-q="${id}"][data-action="${keep}"]` });
  $('announce').textContent = state.t('moved', to + 1);
}

function onClick(event) {
  const target = event.target.closest('button, a[data-goto]');
  if (!target) return;
  if (target.dataset.goto) {
    event.preventDefault();
    goTo(target.dataset.goto);
  } else if (target.dataset.action) {
    onQuestionAction(Number(target.dataset.q), target.dataset.action);
  } else if (target.dataset.unset) {
    const id = Number(target.dataset.q);
    state.model = setQuestion(state.model, id, target.dataset.unset, '');
    dropUnusedMedia();
    changed(state.model, { rebuild: true, focus: `[data-field="q:${id}:${target.dataset.unset}"] input[type=file]` });
  } else if (target.dataset.removeCode !== undefined) {
    changed(removeCode(state.model, Number(target.dataset.removeCode)), { rebuild: true, focus: '#codes input' });
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
    if (plainFiles[0]) task(() => setMedia(Number(slot.dataset.q), slot.dataset.drop, plainFiles[0]));
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
    const { model, question } = addQuestion(state.model);
    changed(model, { rebuild: true, focus: `#q${question.id}-text` });
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
  $('export-aside').addEventListener('click', () => task(exportAside));
  $('download').addEventListener('click', download);
  $('download-html').addEventListener('click', () => task(downloadPage));
  for (const button of document.querySelectorAll('.download-scorm')) {
    button.addEventListener('click', () => task(() => downloadScorm(button.dataset.scorm)));
  }
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
    showNotice([state.t('coreFailed', failure(error))], true);
    return;
  }
  bindView(state, core);
  wire();
  applyLanguage(language);
  if (!(await restoreDraft())) replaceDraft(newModel(), new Map(), false);
  $('export-aside').hidden = !(await loadAside().catch(() => null));
  fillHeader();
  window.trivoAuthor = { state, runCheck, saveNow };  // for the browser tests
  document.body.dataset.ready = 'true';
}

start();
