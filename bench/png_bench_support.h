// What the two PNG benchmarks share: the pictures they run on, reading them,
// and the CPU time of the running thread.
#pragma once

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/png_bytes.h"

using Bytes = std::vector<uint8_t>;

inline const char* const kPictures[] = {"kodim07.png", "kodim23.png", "lorem-ipsum-screenshot-rgba.png",
                                        "exoplanet-indexed-3840x2160.png", "tango-icon-128-rgba.png"};

// CPU time of this thread: the machine may be shared, and wall time would
// charge other processes' work to whichever decoder runs at that moment.
inline double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The bytes of a benchmark picture; empty when it cannot be read.
inline Bytes ReadPicture(const std::string& name) {
  return ReadTestFile(std::string(TRIVO_TESTDATA_DIR) + "/bench/" + name);
}
