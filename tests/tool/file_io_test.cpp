// The tool's file layer: what it refuses to read and why, outputs that
// replace a file only once written whole, temporaries that never outlive a
// failure or an interruption, and file identity.
#include "tool/file_io.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <fstream>

#include "tests/tool/tool_test_support.h"

namespace fs = std::filesystem;

namespace {

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder("io"); }
  void TearDown() override { fs::remove_all(folder_); }

  // Every name in the folder, to see that no temporary is left.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
};

TEST_F(FileIoTest, ReadsOnlyRegularFilesUnderTheLimit) {
  const std::vector<uint8_t> content(100000, 0x5A);
  WriteBinaryFile(folder_ / "data.bin", content);
  std::vector<uint8_t> bytes;
  std::string reason;
  ASSERT_TRUE(ReadInputFile(folder_ / "data.bin", &bytes, &reason)) << reason;
  EXPECT_EQ(bytes, content);
  WriteBinaryFile(folder_ / "empty.bin", {});
  EXPECT_TRUE(ReadInputFile(folder_ / "empty.bin", &bytes, &reason));
  EXPECT_TRUE(bytes.empty());

  fs::create_directories(folder_ / "sub");
  struct Case {
    fs::path path;
    uint64_t limit;
    const char* reason;
  } cases[] = {
      {folder_ / "none.bin", kMaxInputFileBytes, "it does not exist"},
      {folder_ / "sub", kMaxInputFileBytes, "it is a folder, not a file"},
      {folder_ / "data.bin", 99999, "it is 1 MB; files over 1 MB are not read"},
  };
  for (const Case& c : cases) {
    bytes = {1, 2, 3};
    EXPECT_FALSE(ReadInputFile(c.path, &bytes, &reason, c.limit)) << c.path;
    EXPECT_EQ(reason, c.reason);
    EXPECT_TRUE(bytes.empty());
  }
#ifndef _WIN32
  // A pipe would block the read until someone writes into it.
  ASSERT_EQ(mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(ReadInputFile(folder_ / "pipe", &bytes, &reason));
  EXPECT_EQ(reason, "it is not a regular file (a pipe, a device or a socket)");
  // A file over 256 MB is refused by its size, without reading it: a sparse
  // one costs no disk.
  { std::ofstream sparse(folder_ / "huge.bin", std::ios::binary); }
  fs::resize_file(folder_ / "huge.bin", kMaxInputFileBytes + 1);
  EXPECT_FALSE(ReadInputFile(folder_ / "huge.bin", &bytes, &reason));
  EXPECT_EQ(reason, "it is 257 MB; files over 256 MB are not read");
#endif
}

TEST_F(FileIoTest, WritesWholeFilesOrLeavesTheOldOne) {
  const fs::path target = folder_ / "quiz.exe";
  // Another program's temporary of the old naming is never taken over.
  WriteTextFile(folder_ / "quiz.exe.part", "someone else's");
  std::string reason;
  ASSERT_TRUE(WriteOutputFile(target, "first", 5, &reason)) << reason;
  ASSERT_TRUE(WriteOutputFile(target, "second", 6, &reason)) << reason;
  const std::vector<uint8_t> second = {'s', 'e', 'c', 'o', 'n', 'd'};
  EXPECT_EQ(ReadBinaryFile(target), second);
  EXPECT_EQ(Names(), (std::vector<std::string>{"quiz.exe", "quiz.exe.part"}));
  EXPECT_EQ(ReadBinaryFile(folder_ / "quiz.exe.part").size(), 14u);

  fs::create_directories(folder_ / "folder.exe");
  struct Case {
    fs::path path;
    std::string reason;
  } cases[] = {
      {folder_ / "folder.exe", "it is a folder"},
      {folder_ / "missing" / "quiz.exe", "the folder " + PathText(folder_ / "missing") + " does not exist"},
      {folder_ / "quiz.exe" / "inner.exe", PathText(folder_ / "quiz.exe") + " is not a folder"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(WriteOutputFile(c.path, "x", 1, &reason));
    EXPECT_EQ(reason, c.reason);
  }
  EXPECT_EQ(ReadBinaryFile(target), second);
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder.exe", "quiz.exe", "quiz.exe.part"}));
}

#ifndef _WIN32
TEST_F(FileIoTest, AFailedWriteRemovesItsTemporary) {
  const fs::path target = folder_ / "quiz.toml";
  WriteTextFile(target, "old");
  // A file size limit of 4 KiB, in a child so the test keeps its own.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RemoveTemporaryOnInterrupt();  // ignores SIGXFSZ, as the tool does
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::vector<uint8_t> big(10000, 'x');
    std::string reason;
    const bool written = WriteOutputFile(target, big.data(), big.size(), &reason);
    _exit(!written && reason == "writing failed: File too large" ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadBinaryFile(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(Names(), std::vector<std::string>{"quiz.toml"});

  if (geteuid() != 0) {  // root writes into read-only folders
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    std::string reason;
    EXPECT_FALSE(WriteOutputFile(target, "new", 3, &reason));
    EXPECT_EQ(reason, "cannot create a file in " + PathText(folder_) + ": Permission denied");
    fs::permissions(folder_, fs::perms::owner_all);
  }
}

TEST_F(FileIoTest, AnInterruptionRemovesTheTemporaryBeingWritten) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const fs::path temporary = folder_ / "quiz.exe.123-1.part";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RemoveTemporaryOnInterrupt();
      WriteTextFile(temporary, "half");
      SetPendingTemporary(&temporary);
      raise(signal);
      _exit(0);  // not reached: the handler ends the process by the signal
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    EXPECT_FALSE(fs::exists(temporary)) << signal;
  }
}
#endif

TEST_F(FileIoTest, SameFileMeansSameIdentity) {
  WriteTextFile(folder_ / "q.toml", "x");
  fs::create_directories(folder_ / "sub");
  EXPECT_TRUE(IsSameFile(folder_ / "q.toml", folder_ / "sub" / ".." / "q.toml"));
  EXPECT_FALSE(IsSameFile(folder_ / "q.toml", folder_ / "q.exe"));  // the second does not exist
  EXPECT_FALSE(IsSameFile(folder_ / "q.exe", folder_ / "q.exe"));
#ifndef _WIN32
  fs::create_hard_link(folder_ / "q.toml", folder_ / "link.toml");
  EXPECT_TRUE(IsSameFile(folder_ / "q.toml", folder_ / "link.toml"));
#endif
}

}  // namespace
