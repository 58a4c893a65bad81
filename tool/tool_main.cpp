// trivo: the authoring tool. Commands build, scorm, unpack, check, judge, new,
// decode and play; exit code 0 when all went well, 1 for an invalid quiz or input,
// 2 for a wrong command line.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "content/sha256.h"
#include "media/png_decoder.h"
#include "tool/command_suggest.h"
#include "tool/embedded_player.h"
#include "tool/file_io.h"
#include "tool/judge_text.h"
#include "tool/picture_check.h"
#include "tool/play_command.h"
#include "tool/png_error_text.h"
#include "tool/quiz_build.h"
#include "tool/quiz_page.h"
#include "tool/quiz_page_command.h"
#include "tool/quiz_source.h"
#include "tool/scorm_package.h"
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

// "1 question", "2 questions".
std::string Count(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Reads an input named on the command line; says why when it cannot.
bool ReadCommandLineFile(const std::string& path, std::vector<uint8_t>* bytes, const char* what) {
  std::string reason;
  if (!ReadInputFile(fs::u8path(path), bytes, &reason)) {
    std::cerr << path << ": cannot read " << what << ": " << reason << "\n";
    return false;
  }
  return true;
}

// Writes an output (through a temporary, so a failure never leaves half a
// file where a good one may have been); says why when it cannot.
bool WriteCommandLineFile(const fs::path& path, const void* data, size_t size, const char* what) {
  std::string reason;
  if (!WriteOutputFile(path, data, size, &reason)) {
    std::cerr << PathText(path) << ": cannot write " << what << ": " << reason << "\n";
    return false;
  }
  return true;
}

// Refuses an output that is one of the inputs, whatever its spelling.
bool RefuseOverwritingInput(const fs::path& output, const fs::path& input, const std::string& inputName) {
  if (!IsSameFile(output, input)) {
    return false;
  }
  std::cerr << PathText(output) << ": the output would replace " << inputName
            << "; choose another output with -o\n";
  return true;
}

// Creates the output folder (and its parents); says why when it cannot.
bool CreateOutputFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder)) {
    std::cerr << PathText(folder) << ": cannot create the folder: "
              << (error ? error.message() : std::string("a file has that name")) << "\n";
    return false;
  }
  return true;
}

// --player, else $TRIVO_PLAYER; empty when neither names a template.
std::string PlayerTemplatePath(const std::string& option) {
  if (!option.empty()) {
    return option;
  }
#ifdef _WIN32
  const wchar_t* variable = _wgetenv(L"TRIVO_PLAYER");
  return variable && *variable != L'\0' ? PathText(fs::path(variable)) : std::string();
#else
  const char* variable = std::getenv("TRIVO_PLAYER");
  return variable ? variable : "";
#endif
}

// The template at `path`, else the one built into this trivo.
bool LoadPlayerTemplate(const std::string& path, std::vector<uint8_t>* player) {
  if (!path.empty()) {
    return ReadCommandLineFile(path, player, "the player template (give it with --player or TRIVO_PLAYER)");
  }
  const EmbeddedPlayer embedded = EmbeddedPlayerTemplate();
  if (embedded.size == 0) {
    std::cerr << "this trivo was built without a player template; give one with --player PATH or "
                 "TRIVO_PLAYER (the Windows tree's trivo-player.exe), or build trivo with "
                 "-DTRIVO_PLAYER_TEMPLATE\n";
    return false;
  }
  player->assign(embedded.data, embedded.data + embedded.size);
  return true;
}

std::string VersionText() {
  std::string text = std::string("trivo ") + TRIVO_VERSION + "\n";
  const EmbeddedPlayer embedded = EmbeddedPlayerTemplate();
  if (embedded.size == 0) {
    return text + "built-in player: none (give one with --player or TRIVO_PLAYER)";
  }
  return text + "built-in player: " + std::to_string(embedded.size) + " bytes, SHA-256 " +
         Sha256Hex(embedded.data, embedded.size);
}

