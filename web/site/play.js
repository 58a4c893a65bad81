// The web player: opens a quiz executable, builds the page the Windows
// player would show, and hands every key rule of play to the core.
import { loadCore } from './core-api.js';
import { embeddedQuiz } from './embedded-quiz.js';

const MEDIA_TEXT = 0;
const MEDIA_PICTURE = 1;
const MEDIA_VIDEO = 3;
const BOX = 260;
const TAB_VIEW_OFFSET = 360;
const MIME = {
  jpg: 'image/jpeg', gif: 'image/gif', bmp: 'image/bmp', png: 'image/png',
  wav: 'audio/wav', mp3: 'audio/mpeg', avi: 'video/x-msvideo', mpg: 'video/mpeg', wmv: 'video/x-ms-wmv',
};

const $ = (id) => document.getElementById(id);
const core = await loadCore(window.TrivoCore);
const page = { quiz: null, exeName: '', state: null, inputs: [], statuses: [], cells: [], urls: [], clip: null };

// --- opening ---------------------------------------------------------------

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

function storageKey() {
  return 'trivo:answers:' + page.quiz.hash;
}

// The answers file's bytes kept as one character per byte.
function bytesToStored(bytes) {
  let text = '';
  for (const b of bytes) text += String.fromCharCode(b);
  return text;
}

function storedToBytes(text) {
  return Uint8Array.from(text, (c) => c.charCodeAt(0) & 0xff);
}

function remember() {
  try {
    localStorage.setItem(storageKey(), bytesToStored(core.answersFile()));
  } catch {
    // Private browsing or a full store: the page still plays, "Sauver" still downloads.
  }
}

async function openQuiz(bytes, name) {
  const opened = core.openQuiz(bytes);
  if (!opened.ok) {
    showProblem(opened.error);
    return;
  }
  $('problem').hidden = true;
  page.quiz = opened.quiz;
  page.exeName = name;
  stopClip();
  await build();
  let saved = null;
  try {
    saved = localStorage.getItem(storageKey());
  } catch {
    saved = null;
  }
  render(saved !== null ? core.loadAnswers(storedToBytes(saved)) : opened.state);
  $('answers-open').hidden = false;
  const problems = [...opened.messages, ...page.pictureProblems];
  if (problems.length > 0) showProblem(problems.join('\n'));
  const show = (state) => {
    render(state);
    remember();
  };
  document.dispatchEvent(new CustomEvent('trivo:opened', { detail: { quiz: page.quiz, core, show, tell: showProblem } }));
}

async function openFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (page.quiz && /\.txt$/i.test(file.name)) {
    loadAnswers(bytes);
  } else {
    await openQuiz(bytes, file.name);
  }
}

function loadAnswers(bytes) {
  render(core.loadAnswers(bytes));
  remember();
}

async function openFromAddress() {
  const params = new URLSearchParams(location.search);
  const address = params.get('quiz');
  if (!address) return;
  try {
    const response = await fetch(address);
    if (!response.ok) throw new Error(String(response.status));
    // A blob: address (the authoring page's "Play here") has no file name of its own.
    const name = params.get('name') ||
      decodeURIComponent(new URL(address, location.href).pathname.split('/').pop() || 'quiz.exe');
    await openQuiz(new Uint8Array(await response.arrayBuffer()), name);
  } catch (error) {
    showProblem(`Le quiz ${address} n'a pas pu être chargé (${error.message}).`);
  }
}

// --- building ----------------------------------------------------------------

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

function mediaUrl(media) {
  const url = URL.createObjectURL(new Blob([media.bytes], { type: MIME[media.format] || 'application/octet-stream' }));
  page.urls.push(url);
  return url;
}

// The picture's size fitted into the box as the Windows player fits it:
// the side that meets the box is the box side, the other truncated.
function fit(width, height) {
  if (width <= 0 || height <= 0) return { width: BOX, height: 0 };
  if (BOX * width > BOX * height) return { width: BOX, height: Math.max(1, Math.floor((height * BOX) / width)) };
  return { width: Math.max(1, Math.floor((width * BOX) / height)), height: BOX };
}

// The Windows player's own words when its decoder refuses a stored PNG.
const PNG_REFUSED = "Error: couldn't decode PNG resource";

// `what` names the picture in the message, since the page shows every
// refusal in one alert where the Windows player shows one box each.
async function loadPicture(media, what) {
  if (media?.format === 'error') page.pictureProblems.push(`${PNG_REFUSED} (${what})`);
  if (!media || media.format === 'error' || !MIME[media.format]?.startsWith('image/')) return null;
  const img = new Image();
  img.src = mediaUrl(media);
  img.alt = '';
  try {
    await img.decode();
  } catch {
    return null;
  }
  const size = fit(img.naturalWidth, img.naturalHeight);
  img.width = size.width;
  img.height = size.height;
  return { img, ...size };
}

