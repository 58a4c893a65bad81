// The player's colours that follow from the quiz: the background a quiz
// without one gets, the label text over the background, and the status
// fields' colours. Colours are 0x00BBGGRR numbers, as Win32 takes them.
#pragma once

#include <cstdint>
#include <string>

struct Rgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// The background of a document before a quiz is loaded into it, and of a
// quiz source that names none.
constexpr Rgb kDefaultBackground = {90, 95, 150};

// Status field colours by verdict (the question text's box has its own).
constexpr uint32_t kRightColour = 0x00FF00;     // R 0, G 255, B 0
constexpr uint32_t kWrongColour = 0x0000FF;     // R 255, G 0, B 0
constexpr uint32_t kAnagramColour = 0x0064FF;   // R 255, G 100, B 0
constexpr uint32_t kHintColour = 0x26CBFF;      // R 255, G 203, B 38
constexpr uint32_t kQuestionColour = 0xC0FFFF;  // R 255, G 255, B 192

constexpr uint32_t kBlackText = 0x000000;
constexpr uint32_t kWhiteText = 0xFFFFFF;

constexpr uint32_t ColourOf(Rgb rgb) {
  return uint32_t{rgb.red} | uint32_t{rgb.green} << 8 | uint32_t{rgb.blue} << 16;
}

// Labels, numbers and comments over the background: black when its red or
// green is above 69, else white. Blue plays no part.
uint32_t LabelTextColour(Rgb background);

// "#RRGGBB" of a 0x00BBGGRR colour, for the pages.
std::string CssColour(uint32_t colour);
