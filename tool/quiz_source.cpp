// Quiz sources. A source is a TOML file (UTF-8):
//
//   title = "Capitales"          kind = "text" | "picture" | "audio" | "video"
//   answers_per_question = 1     reveal = "none" | "picture" | "comment" |
//   background = "#5A5F96"                "comment-and-picture" | "all-comments"
//   codes = ["un", "deux"]       (one per score from 1 to the question count)
//   [[question]]
//   text = "..."  answer = "..."  answer2 = "..."  comment = "..."
//   picture = "q1.jpg" | clip = "q1.mp3"  answer_picture = "a1.png"
//
// Every problem is reported with the line of the key (or table) it concerns.
// Checks follow what the player can hold: texts go into 259-character
// Windows-1252 buffers and the grammar's fields end at '|', the link and the
// footer share a 70-byte coded block, and pictures must be ones the player
// can show. Warnings point at what the player would do that the author may
// not expect.
#include "tool/quiz_source.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

// toml++ asserts on some malformed table headers ("[" then a line end)
// that its parser goes on to report as ordinary errors; keep the errors and
// drop the aborts.
#define TOML_ASSERT(expr) static_cast<void>(0)
#include <toml++/toml.h>

#include "content/block_decoder.h"
#include "content/quiz_colours.h"
#include "content/quiz_document.h"
#include "content/text_1252.h"
#include "media/clip_format.h"
#include "resources/resource_ids.h"
#include "tool/file_io.h"
#include "tool/picture_check.h"
#include "tool/picture_prepare.h"
#include "tool/player_preview.h"
#include "tool/png_error_text.h"
#include "tool/toml_prescan.h"

namespace {

constexpr size_t kStoredBlockBytes = 70;

// Named in the order of MediaKind and RevealMode.
const char* const kKinds[] = {"text", "picture", "audio", "video"};
const char* const kReveals[] = {"none", "picture", "comment", "comment-and-picture", "all-comments"};
const std::set<std::string> kTopKeys = {"title",
                                        "creator",
                                        "explanation",
                                        "answer_label1",
                                        "answer_label2",
                                        "kind",
                                        "answers_per_question",
                                        "reveal",
                                        "background",
                                        "link",
                                        "footer",
                                        "codes",
                                        "pass_score",
                                        "question"};
const std::set<std::string> kQuestionKeys = {"text",    "answer", "answer2",       "comment",
                                             "picture", "clip",   "answer_picture"};

// A picture read, with where it was named; PNG pixels are checked once
// every picture is read, so that each distinct file is decoded once.
struct ReadPicture {
  size_t media = 0;  // in CompiledQuiz::media
  bool png = false;
  int line = 0;
  std::string what;
  size_t diagnosticAt = 0;  // where its findings go among the diagnostics
};

struct Checker {
  std::string path;
  std::filesystem::path folder;
  std::vector<Diagnostic>* diagnostics;
  bool failed = false;
  std::vector<ReadPicture> pictures;
  const std::vector<MediaResource>* readMedia = nullptr;  // the quiz's media
  std::map<std::string, size_t> mediaOfPath;              // pictures read, by path

  void Error(int line, const std::string& message) {
    diagnostics->push_back({path, line, true, message});
    failed = true;
  }
  void Warn(int line, const std::string& message) { diagnostics->push_back({path, line, false, message}); }

  static int LineOf(const toml::node* node) { return node ? static_cast<int>(node->source().begin.line) : 1; }

  // A string value, or "" when absent; an error when of another type.
  bool GetString(const toml::table& table, const char* key, int tableLine, std::string* value, int* line) {
    const toml::node* node = table.get(key);
    *line = node ? LineOf(node) : tableLine;
    value->clear();
    if (!node) {
      return false;
    }
    if (!node->is_string()) {
      Error(*line, std::string("'") + key + "' must be a text in quotes");
      return false;
    }
    *value = *node->value<std::string>();
    return true;
  }

