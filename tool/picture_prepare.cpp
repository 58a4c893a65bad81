// When a PNG is fitted the player decodes the stored picture, not the
// author's file, so that is what its decoder is run over: a 260 x 195 PNG
// costs it a tenth of an 800 x 600 one. Without fitting, or when the tool's
// own decoder refuses the file, the file is checked as it is. Each thread
// takes the next distinct picture and writes only that picture's result.
#include "tool/picture_prepare.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <map>

#ifndef __EMSCRIPTEN__
#include <thread>
#endif

#include "media/picture_header.h"

namespace {

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
    ReadPictureSize(bytes, &result.check.width, &result.check.height);
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

// A 64-bit hash of the content, eight bytes at a time; equal hashes are
// only a hint, the bytes are compared whole.
uint64_t ContentHash(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ bytes.size();
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, 8);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  for (; i < bytes.size(); ++i) {
    hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  }
  return hash ^ (hash >> 29);
}

struct Distinct {
  std::vector<const std::vector<uint8_t>*> bytes;
  std::vector<uint64_t> hashes;
};

// The same buffer given twice is known without reading it (a file several
// questions name); other buffers are hashed and compared only on equal hashes.
Distinct FindDistinct(const std::vector<const std::vector<uint8_t>*>& pictures,
                      std::vector<size_t>* resultOf) {
  Distinct distinct;
  std::map<const std::vector<uint8_t>*, size_t> byBuffer;
  std::multimap<uint64_t, size_t> byHash;
  for (const std::vector<uint8_t>* bytes : pictures) {
    const auto seen = byBuffer.find(bytes);
    if (seen != byBuffer.end()) {
      resultOf->push_back(seen->second);
      continue;
    }
    const uint64_t hash = ContentHash(*bytes);
    size_t found = distinct.bytes.size();
    const auto range = byHash.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
      if (*distinct.bytes[it->second] == *bytes) {
        found = it->second;
        break;
      }
    }
    if (found == distinct.bytes.size()) {
      distinct.bytes.push_back(bytes);
      distinct.hashes.push_back(hash);
      byHash.emplace(hash, found);
    }
    byBuffer.emplace(bytes, found);
    resultOf->push_back(found);
  }
  return distinct;
}

bool SameWork(const PictureWork& a, const PictureWork& b) {
  return a.fit == b.fit && a.red == b.red && a.green == b.green && a.blue == b.blue;
}

bool FindCached(const PictureCache& cache, uint64_t hash, const std::vector<uint8_t>& bytes,
                const PictureWork& work, PreparedPicture* result) {
  for (const PictureCacheEntry& entry : cache.entries) {
    if (entry.hash == hash && SameWork(entry.work, work) && entry.bytes == bytes) {
      *result = entry.result;
      return true;
    }
  }
  return false;
}

size_t HeldBytes(const PictureCacheEntry& entry) {
  return entry.bytes.size() + entry.result.stored.size();
}

void KeepInCache(PictureCache* cache, uint64_t hash, const std::vector<uint8_t>& bytes,
                 const PictureWork& work, const PreparedPicture& result) {
  PictureCacheEntry entry{hash, bytes, work, result};
  entry.work.cache = nullptr;
  size_t held = HeldBytes(entry);
  if (held > cache->maxBytes) {
    return;
  }
  for (const PictureCacheEntry& known : cache->entries) {
    held += HeldBytes(known);
  }
  while (held > cache->maxBytes) {
    held -= HeldBytes(cache->entries.front());
    cache->entries.pop_front();
  }
  cache->entries.push_back(std::move(entry));
}

// Works out the pictures not `known`, each thread taking the next one.
void WorkOut(const std::vector<const std::vector<uint8_t>*>& distinct, const std::vector<bool>& known,
             const PictureWork& work, std::vector<PreparedPicture>* results) {
  const unsigned threads = ThreadCount(work, distinct.size());
  // What a thread throws (running out of memory) is thrown again here.
  std::vector<std::exception_ptr> failures(threads);
  std::atomic<size_t> next{0};
  auto worker = [&](unsigned thread) {
    try {
      for (size_t i = next++; i < distinct.size(); i = next++) {
        if (!known[i]) {
          (*results)[i] = Prepare(*distinct[i], work);
        }
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
}

}  // namespace

PreparedPictures PreparePictures(const std::vector<const std::vector<uint8_t>*>& pictures,
                                 const PictureWork& work) {
  PreparedPictures prepared;
  const Distinct distinct = FindDistinct(pictures, &prepared.resultOf);
  prepared.results.resize(distinct.bytes.size());
  std::vector<bool> known(distinct.bytes.size(), false);
  for (size_t i = 0; work.cache != nullptr && i < distinct.bytes.size(); ++i) {
    known[i] = FindCached(*work.cache, distinct.hashes[i], *distinct.bytes[i], work, &prepared.results[i]);
  }
  WorkOut(distinct.bytes, known, work, &prepared.results);
  for (size_t i = 0; work.cache != nullptr && i < distinct.bytes.size(); ++i) {
    if (!known[i]) {
      KeepInCache(work.cache, distinct.hashes[i], *distinct.bytes[i], work, prepared.results[i]);
    }
  }
  return prepared;
}
