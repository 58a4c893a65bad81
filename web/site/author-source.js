// The authoring page's draft as a quiz source: the form's model written as
// TOML one key per line (with the field each line came from, so a
// diagnostic's line leads back to its field), and a TOML document read
// back into the model.

export const KINDS = ['text', 'picture', 'audio', 'video'];
export const REVEALS = ['none', 'picture', 'comment', 'comment-and-picture', 'all-comments'];
export const DEFAULT_BACKGROUND = '#5A5F96';

// Header keys written as texts, in the order of the format's table.
export const HEADER_TEXTS = [
  ['title', 'title'],
  ['creator', 'creator'],
  ['explanation', 'explanation'],
  ['answer_label1', 'label1'],
  ['answer_label2', 'label2'],
];
const TAIL_TEXTS = [
  ['link', 'link'],
  ['footer', 'footer'],
];
const QUESTION_KEYS = {
  text: 'text',
  answer: 'answer',
  answer2: 'answer2',
  comment: 'comment',
  picture: 'picture',
  answer_picture: 'answerPicture',
  clip: 'clip',
};

let nextQuestionId = 1;

export function newQuestion(fields = {}) {
  return { id: nextQuestionId++, text: '', answer: '', answer2: '', comment: '', picture: '', answerPicture: '',
    clip: '', raw: {}, extra: [], ...fields };
}

export function newModel() {
  return { title: '', creator: '', explanation: '', label1: '', label2: '', kind: 'text', answersPerQuestion: 1,
    reveal: 'none', background: DEFAULT_BACKGROUND, link: '', footer: '', codes: [], questions: [newQuestion()],
    raw: {}, extra: [] };
}

// The second answer field is offered with two answers per question, and
// kept in sight while it holds text (the check then says why it is refused).
export function showsAnswer2(model, question) {
  return model.answersPerQuestion === 2 || (question.answer2 ?? '') !== '';
}

export function showsPictures(model, question) {
  return model.kind === 'picture' || question.picture !== '' || question.answerPicture !== '';
}

export function showsClip(model, question) {
  return model.kind === 'audio' || model.kind === 'video' || question.clip !== '';
}

export function usesCodes(model) {
  return model.codes.some((code) => code !== '');
}

// {text, fields}: fields[i] names the field line i + 1 was written for
// ("title", "codes", "code:2", "q:7", "q:7:answer"...).
export function writeSource(model, quote) {
  const lines = [];
  const fields = [];
  const put = (text, field) => {
    lines.push(text);
    fields.push(field);
  };
  // A value kept as the source gave it goes back line for line.
  const putKept = (raw, name, field, write) => {
    if (raw[name]) raw[name].forEach((line) => put(line, field));
    else write();
  };
  const putText = (key, value, field) => put(`${key} = ${quote(value)}`, field);
  const header = (name, write) => putKept(model.raw, name, name, write);
  for (const [key, name] of HEADER_TEXTS) {
    header(name, () => (name === 'title' ? model.title !== null : !!model[name]) && putText(key, model[name], name));
  }
  // A required key the source left out (null) stays out, for the check to name it.
  header('kind', () => model.kind !== null && put(`kind = ${quote(model.kind)}`, 'kind'));
  header('answersPerQuestion', () => put(`answers_per_question = ${model.answersPerQuestion}`, 'answersPerQuestion'));
  header('reveal', () => put(`reveal = ${quote(model.reveal)}`, 'reveal'));
  // The player's own default is left unsaid: the check warns only about a
  // colour the author chose.
  header('background', () => model.background.toUpperCase() !== DEFAULT_BACKGROUND &&
    put(`background = ${quote(model.background)}`, 'background'));
  for (const [key, name] of TAIL_TEXTS) header(name, () => model[name] !== '' && putText(key, model[name], name));
  // Keys the form has no field for: their diagnostics go to the summary.
  for (const kept of model.extra) kept.forEach((line) => put(line, null));
  header('codes', () => {
    if (!usesCodes(model)) return;
    put('codes = [', 'codes');
    // One per score: codes not given yet are written empty.
    const codes = [...model.codes];
    while (codes.length < model.questions.length) codes.push('');
    codes.forEach((code, i) => put(`  ${quote(code)},`, `code:${i}`));
    put(']', 'codes');
  });
  for (const question of model.questions) {
    const at = `q:${question.id}`;
    put('', at);
    put('[[question]]', at);
    const key = (name, shown, toml) => putKept(question.raw, name, `${at}:${name}`,
      () => shown && putText(toml, question[name], `${at}:${name}`));
    key('text', question.text !== '', 'text');
    key('answer', question.answer !== null, 'answer');
    key('answer2', showsAnswer2(model, question) && question.answer2 !== null, 'answer2');
    key('comment', question.comment !== '', 'comment');
    key('picture', question.picture !== '', 'picture');
    key('answerPicture', question.answerPicture !== '', 'answer_picture');
    key('clip', question.clip !== '', 'clip');
    for (const kept of question.extra) kept.forEach((line) => put(line, at));
  }
  return { text: lines.join('\n') + '\n', fields };
}

