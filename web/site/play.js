// The web player: opens a quiz executable and draws the page the Windows
// player would show. Every rule of play, and every size, colour and format
// the player decides, comes from the core; this file only draws.
import { LIMITS, loadCore } from './core-api.js';
import { embeddedQuiz } from './embedded-quiz.js';

const MEDIA_TEXT = 0;
const MEDIA_PICTURE = 1;
const MEDIA_VIDEO = 3;
const ANSWERS_KEY = 'trivo:answers:';
// Answers were once kept under a 64-bit hash of the quiz, in 16 hex digits.
const LEGACY_ANSWERS_KEY = /^trivo:answers:[0-9a-f]{16}$/;
// Pictures are decoded when their row comes this near the view, so that
// scrolling finds them drawn while a long quiz opens at once.
const NEAR_VIEW = '400px 0px';
// Pictures decode a row at a time, in question order, so that the first row
// is not kept waiting behind every other picture near the view.
const DECODES_AT_ONCE = 3;

const $ = (id) => document.getElementById(id);
const page = {
  quiz: null, exeName: '', state: null, inputs: [], statuses: [], cells: [], urls: [], clip: null,
  // Raised by every open: work an earlier open started is dropped when it ends.
  generation: 0,
  observer: null,
  decodes: { running: 0, waiting: [] },
  storageTold: false,
};
// The quiz the page is given comes while the core compiles.
const arriving = embeddedQuiz() ?? fetchFromAddress();
const core = await loadCore(window.TrivoCore);

// --- problems ----------------------------------------------------------------

function showProblem(text) {
  const box = $('problem');
  box.textContent = text;
  const close = document.createElement('button');
  close.type = 'button';
  close.textContent = 'OK';
  close.addEventListener('click', () => { box.hidden = true; });
  box.append(close);
  box.hidden = false;
}

// The result of a core call; a call that failed throws with the core's words.
function ask(call) {
  let result;
  try {
    result = call();
  } catch (error) {
    throw new Error(`Le lecteur a échoué : ${error.message || error}`);
  }
  if (result && result.ok === false) throw new Error(result.error || 'Le lecteur a échoué.');
  return result;
}

function askState(call) {
  const state = ask(call);
  if (!Array.isArray(state?.fields)) throw new Error("Le lecteur a échoué : le quiz n'est plus ouvert.");
  return state;
}

// An event handler whose failure is shown on the page instead of lost.
function guarded(handler) {
  return (...args) => {
    try {
      Promise.resolve(handler(...args)).catch((error) => showProblem(error.message));
    } catch (error) {
      showProblem(error.message);
    }
  };
}

function megabytes(size) {
  return (size / (1024 * 1024)).toLocaleString('fr-FR', { maximumFractionDigits: 1 });
}

function tooLarge(size, limit) {
  return `Ce fichier fait ${megabytes(size)} Mo : le lecteur n'ouvre pas de fichier de plus de ${megabytes(limit)} Mo.`;
}

// --- keeping the answers -------------------------------------------------------

// The answers file's bytes kept as one character per byte.
function bytesToStored(bytes) {
  let text = '';
  for (const b of bytes) text += String.fromCharCode(b);
  return text;
}

function storedToBytes(text) {
  return Uint8Array.from(text, (c) => c.charCodeAt(0) & 0xff);
}

function readStored(key) {
  try {
    return localStorage.getItem(key);
  } catch {
    return null;
  }
}

// True when the browser kept the answers; the first failure is told.
function remember() {
  const bytes = ask(() => core.answersFile());
  try {
    localStorage.setItem(ANSWERS_KEY + page.quiz.hash, bytesToStored(bytes));
    return true;
  } catch {
    if (!page.storageTold) {
      page.storageTold = true;
      const box = $('storage-problem');
      box.textContent = 'Ce navigateur ne garde plus vos réponses (stockage plein ou refusé). ' +
        'Cliquez sur « Sauver » pour les garder dans un fichier.';
      box.hidden = false;
    }
    return false;
  }
}

function hasLegacyKeys() {
  try {
    for (let i = 0; i < localStorage.length; i++) if (LEGACY_ANSWERS_KEY.test(localStorage.key(i))) return true;
  } catch {
    // no storage: nothing to carry over
  }
  return false;
}

