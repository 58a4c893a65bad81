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

// The next line (up to CR or the end, cut to 259 characters) into a buffer of
// kTextCapacity bytes; an exhausted reader gives "".
void ReadSavedAnswer(SavedAnswerReader& reader, char* out);

// The file's bytes for the given field texts.
std::string FormatAnswersFile(const std::vector<std::string>& fields);

// Replaces the file `name` in the working directory with `bytes`: they are
// written to `name` + ".tmp" first, which then takes the file's place. On any
// failure the old file stays as it was, the temporary is removed, and false
// is returned (Windows only).
bool WriteFileReplacing(const std::string& name, const std::string& bytes);

// Writes the answers file from the pane's answer fields (Windows only). The
// bytes go to a temporary file in the same folder, which then replaces the
// answers file, so an interrupted save never destroys the previous answers.
void SaveAnswers(QuizDocument* doc);
