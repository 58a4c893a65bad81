// trivo: the authoring tool. Commands build, unpack, check, judge, new and
// decode; exit code 0 when all went well, 1 for an invalid quiz or input,
// 2 for a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "media/png_decoder.h"
#include "tool/judge_text.h"
#include "tool/picture_check.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"
#include "tool/starter_quiz.h"

#ifdef _WIN32
#include <shellapi.h>
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitInvalid = 1;
constexpr int kExitUsage = 2;
constexpr size_t kProgressFromMediaCount = 5;

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  if (!in) {
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes through a temporary file renamed into place, so a failure never
// leaves half a file where a good one may have been.
bool WriteWholeFile(const fs::path& path, const void* data, size_t size) {
  fs::path temporary = path;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      return false;
    }
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}

fs::path OwnExecutable() {
#ifdef _WIN32
  wchar_t buffer[32768];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 32768);
  return length > 0 && length < 32768 ? fs::path(std::wstring(buffer, length)) : fs::path();
#else
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self;
#endif
}

// --player, else $TRIVO_PLAYER, else trivo-player.exe beside the tool.
std::string FindPlayerTemplate(const std::string& option) {
  if (!option.empty()) {
    return option;
  }
  if (const char* variable = std::getenv("TRIVO_PLAYER")) {
    if (*variable != '\0') {
      return variable;
    }
  }
  const fs::path self = OwnExecutable();
  return self.empty() ? std::string("trivo-player.exe") : (self.parent_path() / "trivo-player.exe").string();
}

void PrintDiagnostics(const std::vector<Diagnostic>& diagnostics) {
  for (const Diagnostic& diagnostic : diagnostics) {
    std::cerr << FormatDiagnostic(diagnostic) << "\n";
  }
}

bool Compile(const std::string& path, CompiledQuiz* quiz) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes)) {
    std::cerr << path << ": cannot read the file\n";
    return false;
  }
  std::vector<Diagnostic> diagnostics;
  const bool ok = CompileQuizSource(path, std::string(bytes.begin(), bytes.end()), quiz, &diagnostics);
  PrintDiagnostics(diagnostics);
  return ok;
}

int RunBuild(const std::string& source, std::string output, const std::string& playerOption) {
  CompiledQuiz quiz;
  if (!Compile(source, &quiz)) {
    return kExitInvalid;
  }
  const std::string playerPath = FindPlayerTemplate(playerOption);
  std::vector<uint8_t> player;
  if (!ReadWholeFile(playerPath, &player)) {
    std::cerr << playerPath << ": cannot read the player template (give it with --player or TRIVO_PLAYER)\n";
    return kExitInvalid;
  }
  if (output.empty()) {
    output = fs::path(source).replace_extension(".exe").string();
  }
  const bool showProgress = quiz.media.size() >= kProgressFromMediaCount;
  std::vector<uint8_t> executable;
  std::string message;
  const bool built = BuildQuizExecutable(player, quiz, &executable, &message,
                                         [showProgress](size_t index, size_t count, const std::string& path) {
                                           if (showProgress) {
                                             std::cerr << "[" << index << "/" << count << "] " << path
                                                       << "\n";
                                           }
                                         });
  if (!built) {
    std::cerr << playerPath << ": " << message << "\n";
    return kExitInvalid;
  }
  if (!WriteWholeFile(output, executable.data(), executable.size())) {
    std::cerr << output << ": cannot write the quiz executable\n";
    return kExitInvalid;
  }
  std::cout << output << ": " << quiz.quiz.questions.size() << " questions, " << quiz.media.size()
            << " media files, " << executable.size() << " bytes\n";
  return kExitOk;
}

int RunUnpack(const std::string& exePath, const std::string& directory, bool force) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(exePath, &bytes)) {
    std::cerr << exePath << ": cannot read the file\n";
    return kExitInvalid;
  }
  UnpackedQuiz unpacked;
  std::string message;
  if (!UnpackQuizExecutable(bytes, &unpacked, &message)) {
    std::cerr << exePath << ": " << message << "\n";
    return kExitInvalid;
  }
  const fs::path folder = fs::u8path(directory);
  const fs::path toml = folder / "quiz.toml";
  std::error_code error;
  if (!force && fs::exists(toml, error)) {
    std::cerr << toml.string() << ": already exists (use --force to replace it)\n";
    return kExitInvalid;
  }
  fs::create_directories(folder, error);
  for (const UnpackedMedia& media : unpacked.media) {
    const fs::path file = folder / MediaFileName(media);
    if (!WriteWholeFile(file, media.bytes.data(), media.bytes.size())) {
      std::cerr << file.string() << ": cannot write the file\n";
      return kExitInvalid;
    }
  }
  const std::string text = FormatQuizSource(unpacked);
  if (!WriteWholeFile(toml, text.data(), text.size())) {
    std::cerr << toml.string() << ": cannot write the file\n";
    return kExitInvalid;
  }
  std::cout << toml.string() << ": " << unpacked.quiz.quiz.questions.size() << " questions, "
            << unpacked.media.size() << " media files\n";
  return kExitOk;
}

