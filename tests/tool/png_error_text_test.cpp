// The words for each refusal of the player's PNG decoder, on pictures
// broken one field at a time, through the same check the tool runs.
#include "tool/png_error_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/tool/tool_test_support.h"
#include "tool/picture_check.h"

namespace {

// Offsets in MakePng(20, 10): the signature, then IHDR (length, type, then
// width, height, depth, colour type, compression, filter, interlace), then
// IDAT (length, type, zlib data).
constexpr size_t kIhdrType = 12;
constexpr size_t kWidth = 16;
constexpr size_t kHeight = 20;
constexpr size_t kDepth = 24;
constexpr size_t kColourType = 25;
constexpr size_t kCompression = 26;
constexpr size_t kFilter = 27;
constexpr size_t kInterlace = 28;
constexpr size_t kIdatType = 37;
constexpr size_t kIdatData = 41;

void Put32(std::vector<uint8_t>* png, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    (*png)[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  }
}

std::string Words(const std::vector<uint8_t>& png) {
  const PngCheck check = CheckPng(png);
  EXPECT_FALSE(check.ok);
  return PngErrorText(check.errorCode, png);
}

TEST(PngErrorText, NamesWhatStopsTheDecoder) {
  struct Case {
    const char* change;
    void (*apply)(std::vector<uint8_t>*);
    const char* words;
  } cases[] = {
      {"signature", [](std::vector<uint8_t>* p) { (*p)[1] = 'X'; }, "does not start with the PNG signature"},
      {"first chunk", [](std::vector<uint8_t>* p) { (*p)[kIhdrType] = 'X'; },
       "its first chunk is not a complete IHDR header"},
      {"zero width", [](std::vector<uint8_t>* p) { Put32(p, kWidth, 0); },
       "its header gives it 0 x 10 pixels"},
      {"wide", [](std::vector<uint8_t>* p) { Put32(p, kWidth, 70000); },
       "it is 70000 x 10 pixels; the player takes at most 65535 pixels on a side"},
      {"area",
       [](std::vector<uint8_t>* p) {
         Put32(p, kWidth, 10000);
         Put32(p, kHeight, 10000);
       },
       "it is 10000 x 10000 pixels, 100000000 in all; the player takes at most 67108864 (8192 x 8192)"},
      {"depth", [](std::vector<uint8_t>* p) { (*p)[kDepth] = 3; },
       "its colour type 2 with 3 bits per sample is not one PNG defines"},
      {"compression", [](std::vector<uint8_t>* p) { (*p)[kCompression] = 1; },
       "its compression method is 1; PNG defines only 0"},
      {"filter", [](std::vector<uint8_t>* p) { (*p)[kFilter] = 2; },
       "its filter method is 2; PNG defines only 0"},
      {"interlace", [](std::vector<uint8_t>* p) { (*p)[kInterlace] = 7; },
       "its interlace method is 7; PNG defines 0 and 1"},
      {"unknown critical chunk",
       [](std::vector<uint8_t>* p) { std::memcpy(p->data() + kIdatType, "ABCD", 4); },
       "it holds a chunk 'ABCD' that the player must understand"},
      {"no IDAT", [](std::vector<uint8_t>* p) { std::memcpy(p->data() + kIdatType, "abcd", 4); },
       "it holds no image data (no IDAT chunk)"},
      {"no palette", [](std::vector<uint8_t>* p) { (*p)[kColourType] = 3; },
       "it is a palette picture without its palette (no PLTE chunk)"},
      {"broken data", [](std::vector<uint8_t>* p) { (*p)[kIdatData] = 0xFF; },
       "its image data is damaged: the compressed rows cannot be inflated"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    std::vector<uint8_t> png = MakePng(20, 10);
    c.apply(&png);
    EXPECT_NE(Words(png).find(c.words), std::string::npos) << Words(png);
  }
}

TEST(PngErrorText, TruncatedFilesAreNamedNeverReadPast) {
  const std::vector<uint8_t> png = MakePng(20, 10);
  for (size_t size = 0; size < png.size(); ++size) {
    const std::vector<uint8_t> prefix(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(size));
    const PngCheck check = CheckPng(prefix);
    if (!check.ok) {
      EXPECT_FALSE(PngErrorText(check.errorCode, prefix).empty()) << size;
    }
  }
}

}  // namespace
