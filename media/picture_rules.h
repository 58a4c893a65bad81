// The player's picture rules shared by the Windows player, the tool and the
// web core: the box a picture is fitted into, the fit itself, and the byte
// exchange answer pictures are stored with.
#pragma once

#include <cstddef>
#include <cstdint>

// Both question and answer pictures are shown in a box of this side.
constexpr int kPictureBox = 260;

struct FitSize {
  uint32_t width;
  uint32_t height;
};

// The player's fit of a width x height picture into a box, aspect kept:
// s = boxWidth / width when boxHeight / height > boxWidth / width, else
// boxHeight / height, each quotient, the comparison and the products
// width * s and height * s taken in x87 extended precision (64-bit
// significand, rounding to nearest even), the products truncated. Worked in
// integers, so every build (native, mingw, wasm) gives the same sizes. A side
// that truncates to 0 is kept at 1 pixel, so a sliver stays a bitmap.
// Sizes up to 2^32 - 1; a box side of 0 or a 0 side of the picture gives 1 x 1.
FitSize FitPicture(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight);

// The size the player shows a picture at in the 260 x 260 box: PNG pictures
// pass through the fit twice (once in the PNG branch, once more on return),
// every other format once.
FitSize ShownPictureSize(uint32_t width, uint32_t height, bool png);

// Answer pictures (resource ids above 10000) are stored with the two 4-bit
// halves of every byte exchanged; the exchange is its own inverse.
constexpr int kSwappedPictureIdFloor = 10000;
inline uint8_t SwapNibbles(uint8_t byte) {
  return static_cast<uint8_t>((byte << 4) | (byte >> 4));
}
void SwapNibbles(uint8_t* bytes, size_t size);
bool IsSwappedPictureId(int resourceId);