// The state with the answers this browser kept for the quiz, or null. Answers
// kept under the quiz's old key move to the new one, and the old key goes only
// once the new one holds them; the old key is computed only while such keys remain.
function restoreAnswers(quiz, bytes) {
  const saved = readStored(ANSWERS_KEY + quiz.hash);
  if (saved !== null) return askState(() => core.loadAnswers(storedToBytes(saved)));
  if (!hasLegacyKeys()) return null;
  const legacyKey = ANSWERS_KEY + ask(() => core.legacyKey(bytes));
  const legacy = readStored(legacyKey);
  if (legacy === null) return null;
  const state = askState(() => core.loadAnswers(storedToBytes(legacy)));
  if (remember()) localStorage.removeItem(legacyKey);
  return state;
}

// --- opening -------------------------------------------------------------------

function closeQuiz() {
  page.observer?.disconnect();
  page.urls.forEach((url) => URL.revokeObjectURL(url));
  Object.assign(page, {
    quiz: null, state: null, urls: [], inputs: [], statuses: [], cells: [], observer: null,
    decodes: { running: 0, waiting: [] },
  });
  $('pane').replaceChildren();
  for (const id of ['header', 'pane', 'footer', 'answers-open', 'storage-problem']) $(id).hidden = true;
  document.title = 'Trivo';
}

function openQuiz(bytes, name) {
  stopClip();
  closeQuiz();
  $('problem').hidden = true;
  let opened;
  try {
    opened = ask(() => core.openQuiz(bytes));
    Object.assign(page, { quiz: opened.quiz, exeName: name, storageTold: false });
    build(opened.quiz);
    render(restoreAnswers(opened.quiz, bytes) ?? opened.state);
    showFirstRow();
  } catch (error) {
    closeQuiz();
    showProblem(error.message);
    return;
  }
  $('answers-open').hidden = false;
  const problems = [...opened.messages, ...refusedPictures(opened.quiz)];
  if (problems.length > 0) showProblem(problems.join('\n'));
  const show = (state) => {
    render(state);
    remember();
  };
  document.dispatchEvent(new CustomEvent('trivo:opened', { detail: { quiz: page.quiz, core, show, tell: showProblem } }));
}

async function openFile(file) {
  if (page.quiz && /\.txt$/i.test(file.name)) return loadAnswersFile(file);
  const generation = ++page.generation;
  if (file.size > LIMITS.quizBytes) return showProblem(tooLarge(file.size, LIMITS.quizBytes));
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (generation === page.generation) openQuiz(bytes, file.name);
}

async function loadAnswersFile(file) {
  if (file.size > LIMITS.sourceBytes) return showProblem(tooLarge(file.size, LIMITS.sourceBytes));
  const quiz = page.quiz;
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (page.quiz !== quiz) return;
  render(askState(() => core.loadAnswers(bytes)));
  remember();
}

// ?quiz=ADDRESS names a quiz of this site, or one the authoring page handed
// over as a blob: address; a quiz from elsewhere would show under this site's
// name. {bytes, name, generation}, {problem}, or null when no quiz is named.
async function fetchFromAddress() {
  const params = new URLSearchParams(location.search);
  const address = params.get('quiz');
  if (!address) return null;
  const generation = ++page.generation;
  let url = null;
  try {
    url = new URL(address, location.href);
  } catch {
    url = null;
  }
  if (!url || url.origin !== location.origin) {
    return { problem: `Le quiz ${address} n'est pas sur ce site : une adresse n'ouvre que les quiz de ce site.` };
  }
  try {
    const response = await fetch(url);
    if (!response.ok) throw new Error(String(response.status));
    const announced = Number(response.headers.get('content-length'));
    if (announced > LIMITS.quizBytes) return { problem: tooLarge(announced, LIMITS.quizBytes) };
    const bytes = new Uint8Array(await response.arrayBuffer());
    if (bytes.length > LIMITS.quizBytes) return { problem: tooLarge(bytes.length, LIMITS.quizBytes) };
    // A blob: address (the authoring page's "Play here") has no file name of its own.
    const name = params.get('name') || decodeURIComponent(url.pathname.split('/').pop() || 'quiz.exe');
    return { bytes, name, generation };
  } catch (error) {
    return { problem: `Le quiz ${address} n'a pas pu être chargé (${error.message}).` };
  }
}

