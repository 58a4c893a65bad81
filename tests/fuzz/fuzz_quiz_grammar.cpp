// Any bytes go to the three parsers of the decoded texts. Whatever they
// accept must format back to text that parses to the same fields, and must
// apply to a document without touching memory outside its buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/quiz_document.h"
#include "content/quiz_grammar.h"

namespace {

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

void CheckQuiz(const uint8_t* data, size_t size) {
  QuizText quiz;
  if (ParseQuizText(data, size, &quiz) != GrammarResult::Ok) {
    return;
  }
  std::string text = FormatQuizText(quiz);
  QuizText again;
  if (ParseQuizText(Bytes(text), text.size(), &again) != GrammarResult::Ok || FormatQuizText(again) != text) {
    std::abort();
  }
  QuizDocument doc;
  ApplyQuizText(quiz, doc);
  if (doc.questionCount < 0 || doc.questionCount > kMaxQuestions) {
    std::abort();
  }
}

void CheckStoredBlock(const uint8_t* data, size_t size) {
  StoredBlockText block;
  if (ParseStoredBlock(data, size, &block) != GrammarResult::Ok) {
    return;
  }
  std::string text = FormatStoredBlock(block);
  StoredBlockText again;
  if (ParseStoredBlock(Bytes(text), text.size(), &again) != GrammarResult::Ok ||
      again.linkText != block.linkText || again.footerText != block.footerText) {
    std::abort();
  }
  QuizDocument doc;
  ApplyStoredBlock(block, doc);
}

void CheckCodes(const uint8_t* data, size_t size) {
  if (size == 0) {
    return;
  }
  // The first byte is the number of lines asked for.
  int count = data[0];
  std::vector<std::string> codes;
  if (ParseScoreCodes(data + 1, size - 1, count, &codes) != GrammarResult::Ok) {
    return;
  }
  if (static_cast<int>(codes.size()) != count) {
    std::abort();
  }
  QuizDocument doc;
  ApplyScoreCodes(codes, doc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckQuiz(data, size);
  CheckStoredBlock(data, size);
  CheckCodes(data, size);
  return 0;
}
