// The quiz document: construction defaults, the question list and its walk.
#include "content/quiz_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(QuizDocument, ConstructionDefaults) {
  QuizDocument doc;
  EXPECT_STREQ(doc.title, "nom du trivo");
  EXPECT_STREQ(doc.creator, " createur");
  EXPECT_STREQ(doc.explanation, "");
  EXPECT_STREQ(doc.linkText, "");
  EXPECT_STREQ(doc.mediaFolder, "");
  EXPECT_EQ(doc.questionCount, 2);
  EXPECT_EQ(doc.questions.firstQuestion, nullptr);
  EXPECT_EQ(doc.questions.lastQuestion, nullptr);
  EXPECT_EQ(doc.revealMode, RevealNone);
  EXPECT_EQ(doc.mediaKind, MediaText);
  EXPECT_EQ(doc.answersPerQuestion, 1);
  EXPECT_EQ(doc.allCommentsShown, 0);
  EXPECT_EQ(BackgroundColour(doc), 0x965F5Au);
  EXPECT_EQ(doc.backRed, 90);
  EXPECT_EQ(doc.backGreen, 95);
  EXPECT_EQ(doc.backBlue, 150);
  EXPECT_EQ(doc.paneFont, nullptr);
  EXPECT_EQ(doc.questionPane, nullptr);
  EXPECT_EQ(doc.headerBar, nullptr);
  for (int i = 0; i <= kMaxQuestions; ++i) {
    EXPECT_EQ(doc.hideState[i], 0);
  }
  for (int i = 0; i < kMaxQuestions; ++i) {
    EXPECT_STREQ(doc.scoreCodes[i], "");
  }
  EXPECT_EQ(doc.questionAt(1), nullptr);
}

TEST(QuizDocument, AddQuestionLinksEntriesInOrder) {
  QuizDocument doc;
  doc.addQuestion("one", "", "first?");
  QuestionEntry* first = doc.questions.firstQuestion;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(doc.questions.lastQuestion, first);
  EXPECT_EQ(first->prev, nullptr);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_STREQ(first->comment, "");
  EXPECT_EQ(first->answered, 0);

  doc.addQuestion("two", "deux", "second?");
  doc.addQuestion("three", "", "third?");
  QuestionEntry* third = doc.questions.lastQuestion;
  EXPECT_STREQ(third->answer1, "three");
  EXPECT_EQ(third->prev->prev, first);
  EXPECT_EQ(first->next->next, third);
  EXPECT_EQ(third->next, nullptr);

  // questionAt walks from the first entry and stops at the last.
  EXPECT_EQ(doc.questionAt(1), first);
  EXPECT_STREQ(doc.questionAt(2)->answer2, "deux");
  EXPECT_EQ(doc.questionAt(3), third);
  EXPECT_EQ(doc.questionAt(4), third);
  EXPECT_EQ(doc.questionAt(96), third);
  EXPECT_EQ(doc.questionAt(0), first);
  EXPECT_EQ(doc.questionAt(-5), first);
}

TEST(QuizDocument, TextsAreCutToTheirBuffers) {
  QuizDocument doc;
  std::string longText(1000, 'x');
  doc.addQuestion(longText.c_str(), longText.c_str(), longText.c_str());
  EXPECT_EQ(std::string(doc.questionAt(1)->answer1).size(), 259u);
  EXPECT_EQ(std::string(doc.questionAt(1)->answer2).size(), 259u);
  EXPECT_EQ(std::string(doc.questionAt(1)->questionText).size(), 259u);

  char small[4] = {'a', 'b', 'c', 'd'};
  CopyText(small, sizeof(small), "longer");
  EXPECT_STREQ(small, "lon");
  CopyText(small, sizeof(small), "xyz", 1);
  EXPECT_STREQ(small, "x");
  CopyText(small, sizeof(small), nullptr);
  EXPECT_STREQ(small, "");
}

TEST(QuizDocument, DestructionFreesEveryEntry) {
  // Run under AddressSanitizer this catches a leaked or doubly freed entry.
  auto* doc = new QuizDocument;
  for (int i = 0; i < kMaxQuestions; ++i) {
    doc->addQuestion("a", "b", "q");
  }
  doc->createPaneFont();
  doc->createPaneFont();
  delete doc;
}

}  // namespace