function asText(value) {
  if (typeof value === 'string') return value;
  if (value === undefined || value === null) return '';
  return typeof value === 'object' ? JSON.stringify(value) : String(value);
}

const HEADER_KEYS = new Map([...HEADER_TEXTS, ...TAIL_TEXTS]);

// Whether the form's field for top-level `key` holds its value as the
// source gives it (`type` is the TOML type the core names).
function headerHolds(key, value, type) {
  if (HEADER_KEYS.has(key) || key === 'background') return type === 'string';
  if (key === 'kind') return type === 'string' && KINDS.includes(value);
  if (key === 'reveal') return type === 'string' && REVEALS.includes(value);
  if (key === 'answers_per_question') return type === 'integer' && (value === 1 || value === 2);
  if (key === 'codes') return type === 'array' && value.every((code) => typeof code === 'string');
  return false;
}

function setHeader(model, key, value) {
  if (HEADER_KEYS.has(key)) model[HEADER_KEYS.get(key)] = asText(value);
  else if (key === 'kind' || key === 'reveal' || key === 'background') model[key] = asText(value);
  else if (key === 'answers_per_question') model.answersPerQuestion = value;
  else if (key === 'codes') model.codes = Array.isArray(value) ? value.map(asText) : [asText(value)];
}

// The model field a top-level key fills, or null for a key the form has none for.
export function headerField(key) {
  if (HEADER_KEYS.has(key)) return HEADER_KEYS.get(key);
  if (key === 'answers_per_question') return 'answersPerQuestion';
  return ['kind', 'reveal', 'background', 'codes'].includes(key) ? key : null;
}

// {model, refused}: the form's model of a TOML document (`doc` as JSON,
// `layout` where each key stands in the source's `lines`). A value the form
// cannot hold (kind = "textt", a key it has no field for) is kept as the
// lines the source gives it, written back as they are, so the check sees the
// source as written. `refused` names what cannot be kept so (tables of
// their own besides [[question]]), for the page to refuse the source.
export function readDocument(doc, layout, lines) {
  const model = { ...newModel(), title: null, kind: null };
  const refused = [];
  const keep = (at, name) => {
    if (!at || !at.lines) {
      refused.push(name);
      return null;
    }
    return lines.slice(at.first - 1, at.last);
  };
  model.questions = [];
  for (const [key, value] of Object.entries(doc || {})) {
    const at = layout.keys[key];
    if (key === 'question' && Array.isArray(value) && value.every((t) => t && typeof t === 'object' && !Array.isArray(t))) {
      value.forEach((table, i) => model.questions.push(readQuestion(table, layout.questions[i] || {}, i, keep)));
    } else if (headerField(key) && headerHolds(key, value, at && at.type)) {
      setHeader(model, key, value);
    } else if (headerField(key) && key !== 'question') {
      setHeader(model, key, value);
      const kept = keep(at, key);
      if (kept) model.raw[headerField(key)] = kept;
    } else {
      const kept = keep(at, key);
      if (kept) model.extra.push(kept);
    }
  }
  // A source without questions opens without any, as the check sees it.
  return { model, refused };
}

const MEDIA_KEYS = ['picture', 'answer_picture', 'clip'];

function readQuestion(table, layout, i, keep) {
  const question = newQuestion({ answer: null, answer2: null });
  for (const [k, v] of Object.entries(table)) {
    const at = layout[k];
    const name = `question ${i + 1}: ${k}`;
    // An empty media name is no medium to the form, but the check's own case.
    if (QUESTION_KEYS[k] && at && at.type === 'string' && !(v === '' && MEDIA_KEYS.includes(k))) {
      question[QUESTION_KEYS[k]] = v;
      continue;
    }
    const kept = keep(at, name);
    if (kept && QUESTION_KEYS[k]) {
      question[QUESTION_KEYS[k]] = asText(v);
      question.raw[QUESTION_KEYS[k]] = kept;
    } else if (kept) {
      question.extra.push(kept);
    }
  }
  return question;
}

// Every media path the questions name, once.
export function mediaPaths(model) {
  const paths = new Set();
  for (const q of model.questions) for (const path of [q.picture, q.answerPicture, q.clip]) if (path) paths.add(path);
  return [...paths];
}

// A file name for the download: the title's letters and digits, else "quiz".
export function fileStem(title) {
  const plain = (title ?? '').normalize('NFD').replace(/[\u0300-\u036f]/g, '');
  const stem = plain.replace(/[^A-Za-z0-9]+/g, '-').replace(/^-+|-+$/g, '').slice(0, 40).replace(/-+$/, '');
  return stem || 'quiz';
}

// A media name the draft does not hold yet: "photo.jpg", else "photo-2.jpg"...
export function freeName(name, taken) {
  const clean = name.replace(/^.*[\\/]/, '').replace(/[\u0000-\u001f"|]/g, '_') || 'media';
  if (!taken.has(clean)) return clean;
  const dot = clean.lastIndexOf('.');
  const [base, ext] = dot > 0 ? [clean.slice(0, dot), clean.slice(dot)] : [clean, ''];
  for (let n = 2; ; n++) if (!taken.has(`${base}-${n}${ext}`)) return `${base}-${n}${ext}`;
}
