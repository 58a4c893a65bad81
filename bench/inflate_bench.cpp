// Inflate speed in megabytes of output per second on the IDAT data of the
// benchmark pictures, against zlib's uncompress and libdeflate on the same
// stream. The counters zlib_ratio and libdeflate_ratio give how many times
// longer the player's inflater takes than each of them.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <string>

#include "bench/png_bench_support.h"
#include "media/inflate.h"
#include "media/png_decoder.h"

namespace {

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
  Bytes png = ReadPicture(name);
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
