#include "content/quiz_grammar.h"

#include "content/quiz_document.h"

GrammarResult ParseStoredBlock(const uint8_t*, size_t, StoredBlockText*) {
  return GrammarResult::Truncated;
}
GrammarResult ParseQuizText(const uint8_t*, size_t, QuizText*) {
  return GrammarResult::Truncated;
}
GrammarResult ParseScoreCodes(const uint8_t*, size_t, int, std::vector<std::string>*) {
  return GrammarResult::Truncated;
}
std::string FormatStoredBlock(const StoredBlockText&) {
  return {};
}
std::string FormatQuizText(const QuizText&) {
  return {};
}
std::string FormatScoreCodes(const std::vector<std::string>&) {
  return {};
}
void ApplyStoredBlock(const StoredBlockText&, QuizDocument&) {}
void ApplyQuizText(const QuizText&, QuizDocument&) {}
void ApplyScoreCodes(const std::vector<std::string>&, QuizDocument&) {}
void ApplyBuiltInTestQuiz(QuizDocument&) {}
