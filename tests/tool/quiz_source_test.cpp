// Quiz sources: every validation error and warning with its line, and the
// Windows-1252 conversion the texts go through.
#include "tool/quiz_source.h"

#include <gtest/gtest.h>

#include "content/text_1252.h"
#include "tests/tool/tool_test_support.h"

namespace {

// A valid text quiz of two questions; cases replace or append lines.
const char kHeader[] =
    "title = \"Quiz\"\n"             // line 1
    "kind = \"text\"\n"              // line 2
    "codes = [\"un\", \"deux\"]\n";  // line 3
const char kQuestions[] =
    "[[question]]\n"  // line 4
    "text = \"Capitale ?\"\n"
    "answer = \"Paris\"\n"  // line 6
    "[[question]]\n"        // line 7
    "text = \"Fleuve ?\"\n"
    "answer = \"Seine\"\n";  // line 9

class QuizSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("source");
    WriteBinaryFile(folder_ / "photo.jpg", MakeJpegHeader(200, 150));
    WriteBinaryFile(folder_ / "huge.jpg", MakeJpegHeader(2000, 1500));
    WriteBinaryFile(folder_ / "image.png", MakePng(20, 10));
    WriteBinaryFile(folder_ / "clear.png", MakePng(20, 10, true));
    std::vector<uint8_t> broken = MakePng(20, 10);
    broken[12] = 'X';  // the first chunk is no longer IHDR
    WriteBinaryFile(folder_ / "broken.png", broken);
    WriteBinaryFile(folder_ / "notes.txt", {'h', 'e', 'l', 'l', 'o'});
    WriteBinaryFile(folder_ / "empty.jpg", {});
    WriteBinaryFile(folder_ / "song.mp3", {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0});
    WriteBinaryFile(folder_ / "odd.bin", {0x12, 0x34, 0x56});
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  bool Compile(const std::string& text) {
    diagnostics_.clear();
    const std::string path = (folder_ / "quiz.toml").string();
    return CompileQuizSource(path, text, &quiz_, &diagnostics_);
  }

  // The diagnostic of that kind whose message contains `needle`, or null.
  const Diagnostic* Find(bool isError, const std::string& needle) const {
    for (const Diagnostic& d : diagnostics_) {
      if (d.isError == isError && d.message.find(needle) != std::string::npos) {
        return &d;
      }
    }
    return nullptr;
  }

  std::string All() const {
    std::string all;
    for (const Diagnostic& d : diagnostics_) {
      all += FormatDiagnostic(d) + "\n";
    }
    return all;
  }

  std::filesystem::path folder_;
  CompiledQuiz quiz_;
  std::vector<Diagnostic> diagnostics_;
};

TEST_F(QuizSourceTest, AcceptsAValidQuiz) {
  ASSERT_TRUE(Compile(std::string(kHeader) + kQuestions)) << All();
  EXPECT_TRUE(diagnostics_.empty()) << All();
  EXPECT_EQ(quiz_.quiz.mediaByte, 1);
  ASSERT_EQ(quiz_.quiz.questions.size(), 2u);
  EXPECT_EQ(quiz_.quiz.questions[1].answer1, "Seine");
  EXPECT_EQ(quiz_.scoreCodes, (std::vector<std::string>{"un", "deux"}));
  EXPECT_EQ(quiz_.quiz.red, 90);  // the player's own default background
}

