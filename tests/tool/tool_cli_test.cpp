// The trivo command line: exit codes (0 ok, 1 invalid input, 2 usage), the
// judge's verdict words, the starter quiz and the PNG decode command.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "content/sha256.h"
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

  // Runs trivo with the arguments; `tool` replaces the command that starts it.
  ToolRun Trivo(const std::string& arguments, const std::string& tool = "") {
    const std::string out = (folder_ / "stdout.txt").string();
    const std::string err = (folder_ / "stderr.txt").string();
    const std::string start = tool.empty() ? std::string("'") + TRIVO_TOOL_FILE + "' " : tool;
    const std::string command = start + arguments + " >'" + out + "' 2>'" + err + "'";
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

  std::string Path(const std::string& name) const { return "'" + (folder_ / name).string() + "'"; }

  // A one-question picture quiz and a player template to build it with.
  void WritePictureQuiz() {
    WriteBinaryFile(folder_ / "player.exe", MakeBareImage());
    WriteBinaryFile(folder_ / "photo.png", MakePng(4, 4));
    WriteTextFile(
        folder_ / "q.toml",
        "title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Paris\"\npicture = \"photo.png\"\n");
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
  EXPECT_NE(bad.err.find("it holds no image data (no IDAT chunk)"), std::string::npos) << bad.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.bmp"));
}

TEST_F(ToolCliTest, ReadsOnlyRegularFiles) {
  WritePictureQuiz();
  std::filesystem::create_directories(folder_ / "folder.toml");
  ASSERT_EQ(mkfifo((folder_ / "pipe.toml").c_str(), 0600), 0);
  { std::ofstream sparse(folder_ / "huge.exe"); }
  std::filesystem::resize_file(folder_ / "huge.exe", 300u << 20);
  struct Case {
    std::string arguments;
    std::string message;
  } cases[] = {
      {"check " + Path("folder.toml"), "folder.toml: cannot read the file: it is a folder, not a file"},
      {"check " + Path("pipe.toml"), "pipe.toml: cannot read the file: it is not a regular file"},
      {"unpack " + Path("huge.exe") + " -o " + Path("out"), "it is 300 MB; files over 256 MB are not read"},
      {"build " + Path("q.toml") + " --player " + Path("folder.toml") + " -o " + Path("q.exe"),
       "cannot read the player template (give it with --player or TRIVO_PLAYER): it is a folder"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Trivo(c.arguments);
    EXPECT_EQ(run.code, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out"));
}

TEST_F(ToolCliTest, NeverWritesOverAnInput) {
  WritePictureQuiz();
  const std::vector<uint8_t> source = ReadBinaryFile(folder_ / "q.toml");
  std::filesystem::copy_file(folder_ / "q.toml", folder_ / "named.exe");
  WriteBinaryFile(folder_ / "ok.png", MakePng(3, 2));
  const std::string player = " --player " + Path("player.exe");
  struct Case {
    std::string arguments;
    const char* replaced;
  } cases[] = {
      {"build " + Path("q.toml") + player + " -o " + Path("q.toml"), "the quiz source"},
      {"build " + Path("q.toml") + player + " -o '" + folder_.string() + "/./q.toml'", "the quiz source"},
      {"build " + Path("named.exe") + player, "the quiz source (named .exe"},
      {"build " + Path("q.toml") + player + " -o " + Path("player.exe"), "the player template"},
      {"build " + Path("q.toml") + player + " -o " + Path("photo.png"), "the media file"},
      {"decode " + Path("ok.png") + " -o " + Path("ok.png"), "the picture"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Trivo(c.arguments);
    EXPECT_EQ(run.code, 1) << c.arguments;
    EXPECT_NE(run.err.find(std::string("the output would replace ") + c.replaced), std::string::npos)
        << c.arguments << "\n"
        << run.err;
  }
  EXPECT_EQ(ReadBinaryFile(folder_ / "q.toml"), source);
  EXPECT_EQ(ReadBinaryFile(folder_ / "named.exe"), source);
  EXPECT_EQ(ReadBinaryFile(folder_ / "player.exe"), MakeBareImage());
  EXPECT_EQ(ReadBinaryFile(folder_ / "photo.png"), MakePng(4, 4));
  EXPECT_EQ(ReadBinaryFile(folder_ / "ok.png"), MakePng(3, 2));
}

TEST_F(ToolCliTest, WriteFailuresNameTheirCauseAndKeepTheOldFile) {
  WritePictureQuiz();
  std::filesystem::create_directories(folder_ / "folder.exe");
  const std::string build = "build " + Path("q.toml") + " --player " + Path("player.exe") + " -o ";
  struct Case {
    std::string arguments;
    std::string message;
  } cases[] = {
      {build + Path("missing/q.exe"), "q.exe: cannot write the quiz executable: the folder " +
                                          (folder_ / "missing").string() + " does not exist"},
      {build + Path("folder.exe"), "folder.exe: cannot write the quiz executable: it is a folder"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Trivo(c.arguments);
    EXPECT_EQ(run.code, 1) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << "\n" << run.err;
  }

  // A file size limit (2 blocks of 512 bytes) cuts the write short: the
  // failure is reported, not a truncated file renamed over the old one.
  WriteTextFile(folder_ / "q.exe", "old");
  WriteTextFile(folder_ / "q.exe.part", "someone else's");
  const std::string command = "ulimit -f 2; '" + std::string(TRIVO_TOOL_FILE) + "' " + build + Path("q.exe") +
                              " 2>'" + (folder_ / "err.txt").string() + "'";
  const int status = std::system(("sh -c \"" + command + "\"").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(Slurp((folder_ / "err.txt").string())
                .find("cannot write the quiz executable: writing failed: File too large"),
            std::string::npos)
      << Slurp((folder_ / "err.txt").string());
  EXPECT_EQ(ReadBinaryFile(folder_ / "q.exe"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  size_t temporaries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    temporaries += entry.path().extension() == ".part" ? 1 : 0;
  }
  EXPECT_EQ(temporaries, 1u);  // only the other program's, untouched
  EXPECT_EQ(ReadBinaryFile(folder_ / "q.exe.part").size(), 14u);

  const ToolRun built = Trivo(build + Path("q.exe"));
  EXPECT_EQ(built.code, 0) << built.err;
  EXPECT_NE(built.out.find("q.exe: 1 question, 1 media file, "), std::string::npos) << built.out;
}

TEST_F(ToolCliTest, UnpackChecksEveryFileBeforeWritingAny) {
  WritePictureQuiz();
  ASSERT_EQ(
      Trivo("build " + Path("q.toml") + " --player " + Path("player.exe") + " -o " + Path("q.exe")).code, 0);
  std::filesystem::create_directories(folder_ / "out");
  WriteTextFile(folder_ / "out" / "question01.png", "mine");
  const ToolRun refused = Trivo("unpack " + Path("q.exe") + " -o " + Path("out"));
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("question01.png: already exists (use --force to replace it)"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "out" / "quiz.toml"));
  EXPECT_EQ(ReadBinaryFile(folder_ / "out" / "question01.png"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));

  // A folder in the way is refused even with --force, before any writing.
  std::filesystem::create_directories(folder_ / "out" / "quiz.toml");
  const ToolRun folder = Trivo("unpack " + Path("q.exe") + " -o " + Path("out") + " --force");
  EXPECT_EQ(folder.code, 1);
  EXPECT_NE(folder.err.find("quiz.toml: cannot write the file: it is a folder"), std::string::npos)
      << folder.err;
  EXPECT_EQ(ReadBinaryFile(folder_ / "out" / "question01.png"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));

  std::filesystem::remove(folder_ / "out" / "quiz.toml");
  const ToolRun forced = Trivo("unpack " + Path("q.exe") + " -o " + Path("out") + " --force");
  EXPECT_EQ(forced.code, 0) << forced.err;
  EXPECT_NE(forced.out.find("quiz.toml: 1 question, 1 media file\n"), std::string::npos) << forced.out;
  EXPECT_EQ(ReadBinaryFile(folder_ / "out" / "question01.png"), MakePng(4, 4));
  const ToolRun check = Trivo("check " + Path("out/quiz.toml"));
  EXPECT_EQ(check.code, 0) << check.err;
  EXPECT_NE(check.out.find("1 question, 1 media file: ok"), std::string::npos) << check.out;

  const ToolRun exe = Trivo("check " + Path("q.exe"));
  EXPECT_EQ(exe.code, 1);
  EXPECT_NE(exe.err.find("q.exe:1: this is a Windows executable, not a quiz source"), std::string::npos)
      << exe.err;
}

TEST_F(ToolCliTest, NoExceptionEscapes) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
  // 200 MB is under the file limit but over what 150 MB of address space
  // can hold: the allocation throws, and the tool says so and exits 1.
  { std::ofstream sparse(folder_ / "big.exe"); }
  std::filesystem::resize_file(folder_ / "big.exe", 200u << 20);
  const std::string command = "ulimit -v 150000; '" + std::string(TRIVO_TOOL_FILE) + "' unpack " +
                              Path("big.exe") + " -o " + Path("out") + " 2>'" +
                              (folder_ / "err.txt").string() + "'";
  const int status = std::system(("sh -c \"" + command + "\"").c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(Slurp((folder_ / "err.txt").string()), "trivo: out of memory\n");
#endif
}

TEST_F(ToolCliTest, AMistypedCommandNamesTheClosestOne) {
  const ToolRun run = Trivo("biuld quiz.toml");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("'biuld' is not a trivo command; did you mean 'build'?"), std::string::npos)
      << run.err;
  const ToolRun far = Trivo("frobnicate");
  EXPECT_EQ(far.err.find("did you mean"), std::string::npos) << far.err;
  EXPECT_NE(far.err.find("build html unpack check judge new decode play"), std::string::npos) << far.err;
}

TEST_F(ToolCliTest, PlaySaysHowToGetWine) {
  WriteBinaryFile(folder_ / "quiz.exe", MakeBareImage());
  const ToolRun noWine = Trivo("play '" + (folder_ / "quiz.exe").string() + "'",
                               std::string("env PATH=/nonexistent '") + TRIVO_TOOL_FILE + "' ");
  EXPECT_EQ(noWine.code, 1);
  EXPECT_NE(noWine.err.find("sudo apt-get install wine"), std::string::npos) << noWine.err;
  const ToolRun missing = Trivo("play '" + (folder_ / "none.exe").string() + "'");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("no such quiz executable"), std::string::npos) << missing.err;
}

// The tool carries the player: a copy alone in a folder builds a quiz, and
// --version names the player it carries.
TEST_F(ToolCliTest, TheToolAloneBuildsAQuiz) {
#ifndef TRIVO_EMBEDDED_TEMPLATE
  GTEST_SKIP() << "this tree's trivo carries no player (no TRIVO_PLAYER_TEMPLATE)";
#else
  const std::filesystem::path alone = folder_ / "alone";
  std::filesystem::create_directories(alone);
  std::filesystem::copy_file(TRIVO_TOOL_FILE, alone / "trivo");
  const std::vector<uint8_t> player = ReadBinaryFile(TRIVO_EMBEDDED_TEMPLATE);
  const std::string self = "env -u TRIVO_PLAYER '" + (alone / "trivo").string() + "' ";

  const ToolRun version = Trivo("--version", self);
  EXPECT_EQ(version.code, 0);
  EXPECT_NE(version.out.find(std::to_string(player.size()) + " bytes, SHA-256 " +
                             Sha256Hex(player.data(), player.size())),
            std::string::npos)
      << version.out;

  WriteTextFile(alone / "quiz.toml", "title = \"Seul\"\nkind = \"text\"\n[[question]]\nanswer = \"Paris\"\n");
  const ToolRun build = Trivo("build '" + (alone / "quiz.toml").string() + "'", self);
  ASSERT_EQ(build.code, 0) << build.err;
  const ToolRun unpack =
      Trivo("unpack '" + (alone / "quiz.exe").string() + "' -o '" + (folder_ / "back").string() + "'", self);
  EXPECT_EQ(unpack.code, 0) << unpack.err;
  EXPECT_NE(unpack.out.find("1 question, 0 media files"), std::string::npos) << unpack.out;

  // TRIVO_PLAYER and --player still come first.
  const ToolRun overridden =
      Trivo("build '" + (alone / "quiz.toml").string() + "'",
            "env TRIVO_PLAYER=/nonexistent/player.exe '" + (alone / "trivo").string() + "' ");
  EXPECT_EQ(overridden.code, 1);
  EXPECT_NE(overridden.err.find("/nonexistent/player.exe: cannot read the player template"),
            std::string::npos)
      << overridden.err;
#endif
}

TEST_F(ToolCliTest, AToolWithoutAPlayerSaysSo) {
  const std::string bare = std::string("env -u TRIVO_PLAYER '") + TRIVO_TOOL_WITHOUT_PLAYER_FILE + "' ";
  const ToolRun version = Trivo("--version", bare);
  EXPECT_EQ(version.code, 0);
  EXPECT_NE(version.out.find("built-in player: none"), std::string::npos) << version.out;
  WriteTextFile(folder_ / "quiz.toml", "title = \"Q\"\nkind = \"text\"\n[[question]]\nanswer = \"Paris\"\n");
  const ToolRun build = Trivo("build '" + (folder_ / "quiz.toml").string() + "'", bare);
  EXPECT_EQ(build.code, 1);
  EXPECT_NE(build.err.find("built without a player template; give one with --player"), std::string::npos)
      << build.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "quiz.exe"));
  // Checking needs no player.
  EXPECT_EQ(Trivo("check '" + (folder_ / "quiz.toml").string() + "'", bare).code, 0);
  // Nor page template: the one-file page says what it needs.
  WriteBinaryFile(folder_ / "quiz.exe", {'M', 'Z'});
  const ToolRun page = Trivo("html '" + (folder_ / "quiz.exe").string() + "'", bare);
  EXPECT_EQ(page.code, 1);
  EXPECT_NE(page.err.find("built without the web page template"), std::string::npos) << page.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "quiz.html"));
}

}  // namespace
