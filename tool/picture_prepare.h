// The picture work of a build or a check, done once for each distinct file
// (same bytes) however many questions use it, spread over threads where the
// tool has them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "tool/picture_check.h"
#include "tool/picture_fit.h"

struct PreparedPicture {
  PictureFitResult fit = PictureFitResult::Unchanged;
  std::vector<uint8_t> stored;  // the file to store when Fitted
  // PNG only: the player's decoder over what will be stored, with the size
  // and transparency of the file as given.
  PngCheck check;
};

struct PictureCache;

struct PictureWork {
  bool fit = false;  // fit as for a build; else only check PNGs
  uint8_t red = 0;   // the quiz's background, under transparent areas
  uint8_t green = 0;
  uint8_t blue = 0;
  unsigned threads = 0;           // 0: as many as the machine has cores (at most 4)
  PictureCache* cache = nullptr;  // results kept across calls; none: all worked out
};

// The results lately worked out, kept by content: the authoring page checks
// its draft a moment after each keystroke, and a picture that has not
// changed need not be decoded or fitted again. An entry keeps the file's
// bytes, so a hit is the same content and not only the same hash; the
// oldest entries go once more than maxBytes are held.
struct PictureCacheEntry {
  uint64_t hash = 0;
  std::vector<uint8_t> bytes;
  PictureWork work;  // its fit and background; threads and cache unused
  PreparedPicture result;
};

struct PictureCache {
  size_t maxBytes = size_t{96} << 20;
  std::deque<PictureCacheEntry> entries;  // oldest first
};

struct PreparedPictures {
  std::vector<size_t> resultOf;  // for each picture given, its entry in `results`
  std::vector<PreparedPicture> results;
};

// The results do not depend on the number of threads.
PreparedPictures PreparePictures(const std::vector<const std::vector<uint8_t>*>& pictures,
                                 const PictureWork& work);
