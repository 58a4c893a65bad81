// The player's layout and rules are fixed; this is where an author learns
// what they mean. The figures are the player's own:
//  - controls and their fonts at the default window size (544 x 375 under
//    Wine): link label 115 x 18 (link font), footer 150 x 15 of which 145
//    lie inside the window (DEFAULT_GUI_FONT), title (w - 350) x 18 (title
//    font) and explanation (w - 324) x 28 (DEFAULT_GUI_FONT) with w the
//    header strip's client width, author 105 x 18, answer labels 95 x 20,
//    comments 260 x 65 (all DEFAULT_GUI_FONT), a text quiz's question box
//    550 x 20 with a border, one centred line (pane font). Widths come from
//    tool/player_font_widths.cpp, measured under Wine.
//  - the verdict rules fold only a to z, and typed answers come from a
//    keyboard: no accented capitals, typographic quotes or ligatures.
//  - the picture control keeps the question picture's fitted size when the
//    answer picture replaces it.
//  - labels and comments are black when the background's red or green is
//    above 69, else white; below a 4.5:1 contrast they are hard to read.
// Source lines are found by a light scan of the text (keys and
// [[question]] headers); a key the scan misses gets its table's line.
#include "tool/player_preview.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "content/quiz_colours.h"
#include "content/text_1252.h"
#include "media/picture_rules.h"
#include "play/verdict_rules.h"
#include "tool/picture_check.h"
#include "tool/player_fonts.h"

namespace {

constexpr unsigned kLargePictureSide = 3 * kPictureBox;
constexpr size_t kLargePictureBytes = 1024 * 1024;
constexpr double kMinContrast = 4.5;

// Lines of top-level keys and of each question's keys.
struct SourceLines {
  std::map<std::string, int> top;
  std::vector<int> questionLine;
  std::vector<std::map<std::string, int>> question;

  int Top(const std::string& key) const {
    auto found = top.find(key);
    return found == top.end() ? 1 : found->second;
  }
  int Question(size_t index, const std::string& key) const {
    if (index >= question.size()) {
      return 1;
    }
    auto found = question[index].find(key);
    return found == question[index].end() ? questionLine[index] : found->second;
  }
};

SourceLines ScanLines(const std::string& text) {
  SourceLines lines;
  bool inOtherTable = false;
  int number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    ++number;
    std::string line = text.substr(start, end - start);
    const size_t first = line.find_first_not_of(" \t");
    line = first == std::string::npos ? std::string() : line.substr(first);
    if (line.rfind("[[question]]", 0) == 0) {
      lines.questionLine.push_back(number);
      lines.question.emplace_back();
      inOtherTable = false;
    } else if (!line.empty() && line[0] == '[') {
      inOtherTable = true;
    } else {
      size_t key = 0;
      while (key < line.size() && (std::isalnum(static_cast<unsigned char>(line[key])) || line[key] == '_')) {
        ++key;
      }
      const size_t equals = line.find_first_not_of(" \t", key);
      if (key > 0 && equals != std::string::npos && line[equals] == '=' && !inOtherTable) {
        auto& table = lines.question.empty() ? lines.top : lines.question.back();
        table.emplace(line.substr(0, key), number);
      }
    }
    start = end + 1;
  }
  return lines;
}

const char* FontName(PlayerFont font) {
  switch (font) {
    case kLinkFont:
      return "link font";
    case kTitleFont:
      return "title font";
    case kPaneFont:
      return "question font";
    case kDialogFont:
      return "dialog font";
    default:
      return "default GUI font";
  }
}

std::string Show(const std::string& cp1252) {
  return "'" + Cp1252ToUtf8(cp1252) + "'";
}

struct Preview {
  std::string path;
  std::vector<Diagnostic>* diagnostics;

  void Warn(int line, const std::string& message) { diagnostics->push_back({path, line, false, message}); }

