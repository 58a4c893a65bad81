// Quiz executables made from the real player, loaded by Windows' own
// loader: every resource the tool wrote is found with the right bytes; and
// trivo.exe itself with names beyond ASCII on its command line.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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

struct ToolRun {
  DWORD code = 0;
  std::string output;  // stdout and stderr, as the tool wrote them (UTF-8)
};

// Runs trivo.exe with a UTF-16 command line, its output into a file.
ToolRun RunTool(const std::wstring& arguments, const std::filesystem::path& folder) {
  ToolRun run;
  const std::filesystem::path log = folder / "tool.log";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  const std::wstring tool = std::filesystem::path(TRIVO_TOOL_FILE).make_preferred().wstring();
  std::wstring commandLine = L"\"" + tool + L"\" " + arguments;
  if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ADD_FAILURE() << "cannot start trivo.exe: " << GetLastError();
    CloseHandle(output);
    return run;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &run.code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(output);
  std::ifstream in(log, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  run.output = text.str();
  return run;
}

std::wstring Quoted(const std::filesystem::path& path) {
  return L"\"" + std::filesystem::path(path).make_preferred().wstring() + L"\"";
}

TEST(ToolOnWindows, NamesBeyondAsciiOnTheCommandLineAndInTheSource) {
  const std::filesystem::path base = MakeTempFolder("wide");
  const std::filesystem::path folder = base / L"doss\u00E9";
  std::filesystem::create_directories(folder / "img");
  const std::vector<uint8_t> png = MakePng(6, 4);
  WriteBinaryFile(folder / "img" / L"soleil \u00E9t\u00E9.png", png);
  // Written on Windows: a backslash between folder and file.
  WriteTextFile(folder / "quiz.toml",
                "title = \"\xC3\x89t\xC3\xA9\"\nkind = \"picture\"\n[[question]]\nanswer = \"Soleil\"\n"
                "picture = 'img\\soleil \xC3\xA9t\xC3\xA9.png'\n");
  const std::wstring player = Quoted(TRIVO_PLAYER_FILE);

  const std::filesystem::path exe = folder / L"sortie \u00E9.exe";
  ToolRun build = RunTool(
      L"build " + Quoted(folder / "quiz.toml") + L" -o " + Quoted(exe) + L" --player " + player, base);
  EXPECT_EQ(build.code, 0u) << build.output;
  EXPECT_NE(build.output.find("sortie \xC3\xA9.exe: 1 question, 1 media file"), std::string::npos)
      << build.output;
  ASSERT_TRUE(std::filesystem::exists(exe));

  const std::filesystem::path unpacked = folder / L"d\u00E9ball\u00E9";
  ToolRun unpack = RunTool(L"unpack " + Quoted(exe) + L" -o " + Quoted(unpacked), base);
  EXPECT_EQ(unpack.code, 0u) << unpack.output;
  EXPECT_EQ(ReadBinaryFile(unpacked / "question01.png"), png);
  ToolRun check = RunTool(L"check " + Quoted(unpacked / "quiz.toml"), base);
  EXPECT_EQ(check.code, 0u) << check.output;

  // Messages name the files as they are spelt.
  WriteTextFile(folder / "absent.toml",
                "title = \"Q\"\nkind = \"picture\"\n[[question]]\nanswer = \"Soleil\"\n"
                "picture = \"img/ombre \xC3\xA9t\xC3\xA9.png\"\n");
  ToolRun missing = RunTool(L"check " + Quoted(folder / "absent.toml"), base);
  EXPECT_EQ(missing.code, 1u);
  EXPECT_NE(missing.output.find("doss\xC3\xA9\\img\\ombre \xC3\xA9t\xC3\xA9.png"), std::string::npos)
      << missing.output;
  ToolRun folderOutput = RunTool(
      L"build " + Quoted(folder / "quiz.toml") + L" -o " + Quoted(unpacked) + L" --player " + player, base);
  EXPECT_EQ(folderOutput.code, 1u);
  EXPECT_NE(folderOutput.output.find("d\xC3\xA9"
                                     "ball\xC3\xA9: cannot write the quiz executable: it is a folder"),
            std::string::npos)
      << folderOutput.output;
  std::filesystem::remove_all(base);
}

}  // namespace
