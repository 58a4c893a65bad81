// The page inside a learning platform: reports the score and status to the
// platform's SCORM run-time (1.2 or 2004) and keeps the learner's answers in
// its suspend data. Opened anywhere else, nothing here runs and the page
// plays on its own.
//
// The play page tells this module about itself through two DOM events:
// `trivo:opened` ({quiz, core, show(state), tell(text)}) once a quiz is on
// screen, and `trivo:state` ({state}) after every change. Every verdict
// leads to: score, then status, then the suspend data, then a commit, so a
// platform never sees "passed" before the score that earns it.
import { LIMIT_12, LIMIT_2004, decodeSuspendData, encodeSuspendData } from './suspend-data.js';

// The tool writes the pass mark into the page; a page without one (played
// outside a package) still reports, at the tool's default.
const DEFAULT_PASS_SCORE = 80;
const SEARCH_DEPTH = 500;

const VERSIONS = {
  '1.2': {
    api: 'API', limit: LIMIT_12, init: 'LMSInitialize', finish: 'LMSFinish', get: 'LMSGetValue',
    set: 'LMSSetValue', commit: 'LMSCommit', suspend: 'cmi.suspend_data', exit: 'cmi.core.exit',
    score: 'cmi.core.score',
  },
  '2004': {
    api: 'API_1484_11', limit: LIMIT_2004, init: 'Initialize', finish: 'Terminate', get: 'GetValue',
    set: 'SetValue', commit: 'Commit', suspend: 'cmi.suspend_data', exit: 'cmi.exit', score: 'cmi.score',
  },
};

// The standard search: this window and its parents up to the top, then the
// same from the window that opened the top one. A parent of another origin
// throws on access and ends that branch.
function searchFrom(start, name) {
  let win = start;
  for (let depth = 0; win && depth < SEARCH_DEPTH; depth++) {
    try {
      if (win[name]) return win[name];
      if (win.parent === win) return null;
      win = win.parent;
    } catch {
      return null;
    }
  }
  return null;
}

// The run-time of the package's version first (a platform may offer both),
// then the other.
export function findApi(win = window) {
  const preferred = win.document.querySelector('meta[name="trivo-scorm"]')?.content === '1.2' ? '1.2' : '2004';
  let top = null;
  try {
    top = win.top;
  } catch {
    top = null;
  }
  for (const version of [preferred, preferred === '1.2' ? '2004' : '1.2']) {
    const name = VERSIONS[version].api;
    const api = searchFrom(win, name) || (top && top.opener ? searchFrom(top.opener, name) : null);
    if (api) return { version, api };
  }
  return null;
}

export function passScoreOf(doc = document) {
  const value = Number(doc.querySelector('meta[name="trivo-pass-score"]')?.content);
  return Number.isInteger(value) && value >= 0 && value <= 100 ? value : DEFAULT_PASS_SCORE;
}

// What the platform is told for a score out of `questions` at pass mark
// `passScore` (percent), with `allJudged` when every field has a verdict.
export function statusOf(score, questions, passScore, allJudged) {
  const passed = score * 100 >= passScore * questions;
  return {
    passed,
    lesson: passed ? 'passed' : 'incomplete',
    completion: passed || allJudged ? 'completed' : 'incomplete',
    success: passed ? 'passed' : 'unknown',
  };
}

function expectedAnswer(core, field) {
  core.m._WebExpectedAnswer(field);
  return core.resultText();
}

const isRight = (field) => (field.kind ? field.kind === 'right' : field.status === 'BRAVO');

export class ScormSession {
  constructor(version, api, passScore) {
    this.names = VERSIONS[version];
    this.version = version;
    this.api = api;
    this.passScore = passScore;
    this.open = false;
    this.last = '';
  }

  call(name, ...args) {
    try {
      return String(this.api[this.names[name]](...args));
    } catch {
      return 'false';
    }
  }

  set(element, value) {
    this.call('set', element, String(value));
  }

  start() {
    this.open = this.call('init', '') === 'true';
    return this.open;
  }

  savedAnswers(count) {
    return this.open ? decodeSuspendData(this.call('get', this.names.suspend), count) : null;
  }

  report(state, questions) {
    if (!this.open) return;
    const score = state.score;
    const fields = state.fields.map((f) => ({ typed: f.typed, right: isRight(f) }));
    const suspend = encodeSuspendData(fields, this.names.limit).text;
    // A field left without a change (a blur) is not worth a commit.
    if (`${score};${suspend}` === this.last) return;
    this.last = `${score};${suspend}`;
    const status = statusOf(score, questions, this.passScore, state.fields.every((f) => f.status !== '?'));
    const prefix = this.names.score;
    this.set(`${prefix}.raw`, score);
    this.set(`${prefix}.min`, 0);
    this.set(`${prefix}.max`, questions);
    if (this.version === '1.2') {
      this.set('cmi.core.lesson_status', status.lesson);
    } else {
      this.set(`${prefix}.scaled`, questions > 0 ? Number((score / questions).toFixed(4)) : 0);
      this.set('cmi.completion_status', status.completion);
      this.set('cmi.success_status', status.success);
    }
    this.set(this.names.suspend, suspend);
    this.call('commit', '');
  }

  finish() {
    if (!this.open) return;
    this.open = false;
    // "suspend" keeps the suspend data for the next launch of this attempt.
    this.call('set', this.names.exit, 'suspend');
    this.call('commit', '');
    this.call('finish', '');
  }
}

// The answers the platform kept, put back through the play core: a right
// field takes its expected answer, which earns it again.
function restore(session, opened) {
  const { core } = opened;
  const count = core.state().fields.length;
  const saved = session.savedAnswers(count);
  if (!saved) return null;
  let state = core.loadAnswers(new Uint8Array(0));
  for (let k = 1; k <= count; k++) {
    const text = saved.right[k - 1] ? expectedAnswer(core, k) : saved.texts.get(k);
    if (text) state = core.typeField(k, text);
  }
  if (saved.dropped > 0) {
    opened.tell(`La plateforme n'a pas pu garder toutes vos réponses : ${saved.dropped} réponse(s) à retaper. ` +
      'Vos bonnes réponses et votre score sont gardés.');
  }
  return state;
}

export function startScorm(win = window) {
  const found = findApi(win);
  if (!found) return null;
  const session = new ScormSession(found.version, found.api, passScoreOf(win.document));
  let questions = 0;
  win.document.addEventListener('trivo:opened', (event) => {
    if (!session.open && !session.start()) return;
    questions = event.detail.quiz.questionCount;
    const state = restore(session, event.detail);
    // Showing the restored state reports it through `trivo:state`.
    if (state) event.detail.show(state);
    else session.report(event.detail.core.state(), questions);
  });
  win.document.addEventListener('trivo:state', (event) => session.report(event.detail.state, questions));
  win.addEventListener('pagehide', () => session.finish());
  win.addEventListener('unload', () => session.finish());
  return session;
}

if (typeof window !== 'undefined') startScorm();
