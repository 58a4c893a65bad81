// The quiz grammar: parsing and formatting are each other's inverse, texts
// that end early are refused, and applying fills the document.
#include "content/quiz_grammar.h"

#include <gtest/gtest.h>

#include <string>

#include "content/quiz_document.h"

namespace {

GrammarResult ParseQuiz(const std::string& text, QuizText* quiz) {
  return ParseQuizText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), quiz);
}

std::string Header(uint8_t media, uint8_t count, uint8_t answers) {
  std::string text = {'\0', static_cast<char>(media), static_cast<char>(count), static_cast<char>(answers)};
  return text + "Titre|Auteur|Explications|Ville|Pays|";
}

QuizText SampleQuiz(uint8_t answers, uint8_t mode, int count) {
  QuizText quiz;
  quiz.leadByte = 7;
  quiz.mediaByte = 2;
  quiz.answersPerQuestion = answers;
  quiz.title = "Capitales";
  quiz.creator = "Ann";
  quiz.explanation = "Nommez la capitale";
  quiz.answerLabel1 = "R\xE9ponse";
  quiz.answerLabel2 = "";
  for (int i = 0; i < count; ++i) {
    QuestionText q;
    q.answer1 = "answer " + std::to_string(i);
    q.answer2 = answers == 2 ? "second " + std::to_string(i) : "";
    q.questionText = i % 3 == 0 ? "" : "question " + std::to_string(i);
    q.comment = mode >= 2 && mode <= 4 ? "comment " + std::to_string(i) : "";
    q.secondComment = mode == 3 ? "other " + std::to_string(i) : "";
    quiz.questions.push_back(q);
  }
  quiz.revealMode = mode;
  quiz.red = 0x12;
  quiz.green = 0x34;
  quiz.blue = 0xFE;
  return quiz;
}

void ExpectSame(const QuizText& a, const QuizText& b) {
  EXPECT_EQ(a.leadByte, b.leadByte);
  EXPECT_EQ(a.mediaByte, b.mediaByte);
  EXPECT_EQ(a.answersPerQuestion, b.answersPerQuestion);
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.creator, b.creator);
  EXPECT_EQ(a.explanation, b.explanation);
  EXPECT_EQ(a.answerLabel1, b.answerLabel1);
  EXPECT_EQ(a.answerLabel2, b.answerLabel2);
  ASSERT_EQ(a.questions.size(), b.questions.size());
  for (size_t i = 0; i < a.questions.size(); ++i) {
    EXPECT_EQ(a.questions[i].answer1, b.questions[i].answer1) << i;
    EXPECT_EQ(a.questions[i].answer2, b.questions[i].answer2) << i;
    EXPECT_EQ(a.questions[i].questionText, b.questions[i].questionText) << i;
    EXPECT_EQ(a.questions[i].comment, b.questions[i].comment) << i;
    EXPECT_EQ(a.questions[i].secondComment, b.questions[i].secondComment) << i;
  }
  EXPECT_EQ(a.revealMode, b.revealMode);
  EXPECT_EQ(a.red, b.red);
  EXPECT_EQ(a.green, b.green);
  EXPECT_EQ(a.blue, b.blue);
}

TEST(QuizGrammar, FormatAndParseAreInverse) {
  for (uint8_t answers : {1, 2}) {
    for (uint8_t mode : {0, 1, 2, 3, 4, 9}) {
      for (int count : {0, 1, 5, 96, 255}) {
        QuizText quiz = SampleQuiz(answers, mode, count);
        std::string text = FormatQuizText(quiz);
        QuizText parsed;
        ASSERT_EQ(ParseQuiz(text, &parsed), GrammarResult::Ok)
            << int(answers) << " " << int(mode) << " " << count;
        ExpectSame(parsed, quiz);
        EXPECT_EQ(FormatQuizText(parsed), text);
      }
    }
  }
}