TEST_F(QuizSourceTest, ReportsEveryErrorWithItsLine) {
  struct Case {
    std::string source;
    int line;
    const char* message;
  } cases[] = {
      {std::string(kHeader) + "title = \"x\"\n" + kQuestions, 4, ""},  // TOML: key defined twice
      {std::string("kind = \"text\"\ncodes = [\"a\", \"b\"]\n") + kQuestions, 1, "'title' is missing"},
      {std::string(kHeader) + "colour = 3\n" + kQuestions, 4, "unknown key 'colour'"},
      {std::string(kHeader) + "kind2 = 1\n" + kQuestions, 4, "unknown key"},
      {"title = \"Q\"\nkind = \"radio\"\ncodes = [\"a\", \"b\"]\n" + std::string(kQuestions), 2,
       "kind must be one of"},
      {std::string(kHeader) + "reveal = \"tout\"\n" + kQuestions, 4, "reveal must be one of"},
      {std::string(kHeader) + "answers_per_question = 3\n" + kQuestions, 4,
       "answers_per_question must be 1 or 2"},
      {std::string(kHeader) + "background = \"#12345\"\n" + kQuestions, 4, "background must be a colour"},
      {std::string(kHeader) + "background = \"#GG0000\"\n" + kQuestions, 4, "background must be a colour"},
      {std::string(kHeader) + "creator = 12\n" + kQuestions, 4, "'creator' must be a text"},
      {std::string(kHeader) + "explanation = \"a|b\"\n" + kQuestions, 4, "holds '|'"},
      {std::string(kHeader) + "explanation = \"a\\nb\"\n" + kQuestions, 4, "line break"},
      {std::string(kHeader) + "explanation = \"a\\u0007\"\n" + kQuestions, 4, "control character U+0007"},
      {std::string(kHeader) + "explanation = \"a\\u0085\"\n" + kQuestions, 4, "control character U+0085"},
      {std::string(kHeader) + "explanation = \"Ω\"\n" + kQuestions, 4,
       "U+03A9 'Ω', which Windows-1252 cannot hold"},
      {std::string(kHeader) + "explanation = \"" + std::string(260, 'e') + "\"\n" + kQuestions, 4,
       "is 260 characters long; the player holds 259"},
      {std::string(kHeader) + "link = \"" + std::string(25, 'l') + "\"\n" + kQuestions, 4,
       "link is 25 characters long; the player holds 24"},
      {std::string(kHeader) + "footer = \"" + std::string(43, 'f') + "\"\n" + kQuestions, 4,
       "footer is 43 characters long; the player holds 42"},
      {std::string(kHeader) +
           "link = \"https://quiz.example/abc\"\nfooter = \"Fait avec amour a Paris en 2026, ma chere\"\n" +
           kQuestions,
       4, "bytes once encoded; the player keeps them in 70"},
      {std::string(kHeader), 1, "the quiz has no [[question]]"},
      {std::string(kHeader) + "[\x13x]\n", 4, "control character U+0013, which TOML does not allow"},
      {std::string(kHeader) + "creator = \"\xC3\"\n", 4, "not valid UTF-8"},
      {std::string(kHeader) + "question = 3\n", 4, "[[question]] tables"},
      {std::string(kHeader) + "[[question]]\ntext = \"a\"\n[[question]]\nanswer = \"Seine\"\n", 4,
       "'answer' is missing"},
      {std::string(kHeader) + kQuestions + "answer2 = \"x\"\n", 10, "'answer2' given"},
      {std::string(kHeader) + "answers_per_question = 2\n" + kQuestions, 5, "'answer2' is missing"},
      {std::string(kHeader) + kQuestions + "answer = \"\"\n", 10, ""},  // TOML: answer defined twice
      {std::string(kHeader) + "[[question]]\nanswer = \"\"\n[[question]]\nanswer = \"Seine\"\n", 5,
       "empty answer"},
      {std::string(kHeader) + kQuestions + "colour = \"x\"\n", 10, "question 2: unknown key 'colour'"},
      {std::string(kHeader) + kQuestions + "picture = \"photo.jpg\"\n", 10,
       "only a picture quiz shows pictures"},
      {std::string(kHeader) + kQuestions + "clip = \"song.mp3\"\n", 10,
       "only an audio or video quiz plays clips"},
      {std::string(kHeader) + kQuestions + "answer_picture = \"photo.jpg\"\n", 10, "only a picture quiz"},
      {"title = \"Q\"\nkind = \"text\"\ncodes = [\"a\"]\n" + std::string(kQuestions), 3,
       "codes holds 1 codes for 2 questions"},
      {"title = \"Q\"\nkind = \"text\"\ncodes = [\"a\", 2]\n" + std::string(kQuestions), 3,
       "code 2 must be a text"},
      {"title = \"Q\"\nkind = \"text\"\ncodes = [\"a\", \"b\\r\\nc\"]\n" + std::string(kQuestions), 3,
       "line break"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Compile(c.source)) << c.source;
    const Diagnostic* found = Find(true, c.message);
    ASSERT_NE(found, nullptr) << "expected: " << c.message << "\ngot:\n" << All();
    EXPECT_EQ(found->line, c.line) << c.message;
    EXPECT_EQ(found->file, (folder_ / "quiz.toml").string());
  }
}

