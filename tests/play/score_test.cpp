// The window side of the score: the header strip follows the status fields
// as they change, and F1 types into the pane's fields and gives the focus
// back. Which questions count, the score's text and code and the fill order
// are rules of play, tested without windows in play_state_test.cpp.
#include "play/score.h"

#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

using ScoreTest = PaneTest;

// Each changed verdict rewrites both header controls, an empty code too.
TEST_F(ScoreTest, HeaderFollowsTheStatusFields) {
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

}  // namespace
