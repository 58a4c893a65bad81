// Inflate speed in megabytes of output per second on the IDAT data of the
// benchmark pictures, against zlib's uncompress and libdeflate on the same
// stream. The counters zlib_ratio and libdeflate_ratio give how many times
// longer the player's inflater takes than each of them.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "media/inflate.h"
#include "media/png_decoder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kPictures[] = {"kodim07.png", "kodim23.png", "lorem-ipsum-screenshot-rgba.png",
                                 "exoplanet-indexed-3840x2160.png", "tango-icon-128-rgba.png"};

// CPU time of this thread: the machine may be shared, and wall time would
// charge other processes' work to whichever decoder runs at that moment.
double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

Bytes ReadFile(const std::string& path) {
  Bytes bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file != nullptr) {
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
  }
  return bytes;
}

// The IDAT chunks' data joined into one zlib stream, for the other inflaters.
Bytes JoinedIdat(const Bytes& png) {
  Bytes stream;
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t length =
        uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    if (at + 12 + length > png.size()) {
      break;
    }
    if (png[at + 4] == 'I' && png[at + 5] == 'D' && png[at + 6] == 'A' && png[at + 7] == 'T') {
      stream.insert(stream.end(), png.begin() + long(at + 8), png.begin() + long(at + 8 + length));
    }
    at += 12 + length;
  }
  return stream;
}

template <typename F>
double SecondsPerRun(F run, int64_t runs) {
  double start = ThreadSeconds();
  for (int64_t i = 0; i < runs; i++) {
    run();
  }
  return (ThreadSeconds() - start) / double(runs);
}

void BM_Inflate(benchmark::State& state, const std::string& name) {
  Bytes png = ReadFile(std::string(TRIVO_TESTDATA_DIR) + "/bench/" + name);
  PngImage image;
  PngInit(&image);
  if (!PngLoadMemory(&image, png.data(), uint32_t(png.size()))) {
    state.SkipWithError("picture missing or not a PNG");
    return;
  }
  Bytes raw(PngRawSize(&image));
  image.pixels = raw.data();
  image.pixelsSize = uint32_t(raw.size());
  Bytes stream = JoinedIdat(png);

  double start = ThreadSeconds();
  int64_t runs = 0;
  for (auto _ : state) {
    if (!Inflate(&image)) {
      state.SkipWithError("inflate failed");
      return;
    }
    benchmark::DoNotOptimize(raw.data());
    runs++;
  }
  double ours = (ThreadSeconds() - start) / double(runs);

  Bytes check(raw.size());
  int64_t otherRuns = runs < 3 ? 3 : runs;
  double zlib = SecondsPerRun(
      [&] {
        uLongf size = uLongf(check.size());
        uncompress(check.data(), &size, stream.data(), uLong(stream.size()));
      },
      otherRuns);
  if (check != raw) {
    state.SkipWithError("zlib disagrees");
    return;
  }
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  double deflate = SecondsPerRun(
      [&] {
        size_t actual = 0;
        libdeflate_zlib_decompress(decompressor, stream.data(), stream.size(), check.data(), check.size(),
                                   &actual);
      },
      otherRuns);
  libdeflate_free_decompressor(decompressor);

  state.SetBytesProcessed(int64_t(raw.size()) * state.iterations());
  state.counters["MB_per_s"] = double(raw.size()) / ours / 1e6;
  state.counters["zlib_ratio"] = ours / zlib;
  state.counters["libdeflate_ratio"] = ours / deflate;
}

const int kRegistered = [] {
  for (const char* name : kPictures) {
    benchmark::RegisterBenchmark((std::string("Inflate/") + name).c_str(), BM_Inflate, std::string(name))
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}();

}  // namespace