// "trivo biuld": no such command; says so and names the closest one.
bool IsUnknownCommand(CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    return false;
  }
  const std::string typed = argv[1];
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands({})) {
    names.push_back(command->get_name());
    if (command->get_name() == typed) {
      return false;
    }
  }
  std::cerr << "trivo: '" << typed << "' is not a trivo command";
  const std::string closest = ClosestCommand(typed, names);
  if (!closest.empty()) {
    std::cerr << "; did you mean '" << closest << "'?";
  }
  std::cerr << "\nThe commands are:";
  for (const std::string& name : names) {
    std::cerr << " " << name;
  }
  std::cerr << " (trivo --help tells more)\n";
  return true;
}

void PrintDiagnostics(const std::vector<Diagnostic>& diagnostics) {
  for (const Diagnostic& diagnostic : diagnostics) {
    std::cerr << FormatDiagnostic(diagnostic) << "\n";
  }
}

bool Compile(const std::string& path, CompiledQuiz* quiz, const CompileOptions& options = CompileOptions()) {
  std::vector<uint8_t> bytes;
  if (!ReadCommandLineFile(path, &bytes, "the file")) {
    return false;
  }
  std::vector<Diagnostic> diagnostics;
  const bool ok =
      CompileQuizSource(path, std::string(bytes.begin(), bytes.end()), quiz, &diagnostics, options);
  PrintDiagnostics(diagnostics);
  return ok;
}

// A learning platform's package of a quiz executable. The one-file page comes
// from `pagePath` when given.
struct ScormRequest {
  std::string version;  // "1.2" or "2004"; empty: no package
  int passScore = -1;   // -1: the source's, else the default
  std::string pagePath;
};

bool ReadQuizPage(const std::vector<uint8_t>& executable, const std::string& pagePath, std::string* html) {
  if (pagePath.empty()) {
    const std::string pageTemplate = EmbeddedQuizPageTemplate();
    std::string reason;
    if (pageTemplate.empty()) {
      std::cerr << "this trivo was built without the web page template, which a SCORM package needs: "
                   "build the web tree (scripts/test-web.sh) and trivo with -DTRIVO_HTML_TEMPLATE, "
                   "or give a page with --page PATH\n";
      return false;
    }
    if (!MakeQuizPage(executable, pageTemplate, html, &reason)) {
      std::cerr << "cannot make the quiz page: " << reason << "\n";
      return false;
    }
    return true;
  }
  std::vector<uint8_t> bytes;
  if (!ReadCommandLineFile(pagePath, &bytes, "the quiz page")) {
    return false;
  }
  html->assign(bytes.begin(), bytes.end());
  return true;
}

int WriteScormPackage(const ScormRequest& request, const std::vector<uint8_t>& executable,
                      const CompiledQuiz& quiz, const fs::path& output) {
  ScormVersion version;
  if (!ParseScormVersion(request.version, &version)) {
    std::cerr << "trivo: the SCORM version is 1.2 or 2004 (not '" << request.version << "')\n";
    return kExitUsage;
  }
  std::string page;
  if (!ReadQuizPage(executable, request.pagePath, &page)) {
    return kExitInvalid;
  }
  const ScormQuiz scorm = ScormQuizOf(quiz, request.passScore);
  std::vector<uint8_t> zip;
  if (const ZipError error = MakeScormPackage(version, scorm, page, &zip); error != ZipError::None) {
    std::cerr << PathText(output) << ": " << ToString(error) << "\n";
    return kExitInvalid;
  }
  if (!WriteCommandLineFile(output, zip.data(), zip.size(), "the SCORM package")) {
    return kExitInvalid;
  }
  std::cout << PathText(output) << ": SCORM " << request.version << " package, pass mark " << scorm.passScore
            << " % (" << PassQuestions(scorm) << " of " << scorm.questionCount << " questions), "
            << zip.size() << " bytes\n";
  return kExitOk;
}

