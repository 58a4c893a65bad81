// Scaling down works in the squares of the 8-bit values (light of gamma 2,
// close to the display's own and exact in integers), so a fine pattern
// keeps its brightness when it is averaged. The filter is Lanczos-3
// stretched by the scale factor; its weights are worked out in doubles
// with a sine of our own (basic operations only, no library
// transcendental), rounded to 14-bit integers that sum to exactly 1 << 14,
// and everything after that is integer, so the result is the same on every
// compiler and library. Taps outside the picture are dropped and the rest
// weighted up to the full sum; values are clamped after each pass, since
// the filter's negative lobes overshoot at hard edges.
#include "tool/picture_resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;
constexpr int32_t kMaxLight = 255 * 255;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLobes = 3.0;

// sin(x) for |x| up to a few pi: reduced to [-pi/2, pi/2], then a Taylor
// polynomial to x^17, well under the weight rounding.
double Sine(double x) {
  while (x > kPi) {
    x -= 2 * kPi;
  }
  while (x < -kPi) {
    x += 2 * kPi;
  }
  if (x > kPi / 2) {
    x = kPi - x;
  } else if (x < -kPi / 2) {
    x = -kPi - x;
  }
  const double square = x * x;
  double term = x;
  double sum = x;
  for (int n = 1; n <= 8; ++n) {
    term = -term * square / ((2.0 * n) * (2.0 * n + 1));
    sum += term;
  }
  return sum;
}

double Lanczos(double t) {
  if (t < 0) {
    t = -t;
  }
  if (t < 1e-9) {
    return 1.0;
  }
  if (t >= kLobes) {
    return 0.0;
  }
  const double a = kPi * t;
  return kLobes * Sine(a) * Sine(a / kLobes) / (a * a);
}

// The taps of every output pixel along one side, flattened: output i
// reads source pixels first[i] .. first[i] + count[i] - 1 with the weights
// from weights[offset[i]] on.
struct Taps {
  std::vector<uint32_t> first;
  std::vector<uint32_t> count;
  std::vector<uint32_t> offset;
  std::vector<int32_t> weights;
  // Whether every sum of light levels fits in 32 bits with its rounding;
  // a few hundred taps of extreme weights could need 64.
  bool fitsInt32 = true;
};

// The weights of one output pixel centred on `centre` in source pixels.
void AddTaps(double centre, double scale, uint32_t sourceSize, Taps* taps) {
  const double support = kLobes * scale;
  const int64_t low = std::max<int64_t>(0, static_cast<int64_t>(std::floor(centre - support)) + 1);
  const int64_t high =
      std::min<int64_t>(sourceSize - 1, static_cast<int64_t>(std::ceil(centre + support)) - 1);
  std::vector<double> exact;
  double total = 0;
  for (int64_t s = low; s <= high; ++s) {
    const double w = Lanczos((static_cast<double>(s) - centre) / scale);
    exact.push_back(w);
    total += w;
  }
  const size_t start = taps->weights.size();
  taps->offset.push_back(static_cast<uint32_t>(start));
  if (exact.empty()) {
    taps->first.push_back(
        std::min<uint32_t>(static_cast<uint32_t>(std::max<double>(centre, 0)), sourceSize - 1));
    taps->count.push_back(1);
    taps->weights.push_back(kWeightOne);
    return;
  }
  taps->first.push_back(static_cast<uint32_t>(low));
  taps->count.push_back(static_cast<uint32_t>(exact.size()));
  int32_t sum = 0;
  size_t largest = 0;
  for (size_t k = 0; k < exact.size(); ++k) {
    const int32_t w = static_cast<int32_t>(std::floor(exact[k] * kWeightOne / total + 0.5));
    taps->weights.push_back(w);
    sum += w;
    if (exact[k] > exact[largest]) {
      largest = k;
    }
  }
  taps->weights[start + largest] += kWeightOne - sum;
  int64_t positive = 0;
  int64_t negative = 0;
  for (size_t k = start; k < taps->weights.size(); ++k) {
    (taps->weights[k] > 0 ? positive : negative) += taps->weights[k];
  }
  const int64_t limit = INT32_MAX - kWeightOne;
  if (positive * kMaxLight > limit || -negative * kMaxLight > limit) {
    taps->fitsInt32 = false;
  }
}

