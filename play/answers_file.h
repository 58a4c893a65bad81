// The answers file: one line per answer field, each ended by CR LF, named
// after the executable with its last three characters replaced by "txt" and
// kept in the working directory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "content/quiz_document.h"

// "GAME1.EXE" gives "GAME1.txt"; names of three characters or fewer become "txt"-ended as far as they go.
std::string AnswersFileName(const char* exeFileName);

// Reads saved answers one line at a time from a mapped file.
struct SavedAnswerReader {
  const char* data = nullptr;
  size_t size = 0;
  size_t position = 0;
};

// The next line into a buffer of kTextCapacity bytes: its text up to the line
// end (CR LF, LF or CR) or the end of the data, stopped at a NUL byte and cut
// to 259 characters. An exhausted reader gives "".
void ReadSavedAnswer(SavedAnswerReader& reader, char* out);

// The file's bytes for the given field texts, each ended by CR LF (a text is
// cut at 259 characters and at any line break it holds).
std::string FormatAnswersFile(const std::vector<std::string>& fields);

// What a save came to. `saved` is false only when answers could not be
// written; `fileName` is then the answers file and `systemError` the
// system's error code for the step that failed.
struct SaveOutcome {
  bool saved = true;
  std::string fileName;
  unsigned long systemError = 0;
};

// Replaces the file `name` in the working directory with `bytes`: they are
// written to `name` + ".tmp" first, which then takes the file's place. On any
// failure the old file stays as it was, the temporary is removed, false is
// returned and `systemError` (when given) receives the system's error code.
// A read-only file is not replaced (Windows only).
bool WriteFileReplacing(const std::string& name, const std::string& bytes,
                        unsigned long* systemError = nullptr);

// Writes the answers file from the pane's answer fields (Windows only). The
// bytes go to a temporary file in the same folder, which then replaces the
// answers file, so an interrupted save never destroys the previous answers.
// Without the pane there is nothing to save, which counts as saved.
SaveOutcome SaveAnswers(QuizDocument* doc);

// "Sauver" and F2: saves, and tells the user in a message box (caption
// "Trivo") naming the file and the reason when the answers could not be
// saved. Returns whether they were.
bool SaveAnswersOrTell(QuizDocument* doc);

// Closing the main window: saves, and when that fails asks the user whether
// to close anyway. Returns true when the window may close.
bool SaveAnswersBeforeClosing(QuizDocument* doc);
