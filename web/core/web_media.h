// The pictures and clips of the open quiz as the web player shows them: what
// their headers say (format, size, the player's fit, refusal) when the quiz
// opens, and their bytes or fitted pixels when a row nears the view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/pe_reader.h"

struct MediaInfo {
  bool present = false;
  bool png = false;    // an RT_RCDATA resource, decoded by the player's decoder
  std::string format;  // "jpg", "gif", "bmp", "png", "bin"; clips "wav", "mp3"...
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t fitWidth = 0;
  uint32_t fitHeight = 0;
  bool refused = false;
  std::string message;  // UTF-8, the player's words; empty when it says nothing
};

// The picture budget of one quiz, spent in question order as the quiz opens.
struct PictureBudget {
  uint64_t pixelsLeft;
};
PictureBudget FreshPictureBudget();

// Question q's picture (answer: its answer picture) or clip, from headers only.
MediaInfo ReadMediaInfo(const std::vector<ResourceEntry>& resources, int q, bool answer, bool clip,
                        PictureBudget* budget);
// {"format", "width", ...} or null, as openQuiz lists it.
std::string PictureInfoJson(const MediaInfo& info);
std::string ClipInfoJson(const MediaInfo& info);

// What WebMedia gives: a JSON head for the page and the bytes (stored bytes
// with the nibble exchange undone, or fitted RGBA).
struct MediaBody {
  std::string head;
  std::vector<uint8_t> bytes;
};
bool ReadMediaBody(const std::vector<ResourceEntry>& resources, int q, bool answer, const MediaInfo& info,
                   MediaBody* body);
