// Text measuring as the player's static controls do it: a line is the sum
// of its characters' advance widths (GDI applies no kerning there), and
// word wrap breaks at the last space (dropped) or soft break that leaves
// the line within the width; a word wider than the line is not split but
// overflows it and is clipped.
#include "tool/player_fonts.h"

namespace {

int CharWidth(PlayerFont font, unsigned char c) {
  if (c < 0x20) {
    return 0;
  }
  return kPlayerFontMetrics[font].widths[c - 0x20];
}

bool IsLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0xC0;
}

// Line breaking as Wine's DrawText gets it from Unicode's rules, in the
// cases quiz texts meet: after a slash, a hyphen, '!' or '?' when a letter
// follows ("https://" then "quiz.example/").
bool SoftBreakBefore(const std::string& text, size_t at) {
  if (at == 0 || at >= text.size()) {
    return false;
  }
  const char before = text[at - 1];
  return (before == '/' || before == '-' || before == '!' || before == '?') &&
         IsLetter(static_cast<unsigned char>(text[at]));
}

}  // namespace

int TextWidth(PlayerFont font, const std::string& cp1252) {
  int width = 0;
  for (char c : cp1252) {
    width += CharWidth(font, static_cast<unsigned char>(c));
  }
  return width;
}

std::vector<std::string> WrapLines(PlayerFont font, const std::string& cp1252, int width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < cp1252.size()) {
    const size_t fit = start + FittingStart(font, cp1252.substr(start), width).size();
    if (fit == cp1252.size()) {
      lines.push_back(cp1252.substr(start));
      break;
    }
    // The last place on the line where it may break: a space (dropped) or a
    // soft break.
    size_t end = std::string::npos;
    for (size_t at = fit; at > start; --at) {
      if (cp1252[at] == ' ' || SoftBreakBefore(cp1252, at)) {
        end = at;
        break;
      }
    }
    if (end == std::string::npos) {
      // No break on the line: the whole word stays on it, clipped.
      end = cp1252.find(' ', fit);
      end = end == std::string::npos ? cp1252.size() : end;
    }
    lines.push_back(cp1252.substr(start, end - start));
    start = end < cp1252.size() && cp1252[end] == ' ' ? end + 1 : end;
  }
  return lines;
}

std::string FittingStart(PlayerFont font, const std::string& cp1252, int width) {
  int used = 0;
  size_t end = 0;
  while (end < cp1252.size() && used + CharWidth(font, static_cast<unsigned char>(cp1252[end])) <= width) {
    used += CharWidth(font, static_cast<unsigned char>(cp1252[end]));
    ++end;
  }
  return cp1252.substr(0, end);
}