// A refused answer gets the one error that says why, not a second one
// calling it empty.
TEST_F(QuizSourceTest, ARefusedAnswerIsNotAlsoCalledEmpty) {
  for (const char* answer : {"Pomme \xF0\x9F\x98\x80", "a|b", "a\\u0007"}) {
    EXPECT_FALSE(Compile(std::string(kHeader) + "[[question]]\nanswer = \"" + answer +
                         "\"\n[[question]]\nanswer = \"Seine\"\n"));
    ASSERT_EQ(diagnostics_.size(), 1u) << All();
    EXPECT_EQ(diagnostics_[0].line, 5);
    EXPECT_EQ(Find(true, "is empty"), nullptr) << All();
  }
}

TEST_F(QuizSourceTest, ChecksMediaFiles) {
  const std::string picture =
      "title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\n";  // q on line 3
  struct Case {
    std::string line;
    const char* message;
  } cases[] = {
      {"picture = \"missing.jpg\"", "picture file not found"},
      {"picture = \"empty.jpg\"", "file is empty"},
      {"picture = \"notes.txt\"", "is not a JPEG, GIF, BMP or PNG picture"},
      {"picture = \"broken.png\"",
       "is a PNG the player cannot decode: its first chunk is not a complete IHDR header"},
      {"answer_picture = \"broken.png\"", "answer picture"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Compile(picture + c.line + "\n")) << c.line;
    const Diagnostic* found = Find(true, c.message);
    ASSERT_NE(found, nullptr) << c.message << "\n" << All();
    EXPECT_EQ(found->line, 5);
  }
  ASSERT_TRUE(Compile("reveal = \"picture\"\n" + picture + "picture = \"image.png\"\nanswer_picture = \"" +
                      (folder_ / "photo.jpg").generic_string() + "\"\n"))
      << All();
}

TEST_F(QuizSourceTest, WarnsWhereThePlayerWouldSurprise) {
  struct Case {
    std::string source;
    int line;
    const char* message;
  } cases[] = {
      {"title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \" Paris\"\n", 4,
       "starts or ends with a space"},
      {"title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"Paris \"\n", 4,
       "starts or ends with a space"},
      {"title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"Roi\"\n", 4, "3 characters or fewer"},
      {"title = \"Q\"\nkind = \"audio\"\n[[question]]\nanswer = \"Paris\"\nclip = \"odd.bin\"\n", 5,
       "extension XXX"},
      {"title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\npicture = \"huge.jpg\"\n", 5,
       "2000 x 1500 (0 KB), far more than the 260 x 260 frame"},
      {"title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\npicture = \"clear.png\"\n", 5,
       "transparent areas"},
      {"title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\n", 3, "no picture"},
      {"title = \"Q\"\nkind = \"video\"\n[[question]]\nanswer = \"Paris\"\n", 3, "no clip"},
      {"title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"Paris\"\ncomment = \"c\"\n", 5,
       "comment is never shown"},
      {"title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\npicture = \"photo.jpg\"\n"
       "answer_picture = \"photo.jpg\"\n",
       6, "answer picture is never shown"},
      {"title = \"Q\"\nkind = \"text\"\nanswers_per_question = 2\n[[question]]\nanswer = \"Paris\"\nanswer2 "
       "= \"Lyon\"\n",
       3, "one answer field per question"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Compile(c.source)) << c.source << "\n" << All();
    const Diagnostic* found = Find(false, c.message);
    ASSERT_NE(found, nullptr) << c.message << "\n" << All();
    EXPECT_EQ(found->line, c.line) << c.message;
    EXPECT_NE(FormatDiagnostic(*found).find(":" + std::to_string(c.line) + ": warning: "), std::string::npos);
  }
}

