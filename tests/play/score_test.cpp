// The score and code in the header strip, and F1's fill of every field.
#include "play/score.h"

#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

using ScoreTest = PaneTest;

TEST_F(ScoreTest, ScoreTextAndCodeFollowTheRightQuestions) {
  MakeQuiz({MediaText, 20, 1, RevealNone});
  CopyText(doc->scoreCodes[1], kTextCapacity, "");
  BuildPane();
  Answer(4001, "answer1");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 20");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "code 1");
  Answer(4002, "answer2");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "");  // score 2 has an empty code
  Answer(4003, "answer3");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 3 / 20");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "code 3");
  for (int k = 1; k <= 3; ++k)
    Answer(4000 + k, "x");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 0 / 20");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "      ");
}

TEST_F(ScoreTest, AQuestionWithTwoFieldsCountsOnlyWhenBothAreRight) {
  MakeQuiz({MediaPicture, 2, 2, RevealNone});
  BuildPane();
  Answer(4001, "answer1");
  Answer(4004, "second2");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 0 / 2");
  Answer(4002, "second1");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 2");
  EXPECT_EQ(HeaderText(ID_HEADER_CODE), "code 1");
}

TEST_F(ScoreTest, FillAllAnswersWritesOnlyFieldsNotYetRight) {
  MakeQuiz({MediaText, 4, 1, RevealNone});
  BuildPane();
  Answer(4001, "answer1");
  Answer(4002, "wrong");
  SetDlgItemTextA(pane, 4003, "answer3");
  SetFocus(Control(4003));
  FillAllAnswers(Control(4003));
  EXPECT_EQ(Text(4001), "answer1");
  EXPECT_EQ(Text(4002), "answer3");
  EXPECT_EQ(Text(4004), "answer3");
  EXPECT_EQ(Text(5001), "BRAVO");
  EXPECT_EQ(Text(5002), "Quasiment");  // one letter from ANSWER2
  EXPECT_EQ(Text(5003), "BRAVO");
  EXPECT_EQ(Text(5004), "Quasiment");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 2 / 4");
  EXPECT_EQ(GetFocus(), Control(4003));
}

TEST_F(ScoreTest, FillAllAnswersWhenEverythingIsRightKeepsTheFocus) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  Answer(4001, "answer1");
  Answer(4002, "answer2");
  SetFocus(Control(4002));
  FillAllAnswers(Control(4002));
  EXPECT_EQ(Text(4001), "answer1");
  EXPECT_EQ(GetFocus(), Control(4002));
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 2 / 2");
}

}  // namespace