  // A static control that wraps its text at spaces and shows as many lines
  // as its height holds.
  void Box(const std::string& what, const std::string& text, const PlayerTextBox& box,
           const std::string& control, int line) {
    const PlayerFont font = box.font;
    const int width = box.width;
    const int height = box.height;
    if (text.empty()) {
      return;
    }
    const std::vector<std::string> lines = WrapLines(font, text, width);
    const size_t shown = static_cast<size_t>(height / kPlayerFontMetrics[font].lineHeight);
    bool cut = lines.size() > shown;
    std::string visible;
    for (size_t i = 0; i < lines.size() && i < shown; ++i) {
      const std::string part =
          TextWidth(font, lines[i]) > width ? FittingStart(font, lines[i], width) : lines[i];
      cut = cut || part != lines[i];
      visible += (i > 0 ? " " : "") + part;
    }
    if (!cut) {
      return;
    }
    char figures[200];
    // What the control has room for, in characters of this text.
    const size_t room = shown <= 1 ? FittingStart(font, text, width).size() : visible.size();
    if (shown <= 1) {
      std::snprintf(figures, sizeof figures,
                    "is %d pixels wide in the player's %s, and %s holds one line of %d",
                    TextWidth(font, text), FontName(font), control.c_str(), width);
    } else {
      std::snprintf(figures, sizeof figures,
                    "needs %zu lines of %d pixels in the player's %s, and %s holds %zu", lines.size(), width,
                    FontName(font), control.c_str(), shown);
    }
    Warn(line, what + " " + figures + ": the player shows only " + Show(visible) + "; shorten it to about " +
                   std::to_string(room) + " characters");
  }

  // A text quiz's question: one centred line, so a long one loses both ends.
  void QuestionBox(size_t index, const std::string& text, int line) {
    const int width = TextWidth(kPaneFont, text);
    if (width <= kQuestionBox.width) {
      return;
    }
    Warn(line,
         "question " + std::to_string(index + 1) + " text is " + std::to_string(width) +
             " pixels wide in the player's question font, and the question box shows one centred line of " +
             std::to_string(kQuestionBox.width) +
             ": both its start and its end are cut; shorten it to about " +
             std::to_string(FittingStart(kPaneFont, text, kQuestionBox.width).size()) + " characters");
  }
};

// The lower-case letter of a Windows-1252 accented capital, or 0.
unsigned char AccentedLower(unsigned char c) {
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) && c != 0xC6) {
    return static_cast<unsigned char>(c + 0x20);
  }
  switch (c) {
    case 0x8A:
      return 0x9A;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return 0;
  }
}

// What a player types for a character found on no keyboard, or "".
const char* KeyboardForm(unsigned char c) {
  switch (c) {
    case 0x91:
    case 0x92:
      return "'";
    case 0x93:
    case 0x94:
    case 0xAB:
    case 0xBB:
      return "\"";
    case 0x9C:
      return "oe";
    case 0x8C:
      return "OE";
    case 0xE6:
      return "ae";
    case 0xC6:
      return "AE";
    case 0xA0:
      return " ";
    default:
      return "";
  }
}

// What the player answers someone who types `typed` for `answer`.
std::string TypedOutcome(const std::string& answer, const std::string& typed) {
  return "a player who types " + Show(typed) + " gets \"" +
         Cp1252ToUtf8(ChooseVerdict(answer.c_str(), typed.c_str())) + "\"";
}

// The player lowers a to z only: an accented capital is matched as typed.
void CheckAccentedCapitals(Preview* preview, const std::string& what, const std::string& answer, int line) {
  std::string lowered = answer;
  std::string capitals;
  for (char& c : lowered) {
    if (const unsigned char lower = AccentedLower(static_cast<unsigned char>(c))) {
      capitals += capitals.empty() ? "" : ", ";
      capitals += Cp1252ToUtf8(std::string(1, c));
      c = static_cast<char>(lower);
    }
  }
  if (!capitals.empty()) {
    preview->Warn(line, what + " " + Show(answer) + " holds the accented capital " + capitals +
                            "; the player changes the case of a to z only, so " +
                            TypedOutcome(answer, lowered) + ": write it as players type it, " +
                            Show(lowered));
  }
}

// Typographic quotes, ligatures and the like: players type their keyboard's
// form instead.
void CheckKeyboardForms(Preview* preview, const std::string& what, const std::string& answer, int line) {
  std::string typed;
  std::string found;
  for (char c : answer) {
    const char* form = KeyboardForm(static_cast<unsigned char>(c));
    if (*form) {
      if (found.find(Cp1252ToUtf8(std::string(1, c))) == std::string::npos) {
        found += found.empty() ? "" : " ";
        found += Cp1252ToUtf8(std::string(1, c));
      }
      typed += form;
    } else {
      typed += c;
    }
  }
  if (!found.empty()) {
    preview->Warn(line, what + " " + Show(answer) + " holds " + found +
                            ", which players do not find on their keyboard; " + TypedOutcome(answer, typed) +
                            ": write it as players type it, " + Show(typed));
  }
}