TEST_F(QuizSourceTest, RefusesNestingDeeperThanThirtyTwoBeforeTheParser) {
  auto dotted = [](int parts) {
    std::string key = "a";
    for (int i = 1; i < parts; ++i) {
      key += ".a";
    }
    return key;
  };
  auto nested = [](int levels, const char* open, const char* close) {
    std::string value = "1";
    for (int i = 0; i < levels; ++i) {
      value = std::string(open) + value + close;
    }
    return value;
  };
  struct Case {
    std::string source;
    int line;
  } deep[] = {
      // 150,000 parts (300 KB) overflowed the parser's stack.
      {std::string(kHeader) + dotted(150000) + " = 1\n", 4},
      {std::string(kHeader) + dotted(33) + " = 1\n", 4},
      {std::string(kHeader) + kQuestions + "[" + dotted(33) + "]\n", 10},
      {std::string(kHeader) + kQuestions + "[[" + dotted(33) + "]]\n", 10},
      {std::string(kHeader) + "[" + dotted(30) + "]\n" + dotted(3) + " = 1\n", 5},
      {std::string(kHeader) + "x = " + nested(32, "{b = ", "}") + "\n", 4},
      {std::string(kHeader) + "x = " + nested(32, "[", "]") + "\n", 4},
      {std::string(kHeader) + "x = [\n" + nested(31, "[", "]") + "\n]\n", 5},
  };
  for (const Case& c : deep) {
    EXPECT_FALSE(Compile(c.source));
    const Diagnostic* found = Find(true, "nest more than 32 levels");
    ASSERT_NE(found, nullptr) << c.source.substr(0, 200) << "\n" << All();
    EXPECT_EQ(found->line, c.line);
    EXPECT_EQ(diagnostics_.size(), 1u) << All();
  }
  // Thirty-two levels, and dots that are no part of a key, go through to the
  // parser (which then reports the unknown key or nothing).
  const std::string shallow[] = {
      std::string(kHeader) + dotted(32) + " = 1\n" + kQuestions,
      std::string(kHeader) + "x = " + nested(31, "{b = ", "}") + "\n" + kQuestions,
      std::string(kHeader) + "x = " + nested(31, "[", "]") + "\n" + kQuestions,
      std::string(kHeader) + "\"" + dotted(40) + "\" = 1\n" + kQuestions,
      std::string(kHeader) + "x = [" + std::string(40, '1') + ".5, 2.5]  # " + dotted(40) + "\n" + kQuestions,
      std::string(kHeader) + "x = \"\"\"\n" + dotted(40) + "\\\n\"\"\"\n" + kQuestions,
      std::string(kHeader) + "x = '" + dotted(40) + "'\n" + kQuestions,
  };
  for (const std::string& source : shallow) {
    Compile(source);
    EXPECT_EQ(Find(true, "nest more than"), nullptr) << source << "\n" << All();
    EXPECT_NE(Find(true, "unknown key"), nullptr) << source << "\n" << All();
  }
}

