// The pre-scan of quiz sources: the ASCII copy of each kind of TOML text,
// and the nesting depth the scanner counts in keys, headers and values.
#include "tool/toml_prescan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TomlPrescan, AsciiCopyKeepsEveryTextDoubleQuotedAndEveryLine) {
  struct Case {
    const char* source;
    const char* ascii;
  } cases[] = {
      {"a = \"\xC3\xA9t\xC3\xA9\"", "a = \"\\u00E9t\\u00E9\""},             // basic
      {"a = 'C:\\x \"y\"'", "a = \"C:\\\\x \\\"y\\\"\""},                   // literal
      {"a = \"\"\"\n\xE2\x82\xAC\"\"\"\"", "a = \"\"\"\n\\u20AC\"\"\"\""},  // multi-line basic
      {"a = '''\nx''''", "a = \"\"\"\nx'\"\"\""},                           // multi-line literal
      {"a = \"\\\"\" # \xC3\xA9", "a = \"\\\"\" # ?"},                      // escape, comment
      {"a = \"\xF0\x9F\x98\x80\"", "a = \"\\U0001F600\""},                  // beyond U+FFFF
      {"a = 'x\n\xC3\xA9 = 1", ""},                                         // the text ends at its line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::string ascii;
    const int refused = MakeAsciiToml(c.source, &ascii);
    if (c.ascii[0] == '\0') {
      EXPECT_EQ(refused, 2);
    } else {
      EXPECT_EQ(refused, 0);
      EXPECT_EQ(ascii, c.ascii);
    }
  }
  std::string ascii;
  EXPECT_EQ(MakeAsciiToml("a = 1\nb = \"\\\xC3\xA9\"", &ascii), 2);  // no escape of a wide character
}

std::string Repeat(const std::string& part, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += part;
  }
  return text;
}

TEST(TomlPrescan, NestingCountsHeadersKeysAndValuesButNotTexts) {
  const int limit = kMaxTomlDepth;
  EXPECT_EQ(DeepestNestingLine("[" + Repeat("a.", limit - 1) + "a]\n"), 0);
  EXPECT_EQ(DeepestNestingLine("x = 1\n[" + Repeat("a.", limit) + "a]\n"), 2);
  EXPECT_EQ(DeepestNestingLine(Repeat("a.", limit - 1) + "a = 1\n"), 0);
  EXPECT_EQ(DeepestNestingLine(Repeat("a.", limit) + "a = 1\n"), 1);
  EXPECT_EQ(DeepestNestingLine("a = " + Repeat("[", limit) + Repeat("]", limit) + "\n"), 1);
  EXPECT_EQ(DeepestNestingLine("a = " + Repeat("{b = ", limit) + "1" + Repeat("}", limit) + "\n"), 1);
  // Inside texts and comments, brackets and dots are only characters.
  EXPECT_EQ(DeepestNestingLine("a = \"" + Repeat("[a.", 100) + "\" # " + Repeat("{", 100) + "\n"), 0);
  EXPECT_EQ(DeepestNestingLine("a = '''\n" + Repeat("[", 100) + "\n'''\n"), 0);
  // Each line starts again from its table.
  EXPECT_EQ(DeepestNestingLine(Repeat("a = [[1]]\n", 100)), 0);
}

}  // namespace