// Reads a quiz executable named on the command line and what it carries;
// false once the reason is printed.
bool ReadQuizExecutable(const std::string& exePath, std::vector<uint8_t>* bytes, UnpackedQuiz* unpacked) {
  if (!ReadCommandLineFile(exePath, bytes, "the file")) {
    return false;
  }
  std::string message;
  if (!UnpackQuizExecutable(*bytes, unpacked, &message)) {
    std::cerr << exePath << ": " << message << "\n";
    return false;
  }
  return true;
}

int RunScorm(const ScormRequest& request, const std::string& exePath, const std::string& output) {
  std::vector<uint8_t> bytes;
  UnpackedQuiz unpacked;
  if (!ReadQuizExecutable(exePath, &bytes, &unpacked)) {
    return kExitInvalid;
  }
  if (RefuseOverwritingInput(fs::u8path(output), fs::u8path(exePath), "the quiz executable")) {
    return kExitInvalid;
  }
  return WriteScormPackage(request, bytes, unpacked.quiz, fs::u8path(output));
}

// Where `build` writes when no -o is given: the source's name with the
// extension of what it writes.
std::string DefaultBuildOutput(const std::string& source, bool html, const ScormRequest& scorm) {
  return PathText(fs::u8path(source).replace_extension(html                    ? ".html"
                                                       : scorm.version.empty() ? ".exe"
                                                                               : ".zip"));
}

// Refuses a build output that would replace the source, the player template
// or one of the media files.
bool RefuseOverwritingBuildInputs(const fs::path& output, const std::string& source, bool defaultOutput,
                                  const std::string& playerPath, const CompiledQuiz& quiz) {
  if (RefuseOverwritingInput(output, fs::u8path(source),
                             defaultOutput ? "the quiz source (named .exe, as the quiz executable would be)"
                                           : "the quiz source") ||
      (!playerPath.empty() &&
       RefuseOverwritingInput(output, fs::u8path(playerPath), "the player template"))) {
    return true;
  }
  for (const MediaResource& media : quiz.media) {
    if (RefuseOverwritingInput(output, fs::u8path(media.path), "the media file " + media.path)) {
      return true;
    }
  }
  return false;
}

// Says why the build's output cannot be written, before the build.
bool CanWriteBuildOutput(const std::string& output) {
  const std::string problem = OutputProblem(fs::u8path(output));
  if (!problem.empty()) {
    std::cerr << output << ": cannot write the quiz executable: " << problem << "\n";
    return false;
  }
  return true;
}

// Builds the quiz executable, naming each media file as it goes when there
// are enough of them to wait for.
bool BuildWithProgress(const std::vector<uint8_t>& player, const std::string& playerPath,
                       const CompiledQuiz& quiz, bool keepPictures, std::vector<uint8_t>* executable) {
  const bool showProgress = quiz.media.size() >= kProgressFromMediaCount;
  std::string message;
  const bool built = BuildQuizExecutable(
      player, quiz, executable, &message,
      [showProgress](size_t index, size_t count, const std::string& path) {
        if (showProgress) {
          std::cerr << "[" << index << "/" << count << "] " << path << "\n";
        }
      },
      keepPictures);
  if (!built) {
    std::cerr << (playerPath.empty() ? std::string("the built-in player") : playerPath) << ": " << message
              << "\n";
  }
  return built;
}

int WriteQuizExecutable(const std::string& output, const CompiledQuiz& quiz,
                        const std::vector<uint8_t>& executable) {
  if (!WriteCommandLineFile(fs::u8path(output), executable.data(), executable.size(),
                            "the quiz executable")) {
    return kExitInvalid;
  }
  std::cout << output << ": " << Count(quiz.quiz.questions.size(), "question", "questions") << ", "
            << Count(quiz.media.size(), "media file", "media files") << ", " << executable.size()
            << " bytes\n";
  return kExitOk;
}