  // Converts a text field to Windows-1252 and checks what the player's
  // buffers and grammar allow.
  std::string Text(const std::string& utf8, const std::string& what, int line, size_t capacity,
                   bool fieldDelimited) {
    for (char c : utf8) {
      if (c == '\r' || c == '\n') {
        Error(line, what + " holds a line break; the player keeps every text on one line");
        return std::string();
      }
      if (fieldDelimited && c == '|') {
        Error(line, what + " holds '|', which the quiz uses to separate its fields");
        return std::string();
      }
      if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
        Error(line,
              what + " holds the control character " + DescribeCodePoint(static_cast<unsigned char>(c)));
        return std::string();
      }
    }
    // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
    for (size_t i = 0; i + 1 < utf8.size(); ++i) {
      const unsigned char next = static_cast<unsigned char>(utf8[i + 1]);
      if (static_cast<unsigned char>(utf8[i]) == 0xC2 && next >= 0x80 && next < 0xA0) {
        Error(line, what + " holds the control character " + DescribeCodePoint(next));
        return std::string();
      }
    }
    const Utf8To1252Result converted = Utf8To1252(utf8);
    if (!converted.ok) {
      Error(line, what + " holds the character " + DescribeCodePoint(converted.badCodePoint) +
                      ", which Windows-1252 cannot hold");
      return std::string();
    }
    if (converted.bytes.size() > capacity) {
      Error(line, what + " is " + std::to_string(converted.bytes.size()) +
                      " characters long; the player holds " + std::to_string(capacity));
      return std::string();
    }
    return converted.bytes;
  }

