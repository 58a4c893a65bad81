// The command-line helpers: the closest command to a mistyped one, the
// checksum `--version` prints, and where `trivo play` keeps Wine.
#include <gtest/gtest.h>

#include <string>

#include "content/sha256.h"
#include "tool/command_suggest.h"
#include "tool/play_command.h"

namespace {

TEST(CommandSuggestTest, NamesTheCommandOneSlipAway) {
  const std::vector<std::string> commands = {"build", "unpack", "check", "judge", "new", "decode", "play"};
  EXPECT_EQ(ClosestCommand("biuld", commands), "build");  // two letters swapped
  EXPECT_EQ(ClosestCommand("buid", commands), "build");
  EXPECT_EQ(ClosestCommand("CHECK", commands), "check");
  EXPECT_EQ(ClosestCommand("unpak", commands), "unpack");
  EXPECT_EQ(ClosestCommand("frobnicate", commands), "");
  EXPECT_EQ(ClosestCommand("x", commands), "");
}

TEST(Sha256Test, MatchesTheStandardVectors) {
  const auto hex = [](const std::string& text) {
    return Sha256Hex(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };
  EXPECT_EQ(hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first padded block.
  EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(PlayCommandTest, KeepsWineInTheUsersCacheFolder) {
  EXPECT_EQ(PlayWinePrefix("/home/ana/.cache-x", "/home/ana"), "/home/ana/.cache-x/trivo/wine");
  EXPECT_EQ(PlayWinePrefix(nullptr, "/home/ana"), "/home/ana/.cache/trivo/wine");
  EXPECT_EQ(PlayWinePrefix("relative", "/home/ana"), "/home/ana/.cache/trivo/wine");  // ignored, as XDG says
  EXPECT_EQ(PlayWinePrefix(nullptr, nullptr), "");
  EXPECT_NE(WineMissingMessage().find("apt-get install wine"), std::string::npos);
}

}  // namespace
