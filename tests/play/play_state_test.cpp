// The rules of play without windows: verdicts, answered questions, reveals,
// score and code, the F1 order and the "Cacher" arithmetic.
#include "play/play_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play/verdict_rules.h"
#include "tests/play/play_test_quiz.h"

namespace {

JudgeStep Type(QuizDocument& doc, PlayFields& fields, int field, const char* text) {
  fields.typed[field - 1] = text;
  return JudgeField(&doc, fields, field);
}

TEST(PlayState, FieldsOfATextQuizAreOnePerQuestionWhateverTheAnswerCount) {
  QuizDocument doc;
  MakeQuiz(doc, 4, 2, RevealNone);
  EXPECT_EQ(AnswerFieldCount(&doc), 8);
  EXPECT_EQ(FieldQuestion(&doc, 4), 2);
  EXPECT_EQ(FieldSlot(&doc, 4), 2);
  EXPECT_EQ(FieldSlot(&doc, 3), 1);
  doc.mediaKind = MediaText;
  EXPECT_EQ(AnswerFieldCount(&doc), 4);
  EXPECT_EQ(FieldQuestion(&doc, 4), 4);
  doc.mediaKind = MediaAudio;
  doc.answersPerQuestion = 3;
  EXPECT_EQ(AnswerFieldCount(&doc), 0);
}

TEST(PlayState, VerdictIsWrittenOnlyWhenItChanges) {
  QuizDocument doc;
  MakeQuiz(doc, 2, 1, RevealNone);
  PlayFields fields = EmptyPlayFields(&doc);
  EXPECT_FALSE(JudgeField(&doc, fields, 1).changed);  // "?" stays "?"
  JudgeStep step = Type(doc, fields, 1, "B1");
  EXPECT_TRUE(step.changed);
  EXPECT_STREQ(step.verdict, kVerdictWrong);
  EXPECT_TRUE(step.hideComment);
  EXPECT_FALSE(Type(doc, fields, 1, "B1").changed);
  EXPECT_FALSE(JudgeField(&doc, fields, 0).changed);
  EXPECT_FALSE(JudgeField(&doc, fields, 3).changed);
}

TEST(PlayState, QuestionIsAnsweredOnlyWhenBothFieldsAreRight) {
  QuizDocument doc;
  MakeQuiz(doc, 2, 2, RevealCommentAndPicture);
  PlayFields fields = EmptyPlayFields(&doc);
  JudgeStep first = Type(doc, fields, 1, " a1 ");
  EXPECT_STREQ(first.verdict, kVerdictRight);
  EXPECT_FALSE(first.answered);
  JudgeStep second = Type(doc, fields, 2, "b1");
  EXPECT_TRUE(second.answered);
  EXPECT_TRUE(second.showComment);
  EXPECT_TRUE(second.showAnswerPicture);
  EXPECT_EQ(doc.questionAt(1)->answered, 1);
  EXPECT_EQ(CountScore(&doc, fields), 1);
}

TEST(PlayState, EachRevealModeShowsItsOwnPart) {
  struct Case {
    int mode;
    bool comment, picture;
  } cases[] = {{RevealNone, false, false},
               {RevealPicture, false, true},
               {RevealComment, true, false},
               {RevealAllComments, false, false}};
  for (const Case& c : cases) {
    QuizDocument doc;
    MakeQuiz(doc, 2, 1, c.mode);
    PlayFields fields = EmptyPlayFields(&doc);
    JudgeStep step = Type(doc, fields, 1, "A1");
    EXPECT_EQ(step.showComment, c.comment) << c.mode;
    EXPECT_EQ(step.showAnswerPicture, c.picture) << c.mode;
    EXPECT_FALSE(step.showAllComments) << c.mode;
  }
}

TEST(PlayState, AllCommentsComeOutWithTheLastRightFieldAndGoWithAWrongOne) {
  QuizDocument doc;
  MakeQuiz(doc, 2, 1, RevealAllComments);
  PlayFields fields = EmptyPlayFields(&doc);
  Type(doc, fields, 1, "A1");
  JudgeStep last = Type(doc, fields, 2, "A2");
  EXPECT_TRUE(last.showAllComments);
  EXPECT_EQ(doc.allCommentsShown, 1);
  EXPECT_TRUE(CommentDue(&doc, fields, 1));
  JudgeStep wrong = Type(doc, fields, 2, "zzz");
  EXPECT_TRUE(wrong.hideComment);
  EXPECT_EQ(doc.allCommentsShown, 0);
  EXPECT_FALSE(CommentDue(&doc, fields, 1));
}

TEST(PlayState, ScoreTextAndCode) {
  QuizDocument doc;
  MakeQuiz(doc, 12, 1, RevealNone);
  EXPECT_EQ(ScoreText(0, 12), " 0 / 12");
  EXPECT_STREQ(ScoreCode(&doc, 0), "      ");
  EXPECT_STREQ(ScoreCode(&doc, 3), "C3");
  EXPECT_STREQ(ScoreCode(&doc, 97), "      ");
}

TEST(PlayState, FillOrderSkipsRightFieldsAndTheFieldItStartsFrom) {
  QuizDocument doc;
  MakeQuiz(doc, 4, 1, RevealNone);
  PlayFields fields = EmptyPlayFields(&doc);
  Type(doc, fields, 2, "A2");
  EXPECT_EQ(FillOrder(&doc, fields, 3), (std::vector<int>{1, 4}));
  EXPECT_EQ(FillOrder(&doc, fields, 2), (std::vector<int>{1, 3, 4}));
}

TEST(PlayState, TabTargetKeepsTheFieldInAShortPane) {
  EXPECT_EQ(TabScrollTarget(100, 900, 20, 800), 640);
  EXPECT_EQ(TabScrollTarget(0, 500, 20, 200), 320);
  EXPECT_EQ(TabScrollTarget(0, 500, 20, 10), 500);
}

// Folding a whole row collapses it and moves every later question; turning
// the box off walks back to the same content height and states.
TEST(PlayState, HideAnsweredFoldsRowsAndUnfoldsThemBack) {
  QuizDocument doc;
  MakeQuiz(doc, 5, 1, RevealComment);
  doc.paneContentHeight = 1000;
  PlayFields fields = EmptyPlayFields(&doc);
  for (int q = 1; q <= 4; ++q) {
    Type(doc, fields, q, ("A" + std::to_string(q)).c_str());
  }
  std::vector<HideStep> fold = PlanHideAnswered(&doc, fields, true);
  int folds = 0;
  int moves = 0;
  for (const HideStep& step : fold) {
    if (step.kind == HideStepKind::Fold) {
      ++folds;
      EXPECT_EQ(step.sign, -1);
      EXPECT_EQ(step.amount, 100);
    } else if (step.kind == HideStepKind::Move) {
      ++moves;
      EXPECT_EQ(step.amount, 165);  // the row and its comment
      EXPECT_GT(step.question, 3);
    }
  }
  EXPECT_EQ(folds, 4);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(doc.paneContentHeight, 835);
  EXPECT_EQ(doc.hideState[3], 2);
  EXPECT_EQ(doc.hideState[4], 1);
  EXPECT_EQ(doc.hideState[5], 0);
  EXPECT_TRUE(PlanHideAnswered(&doc, fields, true).empty());  // nothing new to fold

  Type(doc, fields, 2, "x");
  std::vector<HideStep> unfold = PlanHideAnswered(&doc, fields, false);
  ASSERT_EQ(unfold.size(), 6u);
  EXPECT_EQ(unfold[1].kind, HideStepKind::Unfold);
  EXPECT_FALSE(unfold[1].commentDue);  // question 2 is no longer right
  EXPECT_TRUE(unfold[0].commentDue);
  EXPECT_EQ(doc.paneContentHeight, 1000);
  for (int q = 1; q <= 5; ++q) {
    EXPECT_EQ(doc.hideState[q], 0);
  }
}

}  // namespace