Taps MakeTaps(uint32_t sourceSize, uint32_t targetSize) {
  Taps taps;
  const double scale = static_cast<double>(sourceSize) / targetSize;
  for (uint32_t i = 0; i < targetSize; ++i) {
    AddTaps((i + 0.5) * scale - 0.5, scale, sourceSize, &taps);
  }
  return taps;
}

template <typename Sum>
int32_t Clamp(Sum sum, int32_t top) {
  const Sum value = (sum + kWeightOne / 2) >> kWeightBits;
  return static_cast<int32_t>(std::min<Sum>(std::max<Sum>(value, 0), top));
}

// The 8-bit value nearest to the square root of each light level.
std::vector<uint8_t> MakeRootTable() {
  std::vector<uint8_t> table(kMaxLight + 1);
  int32_t value = 0;
  for (int32_t light = 0; light <= kMaxLight; ++light) {
    // value + 0.5 squared, times 4: the first light level that rounds up.
    while (value < 255 && 4 * light >= (2 * value + 1) * (2 * value + 1)) {
      ++value;
    }
    table[light] = static_cast<uint8_t>(value);
  }
  return table;
}

// One row across: light levels in, filtered light levels out (alpha, the
// fourth of four channels, stays 0..255).
template <uint32_t kChannels, typename Sum>
void FilterRow(const int32_t* in, const Taps& taps, uint32_t width, uint16_t* out) {
  for (uint32_t x = 0; x < width; ++x) {
    const int32_t* at = in + static_cast<size_t>(taps.first[x]) * kChannels;
    const int32_t* weight = taps.weights.data() + taps.offset[x];
    const uint32_t count = taps.count[x];
    // One accumulator a channel, named, so that they stay in registers.
    Sum sum0 = 0;
    Sum sum1 = 0;
    Sum sum2 = 0;
    Sum sum3 = 0;
    for (uint32_t k = 0; k < count; ++k) {
      const Sum w = weight[k];
      const int32_t* pixel = at + k * kChannels;
      sum0 += w * pixel[0];
      if constexpr (kChannels >= 3) {
        sum1 += w * pixel[1];
        sum2 += w * pixel[2];
      }
      if constexpr (kChannels == 4) {
        sum3 += w * pixel[3];
      }
    }
    uint16_t* pixel = out + static_cast<size_t>(x) * kChannels;
    pixel[0] = static_cast<uint16_t>(Clamp(sum0, kMaxLight));
    if constexpr (kChannels >= 3) {
      pixel[1] = static_cast<uint16_t>(Clamp(sum1, kMaxLight));
      pixel[2] = static_cast<uint16_t>(Clamp(sum2, kMaxLight));
    }
    if constexpr (kChannels == 4) {
      pixel[3] = static_cast<uint16_t>(Clamp(sum3, 255));
    }
  }
}

// One output row down from the rows across.
template <uint32_t kChannels, typename Sum>
void FilterColumn(const uint16_t* middle, size_t rowSize, const Taps& taps, uint32_t y, Sum* sums,
                  uint8_t* out) {
  static const std::vector<uint8_t> root = MakeRootTable();
  std::fill(sums, sums + rowSize, 0);
  const int32_t* weight = taps.weights.data() + taps.offset[y];
  // Two rows a time: half the passes over the sums.
  const uint32_t count = taps.count[y];
  uint32_t k = 0;
  for (; k + 1 < count; k += 2) {
    const uint16_t* in = middle + (taps.first[y] + k) * rowSize;
    const uint16_t* next = in + rowSize;
    const Sum w = weight[k];
    const Sum v = weight[k + 1];
    for (size_t i = 0; i < rowSize; ++i) {
      sums[i] += w * in[i] + v * next[i];
    }
  }
  if (k < count) {
    const uint16_t* in = middle + (taps.first[y] + k) * rowSize;
    const Sum w = weight[k];
    for (size_t i = 0; i < rowSize; ++i) {
      sums[i] += w * in[i];
    }
  }
  for (size_t i = 0; i < rowSize; i += kChannels) {
    for (uint32_t c = 0; c < kChannels; ++c) {
      if (kChannels == 4 && c == 3) {
        out[i + c] = static_cast<uint8_t>(Clamp(sums[i + c], 255));
      } else {
        out[i + c] = root[Clamp(sums[i + c], kMaxLight)];
      }
    }
  }
}

