// The picture work of a build or a check, done once for each distinct file
// (same bytes) however many questions use it, spread over threads where the
// tool has them.
#pragma once

#include <cstdint>
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

struct PictureWork {
  bool fit = false;  // fit as for a build; else only check PNGs
  uint8_t red = 0;   // the quiz's background, under transparent areas
  uint8_t green = 0;
  uint8_t blue = 0;
  unsigned threads = 0;  // 0: as many as the machine has cores (at most 4)
};

struct PreparedPictures {
  std::vector<size_t> resultOf;  // for each picture given, its entry in `results`
  std::vector<PreparedPicture> results;
};

// The results do not depend on the number of threads.
PreparedPictures PreparePictures(const std::vector<const std::vector<uint8_t>*>& pictures,
                                 const PictureWork& work);
