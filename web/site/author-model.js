// Every edit the authoring form makes to its model, as functions that
// return a new model and leave the one given as it was: the page's handlers
// only pick the edit and draw the result. An edited field drops the value
// kept as the source wrote it (see readDocument), since the form now holds it.
import { KINDS, newQuestion } from './author-source.js';

function without(raw, name) {
  if (!(name in raw)) return raw;
  const { [name]: dropped, ...rest } = raw;
  return rest;
}

// Codes past the last score that hold nothing go; the others stay for the
// check to name them.
function trimmed(codes, scores) {
  const kept = [...codes];
  while (kept.length > scores && kept[kept.length - 1] === '') kept.pop();
  return kept;
}

// A header field ("title", "background"...): kind and the answer count are
// held to the values the form offers.
export function setHeader(model, name, value) {
  let held = value;
  if (name === 'kind') held = KINDS.includes(value) ? value : 'text';
  if (name === 'answersPerQuestion') held = Number(value) === 2 ? 2 : 1;
  return { ...model, [name]: held, raw: without(model.raw, name) };
}

export function setQuestion(model, id, name, value) {
  return { ...model, questions: model.questions.map((q) => (q.id === id ? { ...q, [name]: value, raw: without(q.raw, name) } : q)) };
}

export function setCode(model, index, value) {
  const codes = [...model.codes];
  while (codes.length <= index) codes.push('');
  codes[index] = value;
  return { ...model, codes: trimmed(codes, model.questions.length), raw: without(model.raw, 'codes') };
}

export function removeCode(model, index) {
  const codes = model.codes.filter((_, i) => i !== index);
  return { ...model, codes: trimmed(codes, model.questions.length), raw: without(model.raw, 'codes') };
}

// {model, question}: the model with a new empty question at the end.
export function addQuestion(model) {
  const question = newQuestion();
  return { model: { ...model, questions: [...model.questions, question] }, question };
}

// The last question stays: a quiz has one at least.
export function removeQuestion(model, id) {
  if (model.questions.length <= 1) return model;
  const questions = model.questions.filter((q) => q.id !== id);
  return { ...model, questions, codes: trimmed(model.codes, questions.length) };
}

// Moves a question one place up (step -1) or down (+1); as it was at an end.
export function moveQuestion(model, id, step) {
  const from = model.questions.findIndex((q) => q.id === id);
  const to = from + step;
  if (from < 0 || to < 0 || to >= model.questions.length) return model;
  const questions = [...model.questions];
  [questions[from], questions[to]] = [questions[to], questions[from]];
  return { ...model, questions };
}