// Opens what the page was given, unless the player opened a file meanwhile.
async function openArrived() {
  const arrived = await arriving;
  if (arrived?.problem) showProblem(arrived.problem);
  else if (arrived && (arrived.generation === undefined || arrived.generation === page.generation)) {
    openQuiz(arrived.bytes, arrived.name);
  }
}

// --- building ------------------------------------------------------------------

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

function buildHeader(quiz) {
  $('title').textContent = quiz.title;
  $('explanation').textContent = quiz.explanation;
  $('creator').textContent = quiz.creator;
  const link = $('link');
  link.textContent = quiz.link;
  link.hidden = !quiz.link;
  // Only a web or mail address is followed; other text shows as it is.
  if (/^(https?:|mailto:)/i.test(quiz.link)) link.href = quiz.link;
  else link.removeAttribute('href');
  $('hide-label').hidden = !quiz.hideBox;
  $('hide').checked = false;
  $('footer').textContent = quiz.footer;
  document.title = quiz.title || 'Trivo';
  for (const id of ['header', 'pane', 'footer']) $(id).hidden = false;
}

function fieldLabel(quiz, q, slot) {
  if (quiz.fieldsPerQuestion === 2) return `Question ${q}, ${slot === 1 ? quiz.label1 : quiz.label2}`;
  const text = quiz.mediaKind === MEDIA_TEXT ? quiz.questions[q - 1].text : '';
  return text ? `Question ${q} : ${text}` : `Question ${q}`;
}

function answerField(quiz, field, q, slot) {
  const input = element('input', 'answer');
  input.type = 'text';
  input.maxLength = quiz.textLimit;
  input.autocomplete = 'off';
  input.spellcheck = false;
  input.dataset.field = String(field);
  input.setAttribute('aria-label', fieldLabel(quiz, q, slot));
  const status = element('div', 'status', '?');
  status.id = `status-${field}`;
  input.setAttribute('aria-describedby', status.id);
  page.inputs[field] = input;
  page.statuses[field] = status;
  return [input, status];
}

function buildTextList(quiz, pane) {
  const list = element('div', 'text-list');
  quiz.questions.forEach((question, i) => {
    const q = i + 1;
    const [input, status] = answerField(quiz, q, q, 1);
    list.append(element('div', 'number', `${q}.`), element('div', 'question-text', question.text), input, status);
  });
  pane.append(list);
}

function clipButtons(q) {
  const box = element('div', 'clip-buttons');
  const play = element('button', '', '\u25B6');
  play.type = 'button';
  play.setAttribute('aria-label', `Question ${q} : lire le clip`);
  const stop = element('button', '', '\u25A0');
  stop.type = 'button';
  stop.setAttribute('aria-label', 'Arrêter le clip');
  play.addEventListener('click', guarded(() => playClip(q)));
  stop.addEventListener('click', stopClip);
  box.append(play, stop);
  return box;
}

// A row is as tall as its tallest question picture, known from the headers
// before anything is decoded.
function rowHeight(quiz, first) {
  const row = quiz.questions.slice(first, first + 3);
  return Math.max(0, ...row.map(({ picture }) => (picture && !picture.refused ? picture.fitHeight : 0)));
}

function pictureCell(quiz, q) {
  const media = element('div', 'media');
  media.style.height = `${rowHeight(quiz, q - 1 - ((q - 1) % 3))}px`;
  const frame = element('div', 'picture');
  const picture = quiz.questions[q - 1].picture;
  if (picture && !picture.refused) {
    frame.style.width = `${picture.fitWidth}px`;
    frame.style.height = `${picture.fitHeight}px`;
  }
  media.append(frame);
  return { q, media, frame, near: false, shown: null };
}

function clipCell(quiz, q) {
  const video = quiz.mediaKind === MEDIA_VIDEO;
  const clip = quiz.questions[q - 1].clip;
  const media = element('div', `media ${video ? 'video' : 'audio'}`);
  const playable = !!clip && document.createElement(video ? 'video' : 'audio').canPlayType(clip.mime) !== '';
  return { q, media, clip, video, playable, player: null, url: null };
}