int RunBuild(const std::string& source, std::string output, const std::string& playerOption,
             bool keepPictures, bool html, const ScormRequest& scorm) {
  CompiledQuiz quiz;
  CompileOptions options;
  options.fitPictures = !keepPictures;
  if (!Compile(source, &quiz, options)) {
    return kExitInvalid;
  }
  const std::string playerPath = PlayerTemplatePath(playerOption);
  const bool defaultOutput = output.empty();
  if (defaultOutput) {
    output = DefaultBuildOutput(source, html, scorm);
  }
  std::vector<uint8_t> player;
  std::vector<uint8_t> executable;
  if (RefuseOverwritingBuildInputs(fs::u8path(output), source, defaultOutput, playerPath, quiz) ||
      !CanWriteBuildOutput(output) || !LoadPlayerTemplate(playerPath, &player) ||
      !BuildWithProgress(player, playerPath, quiz, keepPictures, &executable)) {
    return kExitInvalid;
  }
  if (!scorm.version.empty()) {
    return WriteScormPackage(scorm, executable, quiz, fs::u8path(output));
  }
  if (html) {
    return WriteQuizPage(executable, output, std::cerr) ? kExitOk : kExitInvalid;
  }
  return WriteQuizExecutable(output, quiz, executable);
}

// The files `unpack` writes: the media, then quiz.toml last.
std::vector<fs::path> UnpackOutputs(const fs::path& folder, const UnpackedQuiz& unpacked) {
  std::vector<fs::path> outputs;
  for (const UnpackedMedia& media : unpacked.media) {
    outputs.push_back(folder / MediaFileName(media));
  }
  outputs.push_back(folder / "quiz.toml");
  return outputs;
}

// Every file is checked before any is written, so a refusal leaves the
// folder as it was: none may be the executable or unwritable, and existing
// ones are replaced only with --force.
bool CheckUnpackOutputs(const std::vector<fs::path>& outputs, const std::string& exePath, bool force) {
  std::vector<fs::path> existing;
  for (const fs::path& file : outputs) {
    if (RefuseOverwritingInput(file, fs::u8path(exePath), "the quiz executable being unpacked")) {
      return false;
    }
    const std::string problem = TargetProblem(file);
    if (!problem.empty()) {
      std::cerr << PathText(file) << ": cannot write the file: " << problem << "\n";
      return false;
    }
    std::error_code error;
    if (fs::exists(file, error)) {
      existing.push_back(file);
    }
  }
  if (!force && !existing.empty()) {
    std::cerr << PathText(existing.front()) << ": already exists"
              << (existing.size() > 1 ? ", with " + Count(existing.size() - 1, "other file", "other files") +
                                            " the quiz would replace (use --force to replace them)"
                                      : std::string(" (use --force to replace it)"))
              << "\n";
    return false;
  }
  return true;
}

bool WriteUnpackedFiles(const std::vector<fs::path>& outputs, const UnpackedQuiz& unpacked) {
  for (size_t i = 0; i < unpacked.media.size(); ++i) {
    const UnpackedMedia& media = unpacked.media[i];
    if (!WriteCommandLineFile(outputs[i], media.bytes.data(), media.bytes.size(), "the file")) {
      return false;
    }
  }
  const std::string text = FormatQuizSource(unpacked);
  return WriteCommandLineFile(outputs.back(), text.data(), text.size(), "the file");
}

int RunUnpack(const std::string& exePath, const std::string& directory, bool force) {
  std::vector<uint8_t> bytes;
  UnpackedQuiz unpacked;
  if (!ReadQuizExecutable(exePath, &bytes, &unpacked)) {
    return kExitInvalid;
  }
  const fs::path folder = fs::u8path(directory);
  const std::vector<fs::path> outputs = UnpackOutputs(folder, unpacked);
  if (!CheckUnpackOutputs(outputs, exePath, force) || !CreateOutputFolder(folder) ||
      !WriteUnpackedFiles(outputs, unpacked)) {
    return kExitInvalid;
  }
  std::cout << PathText(outputs.back()) << ": "
            << Count(unpacked.quiz.quiz.questions.size(), "question", "questions") << ", "
            << Count(unpacked.media.size(), "media file", "media files") << "\n";
  return kExitOk;
}

