// The authoring form's edits under node: each gives a new model and leaves
// the one it was given as it was, and an edited field lets go of the value
// kept as the source wrote it.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  addQuestion, moveQuestion, removeCode, removeQuestion, setCode, setHeader, setQuestion,
} from '../site/author-model.js';
import { newModel, newQuestion } from '../site/author-source.js';

function frozenModel() {
  const model = newModel();
  model.questions = [newQuestion({ answer: 'un' }), newQuestion({ answer: 'deux', raw: { picture: ['picture = 7'] } })];
  model.codes = ['A', 'B', ''];
  model.raw = { kind: ['kind = "textt"'] };
  return JSON.parse(JSON.stringify(model));
}

test('edits give a new model, the old one untouched', () => {
  const model = frozenModel();
  const before = JSON.stringify(model);
  const [first, second] = model.questions;
  const kind = setHeader(model, 'kind', 'audio');
  assert.equal(kind.kind, 'audio');
  assert.deepEqual(kind.raw, {}, 'the kept "textt" goes once a kind is picked');
  assert.equal(setHeader(model, 'kind', 'sculpture').kind, 'text');
  assert.equal(setHeader(model, 'answersPerQuestion', '2').answersPerQuestion, 2);
  const picture = setQuestion(model, second.id, 'picture', 'p.jpg');
  assert.deepEqual([picture.questions[1].picture, picture.questions[1].raw], ['p.jpg', {}]);
  assert.equal(picture.questions[0], model.questions[0], 'the other questions are the same objects');
  assert.deepEqual(setCode(model, 4, '').codes, ['A', 'B'], 'empty codes past the last score go');
  assert.deepEqual(setCode(model, 3, 'D').codes, ['A', 'B', '', 'D'], 'a code past the scores stays for the check');
  assert.deepEqual(removeCode(model, 0).codes, ['B', ''], 'one code per score is kept');
  const added = addQuestion(model);
  assert.deepEqual(added.model.questions.map((q) => q.id), [first.id, second.id, added.question.id]);
  assert.deepEqual(moveQuestion(model, second.id, -1).questions.map((q) => q.id), [second.id, first.id]);
  assert.equal(moveQuestion(model, first.id, -1), model, 'the first question goes no higher');
  assert.deepEqual(removeQuestion(model, first.id).questions.map((q) => q.id), [second.id]);
  assert.equal(removeQuestion(removeQuestion(model, first.id), second.id).questions.length, 1, 'one question stays');
  assert.equal(JSON.stringify(model), before);
});