TEST(QuizGrammar, ReadsTheFieldsEachModeCarries) {
  struct Case {
    const char* what;
    std::string text;
    size_t questions;
    uint8_t mode;
    const char* answer2;
    const char* comment;
  };
  const Case cases[] = {
      {"no questions: mode and colour follow the header", Header(1, 0, 1) + "\x02\x01\x02\x03", 0, 2, "", ""},
      {"one answer: two fields per question",
       Header(1, 1, 1) + "Paris|France?|" + std::string(1, '\0') + "\x01\x02\x03", 1, 0, "", ""},
      {"two answers: three fields", Header(1, 1, 2) + "Paris|Seine|France?|\x01\x01\x02\x03", 1, 1, "Seine",
       ""},
      {"mode 2: one comment", Header(1, 1, 1) + "Paris|France?|\x02Lutece|\x01\x02\x03", 1, 2, "", "Lutece"},
      {"mode 3: comment and a passed-over text",
       Header(1, 1, 1) + "Paris|France?|\x03Lutece|autre|\x01\x02\x03", 1, 3, "", "Lutece"},
      {"mode 4: one comment", Header(1, 1, 1) + "Paris|France?|\x04|\x01\x02\x03", 1, 4, "", ""},
      {"unknown mode: no comments", Header(1, 1, 1) + "Paris|France?|\x07\x01\x02\x03", 1, 7, "", ""},
  };
  for (const Case& c : cases) {
    const std::string& text = c.text;
    QuizText quiz;
    ASSERT_EQ(ParseQuiz(text, &quiz), GrammarResult::Ok) << c.what;
    EXPECT_EQ(quiz.title, "Titre") << c.what;
    EXPECT_EQ(quiz.answerLabel2, "Pays") << c.what;
    ASSERT_EQ(quiz.questions.size(), c.questions) << c.what;
    EXPECT_EQ(quiz.revealMode, c.mode) << c.what;
    EXPECT_EQ(quiz.red, 1) << c.what;
    EXPECT_EQ(quiz.blue, 3) << c.what;
    if (c.questions == 1) {
      EXPECT_EQ(quiz.questions[0].answer1, "Paris") << c.what;
      EXPECT_EQ(quiz.questions[0].answer2, c.answer2) << c.what;
      EXPECT_EQ(quiz.questions[0].questionText, "France?") << c.what;
      EXPECT_EQ(quiz.questions[0].comment, c.comment) << c.what;
    }
  }
}

TEST(QuizGrammar, RefusesTextsThatEndEarly) {
  for (uint8_t mode : {0, 2, 3}) {
    std::string text = FormatQuizText(SampleQuiz(2, mode, 4));
    for (size_t keep = 0; keep < text.size(); ++keep) {
      QuizText quiz;
      quiz.title = "untouched";
      EXPECT_EQ(ParseQuiz(text.substr(0, keep), &quiz), GrammarResult::Truncated) << keep;
      EXPECT_EQ(quiz.title, "untouched");
    }
  }
  // A count the text cannot hold.
  QuizText quiz;
  EXPECT_EQ(ParseQuiz(Header(1, 255, 1) + "a|b|", &quiz), GrammarResult::Truncated);
}

TEST(QuizGrammar, StoredBlockAndScoreCodes) {
  StoredBlockText block{"https://trivo.example/", "Fait avec Trivo"};
  std::string text = FormatStoredBlock(block);
  EXPECT_EQ(text, std::string("\0\0https://trivo.example/|Fait avec Trivo|", 41));
  StoredBlockText parsed;
  ASSERT_EQ(ParseStoredBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &parsed),
            GrammarResult::Ok);
  EXPECT_EQ(parsed.linkText, block.linkText);
  EXPECT_EQ(parsed.footerText, block.footerText);
  std::string withTail = "xyl|f|anything";
  ASSERT_EQ(ParseStoredBlock(reinterpret_cast<const uint8_t*>(withTail.data()), withTail.size(), &parsed),
            GrammarResult::Ok);
  EXPECT_EQ(parsed.linkText, "l");
  for (size_t keep = 0; keep < text.size(); ++keep) {
    EXPECT_EQ(ParseStoredBlock(reinterpret_cast<const uint8_t*>(text.data()), keep, &parsed),
              GrammarResult::Truncated);
  }

  std::vector<std::string> codes = {"ZERO", "", "\xE9t\xE9 | x"};
  std::string lines = FormatScoreCodes(codes);
  EXPECT_EQ(lines, "ZERO\r\n\r\n\xE9t\xE9 | x\r\n");
  std::vector<std::string> read;
  auto* bytes = reinterpret_cast<const uint8_t*>(lines.data());
  ASSERT_EQ(ParseScoreCodes(bytes, lines.size(), 3, &read), GrammarResult::Ok);
  EXPECT_EQ(read, codes);
  ASSERT_EQ(ParseScoreCodes(bytes, lines.size(), 2, &read), GrammarResult::Ok);
  EXPECT_EQ(read.size(), 2u);
  ASSERT_EQ(ParseScoreCodes(bytes, 0, 0, &read), GrammarResult::Ok);
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(ParseScoreCodes(bytes, lines.size(), 4, &read), GrammarResult::Truncated);
  EXPECT_EQ(ParseScoreCodes(bytes, lines.size() - 1, 3, &read), GrammarResult::Truncated);  // no final LF
  // The byte after CR is passed over whatever it is.
  std::string oddEnd = "A\rxB\r?";
  ASSERT_EQ(ParseScoreCodes(reinterpret_cast<const uint8_t*>(oddEnd.data()), oddEnd.size(), 2, &read),
            GrammarResult::Ok);
  EXPECT_EQ(read, (std::vector<std::string>{"A", "B"}));
}

