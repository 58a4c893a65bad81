#include "content/quiz_colours.h"

#include <cstdio>

namespace {

constexpr int kDarkLimit = 69;

}  // namespace

uint32_t LabelTextColour(Rgb background) {
  return background.red > kDarkLimit || background.green > kDarkLimit ? kBlackText : kWhiteText;
}

std::string CssColour(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF,
                (colour >> 16) & 0xFF);
  return text;
}