void CheckDoubleSpaces(Preview* preview, const std::string& what, const std::string& answer, int line) {
  if (answer.find("  ") == std::string::npos) {
    return;
  }
  std::string single = answer;
  for (size_t at = single.find("  "); at != std::string::npos; at = single.find("  ")) {
    single.erase(at, 1);
  }
  preview->Warn(line, what + " " + Show(answer) + " holds a double space; " + TypedOutcome(answer, single) +
                          ": write it with single spaces");
}

void CheckAnswer(Preview* preview, const std::string& what, const std::string& answer, int line) {
  CheckAccentedCapitals(preview, what, answer, line);
  CheckKeyboardForms(preview, what, answer, line);
  CheckDoubleSpaces(preview, what, answer, line);
}

double Channel(int value) {
  const double c = value / 255.0;
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(int r, int g, int b) {
  return 0.2126 * Channel(r) + 0.7152 * Channel(g) + 0.0722 * Channel(b);
}

// The player's label colour on a background: black or white.
bool BlackLabels(int r, int g) {
  return LabelTextColour({static_cast<uint8_t>(r), static_cast<uint8_t>(g), 0}) == kBlackText;
}

double LabelContrast(int r, int g, int b) {
  const int label = BlackLabels(r, g) ? 0 : 255;
  return ContrastRatio(r, g, b, label, label, label);
}

std::string Hex(int r, int g, int b) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", r, g, b);
  return text;
}

// The nearest colour mixed towards `target` (white or black) on which the
// player's labels reach the contrast, or "".
std::string Mixed(int r, int g, int b, int target) {
  for (int step = 1; step <= 20; ++step) {
    const double t = step / 20.0;
    const int mr = static_cast<int>(std::lround(r + (target - r) * t));
    const int mg = static_cast<int>(std::lround(g + (target - g) * t));
    const int mb = static_cast<int>(std::lround(b + (target - b) * t));
    if (LabelContrast(mr, mg, mb) >= kMinContrast) {
      return Hex(mr, mg, mb);
    }
  }
  return std::string();
}

void CheckContrast(Preview* preview, const CompiledQuiz& quiz, const SourceLines& lines) {
  const int r = quiz.quiz.red, g = quiz.quiz.green, b = quiz.quiz.blue;
  const double ratio = LabelContrast(r, g, b);
  if (ratio >= kMinContrast) {
    return;
  }
  const bool mediaQuiz = quiz.quiz.mediaByte != 1;
  std::string what = "question numbers";
  if (mediaQuiz && quiz.quiz.answersPerQuestion == 2) {
    what += ", answer labels";
  }
  bool comments = false;
  for (const QuestionText& question : quiz.quiz.questions) {
    comments = comments || !question.comment.empty();
  }
  if (mediaQuiz && quiz.quiz.revealMode >= 2 && comments) {
    what += " and comments";
  }
  const std::string lighter = Mixed(r, g, b, 255);
  const std::string darker = Mixed(r, g, b, 0);
  char figures[64];
  std::snprintf(figures, sizeof figures, "%.1f:1", ratio);
  std::string message = std::string("background ") + Hex(r, g, b) + ": the player draws the " + what +
                        " on it in " + (BlackLabels(r, g) ? "black" : "white") +
                        " (black when red or green is above 69), a contrast of only " + figures +
                        " (4.5:1 reads well); colours that work: ";
  message += lighter + " (lighter, black labels)";
  if (!darker.empty()) {
    message += " or " + darker + " (darker, white labels)";
  }
  preview->Warn(lines.Top("background"), message);
}

const MediaResource* FindMedia(const CompiledQuiz& quiz, unsigned id) {
  for (const MediaResource& media : quiz.media) {
    if (media.id == id) {
      return &media;
    }
  }
  return nullptr;
}

bool Fitted(const MediaResource& media, unsigned* width, unsigned* height) {
  uint32_t w = 0, h = 0;
  if (!ReadPictureSize(media.bytes, &w, &h) || w == 0 || h == 0) {
    return false;
  }
  FittedPictureSize(w, h, media.rcData, width, height);
  return true;
}