TEST(QuizGrammar, ApplyFillsTheDocument) {
  QuizText quiz = SampleQuiz(2, 3, 3);
  quiz.questions[1].answer1 = std::string(300, 'y');
  QuizDocument doc;
  ApplyQuizText(quiz, doc);
  EXPECT_EQ(doc.mediaKind, MediaPicture);
  EXPECT_EQ(doc.questionCount, 3);
  EXPECT_EQ(doc.answersPerQuestion, 2);
  EXPECT_STREQ(doc.title, "Capitales");
  EXPECT_STREQ(doc.answerLabel1, "R\xE9ponse");
  EXPECT_EQ(doc.revealMode, RevealCommentAndPicture);
  EXPECT_EQ(BackgroundColour(doc), 0xFE3412u);
  EXPECT_STREQ(doc.questionAt(1)->answer2, "second 0");
  EXPECT_STREQ(doc.questionAt(1)->comment, "comment 0");
  EXPECT_STREQ(doc.questionAt(2)->questionText, "question 1");
  EXPECT_EQ(std::string(doc.questionAt(2)->answer1), std::string(259, 'y'));
  EXPECT_STREQ(doc.questionAt(3)->comment, "comment 2");
  EXPECT_EQ(doc.questionAt(3)->next, nullptr);

  // One answer per question: answer2 stays empty even if the text had one.
  QuizText single = SampleQuiz(1, 1, 2);
  single.questions[0].answer2 = "ignored";
  QuizDocument doc1;
  ApplyQuizText(single, doc1);
  EXPECT_STREQ(doc1.questionAt(1)->answer2, "");
  EXPECT_STREQ(doc1.questionAt(1)->comment, "");

  StoredBlockText block{std::string(40, 'L'), std::string(60, 'F')};
  ApplyStoredBlock(block, doc);
  EXPECT_EQ(std::string(doc.linkText), std::string(24, 'L'));
  EXPECT_EQ(std::string(doc.footerText), std::string(42, 'F'));
}

TEST(QuizGrammar, KeepsTheFirst96Questions) {
  QuizText quiz = SampleQuiz(1, 4, 200);
  QuizText parsed;
  ASSERT_EQ(ParseQuiz(FormatQuizText(quiz), &parsed), GrammarResult::Ok);
  QuizDocument doc;
  ApplyQuizText(parsed, doc);
  EXPECT_EQ(doc.questionCount, 96);
  EXPECT_STREQ(doc.questionAt(96)->answer1, "answer 95");
  EXPECT_STREQ(doc.questionAt(96)->comment, "comment 95");
  EXPECT_EQ(doc.questionAt(96)->next, nullptr);
  EXPECT_EQ(doc.revealMode, RevealAllComments);
  EXPECT_EQ(doc.backBlue, 0xFE);

  std::vector<std::string> codes(120, "code");
  codes[95] = "last";
  ApplyScoreCodes(codes, doc);
  EXPECT_STREQ(doc.scoreCodes[95], "last");
}

TEST(QuizGrammar, UnknownMediaAndAnswerCountsAreShownAsText) {
  QuizDocument doc;
  QuizText quiz = SampleQuiz(1, 0, 1);
  quiz.mediaByte = 0;
  quiz.answersPerQuestion = 5;
  ApplyQuizText(quiz, doc);
  EXPECT_EQ(doc.mediaKind, MediaText);
  EXPECT_EQ(doc.answersPerQuestion, 1);
  quiz.mediaByte = 4;
  QuizDocument video;
  ApplyQuizText(quiz, video);
  EXPECT_EQ(video.mediaKind, MediaVideo);
}

TEST(QuizGrammar, BuiltInTestQuiz) {
  QuizDocument doc;
  ApplyBuiltInTestQuiz(doc);
  EXPECT_STREQ(doc.title, "Nom du trivo");
  EXPECT_STREQ(doc.creator, "Createur trivo");
  EXPECT_STREQ(doc.explanation, "Explications du trivo");
  EXPECT_STREQ(doc.answerLabel1, "TEST");
  EXPECT_STREQ(doc.answerLabel2, "TEST");
  EXPECT_EQ(doc.revealMode, RevealCommentAndPicture);
  EXPECT_EQ(doc.answersPerQuestion, 1);
  EXPECT_EQ(doc.questionCount, 7);
  EXPECT_EQ(doc.mediaKind, MediaPicture);
  EXPECT_EQ(BackgroundColour(doc), 0xFF6633u);
  QuestionEntry* second = doc.questionAt(2);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, doc.questionAt(1));
  EXPECT_EQ(doc.questionAt(7), second);
  EXPECT_STREQ(second->answer1, "test");
  EXPECT_STREQ(second->answer2, "test");
  EXPECT_STREQ(second->questionText, "emplacement");
}

}  // namespace
