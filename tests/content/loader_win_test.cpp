// The quiz loader with real resources. One source, built into one program
// per resource variant (TRIVO_LOADER_VARIANT, see CMakeLists.txt): each
// program carries its own "PATCH" resources, made at build time by
// make_test_quizzes from quizzes written in the grammar.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "content/quiz_document.h"
#include "content/quiz_loader.h"
#include "content/user_message.h"
#include "tests/support/message_capture.h"

#define LOADER_FULL 1
#define LOADER_SHORT_CODES 2
#define LOADER_NO_CODES 3
#define LOADER_BROKEN 4
#define LOADER_TRUNCATED 5
#define LOADER_EMPTY 6
#define LOADER_MISSING 7

namespace {

// Runs the loader on a fresh document with the message sink installed.
class LoaderTest : public ::testing::Test {
 protected:
  void Load() { LoadQuiz(doc_); }

  void ExpectOneMessage(const char* text) {
    ASSERT_EQ(recorder_.messages().size(), 1u);
    EXPECT_EQ(recorder_.messages()[0].text, text);
    EXPECT_EQ(recorder_.messages()[0].caption, "Trivo");
    EXPECT_EQ(recorder_.messages()[0].style, kMessageOk);
  }

  void ExpectDefaultLinkAndFooter() {
    EXPECT_STREQ(doc_.linkText, "https://trivo.example/");
    EXPECT_STREQ(doc_.footerText, "Fait avec Trivo");
  }

  // The three questions of make_test_quizzes.
  void ExpectQuestions(bool twoAnswers, const char* comment1) {
    EXPECT_EQ(doc_.questionCount, 3);
    EXPECT_EQ(doc_.mediaKind, MediaAudio);
    EXPECT_STREQ(doc_.title, "Capitales d'Europe");
    EXPECT_STREQ(doc_.creator,
                 "Ann\xE9"
                 "e");
    EXPECT_STREQ(doc_.explanation, "Trouvez la capitale");
    EXPECT_STREQ(doc_.answerLabel1, "Ville");
    EXPECT_STREQ(doc_.answerLabel2, "Fleuve");
    EXPECT_EQ(doc_.answersPerQuestion, twoAnswers ? 2 : 1);
    ASSERT_NE(doc_.questionAt(3), nullptr);
    EXPECT_STREQ(doc_.questionAt(1)->answer1, "Paris");
    EXPECT_STREQ(doc_.questionAt(1)->answer2, twoAnswers ? "Seine" : "");
    EXPECT_STREQ(doc_.questionAt(1)->questionText, "France ?");
    EXPECT_STREQ(doc_.questionAt(1)->comment, comment1);
    EXPECT_STREQ(doc_.questionAt(3)->answer1, "Berlin");
    EXPECT_STREQ(doc_.questionAt(3)->questionText, "");
    EXPECT_EQ(doc_.questionAt(3)->next, nullptr);
    EXPECT_EQ(BackgroundColour(doc_), 0x302010u);
    ExpectBrushColour(0x302010u);
  }

  void ExpectBrushColour(uint32_t colour) {
    ASSERT_NE(doc_.backgroundBrush, nullptr);
    LOGBRUSH brush = {};
    ASSERT_EQ(GetObjectA(doc_.backgroundBrush, sizeof(brush), &brush), static_cast<int>(sizeof(brush)));
    EXPECT_EQ(brush.lbColor, colour);
  }

  void ExpectNoCodes() {
    for (int i = 0; i < kMaxQuestions; ++i) {
      EXPECT_STREQ(doc_.scoreCodes[i], "") << i;
    }
  }

