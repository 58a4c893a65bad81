// The authoring page's calls over the tool's own paths: CompileQuizSource for
// check, BuildQuizExecutable with the player template carried inside the
// module for build, UnpackQuizExecutable for unpack.
#include "web/core/web_author.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>

#include "content/quiz_colours.h"
#include "content/text_1252.h"
#include "play/play_rules.h"
#include "play/verdict_rules.h"
#include "tool/file_io.h"
#include "tool/judge_text.h"
#include "tool/picture_check.h"
#include "tool/picture_prepare.h"
#include "tool/player_preview.h"
#include "tool/png_error_text.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"
#include "web/core/web_draft.h"
#include "web/core/web_result.h"

namespace fs = std::filesystem;

namespace {

// The template is built into the module as a file of its file system
// (emscripten's --embed-file); TRIVO_WEB_PLAYER_TEMPLATE names it.
bool ReadPlayerTemplate(std::vector<uint8_t>* player, std::string* error) {
#ifdef TRIVO_WEB_PLAYER_TEMPLATE
  std::string reason;
  if (ReadInputFile(fs::u8path(TRIVO_WEB_PLAYER_TEMPLATE), player, &reason)) {
    return true;
  }
  *error = "the built-in player cannot be read: " + reason;
#else
  player->clear();
  *error =
      "this core was built without a player template; configure the web tree with "
      "-DTRIVO_PLAYER_TEMPLATE (the Windows tree's trivo-player.exe)";
#endif
  return false;
}

std::string DiagnosticsJson(const std::vector<Diagnostic>& diagnostics) {
  std::string out = "[";
  for (size_t i = 0; i < diagnostics.size(); ++i) {
    const Diagnostic& d = diagnostics[i];
    out += (i > 0 ? "," : "");
    out += "{\"line\":" + std::to_string(d.line) + ",\"error\":" + JsonBool(d.isError) +
           ",\"message\":" + JsonString(d.message) + "}";
  }
  return out + "]";
}

// The working folder set to the source's own for the time of a call, so the
// source is read by its file name and its media by the names it gives them,
// as `trivo check quiz.toml` run beside it reads them.
class SourceFolder {
 public:
  explicit SourceFolder(const fs::path& source) {
    std::error_code error;
    saved_ = fs::current_path(error);
    if (!error && source.has_parent_path()) {
      fs::current_path(source.parent_path(), error);
      entered_ = !error;
    }
  }
  ~SourceFolder() {
    std::error_code error;
    if (entered_) {
      fs::current_path(saved_, error);
    }
  }
  SourceFolder(const SourceFolder&) = delete;
  SourceFolder& operator=(const SourceFolder&) = delete;

 private:
  fs::path saved_;
  bool entered_ = false;
};

// What the pictures lately checked came to, by content: the page checks its
// draft a moment after each keystroke, and a picture that has not changed
// need not be decoded again.
PictureCache& CheckedPictures() {
  static PictureCache cache;
  return cache;
}

// The source compiled as the tool compiles it; a file that cannot be read
// is a diagnostic without a line.
bool CompileDraft(const char* path, CompiledQuiz* quiz, std::vector<Diagnostic>* diagnostics) {
  const fs::path source = fs::u8path(path != nullptr ? path : "");
  SourceFolder folder(source);
  const std::string name = PathText(source.filename());
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!ReadInputFile(source.filename(), &bytes, &reason)) {
    diagnostics->push_back({name, 0, true, "cannot read the file: " + reason});
    return false;
  }
  CompileOptions options;
  options.pictureCache = &CheckedPictures();
  return CompileQuizSource(name, std::string(bytes.begin(), bytes.end()), quiz, diagnostics, options);
}

