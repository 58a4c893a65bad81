// The outcome table of the loader: stored block broken -> construction
// defaults with no questions; quiz missing -> the built-in test quiz; quiz
// broken -> no questions; codes missing or broken -> everything but the
// codes.
#include "content/quiz_outcome.h"

#include <string>

#include "content/block_decoder.h"
#include "content/quiz_grammar.h"

const char kLoaderCaption[] = "Trivo";
const char kStoredBlockFailed[] =
    "Erreur dans le d\xE9"
    "cryptage";
const char kQuizMissing[] =
    "Reponses non trouv\xE9"
    "es";
const char kQuizFailed[] =
    "Erreur dans le d\xE9"
    "cryptage des reponses";
const char kCodesFailed[] =
    "Erreur dans le d\xE9"
    "cryptage des codes";

namespace {

// One decoded block; the decoder's buffer is freed with it.
struct DecodedBlock {
  uint8_t* bytes = nullptr;
  size_t size = 0;
  bool ok = false;

  explicit DecodedBlock(const CodedBlock& coded) {
    uint32_t length = 0;
    int32_t status = DecodeBlock(coded.bytes, static_cast<uint32_t>(coded.size), &bytes, &length);
    ok = status == BlockOk && bytes != nullptr && length >= 2;
    size = ok ? length - 2 : 0;
  }
  ~DecodedBlock() { FreeBlock(bytes); }
  DecodedBlock(const DecodedBlock&) = delete;
  DecodedBlock& operator=(const DecodedBlock&) = delete;
};

void Tell(std::vector<const char*>* messages, const char* text) {
  if (messages != nullptr) {
    messages->push_back(text);
  }
}

}  // namespace

QuizOutcome ApplyQuizSources(const QuizSources& sources, QuizDocument& doc,
                             std::vector<const char*>* messages) {
  {
    DecodedBlock plain(sources.stored);
    StoredBlockText block;
    if (!plain.ok || ParseStoredBlock(plain.bytes, plain.size, &block) != GrammarResult::Ok) {
      Tell(messages, kStoredBlockFailed);
      doc.questionCount = 0;
      return QuizOutcome::StoredFailed;
    }
    ApplyStoredBlock(block, doc);
  }

  if (!sources.quiz.present) {
    Tell(messages, kQuizMissing);
    ApplyBuiltInTestQuiz(doc);
    return QuizOutcome::BuiltInQuiz;
  }
  QuizText quiz;
  {
    // A block that is announced but cannot be read decodes as empty.
    DecodedBlock plain(sources.quiz);
    if (!plain.ok || ParseQuizText(plain.bytes, plain.size, &quiz) != GrammarResult::Ok) {
      Tell(messages, kQuizFailed);
      doc.questionCount = 0;
      return QuizOutcome::NoQuestions;
    }
  }
  ApplyQuizText(quiz, doc);

  // A missing codes block is an empty block, which the decoder refuses.
  DecodedBlock plain(sources.codes);
  std::vector<std::string> codes;
  if (!plain.ok || ParseScoreCodes(plain.bytes, plain.size, doc.questionCount, &codes) != GrammarResult::Ok) {
    Tell(messages, kCodesFailed);
    return QuizOutcome::NoCodes;
  }
  ApplyScoreCodes(codes, doc);
  return QuizOutcome::Full;
}

bool QuizColoursChanged(QuizOutcome outcome) {
  return outcome == QuizOutcome::Full || outcome == QuizOutcome::NoCodes ||
         outcome == QuizOutcome::BuiltInQuiz;
}
