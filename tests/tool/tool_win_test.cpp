// Quiz executables made from the real player, loaded by Windows' own
// loader: every resource the tool wrote is found with the right bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/tool/tool_test_support.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"

namespace {

struct LoadedModule {
  HMODULE module = nullptr;
  explicit LoadedModule(const std::string& path)
      : module(LoadLibraryExA(path.c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~LoadedModule() {
    if (module != nullptr) {
      FreeLibrary(module);
    }
  }
};

std::vector<uint8_t> ResourceBytes(HMODULE module, int id, const char* type) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) {
    return {};
  }
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(loaded));
  return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

TEST(ToolOnWindows, LoaderFindsEveryResourceOfABuiltQuiz) {
  const std::filesystem::path source =
      std::filesystem::path(TRIVO_SOURCE_DIR) / "examples" / "picture" / "quiz.toml";
  const std::vector<uint8_t> text = ReadBinaryFile(source);
  ASSERT_FALSE(text.empty()) << source.string();
  CompiledQuiz quiz;
  std::vector<Diagnostic> diagnostics;
  ASSERT_TRUE(CompileQuizSource(source.string(), std::string(text.begin(), text.end()), &quiz, &diagnostics));

  std::vector<uint8_t> exe;
  std::string message;
  ASSERT_TRUE(BuildQuizExecutable(ReadBinaryFile(TRIVO_PLAYER_FILE), quiz, &exe, &message)) << message;
  const std::filesystem::path folder = MakeTempFolder("win");
  const std::filesystem::path out = folder / "drapeaux.exe";
  WriteBinaryFile(out, exe);
  {
    LoadedModule loaded(out.string());
    ASSERT_NE(loaded.module, nullptr) << GetLastError();

    std::vector<uint8_t> coded;
    ASSERT_TRUE(EncodeText(FormatQuizText(quiz.quiz), &coded));
    EXPECT_EQ(ResourceBytes(loaded.module, 104, "PATCH"), coded);
    ASSERT_TRUE(EncodeText(FormatScoreCodes(quiz.scoreCodes), &coded));
    EXPECT_EQ(ResourceBytes(loaded.module, 105, "PATCH"), coded);
    ASSERT_EQ(quiz.media.size(), 12u);
    for (const MediaResource& media : quiz.media) {
      std::vector<uint8_t> expected = media.bytes;
      if (media.swapNibbles) {
        for (uint8_t& byte : expected) {
          byte = static_cast<uint8_t>(byte << 4 | byte >> 4);
        }
      }
      const char* type = media.rcData ? MAKEINTRESOURCEA(10) : "IMG";
      EXPECT_EQ(ResourceBytes(loaded.module, media.id, type), expected) << media.path;
    }
    // The player's own resources are still there.
    EXPECT_NE(FindResourceA(loaded.module, MAKEINTRESOURCEA(1001), MAKEINTRESOURCEA(5)), nullptr);
    EXPECT_NE(FindResourceA(loaded.module, MAKEINTRESOURCEA(1002), MAKEINTRESOURCEA(5)), nullptr);
  }
  // A full load (not as data) proves the section layout too.
  HMODULE image = LoadLibraryExA(out.string().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  EXPECT_NE(image, nullptr) << GetLastError();
  if (image != nullptr) {
    FreeLibrary(image);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