std::vector<uint8_t> Bytes(const uint8_t* bytes, size_t size) {
  return bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

std::string Error(const std::string& message) {
  return "{\"ok\":false,\"error\":" + JsonString(message) + "}";
}

// The status field's kind and colour, from the player's rules; the
// authoring page has always called an unjudged field "empty".
const char* StatusKindName(const std::string& cp1252) {
  const VerdictKind kind = VerdictKindOf(cp1252.c_str());
  return kind == VerdictKind::Unjudged ? "empty" : VerdictKindName(kind);
}

std::string StatusColourJson(const std::string& cp1252) {
  uint32_t colour = 0;
  return VerdictColour(VerdictKindOf(cp1252.c_str()), &colour) ? JsonString(CssColour(colour)) : "null";
}

bool WriteDraftFile(const fs::path& path, const std::vector<uint8_t>& bytes, std::string* error) {
  std::string reason;
  if (!WriteOutputFile(path, bytes.data(), bytes.size(), &reason)) {
    *error = PathText(path) + ": cannot write the file: " + reason;
    return false;
  }
  return true;
}

// Where each key of a table stands in the source: {"key": {"type", "first",
// "last", "lines"}}. `lines` says the key and its value fill lines first..last
// alone, so the page can carry them over as written.
std::string KeyLayout(const toml::table& table) {
  std::string out = "{";
  for (auto&& [key, value] : table) {
    const bool tableOfItsOwn = (value.is_table() && !value.as_table()->is_inline()) ||
                               (value.is_array_of_tables() && value.as_array()->size() > 0 &&
                                !value.as_array()->front().as_table()->is_inline());
    const bool inlineParent = table.is_inline();
    out += (out.size() > 1 ? "," : "") + JsonString(std::string(key.str())) + ":{\"type\":" +
           JsonString(std::string(toml::impl::node_type_friendly_names[static_cast<size_t>(value.type())])) +
           ",\"first\":" + std::to_string(key.source().begin.line) +
           ",\"last\":" + std::to_string(value.source().end.line) +
           ",\"lines\":" + JsonBool(!tableOfItsOwn && !inlineParent) + "}";
  }
  return out + "}";
}

// The layout of the source's top-level keys and of each [[question]]'s. The
// source is the one QuizSourceToJson took, so it parses; characters beyond
// ASCII (only in texts and comments there) become 'x' so that the library
// reads them as it reads the checked text, line for line.
std::string SourceLayout(const std::string& source) {
  std::string ascii = source.compare(0, 3, "\xEF\xBB\xBF") == 0 ? source.substr(3) : source;
  for (char& c : ascii) {
    c = static_cast<unsigned char>(c) >= 0x80 ? 'x' : c;
  }
  const toml::table root = toml::parse(ascii);
  std::string questions = "[";
  const toml::array* list = root["question"].as_array();
  for (size_t i = 0; list != nullptr && list->is_array_of_tables() && i < list->size(); ++i) {
    questions += (i > 0 ? "," : "") + KeyLayout(*list->get(i)->as_table());
  }
  return "{\"keys\":" + KeyLayout(root) + ",\"questions\":" + questions + "]}";
}

}  // namespace

bool BuildDraft(const char* path, CompiledQuiz* quiz, std::vector<uint8_t>* executable,
                std::string* failure) {
  std::vector<Diagnostic> diagnostics;
  if (!CompileDraft(path, quiz, &diagnostics)) {
    *failure = "{\"ok\":false,\"diagnostics\":" + DiagnosticsJson(diagnostics) + "}";
    return false;
  }
  std::vector<uint8_t> player;
  std::string error;
  if (!ReadPlayerTemplate(&player, &error)) {
    *failure = Error(error);
    return false;
  }
  std::string message;
  if (!BuildQuizExecutable(player, *quiz, executable, &message)) {
    *failure = Error("the built-in player: " + message);
    return false;
  }
  return true;
}