function buildCell(quiz, q) {
  const n = quiz.fieldsPerQuestion;
  const cell = quiz.mediaKind === MEDIA_PICTURE ? pictureCell(quiz, q) : clipCell(quiz, q);
  cell.element = element('div', 'cell');
  cell.element.dataset.question = String(q);
  const answers = element('div', 'answers');
  answers.classList.toggle('two', n === 2);
  if (quiz.mediaKind !== MEDIA_PICTURE) {
    answers.classList.add('with-clip');
    answers.append(clipButtons(q));
  }
  answers.append(element('div', 'number', `${q}.`));
  if (n === 2 && (q - 1) % 3 === 0) {
    answers.append(element('div', 'answer-label', quiz.label1), element('div', 'answer-label second', quiz.label2));
  }
  for (let slot = 1; slot <= n; slot++) answers.append(...answerField(quiz, n * (q - 1) + slot, q, slot));
  cell.element.append(cell.media, answers);
  if (quiz.revealMode > 1) {
    cell.comment = element('div', 'comment', quiz.questions[q - 1].comment);
    cell.comment.hidden = true;
    cell.comment.setAttribute('aria-live', 'polite');
    cell.element.append(cell.comment);
  }
  cell.problem = element('div', 'clip-problem');
  cell.problem.setAttribute('role', 'status');
  cell.element.append(cell.problem);
  return cell;
}

function buildGrid(quiz, pane) {
  const grid = element('div', 'grid');
  grid.classList.toggle('two', quiz.fieldsPerQuestion === 2);
  grid.classList.toggle('comments', quiz.revealMode > 1);
  page.observer = new IntersectionObserver(guarded(onNearView), { rootMargin: NEAR_VIEW });
  for (let q = 1; q <= quiz.questions.length; q++) {
    const cell = buildCell(quiz, q);
    page.cells[q] = cell;
    grid.append(cell.element);
    page.observer.observe(cell.element);
  }
  pane.append(grid);
}

function build(quiz) {
  buildHeader(quiz);
  const pane = $('pane');
  pane.style.background = `rgb(${quiz.background.join(', ')})`;
  pane.style.setProperty('--label-colour', quiz.labelColour);
  pane.style.setProperty('--box', `${quiz.box}px`);
  if (quiz.mediaKind === MEDIA_TEXT) buildTextList(quiz, pane);
  else buildGrid(quiz, pane);
  for (const input of page.inputs) if (input) wireField(input);
}

// The refusals the headers already tell, one line per message.
function refusedPictures(quiz) {
  const byMessage = new Map();
  quiz.questions.forEach(({ picture, answerPicture }, i) => {
    for (const [info, what] of [[picture, 'image de la question'], [answerPicture, 'image de la réponse']]) {
      if (!info?.refused) continue;
      if (!byMessage.has(info.message)) byMessage.set(info.message, []);
      byMessage.get(info.message).push(`${what} ${i + 1}`);
    }
  });
  return [...byMessage].map(([message, pictures]) => `${message} (${pictures.join(', ')})`);
}

// --- pictures ------------------------------------------------------------------

function onNearView(entries) {
  for (const entry of entries) {
    if (!entry.isIntersecting) continue;
    page.observer.unobserve(entry.target);
    const cell = page.cells[Number(entry.target.dataset.question)];
    cell.near = true;
    if (cell.frame) showPicture(cell);
    else if (cell.video && cell.playable) clipPlayer(cell);
  }
}

// The first row opens the pane: its pictures start decoding before the page
// is laid out, the others as their rows come near the view.
function showFirstRow() {
  for (const cell of page.cells.slice(1, 4)) {
    if (!cell?.frame) continue;
    cell.near = true;
    showPicture(cell);
  }
}

// Draws the question's picture, or its answer picture once revealed; each
// is decoded once, and only when its row is near the view.
function showPicture(cell) {
  const info = page.quiz.questions[cell.q - 1];
  const answer = !!(page.state?.questions[cell.q - 1]?.answerPicture && info.answerPicture);
  const which = answer ? 'answer' : 'question';
  if (!cell.near || cell.shown === which) return;
  cell.shown = which;
  queueDecode(() => drawPicture(cell, answer, answer ? info.answerPicture : info.picture));
}

