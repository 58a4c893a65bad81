// The quiz document: construction defaults, the question list and the fonts
// and brushes it owns. GDI objects are made through document_gdi.h so this
// file builds and runs without any windowing layer.
#include "content/quiz_document.h"

#include <cstdlib>
#include <cstring>

#include "content/document_gdi.h"
#include "content/quiz_colours.h"

QuizDocument* currentDocument = nullptr;

void CopyText(char* dst, size_t capacity, const char* src) {
  CopyText(dst, capacity, src, src ? std::strlen(src) : 0);
}

void CopyText(char* dst, size_t capacity, const char* src, size_t srcLength) {
  if (dst == nullptr || capacity == 0) {
    return;
  }
  size_t n = srcLength < capacity - 1 ? srcLength : capacity - 1;
  if (src == nullptr) {
    n = 0;
  }
  if (n > 0) {
    std::memcpy(dst, src, n);
  }
  dst[n] = '\0';
}

uint32_t BackgroundColour(const QuizDocument& doc) {
  return static_cast<uint32_t>(doc.backRed) | static_cast<uint32_t>(doc.backGreen) << 8 |
         static_cast<uint32_t>(doc.backBlue) << 16;
}

QuizDocument::QuizDocument() {
  // Every field not set below starts at zero: texts empty, handles null.
  // The record holds only plain data, so clearing it whole is sound.
  std::memset(static_cast<void*>(this), 0, sizeof(*this));

  questions.firstQuestion = nullptr;
  questions.lastQuestion = nullptr;
  scoreFont = CreateDocumentFont(FontRequest{25, 400, false, false, "Arial"});
  titleFont = CreateDocumentFont(FontRequest{-15, 700, true, false, nullptr});
  mediaKind = MediaText;
  CopyText(title, sizeof(title), "nom du trivo");
  CopyText(creator, sizeof(creator), " createur");
  backRed = kDefaultBackground.red;
  backGreen = kDefaultBackground.green;
  backBlue = kDefaultBackground.blue;
  backgroundBrush = CreateDocumentBrush(BackgroundColour(*this));
  questionCount = 2;
  revealMode = RevealNone;
  answersPerQuestion = 1;
  allCommentsShown = 0;
  wrongBrush = CreateDocumentBrush(kWrongColour);
  anagramBrush = CreateDocumentBrush(kAnagramColour);
  hintBrush = CreateDocumentBrush(kHintColour);
  questionBrush = CreateDocumentBrush(kQuestionColour);
  mediaFolder[0] = '\0';
}

QuizDocument::~QuizDocument() {
  DeleteDocumentBrush(backgroundBrush);
  DeleteDocumentBrush(wrongBrush);
  DeleteDocumentBrush(anagramBrush);
  DeleteDocumentBrush(hintBrush);
  DeleteDocumentBrush(questionBrush);
  DeleteDocumentFont(titleFont);
  DeleteDocumentFont(paneFont);
  DeleteDocumentFont(scoreFont);
  backgroundBrush = wrongBrush = anagramBrush = hintBrush = questionBrush = nullptr;
  titleFont = paneFont = scoreFont = nullptr;

  QuestionEntry* entry = questions.firstQuestion;
  while (entry != nullptr) {
    QuestionEntry* next = entry->next;
    std::free(entry);
    entry = next;
  }
  questions.firstQuestion = nullptr;
  questions.lastQuestion = nullptr;
}

void QuizDocument::addQuestion(const char* answer1, const char* answer2, const char* questionText) {
  auto* entry = static_cast<QuestionEntry*>(std::calloc(1, sizeof(QuestionEntry)));
  if (entry == nullptr) {
    return;
  }
  CopyText(entry->answer1, sizeof(entry->answer1), answer1);
  CopyText(entry->answer2, sizeof(entry->answer2), answer2);
  CopyText(entry->questionText, sizeof(entry->questionText), questionText);
  entry->prev = questions.lastQuestion;
  if (questions.lastQuestion != nullptr) {
    questions.lastQuestion->next = entry;
  } else {
    questions.firstQuestion = entry;
  }
  questions.lastQuestion = entry;
}

QuestionEntry* QuizDocument::questionAt(int n) const {
  QuestionEntry* entry = questions.firstQuestion;
  for (int i = 1; i < n && entry != nullptr && entry->next != nullptr; ++i) {
    entry = entry->next;
  }
  return entry;
}

void QuizDocument::createPaneFont() {
  // A second call replaces the font; the old one is not left behind.
  HFONT font = CreateDocumentFont(FontRequest{15, 100, false, false, nullptr});
  DeleteDocumentFont(paneFont);
  paneFont = font;
}
