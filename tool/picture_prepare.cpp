// When a PNG is fitted the player decodes the stored picture, not the
// author's file, so that is what its decoder is run over: a 260 x 195 PNG
// costs it a tenth of an 800 x 600 one. Without fitting, or when the tool's
// own decoder refuses the file, the file is checked as it is. Each thread
// takes the next distinct picture and writes only that picture's result.
#include "tool/picture_prepare.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>

#ifndef __EMSCRIPTEN__
#include <thread>
#endif

namespace {

uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

PreparedPicture Prepare(const std::vector<uint8_t>& bytes, const PictureWork& work) {
  PreparedPicture result;
  const bool png = DetectPictureFormat(bytes) == PictureFormat::Png;
  if (!work.fit) {
    if (png) {
      result.check = CheckPng(bytes);
    }
    return result;
  }
  bool transparent = false;
  result.fit = FitPictureForPlayer(bytes, work.red, work.green, work.blue, &result.stored, &transparent);
  if (!png) {
    return result;
  }
  if (result.fit != PictureFitResult::Fitted) {
    result.check = CheckPng(bytes);
    return result;
  }
  result.check = CheckPng(result.stored);
  if (result.check.ok) {
    // The fitted PNG is opaque and smaller; the author's file is what the
    // diagnostics speak of. A PNG the tool decoded has its full header.
    result.check.width = Be32(bytes, 16);
    result.check.height = Be32(bytes, 20);
    result.check.hasTransparency = transparent || PngDeclaresTransparency(bytes);
  }
  return result;
}

unsigned ThreadCount(const PictureWork& work, size_t items) {
#ifdef __EMSCRIPTEN__
  (void)work;
  (void)items;
  return 1;  // the web build has no threads
#else
  constexpr unsigned kMaxThreads = 4;  // each may hold a large picture decoded
  const unsigned threads =
      work.threads != 0 ? work.threads : std::min(std::thread::hardware_concurrency(), kMaxThreads);
  return static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(threads, items)));
#endif
}

}  // namespace

PreparedPictures PreparePictures(const std::vector<const std::vector<uint8_t>*>& pictures,
                                 const PictureWork& work) {
  PreparedPictures prepared;
  std::vector<const std::vector<uint8_t>*> distinct;
  std::multimap<size_t, size_t> bySize;  // file size to entries of `distinct`
  for (const std::vector<uint8_t>* bytes : pictures) {
    size_t found = distinct.size();
    const auto range = bySize.equal_range(bytes->size());
    for (auto it = range.first; it != range.second; ++it) {
      if (*distinct[it->second] == *bytes) {
        found = it->second;
        break;
      }
    }
    if (found == distinct.size()) {
      distinct.push_back(bytes);
      bySize.emplace(bytes->size(), found);
    }
    prepared.resultOf.push_back(found);
  }
  prepared.results.resize(distinct.size());
  const unsigned threads = ThreadCount(work, distinct.size());
  // What a thread throws (running out of memory) is thrown again here.
  std::vector<std::exception_ptr> failures(threads);
  std::atomic<size_t> next{0};
  auto worker = [&](unsigned thread) {
    try {
      for (size_t i = next++; i < distinct.size(); i = next++) {
        prepared.results[i] = Prepare(*distinct[i], work);
      }
    } catch (...) {
      failures[thread] = std::current_exception();
      next = distinct.size();
    }
  };
#ifndef __EMSCRIPTEN__
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    helpers.emplace_back(worker, t);
  }
  worker(0);
  for (std::thread& helper : helpers) {
    helper.join();
  }
#else
  worker(0);
#endif
  for (const std::exception_ptr& failure : failures) {
    if (failure) {
      std::rethrow_exception(failure);
    }
  }
  return prepared;
}
