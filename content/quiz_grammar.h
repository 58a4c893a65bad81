// The grammar of the decoded quiz texts, both ways: parsing what the player
// carries, and formatting it (for the authoring tool and for tests).
//
// Fields are runs of bytes ended by '|'; numbers are single raw bytes. The
// stored block holds two skipped bytes, the link and the footer; the quiz
// block holds a skipped byte, media kind + 1, question count, answers per
// question, five header fields, the questions, the reveal mode, the comments
// the mode carries and three colour bytes; the codes block holds one CR LF
// ended line per question.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct QuizDocument;

enum class GrammarResult {
  Ok,
  Truncated,  // the text ends before what it announces
};

struct StoredBlockText {
  std::string linkText;
  std::string footerText;
};

struct QuestionText {
  std::string answer1;
  std::string answer2;  // only with two answers per question
  std::string questionText;
  std::string comment;        // reveal modes 2, 3 and 4
  std::string secondComment;  // reveal mode 3 only; the player passes it over
};

struct QuizText {
  uint8_t leadByte = 0;   // byte 0, passed over by the player
  uint8_t mediaByte = 1;  // media kind + 1
  uint8_t answersPerQuestion = 1;
  std::string title, creator, explanation, answerLabel1, answerLabel2;
  std::vector<QuestionText> questions;  // as many as announced (0..255)
  uint8_t revealMode = 0;
  uint8_t red = 0, green = 0, blue = 0;
};

GrammarResult ParseStoredBlock(const uint8_t* text, size_t size, StoredBlockText* out);
GrammarResult ParseQuizText(const uint8_t* text, size_t size, QuizText* out);
// Reads `count` CR LF ended lines.
GrammarResult ParseScoreCodes(const uint8_t* text, size_t size, int count, std::vector<std::string>* out);

// The inverse of the parsers for every text they accept. A field cannot hold
// '|' and a code cannot hold CR: such texts do not survive the round trip,
// so the authoring tool refuses them before formatting. At most 255
// questions are written.
std::string FormatStoredBlock(const StoredBlockText& block);
std::string FormatQuizText(const QuizText& quiz);
std::string FormatScoreCodes(const std::vector<std::string>& codes);

// Copy parsed texts into the document, cut to its buffers. ApplyQuizText keeps
// the first 96 questions of a longer quiz; it does not touch the brushes. A
// media byte outside 1..4 gives a text quiz and an answer count other than 2
// gives one answer field, so the document never names an unknown layout.
void ApplyStoredBlock(const StoredBlockText& block, QuizDocument& doc);
void ApplyQuizText(const QuizText& quiz, QuizDocument& doc);
void ApplyScoreCodes(const std::vector<std::string>& codes, QuizDocument& doc);
// Fills the built-in test quiz shown when the quiz resource is missing.
void ApplyBuiltInTestQuiz(QuizDocument& doc);
