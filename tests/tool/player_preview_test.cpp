// What `trivo check` predicts of the player: cut texts, answers hard to
// match, answer pictures that do not fit their frame, unreadable labels
// and oversized pictures, each on its source line. The figures behind them
// (font widths, control sizes) are checked against the real player under
// Wine by tests/app/player_fonts_win_test.cpp.
#include "tool/player_preview.h"

#include <gtest/gtest.h>

#include "tests/tool/tool_test_support.h"
#include "tool/player_fonts.h"
#include "tool/quiz_source.h"

namespace {

class PlayerPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("preview");
    WriteBinaryFile(folder_ / "wide.jpg", MakeJpegHeader(400, 300));  // 260 x 195 in the frame
    WriteBinaryFile(folder_ / "wide.png", MakePng(40, 30));           // 260 x 195 too
    WriteBinaryFile(folder_ / "long.png", MakePng(40, 20));           // 260 x 130
    WriteBinaryFile(folder_ / "huge.jpg", MakeJpegHeader(5000, 5000));
    std::vector<uint8_t> heavy = MakeJpegHeader(300, 300);
    heavy.resize(1200 * 1000, 0);
    WriteBinaryFile(folder_ / "heavy.jpg", heavy);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Compiles the source; the warnings, each as "LINE: message".
  std::vector<std::string> Warnings(const std::string& source) {
    CompiledQuiz quiz;
    std::vector<Diagnostic> diagnostics;
    EXPECT_TRUE(CompileQuizSource((folder_ / "quiz.toml").string(), source, &quiz, &diagnostics)) << source;
    std::vector<std::string> warnings;
    for (const Diagnostic& d : diagnostics) {
      if (!d.isError) {
        warnings.push_back(std::to_string(d.line) + ": " + d.message);
      }
    }
    return warnings;
  }

  // The one warning that contains `needle`; fails unless there is exactly one.
  std::string One(const std::vector<std::string>& warnings, const std::string& needle) {
    std::string found;
    int count = 0;
    for (const std::string& w : warnings) {
      if (w.find(needle) != std::string::npos) {
        found = w;
        ++count;
      }
    }
    EXPECT_EQ(count, 1) << needle << "\n" << testing::PrintToString(warnings);
    return found;
  }

  std::filesystem::path folder_;
};

// A text quiz with one more line (line 3) in its header.
std::string TextQuiz(const std::string& headerLine = "") {
  return "title = \"Quiz\"\nkind = \"text\"\n" + headerLine +
         "\n[[question]]\ntext = \"Capitale ?\"\nanswer = \"Paris\"\n";
}

