// Pictures stored as the player will show them: scaled down to the size the
// player fits them to, transparency composited over the quiz's background.
#pragma once

#include <cstdint>
#include <vector>

enum class PictureFitResult {
  Unchanged,    // already no larger than its fitted size and opaque, or not JPEG or PNG
  Fitted,       // `stored` holds the new file
  Undecodable,  // the tool's codecs could not read it; store it as given
};

// JPEG comes back as JPEG (grey or RGB), PNG as an 8-bit PNG without alpha.
// `transparent`, when given, tells whether some pixel of a decoded PNG is
// not fully opaque.
PictureFitResult FitPictureForPlayer(const std::vector<uint8_t>& bytes, uint8_t red, uint8_t green,
                                     uint8_t blue, std::vector<uint8_t>* stored, bool* transparent = nullptr);
