// What the tool needs to know about a picture before it goes into a quiz:
// its format, its size, whether the player's own PNG decoder takes it, and
// (for `trivo decode`) the picture exactly as that decoder gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/picture_header.h"

struct PngCheck {
  bool ok = false;
  uint32_t errorCode = 0;  // the decoder's lastError when refused
  uint32_t width = 0;
  uint32_t height = 0;
  bool hasTransparency = false;  // some pixel the player shows opaque is not
};

// Runs the player's decoder over the bytes, as the player would.
PngCheck CheckPng(const std::vector<uint8_t>& bytes);

// The decoded picture as a plain bottom-up BMP file (alpha dropped, palette
// and grey images keep their colour table); false with the decoder's error
// code when the player refuses the PNG.
bool DecodePngToBmp(const std::vector<uint8_t>& png, std::vector<uint8_t>* bmp, uint32_t* errorCode);
