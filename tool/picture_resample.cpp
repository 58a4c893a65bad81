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

// The taps of one output pixel: the first source index and the weights.
struct Taps {
  uint32_t first = 0;
  std::vector<int32_t> weights;
};

std::vector<Taps> MakeTaps(uint32_t sourceSize, uint32_t targetSize) {
  std::vector<Taps> all(targetSize);
  const double scale = static_cast<double>(sourceSize) / targetSize;
  const double support = kLobes * scale;
  for (uint32_t i = 0; i < targetSize; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
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
    Taps& taps = all[i];
    taps.first = static_cast<uint32_t>(low);
    int32_t sum = 0;
    size_t largest = 0;
    for (size_t k = 0; k < exact.size(); ++k) {
      const int32_t w = static_cast<int32_t>(std::floor(exact[k] * kWeightOne / total + 0.5));
      taps.weights.push_back(w);
      sum += w;
      if (exact[k] > exact[largest]) {
        largest = k;
      }
    }
    if (taps.weights.empty()) {
      taps.first = std::min<uint32_t>(static_cast<uint32_t>(std::max<double>(centre, 0)), sourceSize - 1);
      taps.weights.push_back(kWeightOne);
    } else {
      taps.weights[largest] += kWeightOne - sum;
    }
  }
  return all;
}

int32_t Clamp(int64_t sum, int32_t top) {
  const int64_t value = (sum + kWeightOne / 2) >> kWeightBits;
  return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(value, 0), top));
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

}  // namespace

void FitIntoBox(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight, uint32_t* fitWidth,
                uint32_t* fitHeight) {
  uint64_t w;
  uint64_t h;
  if (static_cast<uint64_t>(boxHeight) * width > static_cast<uint64_t>(boxWidth) * height) {
    w = boxWidth;
    h = static_cast<uint64_t>(height) * boxWidth / width;
  } else {
    h = boxHeight;
    w = height == 0 ? 0 : static_cast<uint64_t>(width) * boxHeight / height;
  }
  *fitWidth = static_cast<uint32_t>(std::max<uint64_t>(w, 1));
  *fitHeight = static_cast<uint32_t>(std::max<uint64_t>(h, 1));
}

Picture ScaleDown(const Picture& source, uint32_t width, uint32_t height) {
  const uint32_t channels = source.channels;
  const bool alpha = channels == 4;
  const uint32_t colourChannels = alpha ? 3 : channels;
  const std::vector<Taps> across = MakeTaps(source.width, width);
  const std::vector<Taps> down = MakeTaps(source.height, height);

  // Light levels (alpha kept as 0..255) of the source, then across.
  const size_t sourceRow = static_cast<size_t>(source.width) * channels;
  std::vector<int32_t> light(source.pixels.size());
  for (size_t i = 0; i < source.pixels.size(); ++i) {
    const int32_t v = source.pixels[i];
    light[i] = (alpha && i % 4 == 3) ? v : v * v;
  }
  const size_t middleRow = static_cast<size_t>(width) * channels;
  std::vector<int32_t> middle(middleRow * source.height);
  for (uint32_t y = 0; y < source.height; ++y) {
    const int32_t* in = light.data() + y * sourceRow;
    int32_t* out = middle.data() + y * middleRow;
    for (uint32_t x = 0; x < width; ++x) {
      const Taps& taps = across[x];
      for (uint32_t c = 0; c < channels; ++c) {
        int64_t sum = 0;
        const int32_t* at = in + static_cast<size_t>(taps.first) * channels + c;
        for (size_t k = 0; k < taps.weights.size(); ++k) {
          sum += static_cast<int64_t>(taps.weights[k]) * at[k * channels];
        }
        out[static_cast<size_t>(x) * channels + c] = Clamp(sum, c < colourChannels ? kMaxLight : 255);
      }
    }
  }

  static const std::vector<uint8_t> root = MakeRootTable();
  Picture result;
  result.width = width;
  result.height = height;
  result.channels = channels;
  result.pixels.resize(middleRow * height);
  std::vector<int64_t> sums(middleRow);
  for (uint32_t y = 0; y < height; ++y) {
    const Taps& taps = down[y];
    std::fill(sums.begin(), sums.end(), 0);
    for (size_t k = 0; k < taps.weights.size(); ++k) {
      const int32_t* in = middle.data() + (taps.first + k) * middleRow;
      const int64_t w = taps.weights[k];
      for (size_t i = 0; i < middleRow; ++i) {
        sums[i] += w * in[i];
      }
    }
    uint8_t* out = result.pixels.data() + y * middleRow;
    for (size_t i = 0; i < middleRow; ++i) {
      const bool isAlpha = alpha && i % 4 == 3;
      const int32_t value = Clamp(sums[i], isAlpha ? 255 : kMaxLight);
      out[i] = isAlpha ? static_cast<uint8_t>(value) : root[value];
    }
  }
  return result;
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
