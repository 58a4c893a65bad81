// Judging answer fields: verdicts, the answered flag and what a right
// question reveals.
#include "play/answer_judge.h"

#include "play/question_pane.h"
#include "resources/resource_ids.h"
#include "tests/play/pane_test_support.h"

namespace {

using AnswerJudgeTest = PaneTest;

bool Visible(HWND control) {
  return control != nullptr && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(AnswerJudgeTest, ASecondIdenticalJudgementChangesNothing) {
  MakeQuiz({MediaText, 2, 1, RevealNone});
  BuildPane();
  Answer(4001, "  answer1 ");
  EXPECT_EQ(Text(5001), "BRAVO");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 1 / 2");
  // No recount happens when the verdict is unchanged.
  SetDlgItemTextA(header, ID_HEADER_SCORE, "untouched");
  AnswerJudge(doc.get(), pane, 4001);
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), "untouched");
  Answer(4001, "answer1 and more");
  EXPECT_EQ(Text(5001), "Trop long");
  EXPECT_EQ(HeaderText(ID_HEADER_SCORE), " 0 / 2");
  EXPECT_EQ(doc->questionAt(1)->answered, 1);  // once answered, always answered
}

TEST_F(AnswerJudgeTest, TwoAnswersPerQuestionAreJudgedSlotBySlot) {
  MakeQuiz({MediaPicture, 2, 2, RevealComment});
  BuildPane();
  Answer(4003, "second2");  // the first field expects ANSWER2
  EXPECT_NE(Text(5003), "BRAVO");
  Answer(4004, "second2");
  EXPECT_EQ(Text(5004), "BRAVO");
  EXPECT_EQ(doc->questionAt(2)->answered, 0);
  EXPECT_FALSE(Visible(Control(8002)));
  Answer(4003, "answer2");
  EXPECT_EQ(doc->questionAt(2)->answered, 1);
  EXPECT_TRUE(Visible(Control(8002)));
  EXPECT_FALSE(Visible(Control(8001)));
  Answer(4004, "nope");
  EXPECT_FALSE(Visible(Control(8002)));
}

TEST_F(AnswerJudgeTest, RevealAllCommentsWaitsForEveryField) {
  MakeQuiz({MediaPicture, 3, 2, RevealAllComments});
  BuildPane();
  for (int k = 1; k <= 5; ++k) {
    Answer(4000 + k, k % 2 ? "answer" + std::to_string((k + 1) / 2) : "second" + std::to_string(k / 2));
  }
  // Single right questions reveal nothing in this mode.
  for (int q = 1; q <= 3; ++q)
    EXPECT_FALSE(Visible(Control(8000 + q))) << q;
  Answer(4006, "second3");
  for (int q = 1; q <= 3; ++q)
    EXPECT_TRUE(Visible(Control(8000 + q))) << q;
  EXPECT_EQ(doc->allCommentsShown, 1);
  Answer(4003, "wrong");
  EXPECT_TRUE(Visible(Control(8001)));
  EXPECT_FALSE(Visible(Control(8002)));
  EXPECT_TRUE(Visible(Control(8003)));
  EXPECT_EQ(doc->allCommentsShown, 0);
  Answer(4003, "answer2");
  EXPECT_TRUE(Visible(Control(8002)));
  EXPECT_EQ(doc->allCommentsShown, 1);
}

TEST_F(AnswerJudgeTest, TheAnswerPictureReplacesTheQuestionPicture) {
  MakeQuiz({MediaPicture, 2, 1, RevealPicture});
  BuildPane();
  auto shown = [&](int id) {
    return reinterpret_cast<HBITMAP>(SendMessageA(Control(id), STM_GETIMAGE, IMAGE_BITMAP, 0));
  };
  HBITMAP question = shown(9901);
  ASSERT_NE(question, nullptr);
  Answer(4001, "answer1");
  HBITMAP answer = shown(9901);
  ASSERT_NE(answer, nullptr);
  EXPECT_NE(answer, question);
  BITMAP info = {};
  ASSERT_EQ(GetObjectA(answer, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmWidth, 260);
  EXPECT_EQ(info.bmHeight, 260);
  EXPECT_EQ(GetObjectType(question), 0u) << "the replaced bitmap is deleted";
  // A wrong answer later does not bring the question picture back.
  Answer(4001, "wrong");
  EXPECT_EQ(shown(9901), answer);
  // Question 2 has no answer picture: its own stays.
  HBITMAP second = shown(9902);
  Answer(4002, "answer2");
  EXPECT_EQ(shown(9902), second);
}

TEST_F(AnswerJudgeTest, ASavedRightAnswerShowsTheAnswerPictureFromTheStart) {
  for (RevealMode mode : {RevealPicture, RevealCommentAndPicture}) {
    MakeQuiz({MediaPicture, 3, 1, mode});
    WriteAnswers("answer1\r\nanswer2\r\nwrong\r\n");
    BuildPane();
    EXPECT_EQ(Text(5001), "BRAVO");
    BITMAP info = {};
    auto shown = reinterpret_cast<HBITMAP>(SendMessageA(Control(9901), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(shown, nullptr);
    GetObjectA(shown, sizeof(info), &info);
    EXPECT_EQ(info.bmHeight, 260);  // the answer picture, not the 130-high question picture
    // Answered before the pane was shown but without an answer picture: the
    // question keeps its own, as it would have in play.
    EXPECT_NE(SendMessageA(Control(9902), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << mode;
    // Not answered: the question picture.
    EXPECT_NE(SendMessageA(Control(9903), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << mode;
    DestroyPane();
  }
}

TEST_F(AnswerJudgeTest, ASavedRightAnswerKeepsTheQuestionPictureWhenNothingIsSwapped) {
  MakeQuiz({MediaPicture, 2, 1, RevealComment});
  WriteAnswers("answer1\r\nanswer2\r\n");
  BuildPane();
  EXPECT_EQ(Text(5002), "BRAVO");
  EXPECT_NE(SendMessageA(Control(9901), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_NE(SendMessageA(Control(9902), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

}  // namespace