  bool ReadFile(const std::string& relative, int line, const std::string& what, MediaResource* media) {
    // Sources written on Windows separate folders with backslashes; they
    // are separators here too.
    std::string portable = relative;
    std::replace(portable.begin(), portable.end(), '\\', '/');
    std::filesystem::path file = std::filesystem::u8path(portable);
    if (file.is_relative()) {
      file = folder / file;
    }
    file.make_preferred();
    media->path = PathText(file);
    // A file named by several questions is read once.
    const auto earlier = mediaOfPath.find(media->path);
    if (earlier != mediaOfPath.end()) {
      media->bytes = (*readMedia)[earlier->second].bytes;
      return true;
    }
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
      Error(line, what + " file not found: " + media->path);
      return false;
    }
    std::string reason;
    if (!ReadInputFile(file, &media->bytes, &reason)) {
      Error(line, what + " file cannot be read: " + media->path + ": " + reason);
      return false;
    }
    if (media->bytes.empty()) {
      Error(line, what + " file is empty: " + media->path);
      return false;
    }
    return true;
  }

  void Picture(const std::string& relative, int line, const std::string& what, uint16_t id, bool swap,
               CompiledQuiz* quiz) {
    MediaResource media;
    media.id = id;
    if (!ReadFile(relative, line, what, &media)) {
      return;
    }
    const PictureFormat format = DetectPictureFormat(media.bytes);
    uint32_t width = 0;
    uint32_t height = 0;
    if (format == PictureFormat::Unknown) {
      Error(line, what + " " + media.path + " is not a JPEG, GIF, BMP or PNG picture");
      return;
    }
    if (format == PictureFormat::Png) {
      media.rcData = true;
    } else {
      media.swapNibbles = swap;
      if (!ReadPictureSize(media.bytes, &width, &height)) {
        Error(line, what + " " + media.path + " is a broken picture: its size cannot be read");
        return;
      }
    }
    pictures.push_back({quiz->media.size(), format == PictureFormat::Png, line, what, diagnostics->size()});
    mediaOfPath.emplace(media.path, quiz->media.size());
    quiz->media.push_back(std::move(media));
  }

  // The findings on a PNG, as the player's decoder sees it; `checked` are
  // the bytes it ran over (the fitted picture when one is stored).
  Diagnostic PngFinding(const ReadPicture& picture, const std::string& file, const PngCheck& check,
                        const std::vector<uint8_t>& checked) {
    if (!check.ok) {
      failed = true;
      return {path, picture.line, true,
              picture.what + " " + file +
                  " is a PNG the player cannot decode: " + PngErrorText(check.errorCode, checked)};
    }
    return {path, picture.line, false,
            picture.what + " " + file +
                " has transparent areas: build lays them over the quiz's background colour (with "
                "--keep-pictures the player drops transparency and shows the colour stored underneath)"};
  }

  // Checks the PNGs read and, for a build, fits every picture.
  void PreparePictures(const CompileOptions& options, CompiledQuiz* quiz) {
    std::vector<const std::vector<uint8_t>*> bytes;
    std::vector<const ReadPicture*> worked;
    const bool fit = options.fitPictures && !failed;
    for (const ReadPicture& picture : pictures) {
      if (fit || picture.png) {
        // A file several questions name is given as its first reading, so
        // that it is known as the same without comparing its bytes.
        bytes.push_back(&quiz->media[mediaOfPath.at(quiz->media[picture.media].path)].bytes);
        worked.push_back(&picture);
      }
    }
    const PreparedPictures prepared = ::PreparePictures(
        bytes, {fit, quiz->quiz.red, quiz->quiz.green, quiz->quiz.blue, 0, options.pictureCache});
    std::vector<size_t> refused;
    // Last first, so that the earlier positions still hold.
    for (size_t i = worked.size(); i-- > 0;) {
      const ReadPicture& picture = *worked[i];
      const PreparedPicture& result = prepared.results[prepared.resultOf[i]];
      MediaResource& media = quiz->media[picture.media];
      if (fit) {
        media.prepared = true;
        if (result.fit == PictureFitResult::Fitted) {
          media.fitted = result.stored;
        }
      }
      if (picture.png && (!result.check.ok || result.check.hasTransparency)) {
        diagnostics->insert(diagnostics->begin() + static_cast<std::ptrdiff_t>(picture.diagnosticAt),
                            PngFinding(picture, media.path, result.check,
                                       result.fit == PictureFitResult::Fitted ? result.stored : media.bytes));
        if (!result.check.ok) {
          refused.push_back(picture.media);
        }
      }
    }
    // A refused picture goes no further (`refused` runs from the last).
    for (size_t index : refused) {
      quiz->media.erase(quiz->media.begin() + static_cast<std::ptrdiff_t>(index));
    }
  }

  void Clip(const std::string& relative, int line, uint16_t id, CompiledQuiz* quiz) {
    MediaResource media;
    media.id = id;
    if (!ReadFile(relative, line, "clip", &media)) {
      return;
    }
    if (std::string(ClipExtension(media.bytes.data(), media.bytes.size())) == "XXX") {
      Warn(line,
           "clip " + media.path +
               " is not recognised from its first bytes (MP3 with an ID3 tag, WMV, AVI, WAV or MPEG); the "
               "player writes it with the extension XXX and may not play it");
    }
    quiz->media.push_back(std::move(media));
  }

  // `written` is the source's text, `answer` what Text() made of it: empty
  // also when Text() refused it, which it has said already.
  void Answer(const std::string& written, const std::string& answer, const std::string& what, int line) {
    if (answer.empty()) {
      if (written.empty()) {
        Error(line, what + " is empty; an empty answer can never be right");
      }
      return;
    }
    if (answer.front() == ' ' || answer.back() == ' ') {
      Warn(line,
           what + " starts or ends with a space; the player trims typed answers, so it can never be matched");
    }
    if (answer.size() <= 3) {
      Warn(line, what + " has 3 characters or fewer; the player gives no hints for such answers");
    }
  }
};

// What a file given as a quiz source is when it is plainly no TOML, or null.
const char* OtherFormat(const std::string& bytes) {
  if (bytes.size() >= 64 && bytes.compare(0, 2, "MZ") == 0 && bytes.find('\0') < 64) {
    return "this is a Windows executable, not a quiz source (TOML); trivo unpack writes out the source "
           "of a quiz executable";
  }
  const bool littleEndianBom = bytes.compare(0, 2, "\xFF\xFE") == 0;
  const bool bigEndianBom = bytes.compare(0, 2, "\xFE\xFF") == 0;
  // UTF-16 without a mark still shows a zero byte beside every ASCII one.
  const bool zeroBeside =
      bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0') && bytes.find('\0') < 2;
  if (littleEndianBom || bigEndianBom || zeroBeside) {
    return "the file is saved as UTF-16 (what Notepad calls \"Unicode\"); save it as UTF-8";
  }
  return nullptr;
}

