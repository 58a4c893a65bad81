// The verdict rules: each rule at its boundaries, and the text helpers.
#include "play/verdict_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct VerdictCase {
  const char* expected;
  const char* typed;
  const char* verdict;
};

class ChooseVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(ChooseVerdictTest, GivesTheWordOfTheFirstRuleThatApplies) {
  const VerdictCase& c = GetParam();
  EXPECT_STREQ(ChooseVerdict(c.expected, c.typed), c.verdict)
      << "expected «" << c.expected << "» typed «" << c.typed << "»";
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ChooseVerdictTest,
    ::testing::Values(
        // Short answers: trimmed and upper-cased, no hints, "?" when empty.
        VerdictCase{"Roi", " roi  ", kVerdictRight}, VerdictCase{"Roi", "rois", kVerdictWrong},
        VerdictCase{"Roi", "", kVerdictEmpty}, VerdictCase{"Roi", "    ", kVerdictEmpty},
        VerdictCase{"Roi", "ior", kVerdictWrong},  // an anagram, but no hints at 3 characters
        VerdictCase{"", "", kVerdictEmpty}, VerdictCase{"", "x", kVerdictWrong},
        // Four characters is the first length with hints.
        VerdictCase{"Rome", "rom", kVerdictOneEdit}, VerdictCase{"Rome", "orme", kVerdictAnagram},
        VerdictCase{"Rome", "", kVerdictEmpty},
        // The worked examples around "Paris".
        VerdictCase{"Paris", "PARIS", kVerdictRight}, VerdictCase{"Paris", "Pari", kVerdictOneEdit},
        VerdictCase{"Paris", "Prais", kVerdictAnagram}, VerdictCase{"Paris", "Parisx", kVerdictOneEdit},
        VerdictCase{"Paris", "xPariSxy", kVerdictTooLong}, VerdictCase{"Paris", "Pxrxs", kVerdictTwoEdits},
        VerdictCase{"Paris", "zzzzz", kVerdictWrong},
        // Tabs are not trimmed; only byte 32 is.
        VerdictCase{"Paris", "\tParis", kVerdictOneEdit},
        // Accented letters keep their case; the expected answer is not trimmed.
        VerdictCase{"\xC9"
                    "cole",
                    "\xE9"
                    "cole",
                    kVerdictOneEdit},
        VerdictCase{"Paris ", "Paris ", kVerdictOneEdit}, VerdictCase{" Paris", "Paris", kVerdictOneEdit},
        // Pieces of a long answer: 70 % and 50 % are exclusive upper bounds.
        VerdictCase{"Napol\xE9on Bonaparte", "Bonaparte", kVerdictWrong},
        VerdictCase{"Napol\xE9on Bonaparte", "Napol\xE9on Bona", kVerdictTooShort},
        VerdictCase{"Napol\xE9on Bonaparte", "Napol\xE9on Bo", kVerdictNotFar},
        VerdictCase{"ABCDEFGHIJ", "ABCDEFG", kVerdictNotFar},                      // exactly 70 %
        VerdictCase{"ABCDEFGHIJ", "ABCDEFGH", kVerdictTwoEdits},                   // 80 %, but only 2 edits
        VerdictCase{"ABCDEFGHIJ", "ABCDE", kVerdictWrong},                         // exactly 50 %
        VerdictCase{"ABCDEFGHIJ", "ABCDEF", kVerdictNotFar},                       // 60 %
        VerdictCase{"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNO", kVerdictTooShort},  // 75 %
        VerdictCase{"ABCDEFGHI", "ABCDEF", kVerdictWrong},  // 9 characters: no piece hints
        // Alike by distance: s exactly 80 is not enough.
        VerdictCase{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMXYZ", kVerdictSomeIdea},
        VerdictCase{"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLXYZ", kVerdictWrong},
        // Containment is tested before likeness.
        VerdictCase{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOPXYZ", kVerdictTooLong},
        VerdictCase{"AABC", "XAAABCYZ", kVerdictTooLong}));

TEST(ChooseVerdict, LeavesItsArgumentsUnchanged) {
  char expected[] = "Paris ";
  char typed[] = "  paris  ";
  ChooseVerdict(expected, typed);
  EXPECT_STREQ(expected, "Paris ");
  EXPECT_STREQ(typed, "  paris  ");
}

TEST(ChooseVerdict, HandlesFullBuffersAndHighBytes) {
  std::string full(259, 'a');
  EXPECT_STREQ(ChooseVerdict(full.c_str(), full.c_str()), kVerdictRight);
  std::string nearly = full;
  nearly[100] = 'b';
  EXPECT_STREQ(ChooseVerdict(full.c_str(), nearly.c_str()), kVerdictOneEdit);
  std::string piece(200, 'a');  // contained, 77 %
  EXPECT_STREQ(ChooseVerdict(full.c_str(), piece.c_str()), kVerdictTooShort);

  std::string high;
  for (int i = 0; i < 259; ++i) {
    high += static_cast<char>(128 + i % 128);
  }
  EXPECT_STREQ(ChooseVerdict(high.c_str(), high.c_str()), kVerdictRight);
  std::string shifted = high.substr(1) + high[0];
  EXPECT_STREQ(ChooseVerdict(high.c_str(), shifted.c_str()), kVerdictAnagram);
  std::string different(259, '\xFF');
  EXPECT_STREQ(ChooseVerdict(high.c_str(), different.c_str()), kVerdictWrong);
}

TEST(ChooseVerdict, CutsTextsLongerThanTheirBuffers) {
  // A 259-character answer against the same text with more after it.
  std::string answer(259, 'Q');
  std::string longer = answer + "tail";
  EXPECT_STREQ(ChooseVerdict(answer.c_str(), longer.c_str()), kVerdictRight);
}

TEST(TextHelpers, TrimSpacesRemovesOnlyByte32AtBothEnds) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {{"  a b  ", "a b"}, {"    ", ""}, {"", ""}, {"\tx\t", "\tx\t"}, {" x\n ", "x\n"}};
  for (const auto& c : cases) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%s", c.in);
    TrimSpaces(buffer);
    EXPECT_STREQ(buffer, c.out) << "«" << c.in << "»";
  }
}