TEST_F(PlayerPreviewTest, TextsThePlayerCutsAreNamedWithWhatShows) {
  // A plain quiz raises nothing.
  EXPECT_TRUE(Warnings(TextQuiz()).empty()) << testing::PrintToString(Warnings(TextQuiz()));

  // The link label breaks after "//" and shows one line.
  std::string warning = One(Warnings(TextQuiz("link = \"https://quiz.example/\"")), "link");
  EXPECT_EQ(warning.rfind("3: link is ", 0), 0u) << warning;
  EXPECT_NE(warning.find("shows only 'https://'"), std::string::npos) << warning;
  EXPECT_TRUE(Warnings(TextQuiz("link = \"https://q.fr\"")).empty());

  warning = One(Warnings(TextQuiz("footer = \"Un quiz fait avec soin pour la classe\"")), "footer");
  EXPECT_NE(warning.find("holds one line of 145"), std::string::npos) << warning;
  EXPECT_NE(warning.find("shows only 'Un quiz fait avec soin"), std::string::npos) << warning;

  warning = One(Warnings("title = \"Les grandes capitales du monde entier\"\nkind = \"text\"\n[[question]]\n"
                         "answer = \"Paris\"\n"),
                "title");
  EXPECT_EQ(warning.rfind("1: title", 0), 0u) << warning;

  // The explanation has two lines; a third is cut.
  const std::string twoLines = "Une ligne pour dire le but, une autre pour le reste.";
  EXPECT_TRUE(Warnings(TextQuiz("explanation = \"" + twoLines + "\"")).empty());
  warning = One(Warnings(TextQuiz("explanation = \"" + twoLines + " " + twoLines + "\"")), "explanation");
  EXPECT_NE(warning.find("needs 3 lines of 199 pixels"), std::string::npos) << warning;
  EXPECT_NE(warning.find("holds 2"), std::string::npos) << warning;

  // A text quiz's question is one centred line of 548 pixels.
  const std::string longQuestion(120, 'M');
  warning = One(Warnings("title = \"Q\"\nkind = \"text\"\n[[question]]\ntext = \"" + longQuestion +
                         "\"\nanswer = \"Paris\"\n"),
                "question 1 text");
  EXPECT_EQ(warning.rfind("4: ", 0), 0u) << warning;
  EXPECT_NE(warning.find("both its start and its end are cut"), std::string::npos) << warning;

  // A comment box holds five lines of 260 pixels.
  std::string comment;
  for (int i = 0; i < 12; ++i) {
    comment += "Un long commentaire. ";
  }
  warning = One(Warnings("title = \"Q\"\nkind = \"picture\"\nreveal = \"comment\"\n[[question]]\n"
                         "answer = \"Paris\"\npicture = \"wide.jpg\"\ncomment = \"" +
                         comment + "\"\n"),
                "comment");
  EXPECT_EQ(warning.rfind("7: question 1 comment", 0), 0u) << warning;
}

TEST_F(PlayerPreviewTest, AnswersPlayersCannotTypeSayWhatTheyWouldGet) {
  const auto quizWith = [](const std::string& answer) {
    return "title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"" + answer + "\"\n";
  };
  std::string warning = One(Warnings(quizWith("\xC3\x89toile")), "accented capital");
  EXPECT_EQ(warning.rfind("4: ", 0), 0u);
  EXPECT_NE(warning.find("types '\xC3\xA9toile' gets \"Quasiment\""), std::string::npos) << warning;

  warning = One(Warnings(quizWith("l\xE2\x80\x99\xC3\xA9t\xC3\xA9")), "keyboard");  // l’été
  EXPECT_NE(warning.find("'l'\xC3\xA9t\xC3\xA9'"), std::string::npos) << warning;
  warning = One(Warnings(quizWith("\xC2\xAB mire \xC2\xBB")), "keyboard");  // « mire »
  EXPECT_NE(warning.find("'\" mire \"'"), std::string::npos) << warning;
  warning = One(Warnings(quizWith("c\xC5\x93ur")), "keyboard");  // cœur
  EXPECT_NE(warning.find("'coeur'"), std::string::npos) << warning;

  warning = One(Warnings(quizWith("Tour  Eiffel")), "double space");
  EXPECT_NE(warning.find("'Tour Eiffel'"), std::string::npos) << warning;

  EXPECT_TRUE(Warnings(quizWith("\xC3\xA9toile d'or")).empty());  // étoile d'or types as written
}

TEST_F(PlayerPreviewTest, AnAnswerPictureOfOtherProportionsIsCutByTheFrame) {
  const auto quizWith = [](const std::string& reveal, const std::string& answerPicture) {
    return "title = \"Q\"\nkind = \"picture\"\nreveal = \"" + reveal +
           "\"\n[[question]]\nanswer = \"Paris\"\npicture = \"wide.jpg\"\nanswer_picture = \"" +
           answerPicture + "\"\n";
  };
  std::string warning = One(Warnings(quizWith("picture", "long.png")), "answer picture");
  EXPECT_EQ(warning.rfind("7: ", 0), 0u) << warning;
  EXPECT_NE(warning.find("shows at 260 x 130 but its question picture at 260 x 195"), std::string::npos)
      << warning;
  EXPECT_TRUE(Warnings(quizWith("picture", "wide.png")).empty());  // same fitted size, other format
  // Never revealed: only the existing "never shown" warning.
  EXPECT_EQ(One(Warnings(quizWith("comment", "long.png")), "answer picture").find("shows at"),
            std::string::npos);

  unsigned w = 0, h = 0;
  FittedPictureSize(1000, 500, false, &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(260u, 130u));
  FittedPictureSize(100, 50, true, &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(260u, 130u));
  FittedPictureSize(333, 333, true, &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(260u, 260u));
  FittedPictureSize(3000, 7, false, &w, &h);
  EXPECT_EQ(std::make_pair(w, h), std::make_pair(260u, 1u));  // a sliver keeps a row
}