void CheckPictures(Preview* preview, const CompiledQuiz& quiz, const SourceLines& lines) {
  for (size_t i = 0; i < quiz.quiz.questions.size(); ++i) {
    const std::string label = "question " + std::to_string(i + 1);
    const MediaResource* question = FindMedia(quiz, 401 + static_cast<unsigned>(i));
    const MediaResource* answer = FindMedia(quiz, 10401 + static_cast<unsigned>(i));
    for (const MediaResource* media : {question, answer}) {
      uint32_t w = 0, h = 0;
      if (!media || !ReadPictureSize(media->bytes, &w, &h)) {
        continue;
      }
      if (w > kLargePictureSide || h > kLargePictureSide || media->bytes.size() > kLargePictureBytes) {
        char figures[96];
        const double size = static_cast<double>(media->bytes.size());
        std::snprintf(
            figures, sizeof figures, size >= 1e6 ? " is %u x %u (%.1f MB)" : " is %u x %u (%.0f KB)",
            static_cast<unsigned>(w), static_cast<unsigned>(h), size >= 1e6 ? size / 1e6 : size / 1e3);
        const bool isAnswer = media == answer;
        preview->Warn(lines.Question(i, isAnswer ? "answer_picture" : "picture"),
                      label + (isAnswer ? " answer picture " : " picture ") + media->path + figures +
                          ", far more than the 260 x 260 frame the player shows it in: trivo build stores it "
                          "scaled down to what the player shows (--keep-pictures stores it as it is, which "
                          "makes a large quiz that is slow to open)");
      }
    }
    const bool revealsPicture = quiz.quiz.revealMode == 1 || quiz.quiz.revealMode == 3;
    unsigned qw = 0, qh = 0, aw = 0, ah = 0;
    if (!question || !answer || !revealsPicture || !Fitted(*question, &qw, &qh) ||
        !Fitted(*answer, &aw, &ah)) {
      continue;
    }
    if (qw != aw || qh != ah) {
      const bool bigger = aw > qw || ah > qh;
      preview->Warn(lines.Question(i, "answer_picture"),
                    label + " answer picture " + answer->path + " shows at " + std::to_string(aw) + " x " +
                        std::to_string(ah) + " but its question picture at " + std::to_string(qw) + " x " +
                        std::to_string(qh) +
                        "; the picture frame keeps the question picture's size, so the " +
                        (bigger ? "answer picture is cut" : "answer picture leaves a border") +
                        ": give both pictures the same proportions");
    }
  }
}

}  // namespace

double ContrastRatio(int r1, int g1, int b1, int r2, int g2, int b2) {
  const double a = Luminance(r1, g1, b1) + 0.05;
  const double b = Luminance(r2, g2, b2) + 0.05;
  return a > b ? a / b : b / a;
}

void FittedPictureSize(unsigned width, unsigned height, bool png, unsigned* fittedWidth,
                       unsigned* fittedHeight) {
  const FitSize size = ShownPictureSize(width, height, png);
  *fittedWidth = size.width;
  *fittedHeight = size.height;
}

void PreviewQuiz(const std::string& path, const std::string& tomlText, const CompiledQuiz& quiz,
                 std::vector<Diagnostic>* diagnostics) {
  const SourceLines lines = ScanLines(tomlText);
  Preview preview{path, diagnostics};
  const QuizText& q = quiz.quiz;
  const bool mediaQuiz = q.mediaByte != 1;
  preview.Box("link", quiz.storedBlock.linkText, kLinkBox, "its label", lines.Top("link"));
  preview.Box("footer", quiz.storedBlock.footerText, kFooterBox, "the window's footer", lines.Top("footer"));
  preview.Box("title", q.title, kTitleBox, "the header at the window's first size", lines.Top("title"));
  preview.Box("explanation", q.explanation, kExplanationBox, "the header at the window's first size",
              lines.Top("explanation"));
  preview.Box("creator", q.creator, kCreatorBox, "the header", lines.Top("creator"));
  if (mediaQuiz && q.answersPerQuestion == 2) {
    preview.Box("answer_label1", q.answerLabel1, kAnswerLabelBox, "its label", lines.Top("answer_label1"));
    preview.Box("answer_label2", q.answerLabel2, kAnswerLabelBox, "its label", lines.Top("answer_label2"));
  }
  for (size_t i = 0; i < q.questions.size(); ++i) {
    const QuestionText& question = q.questions[i];
    const std::string label = "question " + std::to_string(i + 1);
    if (!mediaQuiz) {
      preview.QuestionBox(i, question.questionText, lines.Question(i, "text"));
    } else if (q.revealMode >= 2) {
      preview.Box(label + " comment", question.comment, kCommentBox, "its box", lines.Question(i, "comment"));
    }
    CheckAnswer(&preview, label + " answer", question.answer1, lines.Question(i, "answer"));
    if (mediaQuiz && q.answersPerQuestion == 2 && !question.answer2.empty()) {
      CheckAnswer(&preview, label + " answer2", question.answer2, lines.Question(i, "answer2"));
    }
  }
  CheckPictures(&preview, quiz, lines);
  // The player's default background is not the author's choice; only a
  // chosen one is judged.
  if (lines.top.count("background") > 0) {
    CheckContrast(&preview, quiz, lines);
  }
}
