// The stages of fitting an 800 x 600 picture for the player, one by one:
// decoding (PNG, JPEG at full and at reduced scale), compositing, scaling
// down to 260 x 195, encoding, and the player's own decoder over the
// stored PNG and over the original. The picture is smooth colour with fine
// noise, which compresses about as a photograph does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tool/picture_check.h"
#include "tool/picture_codec.h"
#include "tool/picture_fit.h"
#include "tool/picture_resample.h"

namespace {

Picture MakePicture(uint32_t width, uint32_t height, uint32_t channels) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = channels;
  picture.pixels.resize(static_cast<size_t>(width) * height * channels);
  uint32_t noise = 12345;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* p = picture.pixels.data() + (static_cast<size_t>(y) * width + x) * channels;
      for (uint32_t c = 0; c < channels; ++c) {
        noise = noise * 1103515245u + 12345u;
        const uint32_t smooth = (x * (c + 1) / 4 + y * (3 - c % 3) / 3) % 256;
        p[c] = c == 3 ? 255 : static_cast<uint8_t>(smooth ^ (noise >> 29));
      }
    }
  }
  return picture;
}

const Picture& Rgba() {
  static const Picture picture = MakePicture(800, 600, 4);
  return picture;
}
const Picture& Rgb() {
  static const Picture picture = MakePicture(800, 600, 3);
  return picture;
}
const std::vector<uint8_t>& PngFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> bytes;
    EncodePng(Rgb(), &bytes);
    return bytes;
  }();
  return file;
}
const std::vector<uint8_t>& JpegFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> bytes;
    EncodeJpeg(Rgb(), &bytes);
    return bytes;
  }();
  return file;
}
const std::vector<uint8_t>& FittedPngFile() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> bytes;
    EncodePng(ScaleDown(Rgb(), 260, 195), &bytes);
    return bytes;
  }();
  return file;
}

void DecodePngFull(benchmark::State& state) {
  for (auto _ : state) {
    Picture picture;
    benchmark::DoNotOptimize(DecodePng(PngFile(), &picture));
  }
}
BENCHMARK(DecodePngFull)->Unit(benchmark::kMillisecond);

void DecodePngOpaqueAsRgb(benchmark::State& state) {
  for (auto _ : state) {
    Picture picture;
    benchmark::DoNotOptimize(DecodePng(PngFile(), &picture, true));
  }
}
BENCHMARK(DecodePngOpaqueAsRgb)->Unit(benchmark::kMillisecond);

void DecodeJpegFull(benchmark::State& state) {
  for (auto _ : state) {
    Picture picture;
    benchmark::DoNotOptimize(DecodeJpeg(JpegFile(), &picture));
  }
}
BENCHMARK(DecodeJpegFull)->Unit(benchmark::kMillisecond);

void DecodeJpegHalf(benchmark::State& state) {
  for (auto _ : state) {
    Picture picture;
    benchmark::DoNotOptimize(DecodeJpeg(JpegFile(), &picture, 260, 195));
  }
}
BENCHMARK(DecodeJpegHalf)->Unit(benchmark::kMillisecond);

void Composite(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(OverBackground(Rgba(), 10, 20, 30));
  }
}
BENCHMARK(Composite)->Unit(benchmark::kMillisecond);

void ScaleRgb(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(ScaleDown(Rgb(), 260, 195));
  }
}
BENCHMARK(ScaleRgb)->Unit(benchmark::kMillisecond);

void ScaleRgbFromHalf(benchmark::State& state) {
  static const Picture half = MakePicture(400, 300, 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ScaleDown(half, 260, 195));
  }
}
BENCHMARK(ScaleRgbFromHalf)->Unit(benchmark::kMillisecond);

void EncodeFittedPng(benchmark::State& state) {
  const Picture small = ScaleDown(Rgb(), 260, 195);
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    benchmark::DoNotOptimize(EncodePng(small, &bytes));
  }
}
BENCHMARK(EncodeFittedPng)->Unit(benchmark::kMillisecond);

void EncodeFittedJpeg(benchmark::State& state) {
  const Picture small = ScaleDown(Rgb(), 260, 195);
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    benchmark::DoNotOptimize(EncodeJpeg(small, &bytes));
  }
}
BENCHMARK(EncodeFittedJpeg)->Unit(benchmark::kMillisecond);

void PlayerCheckOfFittedPng(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckPng(FittedPngFile()));
  }
}
BENCHMARK(PlayerCheckOfFittedPng)->Unit(benchmark::kMillisecond);

void PlayerCheckOfOriginalPng(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckPng(PngFile()));
  }
}
BENCHMARK(PlayerCheckOfOriginalPng)->Unit(benchmark::kMillisecond);

void FitPngWhole(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint8_t> stored;
    benchmark::DoNotOptimize(FitPictureForPlayer(PngFile(), 0, 0, 0, &stored));
  }
}
BENCHMARK(FitPngWhole)->Unit(benchmark::kMillisecond);

void FitJpegWhole(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint8_t> stored;
    benchmark::DoNotOptimize(FitPictureForPlayer(JpegFile(), 0, 0, 0, &stored));
  }
}
BENCHMARK(FitJpegWhole)->Unit(benchmark::kMillisecond);

}  // namespace