template <uint32_t kChannels, typename Sum>
Picture Scale(const Picture& source, const Taps& across, const Taps& down, uint32_t width, uint32_t height) {
  // Light levels of the source, a row at a time, then across.
  const size_t sourceRow = static_cast<size_t>(source.width) * kChannels;
  const size_t middleRow = static_cast<size_t>(width) * kChannels;
  std::vector<int32_t> light(sourceRow);
  // Clamped light levels and alpha all fit in 16 bits.
  std::vector<uint16_t> middle(middleRow * source.height);
  for (uint32_t y = 0; y < source.height; ++y) {
    const uint8_t* in = source.pixels.data() + y * sourceRow;
    for (size_t i = 0; i < sourceRow; ++i) {
      const int32_t v = in[i];
      light[i] = (kChannels == 4 && i % 4 == 3) ? v : v * v;
    }
    FilterRow<kChannels, Sum>(light.data(), across, width, middle.data() + y * middleRow);
  }
  Picture result;
  result.width = width;
  result.height = height;
  result.channels = kChannels;
  result.pixels.resize(middleRow * height);
  std::vector<Sum> sums(middleRow);
  for (uint32_t y = 0; y < height; ++y) {
    FilterColumn<kChannels, Sum>(middle.data(), middleRow, down, y, sums.data(),
                                 result.pixels.data() + y * middleRow);
  }
  return result;
}

template <uint32_t kChannels>
Picture ScaleChannels(const Picture& source, uint32_t width, uint32_t height) {
  const Taps across = MakeTaps(source.width, width);
  const Taps down = MakeTaps(source.height, height);
  // 32-bit sums give exactly the 64-bit results whenever nothing overflows,
  // and run about twice as fast.
  if (across.fitsInt32 && down.fitsInt32) {
    return Scale<kChannels, int32_t>(source, across, down, width, height);
  }
  return Scale<kChannels, int64_t>(source, across, down, width, height);
}

}  // namespace

Picture ScaleDown(const Picture& source, uint32_t width, uint32_t height) {
  switch (source.channels) {
    case 1:
      return ScaleChannels<1>(source, width, height);
    case 3:
      return ScaleChannels<3>(source, width, height);
    default:
      return ScaleChannels<4>(source, width, height);
  }
}

bool HasTransparency(const Picture& picture) {
  if (picture.channels != 4) {
    return false;
  }
  for (size_t i = 3; i < picture.pixels.size(); i += 4) {
    if (picture.pixels[i] != 255) {
      return true;
    }
  }
  return false;
}

Picture OverBackground(const Picture& picture, uint8_t red, uint8_t green, uint8_t blue) {
  if (picture.channels != 4) {
    return picture;
  }
  Picture result;
  result.width = picture.width;
  result.height = picture.height;
  result.channels = 3;
  result.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 3);
  const uint8_t background[3] = {red, green, blue};
  for (size_t p = 0, q = 0; p < picture.pixels.size(); p += 4, q += 3) {
    const uint32_t a = picture.pixels[p + 3];
    for (int c = 0; c < 3; ++c) {
      result.pixels[q + c] =
          static_cast<uint8_t>((picture.pixels[p + c] * a + background[c] * (255 - a) + 127) / 255);
    }
  }
  return result;
}
