// A whole game without windows: typing, F1, "Cacher", a replayed answers
// file, and the small rules the pages draw from (verdict kinds and colours,
// label colour, the "Cacher" offer).
#include "play/play_session.h"

#include <gtest/gtest.h>

#include <string>

#include "content/quiz_colours.h"
#include "play/play_rules.h"
#include "play/verdict_rules.h"
#include "tests/play/play_test_quiz.h"

namespace {

TEST(PlaySession, TypingJudgesRevealsAndScores) {
  QuizDocument doc;
  MakeQuiz(doc, 3, 1, RevealCommentAndPicture);
  PlaySession game = StartPlaySession(&doc);
  ASSERT_EQ(game.fields.typed.size(), 3u);
  TypeField(game, 2, "A2");
  EXPECT_EQ(game.fields.status[1], kVerdictRight);
  EXPECT_TRUE(game.commentShown[1]);
  EXPECT_TRUE(game.answerPicture[1]);
  EXPECT_EQ(CountScore(&doc, game.fields), 1);
  EXPECT_STREQ(ScoreCode(&doc, 1), "C1");
  TypeField(game, 2, "B2");  // no longer right: the comment goes, the picture stays
  EXPECT_EQ(game.fields.status[1], kVerdictWrong);
  EXPECT_FALSE(game.commentShown[1]);
  EXPECT_TRUE(game.answerPicture[1]);
  TypeField(game, 0, "A1");  // no such field
  TypeField(game, 4, "A1");
  EXPECT_EQ(CountScore(&doc, game.fields), 0);
  TypeField(game, 1, std::string(400, 'x'));
  EXPECT_EQ(game.fields.typed[0].size(), kMaxTextLength);
}

TEST(PlaySession, FillFromAndHideFoldAnsweredQuestions) {
  QuizDocument doc;
  MakeQuiz(doc, 3, 1, RevealComment);
  PlaySession game = StartPlaySession(&doc);
  FillFrom(game, 1, "A1");
  EXPECT_EQ(game.fields.typed[1], "A1");  // the following empty fields take the text
  EXPECT_EQ(game.fields.status[0], kVerdictRight);
  EXPECT_NE(game.fields.status[1], kVerdictRight);
  SetHide(game, true);
  EXPECT_NE(doc.hideState[1], 0);
  EXPECT_FALSE(game.commentShown[0]);  // folded away
  SetHide(game, false);
  EXPECT_EQ(doc.hideState[1], 0);
  EXPECT_TRUE(game.commentShown[0]);
}

TEST(PlaySession, ReplayedAnswersFileFillsFieldsInOrder) {
  QuizDocument doc;
  MakeQuiz(doc, 3, 2, RevealNone);
  PlaySession game = StartPlaySession(&doc);
  const std::string file = "A1\r\nB1\r\nzzz\r\n";
  ReplayAnswers(game, file.data(), file.size());
  EXPECT_EQ(game.fields.status[0], kVerdictRight);
  EXPECT_EQ(game.fields.status[1], kVerdictRight);
  EXPECT_EQ(game.fields.status[2], kVerdictWrong);
  EXPECT_EQ(game.fields.typed[5], "");  // past the end of the file
  EXPECT_EQ(CountScore(&doc, game.fields), 1);
  ReplayAnswers(game, nullptr, 10);
  EXPECT_EQ(game.fields.typed[0], "");
}

TEST(PlayRules, VerdictKindsAndTheirColours) {
  struct Case {
    const char* status;
    VerdictKind kind;
    const char* name;
    bool coloured;
    uint32_t colour;
  } cases[] = {
      {kVerdictEmpty, VerdictKind::Unjudged, "unjudged", false, 0},
      {kVerdictRight, VerdictKind::Right, "right", true, 0x00FF00},
      {kVerdictWrong, VerdictKind::Wrong, "wrong", true, 0x0000FF},
      {kVerdictAnagram, VerdictKind::Anagram, "anagram", true, 0x0064FF},
      {kVerdictOneEdit, VerdictKind::Hint, "hint", true, 0x26CBFF},
      {kVerdictSomeIdea, VerdictKind::Hint, "hint", true, 0x26CBFF},
  };
  for (const Case& c : cases) {
    const VerdictKind kind = VerdictKindOf(c.status);
    EXPECT_EQ(kind, c.kind) << c.status;
    EXPECT_STREQ(VerdictKindName(kind), c.name);
    uint32_t colour = 0;
    EXPECT_EQ(VerdictColour(kind, &colour), c.coloured) << c.status;
    EXPECT_EQ(colour, c.colour) << c.status;
  }
  EXPECT_EQ(CssColour(kAnagramColour), "#FF6400");
}

TEST(PlayRules, LabelsAreBlackOverRedOrGreenAbove69AndHideIsOfferedToOneAnswerPictureQuizzes) {
  EXPECT_EQ(LabelTextColour({69, 69, 255}), kWhiteText);  // blue plays no part
  EXPECT_EQ(LabelTextColour({70, 0, 0}), kBlackText);
  EXPECT_EQ(LabelTextColour({0, 70, 0}), kBlackText);
  EXPECT_EQ(CssColour(LabelTextColour(kDefaultBackground)), "#000000");
  QuizDocument doc;
  MakeQuiz(doc, 1, 1, RevealNone);
  EXPECT_TRUE(OffersHideBox(&doc));
  doc.answersPerQuestion = 2;
  EXPECT_FALSE(OffersHideBox(&doc));
  doc.answersPerQuestion = 1;
  doc.mediaKind = MediaText;
  EXPECT_FALSE(OffersHideBox(&doc));
  EXPECT_FALSE(OffersHideBox(nullptr));
}

}  // namespace
