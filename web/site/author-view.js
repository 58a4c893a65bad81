// The authoring page's drawing: the form filled from the model, each
// question with its media previews and "Try an answer" boxes, and the
// check's diagnostics beside their fields and in the summary. It reads the
// page's state and never edits the model.
import { DEFAULT_BACKGROUND, showsAnswer2, showsClip, showsPictures } from './author-source.js';
import { formatSize } from './author-i18n.js';
import { mediaKey } from './author-import.js';
import { mediaType } from './media-types.js';

const $ = (id) => document.getElementById(id);
let state = null;
let core = null;

// The page's state ({model, media, diagnostics, t...}) and its draft core.
export function bindView(pageState, draftCore) {
  state = pageState;
  core = draftCore;
}

export function element(tag, props = {}, ...children) {
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

export function findQuestion(id) {
  return state.model.questions.find((q) => q.id === Number(id));
}

export function showNotice(lines, isProblem = false) {
  const box = $('notice');
  box.replaceChildren(...lines.filter(Boolean).map((line) => element('p', { text: line })));
  box.classList.toggle('problem', isProblem);
  box.hidden = box.childElementCount === 0;
}


// --- the header fields ---------------------------------------------------------

export function fillHeader() {
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

export function showHeaderFields() {
  const model = state.model;
  const labels = model.answersPerQuestion === 2 || model.label1 !== '' || model.label2 !== '';
  $('label1-field').hidden = !labels;
  $('label2-field').hidden = !labels;
}

export function showBackground() {
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

export function judgeTry(input) {
  const question = findQuestion(input.dataset.q);
  const verdict = $(`${input.id}-verdict`);
  if (!question || !verdict) return;
  verdict.style.background = '';
  if (input.value === '') {
    verdict.textContent = '?';
    verdict.className = 'status';
    return;
  }
  const result = core.verdict(question[input.dataset.try] ?? '', input.value);
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

// A medium's preview, made once for its bytes (the draft keeps one array
// for each file, so a file the author did not change is not looked at
// again): the player's reading of a picture, and a URL to show it by.
const previews = new Map();  // bytes -> {info, type, url}

function preview(path, bytes) {
  const known = previews.get(bytes);
  if (known) return known;
  let info = null;
  let shown = bytes;
  let type = mediaType(path.split('.').pop());
  if (type.startsWith('image/')) {
    info = core.pictureInfo(bytes);
    if (info.format === 'png') {
      // Shown as the player shows it: through the project's own decoder.
      const decoded = core.decodePng(bytes);
      shown = decoded.ok ? decoded.bytes : null;
      type = 'image/bmp';
    } else if (info.format !== 'unknown') {
      type = mediaType(info.format);
    }
  }
  const made = { info, type, url: shown ? URL.createObjectURL(new Blob([shown], { type })) : '' };
  previews.set(bytes, made);
  return made;
}

// Lets go of the previews of media the draft no longer holds.
export function forgetPreviews(media) {
  const held = new Set(media.values());
  for (const [bytes, made] of previews) {
    if (held.has(bytes)) continue;
    if (made.url) URL.revokeObjectURL(made.url);
    previews.delete(bytes);
  }
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

export function renderQuestions(focusSelector) {
  drawnDiagnostics = '';
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

// The diagnostics the page shows, as JSON with the language: a check after
// a keystroke mostly finds the same ones, and 300 of them take a while to draw.
let drawnDiagnostics = '';

export function renderDiagnostics() {
  const t = state.t;
  const shown = JSON.stringify([t('error'), state.diagnostics]);
  if (shown === drawnDiagnostics) return;
  drawnDiagnostics = shown;
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
  for (const button of document.querySelectorAll('.download-scorm')) button.disabled = errors > 0;
  $('play-here').disabled = errors > 0;
}