int RunCheck(const std::string& source) {
  CompiledQuiz quiz;
  if (!Compile(source, &quiz)) {
    return kExitInvalid;
  }
  std::cout << source << ": " << Count(quiz.quiz.questions.size(), "question", "questions") << ", "
            << Count(quiz.media.size(), "media file", "media files") << ": ok\n";
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
  if (fs::exists(toml, error) || fs::is_symlink(toml, error)) {
    std::cerr << PathText(toml) << ": already exists; choose another folder\n";
    return kExitInvalid;
  }
  if (!CreateOutputFolder(folder)) {
    return kExitInvalid;
  }
  const std::string text = StarterQuizSource();
  if (!WriteCommandLineFile(toml, text.data(), text.size(), "the file")) {
    return kExitInvalid;
  }
  std::cout << PathText(toml) << ": starter quiz written\n";
  return kExitOk;
}

int RunDecode(const std::string& picture, const std::string& output) {
  std::vector<uint8_t> png;
  if (!ReadCommandLineFile(picture, &png, "the file")) {
    return kExitInvalid;
  }
  if (RefuseOverwritingInput(fs::u8path(output), fs::u8path(picture), "the picture")) {
    return kExitInvalid;
  }
  std::vector<uint8_t> bmp;
  uint32_t errorCode = 0;
  if (!DecodePngToBmp(png, &bmp, &errorCode)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(errorCode));
    std::cerr << picture << ": the player's PNG decoder refuses this picture (error " << code
              << "): " << PngErrorText(errorCode, png) << "\n";
    return kExitInvalid;
  }
  if (!WriteCommandLineFile(fs::u8path(output), bmp.data(), bmp.size(), "the file")) {
    return kExitInvalid;
  }
  return kExitOk;
}

// The values the command line fills in, and which subcommand it named.
struct CommandLine {
  std::string source, output, player, exePath, directory, expected, typed, picture;
  bool force = false;
  bool keepPictures = false;
  bool html = false;
  ScormRequest scormRequest;
  CLI::App* build = nullptr;
  CLI::App* page = nullptr;
  CLI::App* unpack = nullptr;
  CLI::App* check = nullptr;
  CLI::App* judge = nullptr;
  CLI::App* create = nullptr;
  CLI::App* decode = nullptr;
  CLI::App* play = nullptr;
  CLI::App* scorm = nullptr;
};

// The subcommands that turn a quiz source into something to hand out.
void AddBuildCommands(CLI::App* app, CommandLine* line) {
  CLI::App* build = app->add_subcommand("build", "Build a quiz player executable from a quiz source");
  build->add_option("QUIZ", line->source, "quiz source (TOML)")->required();
  build->add_option("-o,--output", line->output, "executable to write (default: QUIZ with .exe)");
  build->add_option("--player", line->player,
                    "player template (default: $TRIVO_PLAYER, else the player built into trivo)");
  build->add_flag("--keep-pictures", line->keepPictures,
                  "store pictures as given instead of fitted to the player's 260 x 260 box");
  build->add_option("--scorm", line->scormRequest.version,
                    "write a SCORM package (1.2 or 2004) for learning platforms instead of the executable");
  build->add_option("--page", line->scormRequest.pagePath, "with --scorm: the quiz page to package");
  build->add_flag("--html", line->html,
                  "write the quiz's one-file web page instead (default: QUIZ with .html)");
  line->build = build;
  CLI::App* page = app->add_subcommand("html", "Write the one-file web page of a quiz executable");
  page->add_option("QUIZ", line->exePath, "quiz executable")->required();
  page->add_option("-o,--output", line->output, "page to write (default: QUIZ with .html)");
  line->page = page;
}

