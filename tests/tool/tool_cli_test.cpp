// The trivo command line: exit codes (0 ok, 1 invalid input, 2 usage), the
// judge's verdict words, the starter quiz and the PNG decode command.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/tool/tool_test_support.h"

namespace {

struct ToolRun {
  int code = -1;
  std::string out;
  std::string err;
};

class ToolCliTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder("cli"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  ToolRun Trivo(const std::string& arguments) {
    const std::string out = (folder_ / "stdout.txt").string();
    const std::string err = (folder_ / "stderr.txt").string();
    const std::string command =
        std::string("'") + TRIVO_TOOL_FILE + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path folder_;
};

TEST_F(ToolCliTest, JudgePrintsThePlayersVerdict) {
  struct Case {
    const char* expected;
    const char* typed;
    const char* verdict;
  } cases[] = {
      {"Paris", "  paris ", "BRAVO"},
      {"Paris", "Prais", "Anagramme"},
      {"Paris", "Pari", "Quasiment"},
      {"\xC3\x89"
       "cole",
       "\xC3\xA9"
       "cole",
       "Quasiment"},  // only a-z change case
      {"Roi", "rois", "FAUX"},
      {"Paris", "", "?"},
      {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMXYZ",
       "y a de l'id\xC3\xA9"
       "e"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Trivo(std::string("judge '") + c.expected + "' '" + c.typed + "'");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, std::string(c.verdict) + "\n") << c.expected << " / " << c.typed;
  }
  // A typed character outside Windows-1252 is one '?', as the player holds it.
  const ToolRun emoji = Trivo("judge 'Pa?is' 'Pa\xF0\x9F\x98\x80is'");
  EXPECT_EQ(emoji.code, 0) << emoji.err;
  EXPECT_EQ(emoji.out, "BRAVO\n");
  const ToolRun expectedEmoji = Trivo("judge 'Pa\xF0\x9F\x98\x80is' 'Paris'");
  EXPECT_EQ(expectedEmoji.code, 1);
  EXPECT_NE(expectedEmoji.err.find("U+1F600"), std::string::npos);
  EXPECT_EQ(Trivo("judge 'Paris' '\xC3'").code, 1);  // not UTF-8
}

TEST_F(ToolCliTest, ExitCodesFollowTheOutcome) {
  EXPECT_EQ(Trivo("").code, 2);
  EXPECT_EQ(Trivo("frobnicate").code, 2);
  EXPECT_EQ(Trivo("judge onlyone").code, 2);
  EXPECT_EQ(Trivo("build").code, 2);
  for (const char* command : {"--help", "build --help", "unpack --help", "check --help", "judge --help",
                              "new --help", "decode --help"}) {
    const ToolRun run = Trivo(command);
    EXPECT_EQ(run.code, 0) << command;
    EXPECT_NE(run.out.find("Usage"), std::string::npos) << command;
  }
  const ToolRun missing = Trivo("check '" + (folder_ / "none.toml").string() + "'");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  const ToolRun notExe =
      Trivo("unpack '" + (folder_ / "none.toml").string() + "' -o '" + folder_.string() + "'");
  EXPECT_EQ(notExe.code, 1);
}

TEST_F(ToolCliTest, NewWritesAStarterThatChecksAndNeverOverwrites) {
  const std::string dir = (folder_ / "starter").string();
  EXPECT_EQ(Trivo("new '" + dir + "'").code, 0);
  const ToolRun check = Trivo("check '" + dir + "/quiz.toml'");
  EXPECT_EQ(check.code, 0) << check.err;
  EXPECT_EQ(check.err, "");  // the starter raises no warning
  const ToolRun again = Trivo("new '" + dir + "'");
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("already exists"), std::string::npos);
}

TEST_F(ToolCliTest, CheckReportsFileAndLine) {
  WriteTextFile(folder_ / "bad.toml", "title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"a|b\"\n");
  const ToolRun run = Trivo("check '" + (folder_ / "bad.toml").string() + "'");
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find((folder_ / "bad.toml").string() + ":4: question 1 answer holds '|'"),
            std::string::npos)
      << run.err;
  // A failed build leaves no executable behind.
  const ToolRun build = Trivo("build '" + (folder_ / "bad.toml").string() + "' -o '" +
                              (folder_ / "bad.exe").string() + "' --player /nonexistent");
  EXPECT_EQ(build.code, 1);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.exe"));
}

TEST_F(ToolCliTest, DecodeWritesABmpOrNothing) {
  WriteBinaryFile(folder_ / "ok.png", MakePng(3, 2, true));
  const ToolRun run =
      Trivo("decode '" + (folder_ / "ok.png").string() + "' -o '" + (folder_ / "ok.bmp").string() + "'");
  ASSERT_EQ(run.code, 0) << run.err;
  const std::vector<uint8_t> bmp = ReadBinaryFile(folder_ / "ok.bmp");
  // 54-byte headers, 24 bits per pixel (alpha dropped), rows padded to 12.
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[28], 24);
  EXPECT_EQ(bmp[54 + 12], 50);  // top row last: blue, green, red of pixel 0
  EXPECT_EQ(bmp[54 + 13], 100);
  EXPECT_EQ(bmp[54 + 14], 200);

  std::vector<uint8_t> broken = MakePng(3, 2);
  broken.resize(40);
  WriteBinaryFile(folder_ / "bad.png", broken);
  const ToolRun bad =
      Trivo("decode '" + (folder_ / "bad.png").string() + "' -o '" + (folder_ / "bad.bmp").string() + "'");
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("error 0x"), std::string::npos) << bad.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.bmp"));
}

}  // namespace