TEST_F(QuizSourceTest, NamesWhatIsNoUtf8Toml) {
  const std::string valid = std::string(kHeader) + kQuestions;
  EXPECT_TRUE(Compile("\xEF\xBB\xBF" + valid)) << All();  // a byte order mark
  std::string littleEndian = "\xFF\xFE";
  std::string bigEndian = "\xFE\xFF";
  std::string unmarked;
  for (char c : valid) {
    littleEndian += std::string{c, '\0'};
    bigEndian += std::string{'\0', c};
    unmarked += std::string{c, '\0'};
  }
  for (const std::string& utf16 : {littleEndian, bigEndian, unmarked}) {
    EXPECT_FALSE(Compile(utf16));
    ASSERT_EQ(diagnostics_.size(), 1u) << All();
    EXPECT_NE(All().find("saved as UTF-16 (what Notepad calls \"Unicode\"); save it as UTF-8"),
              std::string::npos)
        << All();
  }
  std::vector<uint8_t> exe = MakeBareImage();
  EXPECT_FALSE(Compile(std::string(exe.begin(), exe.end())));
  ASSERT_EQ(diagnostics_.size(), 1u) << All();
  EXPECT_NE(All().find(":1: this is a Windows executable, not a quiz source"), std::string::npos) << All();
}

TEST_F(QuizSourceTest, ARefusedValueGivesOneErrorAndNoFollowOns) {
  const std::string pictures =
      "[[question]]\nanswer = \"Paris\"\npicture = \"photo.jpg\"\nanswer_picture = \"photo.jpg\"\n"
      "comment = \"c\"\nanswer2 = \"Lyon\"\n";
  std::string three;
  for (int i = 0; i < 3; ++i) {
    three += pictures;
  }
  struct Case {
    std::string source;
    const char* message;
  } cases[] = {
      {"title = \"Q\"\nkind = \"pictures\"\nreveal = \"comment-and-picture\"\nanswers_per_question = 2\n" +
           three,
       "kind must be one of"},
      {"title = \"Q\"\nkind = 1\nreveal = \"comment-and-picture\"\nanswers_per_question = 2\n" + three,
       "'kind' must be a text"},
      {"title = \"Q\"\nreveal = \"comment-and-picture\"\nanswers_per_question = 2\n" + three,
       "'kind' is missing"},
      {"title = \"Q\"\nkind = \"picture\"\nreveal = \"comments\"\nanswers_per_question = 2\n" + three,
       "reveal must be one of"},
      {"title = \"Q\"\nkind = \"picture\"\nreveal = 2\nanswers_per_question = 2\n" + three,
       "'reveal' must be a text"},
      {"title = \"Q\"\nkind = \"picture\"\nreveal = \"comment-and-picture\"\nanswers_per_question = \"2\"\n" +
           three,
       "answers_per_question must be the number 1 or 2, not the text \"2\" (write it without quotes)"},
      {"title = \"Q\"\nkind = \"picture\"\nreveal = \"comment-and-picture\"\nanswers_per_question = 2.0\n" +
           three,
       "answers_per_question must be the number 1 or 2"},
      {"title = \"Q\"\nkind = \"picture\"\nreveal = \"comment-and-picture\"\nanswers_per_question = 3\n" +
           three,
       "answers_per_question must be 1 or 2 (not 3)"},
      {"title = \"Q\"\nkind = \"text\"\nquestion = [1, 2]\n", "[[question]] tables"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Compile(c.source));
    EXPECT_NE(Find(true, c.message), nullptr) << c.message << "\n" << All();
    // Comments and answer pictures draw no warning with this reveal;
    // only the refused value speaks.
    EXPECT_EQ(diagnostics_.size(), 1u) << c.message << "\n" << All();
  }
  // A refused kind still checks the media files named.
  EXPECT_FALSE(
      Compile("title = \"Q\"\nkind = \"pictures\"\n[[question]]\nanswer = \"Paris\"\n"
              "picture = \"missing.jpg\"\n"));
  EXPECT_NE(Find(true, "picture file not found"), nullptr) << All();
  EXPECT_EQ(diagnostics_.size(), 2u) << All();
}

