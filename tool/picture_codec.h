// JPEG and PNG files to pixels and back, for the pictures the tool fits
// before storing them (libjpeg-turbo and libspng). The player never uses
// these: it keeps its own decoders.
#pragma once

#include <cstdint>
#include <vector>

#include "tool/picture_resample.h"

// False where this build of the tool has no codecs; pictures are then
// stored as given.
bool PictureCodecsAvailable();

// Grey or RGB; false for what the library refuses (CMYK among others) and
// for pictures above 8192 x 8192 pixels. Decoded at the smallest of 1/8,
// 1/4, 1/2 and full scale still at least atLeastWidth x atLeastHeight (each
// scaled side rounded up), which saves most of the work for a picture
// that is to be shrunk.
bool DecodeJpeg(const std::vector<uint8_t>& bytes, Picture* picture, uint32_t atLeastWidth = UINT32_MAX,
                uint32_t atLeastHeight = UINT32_MAX);
// Grey or RGB at quality 90, colour at half resolution each way (4:2:0).
bool EncodeJpeg(const Picture& picture, std::vector<uint8_t>* bytes);
// RGBA, 8 bits a channel, transparency chunks applied; with rgbWhenOpaque,
// RGB for a file with neither an alpha channel nor a tRNS chunk, which
// saves the alpha a quarter of the work for nothing.
bool DecodePng(const std::vector<uint8_t>& bytes, Picture* picture, bool rgbWhenOpaque = false);
// Grey or RGB, 8 bits a channel, no alpha.
bool EncodePng(const Picture& picture, std::vector<uint8_t>* bytes);
