// A PNG decoded by the player's own decoder and scaled to the size the
// player shows it at, as straight RGBA rows (alpha dropped to opaque, as the
// player's fit copies colour only): what the web player paints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PngFitResult {
  bool ok = false;
  uint32_t errorCode = 0;  // a PngError when refused
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;  // width x height x 4, top row first
};

// The PNG's size from its header alone, through the decoder's own parse (so a
// header the decoder refuses is refused here): false with its error code.
bool ReadPngHeader(const uint8_t* bytes, size_t size, uint32_t* width, uint32_t* height, uint32_t* errorCode);

// Decodes the PNG and scales it to fitWidth x fitHeight, each target pixel
// the mean of the source pixels it covers (the nearest one when enlarging).
PngFitResult DecodePngFitted(const uint8_t* bytes, size_t size, uint32_t fitWidth, uint32_t fitHeight);