function queueDecode(job) {
  const decodes = page.decodes;
  decodes.waiting.push(job);
  const next = () => {
    while (decodes.running < DECODES_AT_ONCE && decodes.waiting.length > 0) {
      decodes.running++;
      decodes.waiting.shift()().finally(() => {
        decodes.running--;
        next();
      });
    }
  };
  next();
}

async function drawPicture(cell, answer, info) {
  const generation = page.generation;
  const what = `${answer ? 'Image de la réponse' : 'Image de la question'} ${cell.q}`;
  const which = cell.shown;
  try {
    const canvas = await pictureCanvas(cell.q, answer, info);
    if (!canvas || generation !== page.generation || cell.shown !== which) return;
    canvas.setAttribute('role', 'img');
    canvas.setAttribute('aria-label', what);
    cell.frame.replaceChildren(canvas);
  } catch (error) {
    if (generation === page.generation) cell.problem.textContent = `${error.message} (${what.toLowerCase()})`;
  }
}

// A canvas of the picture at its fitted size: PNG painted from the core's
// fitted pixels, the rest decoded by the browser straight to that size.
async function pictureCanvas(q, answer, info) {
  if (!info) return null;
  if (info.refused) throw new Error(info.message);
  if (!(info.fitWidth > 0 && info.fitHeight > 0)) return null;
  const media = ask(() => core.media(q, answer));
  if (!media) return null;
  if (media.format === 'error') throw new Error(media.message);
  const canvas = document.createElement('canvas');
  if (media.format === 'rgba') {
    Object.assign(canvas, { width: media.width, height: media.height });
    const pixels = new Uint8ClampedArray(media.bytes.buffer, media.bytes.byteOffset, media.bytes.byteLength);
    canvas.getContext('2d').putImageData(new ImageData(pixels, media.width, media.height), 0, 0);
    return canvas;
  }
  let bitmap;
  try {
    bitmap = await createImageBitmap(new Blob([media.bytes], { type: media.mime }),
      { resizeWidth: info.fitWidth, resizeHeight: info.fitHeight, resizeQuality: 'high' });
  } catch {
    throw new Error('Ce navigateur ne peut pas afficher cette image');
  }
  Object.assign(canvas, { width: bitmap.width, height: bitmap.height });
  canvas.getContext('2d').drawImage(bitmap, 0, 0);
  bitmap.close();
  return canvas;
}

// --- showing the state -----------------------------------------------------------

function render(state) {
  const before = page.state;
  page.state = state;
  $('score').textContent = state.scoreText;
  $('code').value = state.code;
  state.fields.forEach((field, i) => {
    const input = page.inputs[i + 1];
    const status = page.statuses[i + 1];
    if (!input) return;
    if (input.value !== field.typed) input.value = field.typed;
    status.textContent = field.status;
    status.className = `status ${field.kind}`;
    status.style.backgroundColor = field.colour || '';
  });
  state.questions.forEach((question, i) => {
    const cell = page.cells[i + 1];
    if (!cell) return;
    cell.element.classList.toggle('folded', question.folded !== 0);
    if (cell.comment) cell.comment.hidden = !question.comment;
    if (cell.frame) showPicture(cell);
  });
  if (before) announceChanges(before, state);
  document.dispatchEvent(new CustomEvent('trivo:state', { detail: { state } }));
}

function announceChanges(before, state) {
  const changed = state.fields
    .map((field, i) => (before.fields[i] && before.fields[i].status !== field.status ? i + 1 : 0))
    .filter((k) => k > 0);
  if (changed.length === 0) return;
  const words = changed.slice(0, 3).map((k) => `${page.inputs[k].getAttribute('aria-label')} : ${state.fields[k - 1].status}`);
  $('announce').textContent = `${words.join('. ')}. Score ${state.scoreText.trim()}`;
}

// --- playing -----------------------------------------------------------------

function fieldNumber(input) {
  return Number(input.dataset.field);
}

function judge(input) {
  if (!page.quiz) return;
  render(askState(() => core.typeField(fieldNumber(input), input.value)));
  remember();
}

