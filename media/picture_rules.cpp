// The picture fit, as x87 extended precision computes it, in integers.
//
// The player's definition takes the scale as a floating-point quotient in
// extended precision. The exact rational answer (height * box / width, say)
// differs from it on a few sizes: 260 / 55 rounded to 64 bits and multiplied
// by 11 comes out just under 52, so an 11 x 55 picture is shown 51 x 260, not
// 52 x 260. WebAssembly has no 80-bit type and other compilers make long
// double a double, so each step is done here as the x87 unit does it: a value
// is a 64-bit significand m with its top bit set times 2^-shift; a quotient
// or product is worked exactly in 128 bits and rounded to 64 significant
// bits, to nearest, ties to even. Exponents stay far inside the 80-bit range
// for 32-bit sizes, so there is no overflow or denormal to follow.
#include "media/picture_rules.h"

namespace {

using Wide = unsigned __int128;

// m * 2^-shift, with m in [2^63, 2^64).
struct Extended {
  uint64_t m;
  int shift;
};

int BitLength(Wide value) {
  int bits = 0;
  while (value != 0) {
    value >>= 1;
    ++bits;
  }
  return bits;
}

// Rounds `kept` (the value's top 64 bits; `rest` the dropped low bits below
// a 2^dropped unit) to nearest even, renormalising a carry out of 64 bits.
Extended RoundSignificand(Wide kept, Wide rest, Wide half, int shift) {
  if (rest > half || (rest == half && (kept & 1) != 0)) {
    ++kept;
  }
  if (kept >> 64 != 0) {
    kept >>= 1;
    --shift;
  }
  return {static_cast<uint64_t>(kept), shift};
}

// numerator / denominator rounded to 64 significant bits (numerator below
// 2^32, denominator nonzero and below 2^32).
Extended Divide(uint64_t numerator, uint64_t denominator) {
  int shift = 63 - BitLength(numerator) + BitLength(denominator);
  Wide quotient = (Wide{numerator} << shift) / denominator;
  if (quotient >> 63 == 0) {
    ++shift;
    quotient = (Wide{numerator} << shift) / denominator;
  }
  // The remainder compared with half the divisor, doubled to stay in integers.
  const Wide remainder = (Wide{numerator} << shift) - quotient * denominator;
  return RoundSignificand(quotient, remainder * 2, Wide{denominator}, shift);
}

// The truncated integer part of factor * value, the product first rounded
// to 64 significant bits.
uint64_t MultiplyTruncated(uint64_t factor, Extended value) {
  const Wide product = Wide{factor} * value.m;  // below 2^96
  const int dropped = BitLength(product) > 64 ? BitLength(product) - 64 : 0;
  const Wide mask = (Wide{1} << dropped) - 1;
  Extended rounded = dropped == 0 ? Extended{static_cast<uint64_t>(product), value.shift}
                                  : RoundSignificand(product >> dropped, product & mask,
                                                     Wide{1} << (dropped - 1), value.shift - dropped);
  if (rounded.shift <= 0) {
    return rounded.shift == 0 ? rounded.m : UINT64_MAX;  // at least 2^63 already
  }
  return rounded.shift >= 64 ? 0 : rounded.m >> rounded.shift;
}

// a > b for two normalised values: the smaller shift is the larger value.
bool Greater(Extended a, Extended b) {
  return a.shift != b.shift ? a.shift < b.shift : a.m > b.m;
}

uint32_t AtLeastOne(uint64_t side) {
  return side < 1 ? 1 : side > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(side);
}

}  // namespace

FitSize FitPicture(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight) {
  if (width == 0 || height == 0 || boxWidth == 0 || boxHeight == 0) {
    return {1, 1};
  }
  const Extended across = Divide(boxWidth, width);
  const Extended down = Divide(boxHeight, height);
  const Extended scale = Greater(down, across) ? across : down;
  return {AtLeastOne(MultiplyTruncated(width, scale)), AtLeastOne(MultiplyTruncated(height, scale))};
}

FitSize ShownPictureSize(uint32_t width, uint32_t height, bool png) {
  FitSize size = FitPicture(width, height, kPictureBox, kPictureBox);
  if (png) {
    size = FitPicture(size.width, size.height, kPictureBox, kPictureBox);
  }
  return size;
}

void SwapNibbles(uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = SwapNibbles(bytes[i]);
  }
}

bool IsSwappedPictureId(int resourceId) {
  return resourceId > kSwappedPictureIdFloor;
}
