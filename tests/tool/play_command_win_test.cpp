// `trivo.exe play` on Windows starts the quiz executable and returns.
#include <gtest/gtest.h>

#include <sstream>

#include "tool/play_command.h"

namespace {

TEST(PlayOnWindows, StartsTheExecutableOrSaysItIsMissing) {
  std::ostringstream out, err;
  // A program that ends at once stands in for a quiz.
  EXPECT_EQ(PlayQuizExecutable("C:\\windows\\system32\\hostname.exe", out, err), 0) << err.str();
  EXPECT_EQ(PlayQuizExecutable("C:\\nowhere\\quiz.exe", out, err), 1);
  EXPECT_NE(err.str().find("no such quiz executable"), std::string::npos) << err.str();
  EXPECT_EQ(PlayQuizExecutable("C:\\windows", out, err), 1);  // a folder is no executable
}

}  // namespace