template <size_t N>
int IndexOf(const char* const (&names)[N], const std::string& value) {
  for (size_t i = 0; i < N; ++i) {
    if (value == names[i]) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Reads the source into a TOML table, after refusing what is plainly no
// UTF-8 TOML or would run the library out of stack; `tomlText` is the source
// without its byte order mark. False with an error in `check`.
bool ParseSource(Checker& check, const std::string& source, std::string* tomlText, toml::table* root) {
  const char* const otherFormat = OtherFormat(source);
  if (otherFormat != nullptr) {
    check.Error(1, otherFormat);
    return false;
  }
  // Some editors start UTF-8 with a byte order mark; TOML has no use for it.
  const bool bom = source.compare(0, 3, "\xEF\xBB\xBF") == 0;
  *tomlText = bom ? source.substr(3) : source;
  const std::string& text = *tomlText;

  // TOML allows no control character but tab and line ends, and only
  // UTF-8; refusing both here keeps such bytes away from the parser.
  int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++line;
    } else if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) {
      check.Error(line, "the file holds the control character " + DescribeCodePoint(c) +
                            ", which TOML does not allow");
      return false;
    }
  }
  line = 1;
  for (size_t pos = 0; pos < text.size();) {
    uint32_t codePoint = 0;
    if (!NextUtf8CodePoint(text, &pos, &codePoint)) {
      check.Error(line, "the file is not valid UTF-8 (save it as UTF-8)");
      return false;
    }
    line += codePoint == '\n' ? 1 : 0;
  }
  std::string asciiText;
  const int outside = MakeAsciiToml(text, &asciiText);
  if (outside > 0) {
    check.Error(outside,
                "a character beyond ASCII stands outside quotes and comments; TOML allows it only in texts");
    return false;
  }
  const int deep = DeepestNestingLine(text);
  if (deep > 0) {
    check.Error(deep, "keys and tables nest more than " + std::to_string(kMaxTomlDepth) +
                          " levels deep here; a quiz source needs two ([[question]] and its keys)");
    return false;
  }
  try {
    *root = toml::parse(asciiText, check.path);
  } catch (const toml::parse_error& error) {
    check.Error(std::max(1, static_cast<int>(error.source().begin.line)), std::string(error.description()));
    return false;
  }
  return true;
}

// pass_score: the pass mark of a learning platform's package, in percent of
// the questions.
void ReadPassScore(Checker& check, const toml::table& root, CompiledQuiz* quiz) {
  const toml::node* node = root.get("pass_score");
  if (node == nullptr) {
    return;
  }
  const std::optional<int64_t> value = node->value_exact<int64_t>();
  if (!value || *value < 0 || *value > 100) {
    check.Error(Checker::LineOf(node),
                "pass_score must be a whole number of percent from 0 to 100 (for example pass_score = 80)");
    return;
  }
  quiz->passScore = static_cast<int>(*value);
}

}  // namespace

std::string FormatDiagnostic(const Diagnostic& diagnostic) {
  return diagnostic.file + ":" + std::to_string(diagnostic.line) + ": " +
         (diagnostic.isError ? "" : "warning: ") + diagnostic.message;
}

bool EncodeText(const std::string& plain, std::vector<uint8_t>* coded) {
  uint8_t* output = nullptr;
  uint32_t length = 0;
  const int32_t status = EncodeBlock(reinterpret_cast<const uint8_t*>(plain.data()),
                                     static_cast<uint32_t>(plain.size()), &output, &length);
  if (status != BlockOk || output == nullptr || length == 0) {
    if (output != nullptr) {
      FreeBlock(output);
    }
    return false;
  }
  coded->assign(output, output + (length - 1));
  FreeBlock(output);
  return true;
}

bool DecodeText(const uint8_t* coded, size_t size, std::string* plain) {
  uint8_t* output = nullptr;
  uint32_t length = 0;
  if (size > 0xFFFFFFFFu) {
    return false;
  }
  const int32_t status = DecodeBlock(coded, static_cast<uint32_t>(size), &output, &length);
  const bool ok = status == BlockOk && output != nullptr && length >= 2;
  if (ok) {
    plain->assign(reinterpret_cast<const char*>(output), length - 2);
  }
  if (output != nullptr) {
    FreeBlock(output);
  }
  return ok;
}

