// Every call the authoring page makes into the wasm core, in one place:
// the draft's files kept in the module's memory file system, checked and
// built there by the tool's own paths.
export const DRAFT_FOLDER = '/draft';
export const SOURCE_NAME = 'quiz.toml';
export const SOURCE_PATH = `${DRAFT_FOLDER}/${SOURCE_NAME}`;
const UNPACK_FOLDER = '/unpacked';

// What went wrong in a call, in words: the file system's errors carry only
// their code.
export function failure(error) {
  if (error && error.name === 'ErrnoError') return `file system error ${error.errno ?? error.code ?? ''}`.trim();
  return (error && error.message) || String(error);
}

// Runs a call into the core; a failure (a trap, no memory, the file system)
// comes back as onFailure(message), for the page to show.
function guarded(call, onFailure) {
  try {
    return call();
  } catch (error) {
    return onFailure(failure(error));
  }
}

const notOk = (error) => ({ ok: false, error });

// `written` maps each media path in the draft folder to the bytes written
// there, so that only what changed is written again.
function writeDraftFiles(core, written, sourceText, media) {
  let at = SOURCE_PATH;
  try {
    if ([...written.keys()].some((path) => !media.has(path))) {
      core.removeFolder(DRAFT_FOLDER);
      written.clear();
    }
    core.writeFile(SOURCE_PATH, sourceText);
    for (const [path, bytes] of media) {
      if (written.get(path) === bytes) continue;
      at = `${DRAFT_FOLDER}/${path}`;
      core.writeFile(at, bytes);
      written.set(path, bytes);
    }
  } catch (error) {
    // What was half written goes, so the next write starts clean.
    written.clear();
    guarded(() => core.removeFolder(DRAFT_FOLDER), () => null);
    throw new Error(`${at.slice(DRAFT_FOLDER.length + 1)}: ${failure(error)}`);
  }
}

export function draftCore(core) {
  const written = new Map();  // media path in the draft folder -> bytes written there

  return {
    quote: (text) => core.tomlQuote(text),
    // {ok, verdict, kind, colour} as the player shows it, or {ok: false, error}.
    verdict: (expected, typed) => guarded(() => core.verdict(expected, typed), notOk),
    labelColour: (background) => guarded(() => core.labelColour(background), () => '#000000'),
    pictureInfo: (bytes) => guarded(() => core.pictureInfo(bytes), (error) => ({ format: 'unknown', error })),
    decodePng: (bytes) => guarded(() => core.decodePng(bytes), notOk),
    readToml: (bytes) => guarded(() => core.tomlToJson(bytes), (message) => ({ ok: false, line: 0, message })),

    // Writes the source and the media (path -> bytes) into the draft
    // folder; media that left the draft leave the folder. Throws an Error
    // naming the file the folder could not take.
    writeDraft: (sourceText, media) => writeDraftFiles(core, written, sourceText, media),

    // {ok, diagnostics: [{line, error, message}]} of the draft's source, or
    // {ok: false, error} when the check could not run.
    check: () => guarded(() => core.checkSource(SOURCE_PATH), notOk),

    // The quiz executable's bytes; throws (with `diagnostics`) when it fails.
    build: () => core.buildSource(SOURCE_PATH),

    // The quiz executable's one-file page, as `trivo html` makes it from the
    // page template the site serves beside the core; throws with the reason.
    quizPage(exeBytes, pageTemplate) {
      const ok = core.withBytes(exeBytes, (e, n) => core.withBytes(pageTemplate, (t, m) => core.m._WebQuizPage(e, n, t, m)));
      if (ok !== 1) throw new Error(core.resultJson().error);
      return core.resultBytes();
    },

    // The draft's package for a learning platform (version '1.2' or '2004'),
    // as `trivo build --scorm` makes it; throws (with `diagnostics`) when it fails.
    scormPackage(version, pageTemplate) {
      const ok = core.withStrings([SOURCE_PATH], (p) =>
        core.withBytes(pageTemplate, (t, n) => core.m._WebBuildScorm(p, version === '1.2' ? 12 : 2004, t, n)));
      if (ok !== 1) throw Object.assign(new Error(core.resultJson().error ?? ''), core.resultJson());
      return core.resultBytes();
    },

    // [{path, bytes}] of the source and media `trivo unpack` writes for an
    // executable; throws with the tool's message.
    unpack(exeBytes) {
      try {
        return core.unpackToFolder(exeBytes, UNPACK_FOLDER).map((path) => ({
          path, bytes: core.readFile(`${UNPACK_FOLDER}/${path}`),
        }));
      } finally {
        core.removeFolder(UNPACK_FOLDER);
      }
    },
  };
}