  QuizDocument doc_;
  MessageRecorder recorder_;
};

// The marker, built at run time so that this program holds it only once,
// in the record the loader reads.
std::string Marker() {
  std::string marker = "TRIVO:STORED-BLOCK";
  marker += ':';
  return marker;
}
static_assert(sizeof(kStoredBlockMarker) == 20 && kStoredBlockMarker[18] == ':', "marker as spelled above");

int CountMarkers(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return -1;
  }
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string marker = Marker();
  int count = 0;
  for (size_t at = bytes.find(marker); at != std::string::npos; at = bytes.find(marker, at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(LoaderTest, ABrokenStoredBlockLeavesTheConstructionDefaults) {
  uint8_t saved[kStoredBlockSize];
  for (int i = 0; i < kStoredBlockSize; ++i) {
    saved[i] = gStoredBlock.block[i];
    gStoredBlock.block[i] = 0xFF;
  }
  Load();
  for (int i = 0; i < kStoredBlockSize; ++i) {
    gStoredBlock.block[i] = saved[i];
  }
  ExpectOneMessage(
      "Erreur dans le d\xE9"
      "cryptage");
  EXPECT_EQ(doc_.questionCount, 0);
  EXPECT_STREQ(doc_.title, "nom du trivo");
  EXPECT_STREQ(doc_.linkText, "");
  EXPECT_EQ(doc_.questions.firstQuestion, nullptr);
  ExpectBrushColour(0x965F5Au);
}

TEST(StoredBlock, TheMarkerStandsOnceBeforeTheBlock) {
  char path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_EQ(CountMarkers(path), 1) << path;
  EXPECT_EQ(
      std::memcmp(const_cast<const char*>(gStoredBlock.marker), Marker().data(), kStoredBlockMarkerSize), 0);
#ifdef TRIVO_PLAYER_EXE
  int inPlayer = CountMarkers(TRIVO_PLAYER_EXE);
  if (inPlayer < 0) {
    GTEST_SKIP() << "the player is not built: " << TRIVO_PLAYER_EXE;
  }
  EXPECT_EQ(inPlayer, 1) << TRIVO_PLAYER_EXE;
#endif
}

#if TRIVO_LOADER_VARIANT == LOADER_FULL
TEST_F(LoaderTest, LoadsTheWholeQuiz) {
  Load();
  EXPECT_TRUE(recorder_.messages().empty());
  ExpectDefaultLinkAndFooter();
  ExpectQuestions(true, "Commentaire Paris");
  EXPECT_EQ(doc_.revealMode, RevealCommentAndPicture);
  EXPECT_STREQ(doc_.questionAt(2)->answer2, "Tibre");
  EXPECT_STREQ(doc_.questionAt(3)->comment, "Commentaire Berlin");
  EXPECT_STREQ(doc_.scoreCodes[0], "UN");
  EXPECT_STREQ(doc_.scoreCodes[2], "TROIS");
  EXPECT_STREQ(doc_.scoreCodes[3], "");
}
#elif TRIVO_LOADER_VARIANT == LOADER_SHORT_CODES
TEST_F(LoaderTest, CodesThatEndEarlyAreRefusedWhole) {
  Load();
  ExpectOneMessage(
      "Erreur dans le d\xE9"
      "cryptage des codes");
  ExpectDefaultLinkAndFooter();
  ExpectQuestions(false, "Commentaire Paris");
  EXPECT_EQ(doc_.revealMode, RevealComment);
  ExpectNoCodes();
}
#elif TRIVO_LOADER_VARIANT == LOADER_NO_CODES
TEST_F(LoaderTest, MissingCodesKeepTheQuiz) {
  Load();
  ExpectOneMessage(
      "Erreur dans le d\xE9"
      "cryptage des codes");
  ExpectDefaultLinkAndFooter();
  ExpectQuestions(false, "Commentaire Paris");
  EXPECT_EQ(doc_.revealMode, RevealAllComments);
  EXPECT_STREQ(doc_.questionAt(2)->comment, "Commentaire Rome");
  ExpectNoCodes();
}
#elif TRIVO_LOADER_VARIANT == LOADER_BROKEN || TRIVO_LOADER_VARIANT == LOADER_TRUNCATED
TEST_F(LoaderTest, ABrokenQuizLeavesNoQuestions) {
  Load();
  ExpectOneMessage(
      "Erreur dans le d\xE9"
      "cryptage des reponses");
  ExpectDefaultLinkAndFooter();
  EXPECT_EQ(doc_.questionCount, 0);
  EXPECT_EQ(doc_.questions.firstQuestion, nullptr);
  EXPECT_STREQ(doc_.title, "nom du trivo");
  EXPECT_EQ(doc_.revealMode, RevealNone);
  ExpectBrushColour(0x965F5Au);
  ExpectNoCodes();
}
#elif TRIVO_LOADER_VARIANT == LOADER_EMPTY || TRIVO_LOADER_VARIANT == LOADER_MISSING
TEST_F(LoaderTest, AMissingQuizGivesTheBuiltInTestQuiz) {
  Load();
  ExpectOneMessage(
      "Reponses non trouv\xE9"
      "es");
  ExpectDefaultLinkAndFooter();
  EXPECT_STREQ(doc_.title, "Nom du trivo");
  EXPECT_EQ(doc_.questionCount, 7);
  EXPECT_EQ(doc_.questionAt(7), doc_.questionAt(2));
  EXPECT_EQ(doc_.questionAt(2)->next, nullptr);
  EXPECT_EQ(doc_.mediaKind, MediaPicture);
  ExpectBrushColour(0xFF6633u);
  ExpectNoCodes();
}
#else
#error "TRIVO_LOADER_VARIANT names no resource variant"
#endif

}  // namespace