TEST(TextHelpers, UpperAsciiChangesOnlyAToZ) {
  char text[] = "az AZ {`@[ \xE9\xC9\xFF 09";
  UpperAscii(text);
  EXPECT_STREQ(text, "AZ AZ {`@[ \xE9\xC9\xFF 09");
}

TEST(TextHelpers, EditDistanceCountsSingleByteEdits) {
  struct {
    const char* a;
    const char* b;
    int distance;
  } cases[] = {{"", "", 0},
               {"", "abc", 3},
               {"abc", "", 3},
               {"kitten", "sitting", 3},
               {"abc", "abc", 0},
               {"abc", "acb", 2},
               {"flaw", "lawn", 2},
               {"\xE9t\xE9", "ete", 2},
               {"abcdef", "azced", 3},
               {"intention", "execution", 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(EditDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
    EXPECT_EQ(EditDistance(c.b, c.a), c.distance) << c.b << " / " << c.a;
  }
  std::string a(259, 'x');
  std::string b(259, 'y');
  EXPECT_EQ(EditDistance(a.c_str(), b.c_str()), 259);
  EXPECT_EQ(EditDistance(a.c_str(), ""), 259);
}

TEST(TextHelpers, SameLettersAndFindContained) {
  EXPECT_TRUE(SameLetters("PARIS", "PRAIS"));
  EXPECT_TRUE(SameLetters("", ""));
  EXPECT_FALSE(SameLetters("AAB", "ABB"));
  EXPECT_FALSE(SameLetters("AB", "ABA"));
  EXPECT_TRUE(SameLetters("\x80\xFF", "\xFF\x80"));

  EXPECT_EQ(FindContained("AABC", "XAAABCYZ"), 2);  // found at the third byte, after a false start
  EXPECT_EQ(FindContained("ABCDEFGHIJ", "DEFG"), -2);
  EXPECT_EQ(FindContained("ABCD", "ABCD"), 2);  // same length: the expected answer is looked for
  EXPECT_EQ(FindContained("ABCD", "ABCE"), 0);
  EXPECT_EQ(FindContained("ABCD", "XYZ"), 0);
  EXPECT_EQ(FindContained("ABC", "XABC"), 2);  // at the last start that fits
  EXPECT_EQ(FindContained("ABCX", "ABC"), -2);
}

}  // namespace