extern "C" {

int WebCheckSource(const char* path) {
  return Guarded([&]() {
    CompiledQuiz quiz;
    std::vector<Diagnostic> diagnostics;
    const bool ok = CompileDraft(path, &quiz, &diagnostics);
    return FinishCall("{\"ok\":" + JsonBool(ok) +
                          ",\"questions\":" + std::to_string(quiz.quiz.questions.size()) +
                          ",\"media\":" + std::to_string(quiz.media.size()) +
                          ",\"diagnostics\":" + DiagnosticsJson(diagnostics) + "}",
                      ok ? 1 : 0);
  });
}

int WebBuildSource(const char* path) {
  return Guarded([&]() {
    CompiledQuiz quiz;
    std::vector<uint8_t> executable;
    std::string failure;
    if (!BuildDraft(path, &quiz, &executable, &failure)) {
      return FinishCall(failure, 0);
    }
    return FinishCall(std::string(executable.begin(), executable.end()), 1);
  });
}

int WebTomlToJson(const uint8_t* bytes, size_t size) {
  return Guarded([&]() {
    const std::vector<uint8_t> source = Bytes(bytes, size);
    std::string json;
    Diagnostic problem;
    if (!QuizSourceToJson(std::string(source.begin(), source.end()), &json, &problem)) {
      return FinishCall("{\"ok\":false,\"line\":" + std::to_string(problem.line) +
                            ",\"message\":" + JsonString(problem.message) + "}",
                        0);
    }
    const std::string layout = SourceLayout(std::string(source.begin(), source.end()));
    return FinishCall("{\"ok\":true,\"value\":" + json + ",\"layout\":" + layout + "}", 1);
  });
}

int WebUnpackToFolder(const uint8_t* bytes, size_t size, const char* folder) {
  return Guarded([&]() {
    UnpackedQuiz unpacked;
    std::string message;
    if (!UnpackQuizExecutable(Bytes(bytes, size), &unpacked, &message)) {
      return FinishCall(Error(message), 0);
    }
    const fs::path target = fs::u8path(folder != nullptr ? folder : "");
    std::error_code failure;
    fs::create_directories(target, failure);
    if (failure || !fs::is_directory(target)) {
      return FinishCall(Error(PathText(target) + ": cannot create the folder: " +
                              (failure ? failure.message() : std::string("a file has that name"))),
                        0);
    }
    std::string files = "[\"quiz.toml\"";
    std::string error;
    for (const UnpackedMedia& media : unpacked.media) {
      const std::string name = MediaFileName(media);
      if (!WriteDraftFile(target / name, media.bytes, &error)) {
        return FinishCall(Error(error), 0);
      }
      files += "," + JsonString(name);
    }
    const std::string toml = FormatQuizSource(unpacked);
    if (!WriteDraftFile(target / "quiz.toml", std::vector<uint8_t>(toml.begin(), toml.end()), &error)) {
      return FinishCall(Error(error), 0);
    }
    return FinishCall("{\"ok\":true,\"files\":" + files + "]}", 1);
  });
}

int WebPictureInfo(const uint8_t* bytes, size_t size) {
  return Guarded([&]() {
    const std::vector<uint8_t> picture = Bytes(bytes, size);
    const PictureFormat format = DetectPictureFormat(picture);
    uint32_t width = 0;
    uint32_t height = 0;
    bool transparent = false;
    std::string error;
    if (format == PictureFormat::Unknown) {
      error = "not a JPEG, GIF, BMP or PNG picture";
    } else if (format == PictureFormat::Png) {
      const PngCheck check =
          PreparePictures({&picture}, {false, 0, 0, 0, 0, &CheckedPictures()}).results[0].check;
      width = check.width;
      height = check.height;
      transparent = check.hasTransparency;
      if (!check.ok) {
        error = "a PNG the player cannot decode: " + PngErrorText(check.errorCode, picture);
      }
    } else if (!ReadPictureSize(picture, &width, &height)) {
      error = "a broken picture: its size cannot be read";
    }
    unsigned fittedWidth = 0;
    unsigned fittedHeight = 0;
    if (error.empty()) {
      FittedPictureSize(width, height, format == PictureFormat::Png, &fittedWidth, &fittedHeight);
    }
    std::string out =
        "{\"format\":" + JsonString(format == PictureFormat::Unknown ? "unknown" : PictureExtension(format)) +
        ",\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
        ",\"fittedWidth\":" + std::to_string(fittedWidth) +
        ",\"fittedHeight\":" + std::to_string(fittedHeight) + ",\"playerTakes\":" + JsonBool(error.empty()) +
        ",\"transparent\":" + JsonBool(transparent);
    if (!error.empty()) {
      out += ",\"error\":" + JsonString(error);
    }
    return FinishCall(out + "}", error.empty() ? 1 : 0);
  });
}

int WebVerdict(const char* expectedUtf8, const char* typedUtf8) {
  std::string verdict;
  std::string error;
  if (!JudgeUtf8(expectedUtf8 != nullptr ? expectedUtf8 : "", typedUtf8 != nullptr ? typedUtf8 : "", &verdict,
                 &error)) {
    return FinishCall(Error(error), 0);
  }
  const std::string status = Utf8To1252(verdict).bytes;
  return FinishCall("{\"ok\":true,\"verdict\":" + JsonString(verdict) + ",\"kind\":" +
                        JsonString(StatusKindName(status)) + ",\"colour\":" + StatusColourJson(status) + "}",
                    1);
}

int WebTomlQuote(const char* utf8) {
  return FinishCall(TomlQuote(utf8 != nullptr ? utf8 : ""), 1);
}

int WebLabelColour(int red, int green, int blue) {
  const Rgb background = {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
  return FinishCall(CssColour(LabelTextColour(background)), 1);
}
}
