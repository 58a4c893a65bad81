// The loader's outcome table on coded blocks made here with the same coder
// and grammar: each broken or missing block leaves the document as the
// table says and names the one message the player shows.
#include "content/quiz_outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/block_decoder.h"
#include "content/quiz_grammar.h"

namespace {

std::vector<uint8_t> Encode(const std::string& text) {
  uint8_t* out = nullptr;
  uint32_t length = 0;
  std::vector<uint8_t> coded;
  if (EncodeBlock(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), &out,
                  &length) == BlockOk) {
    coded.assign(out, out + (length - 1));
  }
  FreeBlock(out);
  return coded;
}

QuizText TwoQuestions() {
  QuizText quiz;
  quiz.mediaByte = 2;  // pictures
  quiz.title = "Oiseaux";
  quiz.creator = "Zo\xE9";
  for (const char* answer : {"Merle", "Pie"}) {
    QuestionText q;
    q.answer1 = answer;
    quiz.questions.push_back(q);
  }
  quiz.red = 200;
  quiz.green = 10;
  quiz.blue = 20;
  return quiz;
}

struct Blocks {
  std::vector<uint8_t> stored = Encode(FormatStoredBlock({"https://x.example/", "Pied"}));
  std::vector<uint8_t> quiz = Encode(FormatQuizText(TwoQuestions()));
  std::vector<uint8_t> codes = Encode(FormatScoreCodes({"UN", "DEUX"}));
  bool quizPresent = true;
  bool codesPresent = true;

  QuizSources Sources() const {
    QuizSources s;
    s.stored = {stored.data(), stored.size(), true};
    s.quiz = {quiz.data(), quiz.size(), quizPresent};
    s.codes = {codes.data(), codes.size(), codesPresent};
    return s;
  }
};

TEST(QuizOutcome, EveryBlockAppliedWithoutMessage) {
  Blocks blocks;
  QuizDocument doc;
  std::vector<const char*> messages;
  EXPECT_EQ(ApplyQuizSources(blocks.Sources(), doc, &messages), QuizOutcome::Full);
  EXPECT_TRUE(messages.empty());
  EXPECT_STREQ(doc.linkText, "https://x.example/");
  EXPECT_EQ(doc.questionCount, 2);
  EXPECT_EQ(doc.mediaKind, MediaPicture);
  EXPECT_STREQ(doc.scoreCodes[1], "DEUX");
  EXPECT_EQ(doc.backRed, 200);
}

TEST(QuizOutcome, BrokenOrMissingCodesKeepTheQuizWithoutCodes) {
  for (bool present : {true, false}) {
    Blocks blocks;
    blocks.codes = present ? std::vector<uint8_t>{0xFF, 0xFF, 0xFF} : std::vector<uint8_t>{};
    blocks.codesPresent = present;
    QuizDocument doc;
    std::vector<const char*> messages;
    QuizOutcome outcome = ApplyQuizSources(blocks.Sources(), doc, &messages);
    EXPECT_EQ(outcome, QuizOutcome::NoCodes);
    EXPECT_TRUE(QuizColoursChanged(outcome));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_STREQ(messages[0], kCodesFailed);
    EXPECT_EQ(doc.questionCount, 2);
    EXPECT_STRNE(doc.scoreCodes[0], "UN");
  }
}

TEST(QuizOutcome, CodesShorterThanTheQuestionsAreBroken) {
  Blocks blocks;
  blocks.codes = Encode(FormatScoreCodes({"UN"}));
  QuizDocument doc;
  std::vector<const char*> messages;
  EXPECT_EQ(ApplyQuizSources(blocks.Sources(), doc, &messages), QuizOutcome::NoCodes);
  EXPECT_STRNE(doc.scoreCodes[0], "UN");
}

TEST(QuizOutcome, MissingQuizGivesTheBuiltInQuiz) {
  Blocks blocks;
  blocks.quiz.clear();
  blocks.quizPresent = false;
  QuizDocument doc;
  std::vector<const char*> messages;
  EXPECT_EQ(ApplyQuizSources(blocks.Sources(), doc, &messages), QuizOutcome::BuiltInQuiz);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_STREQ(messages[0], kQuizMissing);
  EXPECT_GT(doc.questionCount, 0);
}

TEST(QuizOutcome, AnnouncedButEmptyOrTruncatedQuizHasNoQuestions) {
  Blocks truncated;
  truncated.quiz = Encode(FormatQuizText(TwoQuestions()).substr(0, 12));
  Blocks empty;
  empty.quiz.clear();
  for (const Blocks* blocks : {&truncated, &empty}) {
    QuizDocument doc;
    std::vector<const char*> messages;
    QuizOutcome outcome = ApplyQuizSources(blocks->Sources(), doc, &messages);
    EXPECT_EQ(outcome, QuizOutcome::NoQuestions);
    EXPECT_FALSE(QuizColoursChanged(outcome));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_STREQ(messages[0], kQuizFailed);
    EXPECT_EQ(doc.questionCount, 0);
  }
}

TEST(QuizOutcome, BrokenStoredBlockStopsBeforeTheQuiz) {
  Blocks blocks;
  blocks.stored = {0x00, 0x01};
  QuizDocument doc;
  std::vector<const char*> messages;
  EXPECT_EQ(ApplyQuizSources(blocks.Sources(), doc, &messages), QuizOutcome::StoredFailed);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_STREQ(messages[0], kStoredBlockFailed);
  EXPECT_EQ(doc.questionCount, 0);
  EXPECT_STREQ(doc.title, "nom du trivo");
}

}  // namespace