bool QuizSourceToJson(const std::string& source, std::string* json, Diagnostic* problem) {
  std::vector<Diagnostic> diagnostics;
  Checker check;
  check.diagnostics = &diagnostics;
  std::string tomlText;
  toml::table root;
  if (!ParseSource(check, source, &tomlText, &root)) {
    *problem = diagnostics.empty() ? Diagnostic() : diagnostics.front();
    return false;
  }
  std::ostringstream out;
  out << toml::json_formatter(root, toml::json_formatter::default_flags & ~toml::format_flags::indentation);
  *json = out.str();
  return true;
}

namespace {

// What the questions' checks need from the quiz's header. A refused kind,
// answer count or reveal stays unknown (-1, 0, -1): the checks that depend
// on it are skipped rather than run against a default the author never wrote.
struct QuizHeader {
  int kind = -1;  // a MediaKind
  int answers = 1;
  int answersLine = 1;
  int reveal = RevealNone;
  int revealLine = 1;
  int linkLine = 1;
};

void CheckTopKeys(Checker& check, const toml::table& root) {
  for (auto&& [key, value] : root) {
    if (kTopKeys.count(std::string(key.str())) == 0) {
      check.Error(Checker::LineOf(&value), "unknown key '" + std::string(key.str()) + "'");
    }
  }
}

void ReadHeaderTexts(Checker& check, const toml::table& root, QuizText* quiz) {
  const struct {
    const char* key;
    std::string* target;
    bool required;
  } fields[] = {
      {"title", &quiz->title, true},
      {"creator", &quiz->creator, false},
      {"explanation", &quiz->explanation, false},
      {"answer_label1", &quiz->answerLabel1, false},
      {"answer_label2", &quiz->answerLabel2, false},
  };
  std::string text;
  int line = 1;
  for (const auto& field : fields) {
    if (check.GetString(root, field.key, 1, &text, &line)) {
      *field.target = check.Text(text, field.key, line, kMaxTextLength, true);
    } else if (field.required && !root.get(field.key)) {
      check.Error(1, std::string("'") + field.key + "' is missing");
    }
  }
}

// A MediaKind, or -1 when missing or refused.
int ReadKind(Checker& check, const toml::table& root) {
  std::string text;
  int line = 1;
  if (check.GetString(root, "kind", 1, &text, &line)) {
    const int kind = IndexOf(kKinds, text);
    if (kind < 0) {
      check.Error(line, "kind must be one of text, picture, audio, video (not '" + text + "')");
    }
    return kind;
  }
  if (!root.get("kind")) {
    check.Error(1, "'kind' is missing (text, picture, audio or video)");
  }
  return -1;
}

// 1 or 2 (1 when missing), or 0 when refused.
int ReadAnswerCount(Checker& check, const toml::table& root, int* line) {
  const toml::node* node = root.get("answers_per_question");
  if (!node) {
    return 1;
  }
  *line = Checker::LineOf(node);
  const std::optional<int64_t> value = node->value_exact<int64_t>();
  if (node->is_string()) {
    check.Error(*line, "answers_per_question must be the number 1 or 2, not the text \"" +
                           *node->value<std::string>() + "\" (write it without quotes)");
  } else if (!value) {
    check.Error(*line, "answers_per_question must be the number 1 or 2");
  } else if (*value != 1 && *value != 2) {
    check.Error(*line, "answers_per_question must be 1 or 2 (not " + std::to_string(*value) + ")");
  } else {
    return static_cast<int>(*value);
  }
  return 0;
}

// A RevealMode (RevealNone when missing), or -1 when refused.
int ReadReveal(Checker& check, const toml::table& root, int* line) {
  std::string text;
  if (check.GetString(root, "reveal", 1, &text, line)) {
    const int reveal = IndexOf(kReveals, text);
    if (reveal < 0) {
      check.Error(*line,
                  "reveal must be one of none, picture, comment, comment-and-picture, all-comments (not '" +
                      text + "')");
    }
    return reveal;
  }
  return root.get("reveal") ? -1 : RevealNone;
}

void ReadBackground(Checker& check, const toml::table& root, QuizText* quiz) {
  // The document's own background until the author chooses one.
  quiz->red = kDefaultBackground.red;
  quiz->green = kDefaultBackground.green;
  quiz->blue = kDefaultBackground.blue;
  std::string text;
  int line = 1;
  if (!check.GetString(root, "background", 1, &text, &line)) {
    return;
  }
  bool valid = text.size() == 7 && text[0] == '#';
  for (size_t i = 1; valid && i < 7; ++i) {
    valid = HexDigit(text[i]) >= 0;
  }
  if (!valid) {
    check.Error(line, "background must be a colour written #RRGGBB (not '" + text + "')");
    return;
  }
  quiz->red = static_cast<uint8_t>(HexDigit(text[1]) * 16 + HexDigit(text[2]));
  quiz->green = static_cast<uint8_t>(HexDigit(text[3]) * 16 + HexDigit(text[4]));
  quiz->blue = static_cast<uint8_t>(HexDigit(text[5]) * 16 + HexDigit(text[6]));
}

// The link and the footer; returns the link's line.
int ReadStoredBlock(Checker& check, const toml::table& root, StoredBlockText* block) {
  std::string text;
  int linkLine = 1;
  if (check.GetString(root, "link", 1, &text, &linkLine)) {
    block->linkText = check.Text(text, "link", linkLine, kMaxLinkLength, true);
  }
  int footerLine = 1;
  if (check.GetString(root, "footer", 1, &text, &footerLine)) {
    block->footerText = check.Text(text, "footer", footerLine, kMaxFooterLength, true);
  }
  return linkLine;
}

QuizHeader CheckHeader(Checker& check, const toml::table& root, CompiledQuiz* quiz) {
  CheckTopKeys(check, root);
  ReadHeaderTexts(check, root, &quiz->quiz);
  QuizHeader header;
  header.kind = ReadKind(check, root);
  // The grammar's media byte counts the kinds from 1.
  quiz->quiz.mediaByte = static_cast<uint8_t>(header.kind < 0 ? MediaText + 1 : header.kind + 1);
  quiz->quiz.leadByte = kQuizLeadByte;
  header.answers = ReadAnswerCount(check, root, &header.answersLine);
  quiz->quiz.answersPerQuestion = static_cast<uint8_t>(header.answers == 0 ? 1 : header.answers);
  header.reveal = ReadReveal(check, root, &header.revealLine);
  quiz->quiz.revealMode = static_cast<uint8_t>(header.reveal < 0 ? RevealNone : header.reveal);
  ReadBackground(check, root, &quiz->quiz);
  header.linkLine = ReadStoredBlock(check, root, &quiz->storedBlock);
  ReadPassScore(check, root, quiz);
  return header;
}

// One [[question]] table, numbered from 1.
struct QuestionSource {
  const toml::table& table;
  int line;
  int number;
  std::string label;  // "question 3"
};

void CheckQuestionKeys(Checker& check, const QuestionSource& question) {
  for (auto&& [key, value] : question.table) {
    if (kQuestionKeys.count(std::string(key.str())) == 0) {
      check.Error(Checker::LineOf(&value), question.label + ": unknown key '" + std::string(key.str()) + "'");
    }
  }
}

// answer2, which only a quiz of two answers per question asks for.
std::string ReadSecondAnswer(Checker& check, const QuestionSource& question, int answers) {
  std::string text;
  int line = 1;
  const bool given = check.GetString(question.table, "answer2", question.line, &text, &line);
  if (given && answers == 1) {
    check.Error(line, question.label + ": 'answer2' given, but the quiz has one answer per question");
    return std::string();
  }
  if (given) {
    std::string answer = check.Text(text, question.label + " answer2", line, kMaxTextLength, true);
    if (answers == 2) {
      check.Answer(text, answer, question.label + " answer2", line);
    }
    return answer;
  }
  if (answers == 2 && !question.table.get("answer2")) {
    check.Error(question.line,
                question.label + ": 'answer2' is missing (the quiz has two answers per question)");
  }
  return std::string();
}

QuestionText ReadQuestionTexts(Checker& check, const QuestionSource& question, const QuizHeader& header) {
  const toml::table& table = question.table;
  const std::string& label = question.label;
  QuestionText texts;
  std::string text;
  int line = 1;
  if (check.GetString(table, "text", question.line, &text, &line)) {
    texts.questionText = check.Text(text, label + " text", line, kMaxTextLength, true);
  }
  if (check.GetString(table, "answer", question.line, &text, &line)) {
    texts.answer1 = check.Text(text, label + " answer", line, kMaxTextLength, true);
    check.Answer(text, texts.answer1, label + " answer", line);
  } else if (!table.get("answer")) {
    check.Error(question.line, label + ": 'answer' is missing");
  }
  texts.answer2 = ReadSecondAnswer(check, question, header.answers);
  if (check.GetString(table, "comment", question.line, &text, &line)) {
    texts.comment = check.Text(text, label + " comment", line, kMaxTextLength, true);
    if (header.reveal == RevealNone || header.reveal == RevealPicture) {
      check.Warn(line,
                 label + ": the comment is never shown with reveal = \"" + kReveals[header.reveal] + "\"");
    }
  }
  return texts;
}

// The question's picture or clip and its answer picture, under the
// resource ids the player looks them up by.
void ReadQuestionMedia(Checker& check, const QuestionSource& question, const QuizHeader& header,
                       CompiledQuiz* quiz) {
  const toml::table& table = question.table;
  const std::string& label = question.label;
  const uint16_t mediaId = static_cast<uint16_t>(QUESTION_MEDIA_BASE + question.number);
  const uint16_t answerId = static_cast<uint16_t>(ANSWER_PICTURE_BASE + question.number);
  const bool kindKnown = header.kind >= 0;
  const bool pictureQuiz = header.kind == MediaPicture;
  const bool clipQuiz = header.kind == MediaAudio || header.kind == MediaVideo;
  std::string file;
  int line = 1;
  if (check.GetString(table, "picture", question.line, &file, &line)) {
    if (kindKnown && !pictureQuiz) {
      check.Error(line, label + ": only a picture quiz shows pictures");
    } else {
      check.Picture(file, line, label + " picture", mediaId, false, quiz);
    }
  } else if (pictureQuiz) {
    check.Warn(question.line, label + ": no picture; the player shows an empty frame");
  }
  if (check.GetString(table, "clip", question.line, &file, &line)) {
    if (kindKnown && !clipQuiz) {
      check.Error(line, label + ": only an audio or video quiz plays clips");
    } else {
      check.Clip(file, line, mediaId, quiz);
    }
  } else if (clipQuiz) {
    check.Warn(question.line, label + ": no clip; its play button does nothing");
  }
  if (!check.GetString(table, "answer_picture", question.line, &file, &line)) {
    return;
  }
  if (kindKnown && !pictureQuiz) {
    check.Error(line, label + ": only a picture quiz shows answer pictures");
    return;
  }
  if (header.reveal >= 0 && header.reveal != RevealPicture && header.reveal != RevealCommentAndPicture) {
    check.Warn(line, label + ": the answer picture is never shown with reveal = \"" +
                         std::string(kReveals[header.reveal]) + "\"");
  }
  check.Picture(file, line, label + " answer picture", answerId, true, quiz);
}

// The [[question]] tables, or null (said) when the source holds none.
const toml::array* QuestionTables(Checker& check, const toml::table& root) {
  const toml::node* node = root.get("question");
  const toml::array* questions = node ? node->as_array() : nullptr;
  if (node && (!questions || !questions->is_array_of_tables())) {
    check.Error(Checker::LineOf(node), "questions are written as [[question]] tables");
    return nullptr;
  }
  if (!node || questions->empty()) {
    check.Error(node ? Checker::LineOf(node) : 1, "the quiz has no [[question]]");
  }
  return questions;
}

void ReadQuestions(Checker& check, const toml::table& root, const QuizHeader& header, CompiledQuiz* quiz) {
  const toml::array* questions = QuestionTables(check, root);
  if (!questions) {
    return;
  }
  int number = 0;
  for (const toml::node& node : *questions) {
    ++number;
    const QuestionSource question{*node.as_table(), Checker::LineOf(&node), number,
                                  "question " + std::to_string(number)};
    if (number > kMaxQuizQuestions) {
      check.Error(question.line, question.label + ": a quiz holds at most " +
                                     std::to_string(kMaxQuizQuestions) + " questions");
      break;
    }
    CheckQuestionKeys(check, question);
    QuestionText texts = ReadQuestionTexts(check, question, header);
    ReadQuestionMedia(check, question, header, quiz);
    quiz->quiz.questions.push_back(std::move(texts));
  }
}

// Warnings on what a text quiz has no room for.
void WarnAboutTextQuiz(Checker& check, const QuizHeader& header) {
  if (header.kind != MediaText) {
    return;
  }
  if (header.answers == 2) {
    check.Warn(header.answersLine,
               "a text quiz shows one answer field per question; the second answers are never asked");
  }
  if (header.reveal >= RevealComment) {
    check.Warn(header.revealLine, "a text quiz has no room for comments; they are never shown");
  }
}

// Score codes: one per score from 1 to the number of questions, or none.
void ReadCodes(Checker& check, const toml::table& root, CompiledQuiz* quiz) {
  const size_t count = quiz->quiz.questions.size();
  const toml::node* node = root.get("codes");
  if (!node) {
    quiz->scoreCodes.assign(count, std::string());
    return;
  }
  const toml::array* codes = node->as_array();
  const int codesLine = Checker::LineOf(node);
  if (!codes) {
    check.Error(codesLine, "codes must be a list of texts, one per score from 1 to the number of questions");
    return;
  }
  int index = 0;
  for (const toml::node& code : *codes) {
    ++index;
    if (!code.is_string()) {
      check.Error(Checker::LineOf(&code), "code " + std::to_string(index) + " must be a text in quotes");
      continue;
    }
    quiz->scoreCodes.push_back(check.Text(*code.value<std::string>(),
                                          "code for score " + std::to_string(index), Checker::LineOf(&code),
                                          kMaxTextLength, false));
  }
  if (codes->size() != count && count > 0) {
    check.Error(codesLine, "codes holds " + std::to_string(codes->size()) + " codes for " +
                               std::to_string(count) + " questions; give one per score from 1 to " +
                               std::to_string(count));
  }
}

// The coded sizes, which only the block coder can tell.
void CheckCodedSizes(Checker& check, int linkLine, const CompiledQuiz& quiz) {
  std::vector<uint8_t> coded;
  if (!EncodeText(FormatStoredBlock(quiz.storedBlock), &coded)) {
    check.Error(linkLine, "the link and the footer cannot be encoded");
  } else if (coded.size() > kStoredBlockBytes) {
    check.Error(linkLine, "the link and the footer take " + std::to_string(coded.size()) +
                              " bytes once encoded; the player keeps them in " +
                              std::to_string(kStoredBlockBytes) + ": shorten them");
  }
  const std::string quizText = FormatQuizText(quiz.quiz);
  if (quizText.size() > kMaxPlainBlock || !EncodeText(quizText, &coded) || coded.size() > kMaxCodedBlock) {
    check.Error(1, "the questions take too much room once encoded; shorten the texts or split the quiz");
  }
  const std::string codesText = FormatScoreCodes(quiz.scoreCodes);
  if (codesText.size() > kMaxPlainBlock || !EncodeText(codesText, &coded) || coded.size() > kMaxCodedBlock) {
    check.Error(1, "the score codes take too much room once encoded; shorten them");
  }
}

}  // namespace

bool CompileQuizSource(const std::string& path, const std::string& source, CompiledQuiz* quiz,
                       std::vector<Diagnostic>* diagnostics, const CompileOptions& options) {
  *quiz = CompiledQuiz();
  Checker check;
  check.path = path;
  check.folder = std::filesystem::u8path(path).parent_path();
  check.diagnostics = diagnostics;
  check.readMedia = &quiz->media;

  std::string tomlText;
  toml::table root;
  if (!ParseSource(check, source, &tomlText, &root)) {
    return false;
  }
  const QuizHeader header = CheckHeader(check, root, quiz);
  ReadQuestions(check, root, header, quiz);
  check.PreparePictures(options, quiz);
  WarnAboutTextQuiz(check, header);
  ReadCodes(check, root, quiz);
  if (check.failed) {
    return false;
  }
  CheckCodedSizes(check, header.linkLine, *quiz);
  if (!check.failed) {
    PreviewQuiz(path, tomlText, *quiz, diagnostics);
  }
  return !check.failed;
}
