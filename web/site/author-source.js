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
    clip: '', ...fields };
}

export function newModel() {
  return { title: '', creator: '', explanation: '', label1: '', label2: '', kind: 'text', answersPerQuestion: 1,
    reveal: 'none', background: DEFAULT_BACKGROUND, link: '', footer: '', codes: [], questions: [newQuestion()] };
}

// The second answer field is offered with two answers per question, and
// kept in sight while it holds text (the check then says why it is refused).
export function showsAnswer2(model, question) {
  return model.answersPerQuestion === 2 || question.answer2 !== '';
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
  const putText = (key, value, field) => put(`${key} = ${quote(value)}`, field);
  for (const [key, name] of HEADER_TEXTS) {
    if (name === 'title' || model[name] !== '') putText(key, model[name], name);
  }
  put(`kind = ${quote(model.kind)}`, 'kind');
  put(`answers_per_question = ${model.answersPerQuestion}`, 'answersPerQuestion');
  put(`reveal = ${quote(model.reveal)}`, 'reveal');
  // The player's own default is left unsaid: the check warns only about a
  // colour the author chose.
  if (model.background.toUpperCase() !== DEFAULT_BACKGROUND) put(`background = ${quote(model.background)}`, 'background');
  for (const [key, name] of TAIL_TEXTS) if (model[name] !== '') putText(key, model[name], name);
  if (usesCodes(model)) {
    put('codes = [', 'codes');
    // One per score: codes not given yet are written empty.
    const codes = [...model.codes];
    while (codes.length < model.questions.length) codes.push('');
    codes.forEach((code, i) => put(`  ${quote(code)},`, `code:${i}`));
    put(']', 'codes');
  }
  for (const question of model.questions) {
    const at = `q:${question.id}`;
    put('', at);
    put('[[question]]', at);
    if (question.text !== '') putText('text', question.text, `${at}:text`);
    putText('answer', question.answer, `${at}:answer`);
    if (showsAnswer2(model, question)) putText('answer2', question.answer2, `${at}:answer2`);
    if (question.comment !== '') putText('comment', question.comment, `${at}:comment`);
    if (question.picture !== '') putText('picture', question.picture, `${at}:picture`);
    if (question.answerPicture !== '') putText('answer_picture', question.answerPicture, `${at}:answerPicture`);
    if (question.clip !== '') putText('clip', question.clip, `${at}:clip`);
  }
  return { text: lines.join('\n') + '\n', fields };
}

function asText(value) {
  if (typeof value === 'string') return value;
  if (value === undefined || value === null) return '';
  return typeof value === 'object' ? JSON.stringify(value) : String(value);
}

// {model, dropped}: the form's model of a TOML document (as JSON), and the
// keys the form has no field for ("question 2: colour"...), so the page can
// say what it left out.
export function readDocument(doc) {
  const model = newModel();
  const dropped = [];
  model.questions = [];
  for (const [key, value] of Object.entries(doc || {})) {
    const header = HEADER_TEXTS.find(([k]) => k === key) || TAIL_TEXTS.find(([k]) => k === key);
    if (header) {
      model[header[1]] = asText(value);
    } else if (key === 'kind' && KINDS.includes(value)) {
      model.kind = value;
    } else if (key === 'reveal' && REVEALS.includes(value)) {
      model.reveal = value;
    } else if (key === 'answers_per_question' && (value === 1 || value === 2)) {
      model.answersPerQuestion = value;
    } else if (key === 'background' && typeof value === 'string') {
      model.background = value;
    } else if (key === 'codes' && Array.isArray(value)) {
      model.codes = value.map(asText);
    } else if (key === 'question' && Array.isArray(value)) {
      value.forEach((table, i) => {
        const question = newQuestion();
        if (!table || typeof table !== 'object' || Array.isArray(table)) {
          dropped.push(`question ${i + 1}`);
          return;
        }
        for (const [k, v] of Object.entries(table)) {
          if (QUESTION_KEYS[k]) question[QUESTION_KEYS[k]] = asText(v);
          else dropped.push(`question ${i + 1}: ${k}`);
        }
        model.questions.push(question);
      });
    } else {
      dropped.push(`${key} = ${asText(value)}`);
    }
  }
  if (model.questions.length === 0) model.questions.push(newQuestion());
  return { model, dropped };
}

// Every media path the questions name, once.
export function mediaPaths(model) {
  const paths = new Set();
  for (const q of model.questions) for (const path of [q.picture, q.answerPicture, q.clip]) if (path) paths.add(path);
  return [...paths];
}

// A file name for the download: the title's letters and digits, else "quiz".
export function fileStem(title) {
  const plain = title.normalize('NFD').replace(/[\u0300-\u036f]/g, '');
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