TEST_F(QuizSourceTest, MediaPathsTakeEitherSlashAndRefuseFolders) {
  std::filesystem::create_directories(folder_ / "img" / "dossier.png");
  WriteBinaryFile(folder_ / std::filesystem::u8path("img/soleil \xC3\xA9t\xC3\xA9.png"), MakePng(4, 4));
  const std::string head = "title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\n";
  ASSERT_TRUE(Compile(head + "picture = 'img\\soleil \xC3\xA9t\xC3\xA9.png'\n")) << All();
  ASSERT_EQ(quiz_.media.size(), 1u);
  EXPECT_EQ(quiz_.media[0].bytes, MakePng(4, 4));
  EXPECT_TRUE(Compile(head + "picture = \"img/soleil \xC3\xA9t\xC3\xA9.png\"\n")) << All();

  EXPECT_FALSE(Compile(head + "picture = \"img/dossier.png\"\n"));
  EXPECT_NE(Find(true, "dossier.png: it is a folder, not a file"), nullptr) << All();
  EXPECT_EQ(Find(true, "not found"), nullptr) << All();
}

TEST_F(QuizSourceTest, RefusesTheNinetySeventhQuestion) {
  std::string source = "title = \"Q\"\nkind = \"text\"\n";
  for (int i = 0; i < 97; ++i) {
    source += "[[question]]\nanswer = \"Paris\"\n";
  }
  EXPECT_FALSE(Compile(source));
  const Diagnostic* found = Find(true, "at most 96 questions");
  ASSERT_NE(found, nullptr) << All();
  EXPECT_EQ(found->line, 3 + 2 * 96);
  source.resize(source.size() - std::string("[[question]]\nanswer = \"Paris\"\n").size());
  EXPECT_TRUE(Compile(source)) << All();
}

TEST_F(QuizSourceTest, ConvertsTextsToWindows1252) {
  ASSERT_TRUE(Compile("title = \"Été – 5 €\"\nkind = \"text\"\n[[question]]\nanswer = \"Cœur\"\n")) << All();
  EXPECT_EQ(quiz_.quiz.title, "\xC9t\xE9 \x96 5 \x80");
  EXPECT_EQ(quiz_.quiz.questions[0].answer1,
            "C\x9C"
            "ur");
}

TEST_F(QuizSourceTest, ReadsAccentsInEveryKindOfTomlText) {
  // Basic, literal and multi-line texts, escapes and comments beside them.
  const char source[] =
      "# Quiz d'\xC3\xA9t\xC3\xA9\n"
      "title = 'L\xC3\xA9o \"\\ \xE2\x82\xAC'  # \xC2\xAB commentaire \xC2\xBB\n"
      "creator = \"\\u00C9mile \xC3\xA9\\\"\"\n"
      "explanation = '''\xC3\xA0 la ligne'''\n"
      "answer_label1 = \"\"\"\xC3\xA7"
      "a \"\"\"\"\n"
      "kind = \"text\"\n"
      "[[question]]\nanswer = \"Ch\xC3\xA2teau\"\n";
  ASSERT_TRUE(Compile(source)) << All();
  EXPECT_EQ(quiz_.quiz.title, "L\xE9o \"\\ \x80");
  EXPECT_EQ(quiz_.quiz.creator, "\xC9mile \xE9\"");
  EXPECT_EQ(quiz_.quiz.explanation, "\xE0 la ligne");
  EXPECT_EQ(quiz_.quiz.answerLabel1,
            "\xE7"
            "a \"");
  EXPECT_EQ(quiz_.quiz.questions[0].answer1, "Ch\xE2teau");

  EXPECT_FALSE(Compile("title = \"Q\"\nkind = \"text\" \xC3\xA9\n"));
  const Diagnostic* outside = Find(true, "outside quotes");
  ASSERT_NE(outside, nullptr) << All();
  EXPECT_EQ(outside->line, 2);
}