TEST_F(PlayerPreviewTest, AnUnreadableBackgroundGetsColoursThatWork) {
  const auto quizWith = [](const std::string& colour) {
    return "title = \"Q\"\nkind = \"picture\"\nbackground = \"" + colour +
           "\"\n[[question]]\nanswer = \"Paris\"\npicture = \"wide.jpg\"\n";
  };
  // Green 70 gives black numbers on a dark teal.
  const std::string warning = One(Warnings(quizWith("#264653")), "background");
  EXPECT_EQ(warning.rfind("3: background #264653", 0), 0u) << warning;
  EXPECT_NE(warning.find("in black"), std::string::npos) << warning;
  EXPECT_NE(warning.find("2.1:1"), std::string::npos) << warning;
  // Each colour offered is one the check accepts.
  int offered = 0;
  for (size_t at = warning.find(" (", warning.find("colours that work")); at != std::string::npos;
       at = warning.find(" (", at + 2)) {
    const std::string suggestion = warning.substr(at - 7, 7);
    EXPECT_EQ(suggestion[0], '#') << warning;
    EXPECT_TRUE(Warnings(quizWith(suggestion)).empty()) << suggestion;
    ++offered;
  }
  EXPECT_EQ(offered, 2) << warning;

  EXPECT_TRUE(Warnings(quizWith("#000080")).empty());  // white on navy
  EXPECT_TRUE(Warnings(quizWith("#F2E8CF")).empty());  // black on cream
  // Red or green above 69 turns the numbers black: 69 keeps them white.
  EXPECT_TRUE(Warnings(quizWith("#454500")).empty());
  EXPECT_NE(One(Warnings(quizWith("#464500")), "background").find("in black"), std::string::npos);
  EXPECT_NEAR(ContrastRatio(0, 0, 0, 255, 255, 255), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(119, 119, 119, 255, 255, 255), 4.48, 0.01);
}

TEST_F(PlayerPreviewTest, LargePicturesSayBuildScalesThemDown) {
  const auto quizWith = [](const std::string& picture) {
    return "title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\npicture = \"" + picture +
           "\"\n";
  };
  std::string warning = One(Warnings(quizWith("huge.jpg")), "5000 x 5000");
  EXPECT_EQ(warning.rfind("5: ", 0), 0u) << warning;
  EXPECT_NE(warning.find("--keep-pictures"), std::string::npos) << warning;
  warning = One(Warnings(quizWith("heavy.jpg")), "300 x 300 (1.2 MB)");
  EXPECT_TRUE(Warnings(quizWith("wide.jpg")).empty());
}

TEST(PlayerFontsTest, LinesBreakAtSpacesAndAfterSlashes) {
  EXPECT_EQ(WrapLines(kGuiFont, "un deux", 1000), (std::vector<std::string>{"un deux"}));
  const int un = TextWidth(kGuiFont, "un deux");
  EXPECT_EQ(WrapLines(kGuiFont, "un deux", un - 1), (std::vector<std::string>{"un", "deux"}));
  EXPECT_EQ(WrapLines(kLinkFont, "https://quiz.example/", 115),
            (std::vector<std::string>{"https://", "quiz.example/"}));
  // A word wider than the line stays whole on it.
  EXPECT_EQ(WrapLines(kGuiFont, "anticonstitutionnellement oui", 40),
            (std::vector<std::string>{"anticonstitutionnellement", "oui"}));
  EXPECT_EQ(TextWidth(kGuiFont, "ab"), TextWidth(kGuiFont, "a") + TextWidth(kGuiFont, "b"));
}

}  // namespace