// The subcommands that read, check, start or play a quiz.
void AddQuizCommands(CLI::App* app, CommandLine* line) {
  CLI::App* unpack = app->add_subcommand("unpack", "Write back the source and media of a quiz executable");
  unpack->add_option("QUIZ", line->exePath, "quiz executable")->required();
  unpack->add_option("-o,--output", line->directory, "folder to write quiz.toml and the media into")
      ->required();
  unpack->add_flag("--force", line->force, "replace an existing quiz.toml");
  line->unpack = unpack;

  line->check = app->add_subcommand("check", "Check a quiz source without building it");
  line->check->add_option("QUIZ", line->source, "quiz source (TOML)")->required();

  line->judge = app->add_subcommand("judge", "Print the verdict the player shows for a typed answer");
  line->judge->add_option("EXPECTED", line->expected, "expected answer")->required();
  line->judge->add_option("TYPED", line->typed, "typed answer")->required();

  line->create = app->add_subcommand("new", "Write a commented starter quiz into a folder");
  line->create->add_option("DIR", line->directory, "folder for quiz.toml")->required();

  line->decode = app->add_subcommand("decode", "Decode a PNG as the player does and save it as BMP");
  line->decode->add_option("PICTURE", line->picture, "PNG picture")->required();
  line->decode->add_option("-o,--output", line->output, "BMP file to write")->required();

  line->play = app->add_subcommand("play", "Play a quiz executable (under Wine on Linux)");
  line->play->add_option("QUIZ", line->exePath, "quiz executable")->required();
}

void AddScormCommand(CLI::App* app, CommandLine* line) {
  CLI::App* scorm = app->add_subcommand("scorm", "Package a quiz executable for learning platforms (SCORM)");
  scorm->add_option("VERSION", line->scormRequest.version, "1.2 or 2004")->required();
  scorm->add_option("QUIZ", line->exePath, "quiz executable")->required();
  scorm->add_option("-o,--output", line->output, "package to write (.zip)")->required();
  scorm->add_option("--pass-score", line->scormRequest.passScore, "pass mark in percent of the questions")
      ->check(CLI::Range(0, 100))
      ->default_str(std::to_string(kDefaultPassScore));
  scorm->add_option("--page", line->scormRequest.pagePath, "the quiz page to package");
  line->scorm = scorm;
}

int RunCommand(const CommandLine& line) {
  if (*line.build) {
    return RunBuild(line.source, line.output, line.player, line.keepPictures, line.html, line.scormRequest);
  }
  if (*line.scorm) {
    return RunScorm(line.scormRequest, line.exePath, line.output);
  }
  if (*line.page) {
    return RunHtml(line.exePath, line.output, std::cout, std::cerr);
  }
  if (*line.unpack) {
    return RunUnpack(line.exePath, line.directory, line.force);
  }
  if (*line.check) {
    return RunCheck(line.source);
  }
  if (*line.judge) {
    return RunJudge(line.expected, line.typed);
  }
  if (*line.create) {
    return RunNew(line.directory);
  }
  if (*line.play) {
    return PlayQuizExecutable(line.exePath, std::cout, std::cerr);
  }
  return RunDecode(line.picture, line.output);
}

int Run(int argc, char** argv) {
  CLI::App app{"trivo: makes self-contained quiz players from quiz sources"};
  app.require_subcommand(1);
  CommandLine line;
  AddBuildCommands(&app, &line);
  AddQuizCommands(&app, &line);
  AddScormCommand(&app, &line);

  // The checksum of the built-in player is worked out only when asked for:
  // it took longer than the rest of a start-up.
  app.set_version_flag(
      "--version", [] { return VersionText(); },
      "Print the version and the built-in player's size and checksum");

  if (IsUnknownCommand(app, argc, argv)) {
    return kExitUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return RunCommand(line);
}

// Arguments come in as UTF-8 whatever the console's code page: on Windows
// they are taken from the UTF-16 command line.
int RunWithUtf8Arguments(int argc, char** argv) {
#ifdef _WIN32
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

}  // namespace

int main(int argc, char** argv) {
  RemoveTemporaryOnInterrupt();
  // Whatever goes wrong, the author gets a message and exit code 1, never an
  // abort.
  try {
    return RunWithUtf8Arguments(argc, argv);
  } catch (const std::bad_alloc&) {
    std::cerr << "trivo: out of memory\n";
  } catch (const std::exception& error) {
    std::cerr << "trivo: " << error.what() << "\n";
  } catch (...) {
    std::cerr << "trivo: unexpected failure\n";
  }
  return kExitInvalid;
}
