// The one record of the loaded quiz and of the play state shared by the
// header strip, the question pane and the media host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "content/platform_handles.h"

enum MediaKind : int32_t {
  MediaText = 0,
  MediaPicture = 1,
  MediaAudio = 2,
  MediaVideo = 3,
};

enum RevealMode : int32_t {
  RevealNone = 0,
  RevealPicture = 1,
  RevealComment = 2,
  RevealCommentAndPicture = 3,
  RevealAllComments = 4,
};

constexpr int kTextCapacity = 260;  // 259 characters and the terminator
// Characters a text takes: an answer field, a question, a comment, a code.
constexpr size_t kMaxTextLength = kTextCapacity - 1;
constexpr int kMaxQuestions = 96;
constexpr int kMaxRows = 32;  // rows of three questions
constexpr int kMediaFolderCapacity = 512;
constexpr int kLinkCapacity = 25;
constexpr int kFooterCapacity = 43;

struct QuestionEntry {
  char answer1[kTextCapacity];
  char answer2[kTextCapacity];
  char questionText[kTextCapacity];
  char comment[kTextCapacity];
  int32_t answered;
  QuestionEntry* prev;
  QuestionEntry* next;
};

struct QuestionList {
  QuestionEntry* firstQuestion;
  QuestionEntry* lastQuestion;
};

struct QuizDocument {
  int32_t paneContentWidth;
  int32_t paneContentHeight;
  int32_t mediaKind;  // MediaKind
  char title[kTextCapacity];
  char creator[kTextCapacity];
  char explanation[kTextCapacity];
  char answerLabel1[kTextCapacity];
  char answerLabel2[kTextCapacity];
  int32_t questionCount;
  int32_t answersPerQuestion;
  char scoreCodes[kMaxQuestions][kTextCapacity];  // entry s - 1 is the code of score s
  int32_t revealMode;                             // RevealMode
  HFONT paneFont;
  HFONT scoreFont;
  HFONT titleFont;
  int32_t allCommentsShown;
  HWND questionPane;
  int32_t rowHeights[kMaxRows];
  int32_t hideState[kMaxQuestions + 1];  // by question number 1..96; entry 0 unused
  uint8_t backRed;
  uint8_t backBlue;
  uint8_t backGreen;
  HBRUSH backgroundBrush;
  HBRUSH wrongBrush;
  HBRUSH anagramBrush;
  HBRUSH hintBrush;
  HBRUSH questionBrush;
  HWND headerBar;
  char mediaFolder[kMediaFolderCapacity];
  char linkText[kLinkCapacity];
  char footerText[kFooterCapacity];
  QuestionList questions;

  QuizDocument();
  ~QuizDocument();
  QuizDocument(const QuizDocument&) = delete;
  QuizDocument& operator=(const QuizDocument&) = delete;

  // Appends a zero-filled entry holding copies of the three texts; nothing is
  // appended when the entry cannot be allocated.
  void addQuestion(const char* answer1, const char* answer2, const char* questionText);
  // The entry of question n (from 1); past the end the last entry, empty list null.
  QuestionEntry* questionAt(int n) const;
  // Creates the question pane's font; the document owns and deletes it.
  void createPaneFont();
};

// The colour number 0x00BBGGRR of the document's background.
uint32_t BackgroundColour(const QuizDocument& doc);

// Copies src into a buffer of `capacity` bytes, cut to capacity - 1 characters
// and always terminated.
void CopyText(char* dst, size_t capacity, const char* src);
void CopyText(char* dst, size_t capacity, const char* src, size_t srcLength);

// The process-wide document, set by start-up right after construction.
extern QuizDocument* currentDocument;