TEST(QuizSourceToJson, GivesTheDocumentAsTheCheckReadsIt) {
  // Accents in literal and basic texts, a byte order mark, arrays of tables.
  std::string json;
  Diagnostic problem;
  ASSERT_TRUE(
      QuizSourceToJson("\xEF\xBB\xBFtitle = 'L\xC3\xA9o \\ \"'\nanswers_per_question = 2\n"
                       "[[question]]\ntext = \"\\u20AC\\tx\"\n[[question]]\n",
                       &json, &problem));
  // Line breaks and spaces around colons are the formatter's; strings hold neither here.
  std::string compact;
  for (size_t i = 0; i < json.size(); ++i) {
    const bool besideColon =
        json[i] == ' ' && ((i + 1 < json.size() && json[i + 1] == ':') || (i > 0 && json[i - 1] == ':'));
    if (json[i] != '\n' && !besideColon) {
      compact += json[i];
    }
  }
  EXPECT_EQ(compact,
            "{\"answers_per_question\":2,\"question\":[{\"text\":\"\xE2\x82\xAC\\tx\"},{}],"
            "\"title\":\"L\xC3\xA9o \\\\ \\\"\"}");

  // The refusals are the check's, with their lines.
  EXPECT_FALSE(QuizSourceToJson("title = \"T\"\n\nkind = \n", &json, &problem));
  EXPECT_EQ(problem.line, 3);
  EXPECT_FALSE(QuizSourceToJson(std::string("\xFF\xFEt\0", 4), &json, &problem));
  EXPECT_NE(problem.message.find("UTF-16"), std::string::npos) << problem.message;
  std::string deep = "a = 1\n";
  for (int i = 0; i < 40; ++i) {
    deep += "x.";
  }
  EXPECT_FALSE(QuizSourceToJson(deep + "y = 1\n", &json, &problem));
  EXPECT_NE(problem.message.find("nest"), std::string::npos) << problem.message;
  EXPECT_EQ(problem.line, 2);
}

TEST(Text1252, RoundTripsEveryByte) {
  std::string all;
  for (int i = 1; i < 256; ++i) {
    all.push_back(static_cast<char>(i));
  }
  const Utf8To1252Result back = Utf8To1252(Cp1252ToUtf8(all));
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.bytes, all);
}

TEST(Text1252, RefusesWhatItCannotHold) {
  EXPECT_EQ(TypedTextTo1252("\xC5\x81\xC3\xB3"
                            "d\xC5\xBA")
                .bytes,
            "?\xF3"
            "d?");  // Łódź: ó only
  EXPECT_EQ(TypedTextTo1252("a\xF0\x9F\x98\x80\xE2\x82\xAC").bytes, "a?\x80");
  EXPECT_TRUE(TypedTextTo1252("\xC3").badUtf8);
  EXPECT_EQ(Utf8To1252("\xE2\x82\xAC").bytes, "\x80");  // euro sign
  const Utf8To1252Result emoji = Utf8To1252("a\xF0\x9F\x98\x80");
  EXPECT_FALSE(emoji.ok);
  EXPECT_EQ(emoji.badCodePoint, 0x1F600u);
  for (const char* bad : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "\xFF"}) {
    EXPECT_TRUE(Utf8To1252(bad).badUtf8) << bad;
  }
}

}  // namespace

TEST_F(QuizSourceTest, ReadsThePassScoreInPercent) {
  ASSERT_TRUE(Compile(std::string(kHeader) + kQuestions)) << All();
  EXPECT_EQ(quiz_.passScore, kDefaultPassScore);
  for (const char* value : {"0", "100", "65"}) {
    ASSERT_TRUE(Compile(std::string(kHeader) + "pass_score = " + value + "\n" + kQuestions)) << All();
    EXPECT_EQ(quiz_.passScore, std::stoi(value));
  }
  for (const char* value : {"101", "-1", "80.5", "\"80\""}) {
    EXPECT_FALSE(Compile(std::string(kHeader) + "pass_score = " + value + "\n" + kQuestions)) << value;
    const Diagnostic* error = Find(true, "pass_score must be a whole number of percent from 0 to 100");
    ASSERT_NE(error, nullptr) << All();
    EXPECT_EQ(error->line, 4);
  }
}