int RunCheck(const std::string& source) {
  CompiledQuiz quiz;
  if (!Compile(source, &quiz)) {
    return kExitInvalid;
  }
  std::cout << source << ": " << quiz.quiz.questions.size() << " questions, " << quiz.media.size()
            << " media files: ok\n";
  return kExitOk;
}

int RunJudge(const std::string& expected, const std::string& typed) {
  std::string verdict;
  std::string error;
  if (!JudgeUtf8(expected, typed, &verdict, &error)) {
    std::cerr << error << "\n";
    return kExitInvalid;
  }
  std::cout << verdict << "\n";
  return kExitOk;
}

int RunNew(const std::string& directory) {
  const fs::path folder = fs::u8path(directory);
  const fs::path toml = folder / "quiz.toml";
  std::error_code error;
  if (fs::exists(toml, error)) {
    std::cerr << toml.string() << ": already exists; choose another folder\n";
    return kExitInvalid;
  }
  fs::create_directories(folder, error);
  const std::string text = StarterQuizSource();
  if (!WriteWholeFile(toml, text.data(), text.size())) {
    std::cerr << toml.string() << ": cannot write the file\n";
    return kExitInvalid;
  }
  std::cout << toml.string() << ": starter quiz written\n";
  return kExitOk;
}

int RunDecode(const std::string& picture, const std::string& output) {
  std::vector<uint8_t> png;
  if (!ReadWholeFile(picture, &png)) {
    std::cerr << picture << ": cannot read the file\n";
    return kExitInvalid;
  }
  std::vector<uint8_t> bmp;
  uint32_t errorCode = 0;
  if (!DecodePngToBmp(png, &bmp, &errorCode)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(errorCode));
    std::cerr << picture << ": the player's PNG decoder refuses this picture (error " << code << ", "
              << ToString(static_cast<PngError>(errorCode)) << ")\n";
    return kExitInvalid;
  }
  if (!WriteWholeFile(fs::u8path(output), bmp.data(), bmp.size())) {
    std::cerr << output << ": cannot write the file\n";
    return kExitInvalid;
  }
  return kExitOk;
}

int Run(int argc, char** argv) {
  CLI::App app{"trivo: makes self-contained quiz players from quiz sources"};
  app.require_subcommand(1);

  std::string source, output, player, exePath, directory, expected, typed, picture;
  bool force = false;

  CLI::App* build = app.add_subcommand("build", "Build a quiz player executable from a quiz source");
  build->add_option("QUIZ", source, "quiz source (TOML)")->required();
  build->add_option("-o,--output", output, "executable to write (default: QUIZ with .exe)");
  build->add_option("--player", player,
                    "player template (default: $TRIVO_PLAYER, else trivo-player.exe beside trivo)");

  CLI::App* unpack = app.add_subcommand("unpack", "Write back the source and media of a quiz executable");
  unpack->add_option("QUIZ", exePath, "quiz executable")->required();
  unpack->add_option("-o,--output", directory, "folder to write quiz.toml and the media into")->required();
  unpack->add_flag("--force", force, "replace an existing quiz.toml");

  CLI::App* check = app.add_subcommand("check", "Check a quiz source without building it");
  check->add_option("QUIZ", source, "quiz source (TOML)")->required();

  CLI::App* judge = app.add_subcommand("judge", "Print the verdict the player shows for a typed answer");
  judge->add_option("EXPECTED", expected, "expected answer")->required();
  judge->add_option("TYPED", typed, "typed answer")->required();

  CLI::App* create = app.add_subcommand("new", "Write a commented starter quiz into a folder");
  create->add_option("DIR", directory, "folder for quiz.toml")->required();

  CLI::App* decode = app.add_subcommand("decode", "Decode a PNG as the player does and save it as BMP");
  decode->add_option("PICTURE", picture, "PNG picture")->required();
  decode->add_option("-o,--output", output, "BMP file to write")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitOk : kExitUsage;
  }
  if (*build) {
    return RunBuild(source, output, player);
  }
  if (*unpack) {
    return RunUnpack(exePath, directory, force);
  }
  if (*check) {
    return RunCheck(source);
  }
  if (*judge) {
    return RunJudge(expected, typed);
  }
  if (*create) {
    return RunNew(directory);
  }
  return RunDecode(picture, output);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Arguments come in as UTF-8 whatever the console's code page.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> utf8;
  for (int i = 0; wide && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) {
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
    }
    utf8.push_back(text);
  }
  if (wide) {
    LocalFree(wide);
  }
  std::vector<char*> pointers;
  for (std::string& text : utf8) {
    pointers.push_back(text.data());
  }
  SetConsoleOutputCP(CP_UTF8);
  if (!pointers.empty()) {
    return Run(static_cast<int>(pointers.size()), pointers.data());
  }
#endif
  return Run(argc, argv);
}
