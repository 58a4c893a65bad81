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
// for pictures above 8192 x 8192 pixels.
bool DecodeJpeg(const std::vector<uint8_t>& bytes, Picture* picture);
// Grey or RGB at quality 90, colour at half resolution each way (4:2:0).
bool EncodeJpeg(const Picture& picture, std::vector<uint8_t>* bytes);
// Always RGBA, 8 bits a channel, transparency chunks applied.
bool DecodePng(const std::vector<uint8_t>& bytes, Picture* picture);
// Grey or RGB, 8 bits a channel, no alpha.
bool EncodePng(const Picture& picture, std::vector<uint8_t>* bytes);
