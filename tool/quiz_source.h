// The quiz source: a TOML file an author writes, checked and turned into the
// texts and media a player executable carries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/quiz_document.h"  // kMaxQuestions, kMaxTextLength
#include "content/quiz_grammar.h"

struct Diagnostic {
  std::string file;
  int line = 0;
  bool isError = true;
  std::string message;
};

// "FILE:LINE: message" or "FILE:LINE: warning: message".
std::string FormatDiagnostic(const Diagnostic& diagnostic);

struct MediaResource {
  uint16_t id = 0;      // QUESTION_MEDIA_BASE or ANSWER_PICTURE_BASE + q
  bool rcData = false;  // PNG: raw data instead of "IMG"
  bool swapNibbles = false;
  std::string path;
  std::vector<uint8_t> bytes;  // the file's bytes, as read
  // Set when compiling for a build already fitted the picture
  // (CompileOptions::fitPictures): `fitted` holds the file to store, or is
  // empty when `bytes` are stored as they are.
  bool prepared = false;
  std::vector<uint8_t> fitted;
};

// Four questions in five: see docs/quiz-format.md.
constexpr int kDefaultPassScore = 80;

// Everything a player executable needs, already in Windows-1252.
struct CompiledQuiz {
  StoredBlockText storedBlock;
  QuizText quiz;
  std::vector<std::string> scoreCodes;
  std::vector<MediaResource> media;
  // The pass mark written into a learning platform's package (percent of the
  // questions); the player itself has none.
  int passScore = kDefaultPassScore;
};

constexpr int kMaxQuizQuestions = kMaxQuestions;
constexpr size_t kMaxLinkLength = 24;
constexpr size_t kMaxFooterLength = 42;
constexpr uint8_t kQuizLeadByte = 1;

// Parses and checks the source (its text given, so tests need no file);
// media paths are taken relative to the folder of `path` and read from disk.
// A UTF-8 byte order mark is skipped; UTF-16 and executables are named as such.
// False when any error was found; warnings never fail.
struct PictureCache;
struct CompileOptions {
  // Fit the pictures as a build stores them (FitPictureForPlayer), and run
  // the player's PNG decoder over the fitted PNGs rather than the files.
  bool fitPictures = false;
  // What earlier compiles worked out for each picture, kept by content
  // (tool/picture_prepare.h); none: every picture is worked out afresh.
  PictureCache* pictureCache = nullptr;
};
bool CompileQuizSource(const std::string& path, const std::string& tomlText, CompiledQuiz* quiz,
                       std::vector<Diagnostic>* diagnostics,
                       const CompileOptions& options = CompileOptions());

// The source's TOML document as JSON (tables keep their keys in
// alphabetical order), read with the same checks as CompileQuizSource: byte
// order mark, UTF-16, control characters, nesting. False with the first
// problem (its line and message) when it is not such a TOML document; the
// quiz's own keys and values are not checked.
bool QuizSourceToJson(const std::string& source, std::string* json, Diagnostic* problem);

// Encodes plain bytes with the block coder; false when the coder fails.
bool EncodeText(const std::string& plain, std::vector<uint8_t>* coded);
// Decodes a coded block; false when the decoder reports a failure.
bool DecodeText(const uint8_t* coded, size_t size, std::string* plain);

// The block limits of the player: the stored block is 70 bytes, the
// decoder's input buffer 32,768 bytes and its output buffer 120,000.
constexpr size_t kMaxCodedBlock = 32768;
constexpr size_t kMaxPlainBlock = 119000;
