// Every call the authoring page makes into the wasm core, in one place:
// the draft's files kept in the module's memory file system, checked and
// built there by the tool's own paths.
export const DRAFT_FOLDER = '/draft';
export const SOURCE_NAME = 'quiz.toml';
export const SOURCE_PATH = `${DRAFT_FOLDER}/${SOURCE_NAME}`;
const UNPACK_FOLDER = '/unpacked';

export function draftCore(core) {
  const written = new Map();  // media path in the draft folder -> bytes written there

  return {
    quote: (text) => core.tomlQuote(text),
    // {ok, verdict, kind, colour} as the player shows it, or {ok: false, error}.
    verdict: (expected, typed) => core.verdict(expected, typed),
    labelColour: (background) => core.labelColour(background),
    pictureInfo: (bytes) => core.pictureInfo(bytes),
    decodePng: (bytes) => core.decodePng(bytes),
    readToml: (bytes) => core.tomlToJson(bytes),

    // Writes the source and the media (path -> bytes) into the draft
    // folder; media that left the draft leave the folder.
    writeDraft(sourceText, media) {
      if ([...written.keys()].some((path) => !media.has(path))) {
        core.removeFolder(DRAFT_FOLDER);
        written.clear();
      }
      core.writeFile(SOURCE_PATH, sourceText);
      for (const [path, bytes] of media) {
        // A medium named as the source would overwrite it; the check then reads
        // the source there, which it names as no picture or clip.
        if (written.get(path) === bytes || path === SOURCE_NAME) continue;
        core.writeFile(`${DRAFT_FOLDER}/${path}`, bytes);
        written.set(path, bytes);
      }
    },

    // {ok, diagnostics: [{line, error, message}]} of the draft's source.
    check: () => core.checkSource(SOURCE_PATH),

    // The quiz executable's bytes; throws (with `diagnostics`) when it fails.
    build: () => core.buildSource(SOURCE_PATH),

    // The quiz executable's one-file page, as `trivo html` makes it from the
    // page template the site serves beside the core; throws with the reason.
    quizPage(exeBytes, pageTemplate) {
      const ok = core.withBytes(exeBytes, (e, n) => core.withBytes(pageTemplate, (t, m) => core.m._WebQuizPage(e, n, t, m)));
      if (ok !== 1) throw new Error(core.resultJson().error);
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
