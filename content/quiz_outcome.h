// The loader's outcome table: from the three coded blocks a quiz carries
// (the stored block, the quiz block and the codes block) to the document and
// the messages the player shows. Where the blocks come from (the program's
// own data and resources, or an executable read from a file) is the
// caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "content/quiz_document.h"

struct CodedBlock {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  // False when the quiz carries no such block at all. A block that is
  // announced but could not be read has present = true and size 0.
  bool present = false;
};

struct QuizSources {
  CodedBlock stored;
  CodedBlock quiz;
  CodedBlock codes;
};

enum class QuizOutcome {
  Full,          // every block applied
  NoCodes,       // the quiz without its score codes
  BuiltInQuiz,   // no quiz block: the built-in test quiz
  NoQuestions,   // the quiz block is broken: no questions
  StoredFailed,  // the stored block is broken: construction defaults, no questions
};

// The caption and texts of the loader's messages (Windows-1252).
extern const char kLoaderCaption[];
extern const char kStoredBlockFailed[];
extern const char kQuizMissing[];
extern const char kQuizFailed[];
extern const char kCodesFailed[];

// Decodes and applies the blocks in order; each is decoded and parsed whole
// before anything of it is applied. `messages` receives the texts to show,
// in order. The document's brushes are left alone: QuizColoursChanged tells
// whether the background colour was set.
QuizOutcome ApplyQuizSources(const QuizSources& sources, QuizDocument& doc,
                             std::vector<const char*>* messages);
bool QuizColoursChanged(QuizOutcome outcome);
