// The answers file's name and text, without any window.
#include "play/answers_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(const std::string& bytes, int lines) {
  SavedAnswerReader reader;
  reader.data = bytes.data();
  reader.size = bytes.size();
  std::vector<std::string> out;
  for (int i = 0; i < lines; ++i) {
    char line[kTextCapacity];
    ReadSavedAnswer(reader, line);
    out.emplace_back(line);
  }
  return out;
}

TEST(AnswersFileName, ReplacesTheLastThreeCharacters) {
  const struct {
    const char* exe;
    const char* expected;
  } cases[] = {
      {"GAME1.EXE", "GAME1.txt"},
      {"game.exe", "game.txt"},
      {"C:\\quiz\\Mon Quiz.exe", "Mon Quiz.txt"},
      {"ab", "tx"},
      {"", ""},
      {"abc", "txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnswersFileName(c.exe), c.expected) << c.exe;
  }
  EXPECT_EQ(AnswersFileName(nullptr), "");
}

TEST(ReadSavedAnswer, EndsLinesAtCrLfLoneLfAndLoneCr) {
  const std::vector<std::string> expected = {"Paris", "", "Lyon", ""};
  // As the player writes it, and as editors of other systems save it.
  EXPECT_EQ(ReadAll("Paris\r\n\r\nLyon\r\n", 4), expected);
  EXPECT_EQ(ReadAll("Paris\n\nLyon\n", 4), expected);
  EXPECT_EQ(ReadAll("Paris\r\rLyon\r", 4), expected);
  // Mixed in one file: each CR LF is one line end, each lone CR or LF one.
  EXPECT_EQ(ReadAll("a\r\nb\nc\rd\n\re", 6), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(ReadAll("a\r\r\nb", 3), (std::vector<std::string>{"a", "", "b"}));
  // A line without a line end runs to the end of the data.
  EXPECT_EQ(ReadAll("one\r\nlast line", 3), (std::vector<std::string>{"one", "last line", ""}));
  EXPECT_EQ(ReadAll("\n", 2), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(ReadAll("", 2), (std::vector<std::string>{"", ""}));
}

TEST(ReadSavedAnswer, ANulByteEndsItsLineOnly) {
  const char raw[] = "ab\0cd\r\nnext\n\0\nlast";
  const std::string bytes(raw, sizeof(raw) - 1);
  EXPECT_EQ(ReadAll(bytes, 4), (std::vector<std::string>{"ab", "next", "", "last"}));
  // Past the 259 kept characters, a NUL or a line end is still found.
  const std::string longLine = std::string(300, 'x') + std::string("\0tail\nafter", 11);
  EXPECT_EQ(ReadAll(longLine, 2), (std::vector<std::string>{std::string(259, 'x'), "after"}));
}

TEST(ReadSavedAnswer, KeepsAt259CharactersAndStaysInTheBuffer) {
  std::string full(259, 'x');
  std::string longer = std::string(259, 'y') + "overflow";
  auto lines = ReadAll(full + "\r\n" + longer + "\nnext\r\n", 3);
  EXPECT_EQ(lines[0], full);
  EXPECT_EQ(lines[1], std::string(259, 'y'));
  EXPECT_EQ(lines[2], "next");

  // A reader with no data (no answers file) gives empty lines.
  SavedAnswerReader none;
  char line[kTextCapacity] = "stale";
  ReadSavedAnswer(none, line);
  EXPECT_STREQ(line, "");
}

TEST(FormatAnswersFile, OneLineEndedByCrLfPerField) {
  EXPECT_EQ(FormatAnswersFile({"Paris", ""}), std::string("Paris\r\n\r\n"));
  EXPECT_EQ(FormatAnswersFile({"Paris", ""}).size(), 9u);
  EXPECT_EQ(FormatAnswersFile({}), "");
  EXPECT_EQ(FormatAnswersFile({" mixed Case "}), " mixed Case \r\n");
  EXPECT_EQ(FormatAnswersFile({std::string(300, 'z')}), std::string(259, 'z') + "\r\n");
  // A field holding a line break cannot shift the lines after it.
  EXPECT_EQ(FormatAnswersFile({"deux\r\nlignes", "b", "c\rd"}), "deux\r\nb\r\nc\r\n");
  // What is written reads back unchanged.
  std::vector<std::string> fields = {"un", "", "trois \xE9t\xE9"};
  EXPECT_EQ(ReadAll(FormatAnswersFile(fields), 3), fields);
}

}  // namespace