function save() {
  const bytes = ask(() => core.answersFile());
  remember();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
  link.download = ask(() => core.answersFileName(page.exeName));
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Tab brings a field that is not wholly visible to the player's offset below
// the pane's top (less when the window is shorter), as the Windows pane scrolls.
function bringIntoView(input) {
  const top = $('header').getBoundingClientRect().bottom;
  const rect = input.getBoundingClientRect();
  if (rect.top >= top && rect.bottom <= window.innerHeight) return;
  const room = window.innerHeight - top - rect.height;
  const offset = Math.min(page.quiz.tabOffset, Math.max(0, room));
  window.scrollBy(0, rect.top - top - offset);
}

let tabbing = false;

function wireField(input) {
  input.addEventListener('keydown', guarded((event) => {
    tabbing = event.key === 'Tab';
    if (event.key === 'Enter') event.preventDefault();
    if (event.key === 'F1') {
      event.preventDefault();
      render(askState(() => core.fillFrom(fieldNumber(input), input.value)));
      remember();
    } else if (event.key === 'F2') {
      event.preventDefault();
      save();
    }
  }));
  // Judged when Enter is released, as in the Windows player.
  input.addEventListener('keyup', guarded((event) => {
    if (event.key === 'Enter') judge(input);
  }));
  input.addEventListener('blur', guarded(() => judge(input)));
  input.addEventListener('focus', () => {
    input.select();
    if (tabbing) bringIntoView(input);
    tabbing = false;
  });
}

// --- clips -------------------------------------------------------------------

function clipUrl(cell) {
  if (!cell.url) {
    const media = ask(() => core.media(cell.q, false));
    if (!media || media.format === 'error') throw new Error(media?.message || `Le clip de la question ${cell.q} manque.`);
    cell.url = URL.createObjectURL(new Blob([media.bytes], { type: media.mime }));
    page.urls.push(cell.url);
  }
  return cell.url;
}

function clipPlayer(cell) {
  if (!cell.player) {
    cell.player = element(cell.video ? 'video' : 'audio');
    cell.player.preload = 'auto';
    cell.player.src = clipUrl(cell);
    cell.media.append(cell.player);
  }
  return cell.player;
}

function stopClip() {
  if (page.clip) {
    page.clip.pause();
    page.clip.currentTime = 0;
    page.clip = null;
  }
}

// One clip plays at a time: starting one stops the one playing.
function playClip(q) {
  const cell = page.cells[q];
  stopClip();
  if (!cell?.clip) return;
  cell.problem.replaceChildren();
  if (!cell.playable) {
    const link = element('a', '', `télécharger le clip (${cell.clip.format.toUpperCase()})`);
    link.href = clipUrl(cell);
    link.download = `question${String(q).padStart(2, '0')}.${cell.clip.format}`;
    cell.problem.append('Ce navigateur ne lit pas ce clip : ', link);
    return;
  }
  const player = clipPlayer(cell);
  page.clip = player;
  player.currentTime = 0;
  player.play().catch(() => {
    // A clip stopped before it started is no failure.
    if (page.clip === player) cell.problem.textContent = 'Ce navigateur ne lit pas ce clip.';
  });
}

// --- wiring ------------------------------------------------------------------

$('quiz-file').addEventListener('change', guarded(async (event) => {
  const file = event.target.files[0];
  event.target.value = '';
  if (file) await openFile(file);
}));
$('answers-file').addEventListener('change', guarded(async (event) => {
  const file = event.target.files[0];
  event.target.value = '';
  if (file && page.quiz) await loadAnswersFile(file);
}));
$('save').addEventListener('click', guarded(save));
$('hide').addEventListener('change', guarded((event) => render(askState(() => core.setHide(event.target.checked)))));
document.addEventListener('keydown', guarded((event) => {
  if (event.key === 'F2' && page.quiz) {
    event.preventDefault();
    save();
  }
}));
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', guarded(async (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  const file = event.dataTransfer.files[0];
  if (file) await openFile(file);
}));

// For the browser tests and benchmark.
window.trivoPage = page;
window.trivoCore = core;
await openArrived();
document.body.dataset.ready = 'true';
