// Whole PNG decode (chunk walk, inflate, unfilter, conversion into DIB rows)
// on the benchmark pictures, against libspng decoding the same bytes to their
// own format. The counter spng_ratio gives how many times longer the player's
// decoder takes. PngDecodeProcess times whole processes the same way:
// `trivo decode` against a small C program linking libspng, so that the
// tool's start-up counts; spng_process_ratio is their ratio.
#include <benchmark/benchmark.h>
#include <spng.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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

#ifdef TRIVO_TOOL_FILE
extern "C" char** environ;

// CPU time (user and system) of the children waited for so far.
double ChildrenSeconds() {
  rusage usage;
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Runs a program to its end; true when it exits with 0.
bool RunProcess(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_PngDecodeProcess(benchmark::State& state, const std::string& name) {
  const std::string picture = std::string(TRIVO_TESTDATA_DIR) + "/bench/" + name;
  const std::string out = "/tmp/trivo-png-bench-" + std::to_string(getpid());
  // TRIVO_BENCH_TOOL names another trivo to time, an earlier build say.
  const char* tool = std::getenv("TRIVO_BENCH_TOOL");
  const std::vector<std::string> ours = {tool != nullptr ? tool : TRIVO_TOOL_FILE, "decode", picture, "-o",
                                         out + ".bmp"};
  const std::vector<std::string> reference = {SPNG_DECODE_FILE, picture, out + ".raw"};
  if (!RunProcess(ours) || !RunProcess(reference)) {
    state.SkipWithError("picture missing or not decoded");
    return;
  }
  // Alternating runs share out whatever else the machine does.
  double oursSeconds = 0;
  double referenceSeconds = 0;
  for (auto _ : state) {
    double start = ChildrenSeconds();
    RunProcess(ours);
    oursSeconds += ChildrenSeconds() - start;
    start = ChildrenSeconds();
    RunProcess(reference);
    referenceSeconds += ChildrenSeconds() - start;
  }
  std::remove((out + ".bmp").c_str());
  std::remove((out + ".raw").c_str());
  state.counters["trivo_ms"] = oursSeconds / double(state.iterations()) * 1e3;
  state.counters["spng_ms"] = referenceSeconds / double(state.iterations()) * 1e3;
  state.counters["spng_process_ratio"] = oursSeconds / referenceSeconds;
}
#endif

const int kRegistered = [] {
  for (const char* name : kPictures) {
    benchmark::RegisterBenchmark((std::string("PngDecode/") + name).c_str(), BM_PngDecode, std::string(name))
        ->Unit(benchmark::kMillisecond);
  }
#ifdef TRIVO_TOOL_FILE
  for (const char* name : kPictures) {
    benchmark::RegisterBenchmark((std::string("PngDecodeProcess/") + name).c_str(), BM_PngDecodeProcess,
                                 std::string(name))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
  }
#endif
  return 0;
}();

}  // namespace
