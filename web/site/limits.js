// The largest files the pages read, checked on a file's size before it is
// read: a quiz executable, a quiz source, an archive of a source and its
// media, and one medium. (The web core's interface names the same four.)
export const LIMITS = {
  quizBytes: 64 * 1024 * 1024,
  sourceBytes: 1024 * 1024,
  archiveBytes: 128 * 1024 * 1024,
  mediaBytes: 32 * 1024 * 1024,
};
