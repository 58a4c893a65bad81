// Whole PNG decode (chunk walk, inflate, unfilter, conversion into DIB rows)
// on the benchmark pictures, against libspng decoding the same bytes to their
// own format. The counter spng_ratio gives how many times longer the player's
// decoder takes.
#include <benchmark/benchmark.h>
#include <spng.h>

#include <string>

#include "bench/png_bench_support.h"
#include "media/png_decoder.h"

namespace {

// One decode as the picture loader runs it, into rows the size of the DIB.
bool DecodeOnce(const Bytes& png, Bytes* rows) {
  PngImage image;
  PngInit(&image);
  bool ok = PngLoadMemory(&image, png.data(), uint32_t(png.size())) && PngDecode(&image);
  if (ok) {
    PngBitmapInfo info;
    uint32_t format = 0;
    PngFillBitmapInfo(&image, &info, &format);
    size_t stride = ((size_t(image.width) * PngOutputBits(format) + 31) / 32) * 4;
    rows->resize(stride * image.height);
    ok = PngConvert(&image, rows->data(), format);
  }
  PngCleanup(&image);
  return ok;
}

bool ReferenceOnce(const Bytes& png, Bytes* out) {
  spng_ctx* ctx = spng_ctx_new(0);
  // Neither decoder checks CRCs.
  spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_USE);
  spng_set_png_buffer(ctx, png.data(), png.size());
  size_t size = 0;
  bool ok = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size) == 0;
  if (ok) {
    out->resize(size);
    ok = spng_decode_image(ctx, out->data(), size, SPNG_FMT_PNG, 0) == 0;
  }
  spng_ctx_free(ctx);
  return ok;
}

void BM_PngDecode(benchmark::State& state, const std::string& name) {
  Bytes png = ReadPicture(name);
  Bytes rows;
  Bytes reference;
  if (!DecodeOnce(png, &rows) || !ReferenceOnce(png, &reference)) {
    state.SkipWithError("picture missing or not decoded");
    return;
  }
  double start = ThreadSeconds();
  int64_t runs = 0;
  for (auto _ : state) {
    DecodeOnce(png, &rows);
    benchmark::DoNotOptimize(rows.data());
    runs++;
  }
  double ours = (ThreadSeconds() - start) / double(runs);
  int64_t otherRuns = runs < 3 ? 3 : runs;
  double referenceStart = ThreadSeconds();
  for (int64_t i = 0; i < otherRuns; i++) {
    ReferenceOnce(png, &reference);
    benchmark::DoNotOptimize(reference.data());
  }
  double spng = (ThreadSeconds() - referenceStart) / double(otherRuns);
  state.SetBytesProcessed(int64_t(rows.size()) * state.iterations());
  state.counters["MB_per_s"] = double(rows.size()) / ours / 1e6;
  state.counters["spng_ratio"] = ours / spng;
}

const int kRegistered = [] {
  for (const char* name : kPictures) {
    benchmark::RegisterBenchmark((std::string("PngDecode/") + name).c_str(), BM_PngDecode, std::string(name))
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}();

}  // namespace