function buildHeader(quiz) {
  $('title').textContent = quiz.title;
  $('explanation').textContent = quiz.explanation;
  $('creator').textContent = quiz.creator;
  const link = $('link');
  link.textContent = quiz.link;
  link.href = /^(https?:|mailto:)/i.test(quiz.link) ? quiz.link : '#';
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
  input.maxLength = 259;
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

function clipButtons(q, media) {
  const box = element('div', 'clip-buttons');
  const play = element('button', '', '\u25B6');
  play.type = 'button';
  play.setAttribute('aria-label', `Question ${q} : lire le clip`);
  const stop = element('button', '', '\u25A0');
  stop.type = 'button';
  stop.setAttribute('aria-label', 'Arrêter le clip');
  play.addEventListener('click', () => playClip(q));
  stop.addEventListener('click', stopClip);
  box.append(play, stop);
  return box;
}

async function buildGrid(quiz, pane) {
  const n = quiz.fieldsPerQuestion;
  const grid = element('div', 'grid');
  grid.classList.toggle('two', n === 2);
  grid.classList.toggle('comments', quiz.revealMode > 1);
  const count = quiz.questions.length;
  let rowHeight = 0;
  let pictures = [];
  for (let q = 1; q <= count; q++) {
    const column = (q - 1) % 3;
    if (quiz.mediaKind === MEDIA_PICTURE && column === 0) {
      // A row's three pictures are read first; the tallest sets the row.
      const row = [0, 1, 2].map((c) => q + c).filter((k) => k <= count);
      pictures = await Promise.all(row.map((k) => loadPicture(core.media(k, false), `image de la question ${k}`)));
      rowHeight = Math.max(0, ...pictures.map((p) => (p ? p.height : 0)));
    }
    const cell = element('div', 'cell');
    const media = element('div', 'media');
    const cellInfo = { cell, media, question: null, answer: null };
    if (quiz.mediaKind === MEDIA_PICTURE) {
      media.style.height = `${rowHeight}px`;
      const picture = pictures[column];
      const frame = element('div', 'picture');
      if (picture) {
        picture.img.alt = `Image de la question ${q}`;
        frame.style.width = `${picture.width}px`;
        frame.style.height = `${picture.height}px`;
        frame.style.overflow = 'hidden';
        frame.style.display = 'flex';
        frame.style.alignItems = 'center';
        frame.style.justifyContent = 'center';
        frame.append(picture.img);
        cellInfo.question = picture.img;
        const answer = await loadPicture(core.media(q, true), `image de la réponse ${q}`);
        if (answer) answer.img.alt = `Image de la réponse ${q}`;
        cellInfo.answer = answer ? answer.img : null;
      }
      media.append(frame);
    } else {
      const clip = core.media(q, false);
      const video = quiz.mediaKind === MEDIA_VIDEO;
      media.classList.add(video ? 'video' : 'audio');
      if (clip) {
        const player = element(video ? 'video' : 'audio');
        player.preload = 'auto';
        player.src = mediaUrl(clip);
        const mime = MIME[clip.format];
        cellInfo.player = player;
        cellInfo.playable = !!mime && player.canPlayType(mime) !== '';
        cellInfo.clipUrl = player.src;
        cellInfo.clipFormat = clip.format;
        media.append(player);
      }
    }
    const answers = element('div', 'answers');
    answers.classList.toggle('two', n === 2);
    if (quiz.mediaKind !== MEDIA_PICTURE) {
      answers.classList.add('with-clip');
      answers.append(clipButtons(q));
    }
    answers.append(element('div', 'number', `${q}.`));
    if (n === 2 && column === 0) {
      answers.append(element('div', 'answer-label', quiz.label1), element('div', 'answer-label second', quiz.label2));
    }
    for (let slot = 1; slot <= n; slot++) answers.append(...answerField(quiz, n * (q - 1) + slot, q, slot));
    cell.append(media, answers);
    if (quiz.revealMode > 1) {
      const comment = element('div', 'comment', quiz.questions[q - 1].comment);
      comment.hidden = true;
      comment.setAttribute('aria-live', 'polite');
      cell.append(comment);
      cellInfo.comment = comment;
    }
    const problem = element('div', 'clip-problem');
    problem.setAttribute('role', 'status');
    cell.append(problem);
    cellInfo.problem = problem;
    page.cells[q] = cellInfo;
    grid.append(cell);
  }
  pane.append(grid);
}

async function build() {
  const quiz = page.quiz;
  page.urls.forEach((url) => URL.revokeObjectURL(url));
  Object.assign(page, { urls: [], inputs: [], statuses: [], cells: [], pictureProblems: [] });
  buildHeader(quiz);
  const pane = $('pane');
  pane.replaceChildren();
  const [r, g, b] = quiz.background;
  pane.style.background = `rgb(${r}, ${g}, ${b})`;
  pane.classList.toggle('light-text', !(r > 69 || g > 69));
  if (quiz.mediaKind === MEDIA_TEXT) buildTextList(quiz, pane);
  else await buildGrid(quiz, pane);
  for (const input of page.inputs) if (input) wireField(input);
}

// --- showing the state -------------------------------------------------------

function verdictClass(status) {
  if (status === 'BRAVO') return 'right';
  if (status === 'FAUX') return 'wrong';
  if (status === 'Anagramme') return 'anagram';
  return status === '?' ? '' : 'hint';
}

function render(state) {
  const before = page.state;
  page.state = state;
  $('score').textContent = state.scoreText;
  $('code').value = state.code;
  state.fields.forEach((field, i) => {
    const k = i + 1;
    const input = page.inputs[k];
    const status = page.statuses[k];
    if (!input) return;
    if (input.value !== field.typed) input.value = field.typed;
    status.textContent = field.status;
    status.className = 'status ' + verdictClass(field.status);
    status.dataset.verdict = field.status;
  });
  state.questions.forEach((question, i) => {
    const cell = page.cells[i + 1];
    if (!cell) return;
    cell.cell.classList.toggle('folded', question.folded !== 0);
    if (cell.comment) cell.comment.hidden = !question.comment;
    if (cell.answer && question.answerPicture && cell.question && cell.question.parentNode) {
      cell.question.replaceWith(cell.answer);
    }
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
  if (page.quiz) render(core.typeField(fieldNumber(input), input.value));
  remember();
}

function save() {
  const bytes = core.answersFile();
  remember();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'text/plain' }));
  link.download = core.answersFileName(page.exeName);
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Tab brings a field that is not wholly visible to 360 pixels below the
// pane's top (less when the window is shorter), as the Windows pane scrolls.
function bringIntoView(input) {
  const top = $('header').getBoundingClientRect().bottom;
  const rect = input.getBoundingClientRect();
  if (rect.top >= top && rect.bottom <= window.innerHeight) return;
  const room = window.innerHeight - top - rect.height;
  const offset = Math.min(TAB_VIEW_OFFSET, Math.max(0, room));
  window.scrollBy(0, rect.top - top - offset);
}

let tabbing = false;

function wireField(input) {
  input.addEventListener('keydown', (event) => {
    tabbing = event.key === 'Tab';
    if (event.key === 'Enter') event.preventDefault();
    if (event.key === 'F1') {
      event.preventDefault();
      render(core.fillFrom(fieldNumber(input), input.value));
      remember();
    } else if (event.key === 'F2') {
      event.preventDefault();
      save();
    }
  });
  // Judged when Enter is released, as in the Windows player.
  input.addEventListener('keyup', (event) => {
    if (event.key === 'Enter') judge(input);
  });
  input.addEventListener('blur', () => judge(input));
  input.addEventListener('focus', () => {
    input.select();
    if (tabbing) bringIntoView(input);
    tabbing = false;
  });
}

function stopClip() {
  if (page.clip) {
    page.clip.pause();
    page.clip.currentTime = 0;
    page.clip = null;
  }
}

function playClip(q) {
  const cell = page.cells[q];
  stopClip();
  if (!cell || !cell.player) return;
  cell.problem.replaceChildren();
  if (!cell.playable) {
    const link = element('a', '', `télécharger le clip (${cell.clipFormat.toUpperCase()})`);
    link.href = cell.clipUrl;
    link.download = `question${String(q).padStart(2, '0')}.${cell.clipFormat}`;
    cell.problem.append(`Ce navigateur ne lit pas ce clip : `, link);
    return;
  }
  page.clip = cell.player;
  cell.player.currentTime = 0;
  cell.player.play().catch(() => {
    cell.problem.textContent = 'Ce navigateur ne lit pas ce clip.';
  });
}

// --- wiring ------------------------------------------------------------------

$('quiz-file').addEventListener('change', (event) => {
  if (event.target.files[0]) openFile(event.target.files[0]);
  event.target.value = '';
});
$('answers-file').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (file && page.quiz) loadAnswers(new Uint8Array(await file.arrayBuffer()));
  event.target.value = '';
});
$('save').addEventListener('click', save);
$('hide').addEventListener('change', (event) => render(core.setHide(event.target.checked)));
document.addEventListener('keydown', (event) => {
  if (event.key === 'F2' && page.quiz) {
    event.preventDefault();
    save();
  }
});
document.addEventListener('dragover', (event) => {
  event.preventDefault();
  document.body.classList.add('dragging');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
document.addEventListener('drop', (event) => {
  event.preventDefault();
  document.body.classList.remove('dragging');
  const file = event.dataTransfer.files[0];
  if (file) openFile(file);
});

window.trivoPage = page;  // for the browser tests
const embedded = embeddedQuiz();
if (embedded) await openQuiz(embedded.bytes, embedded.name);
else await openFromAddress();
document.body.dataset.ready = 'true';
