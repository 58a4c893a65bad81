// Every call the authoring page makes into the wasm core, in one place:
// the draft's files kept in the module's memory file system, checked and
// built there by the tool's own paths.
export const DRAFT_FOLDER = '/draft';
export const SOURCE_PATH = `${DRAFT_FOLDER}/quiz.toml`;
const UNPACK_FOLDER = '/unpacked';

export function draftCore(core) {
  const written = new Map();  // media path in the draft folder -> bytes written there

  return {
    quote: (text) => core.tomlQuote(text),
    judge: (expected, typed) => core.judge(expected, typed),
    pictureInfo: (bytes) => core.pictureInfo(bytes),
    decodePng: (bytes) => core.decodePng(bytes),
    readToml: (bytes) => core.tomlToJson(bytes),

    // Writes the source and the media (path -> bytes) into the draft
    // folder, removing media that left the draft.
    writeDraft(sourceText, media) {
      core.writeFile(SOURCE_PATH, new TextEncoder().encode(sourceText));
      for (const [path, bytes] of media) {
        if (written.get(path) === bytes) continue;
        core.writeFile(`${DRAFT_FOLDER}/${path}`, bytes);
        written.set(path, bytes);
      }
      for (const path of [...written.keys()]) {
        if (media.has(path)) continue;
        core.removeFile(`${DRAFT_FOLDER}/${path}`);
        written.delete(path);
      }
    },

    // {ok, diagnostics: [{line, error, message}]} of the draft's source.
    check: () => core.checkSource(SOURCE_PATH),

    // The quiz executable's bytes; throws with `diagnostics` when it fails.
    build: () => core.buildSource(SOURCE_PATH),

    // [{path, bytes}] of the source and media `trivo unpack` writes for an
    // executable, or throws with the tool's message.
    unpack(exeBytes) {
      const unpacked = core.unpackToFolder(exeBytes, UNPACK_FOLDER);
      try {
        if (!unpacked.ok) throw new Error(unpacked.error || unpacked.message || 'unpack failed');
        return unpacked.files.map((path) => ({ path, bytes: core.readFile(`${UNPACK_FOLDER}/${path}`) }));
      } finally {
        core.removeFolder(UNPACK_FOLDER);
      }
    },
  };
}
