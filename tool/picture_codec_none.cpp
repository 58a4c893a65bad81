// A build of the tool without the picture libraries: no picture is
// decoded, so every picture is stored as the author gave it.
#include "tool/picture_codec.h"

bool PictureCodecsAvailable() {
  return false;
}

bool DecodeJpeg(const std::vector<uint8_t>&, Picture*, uint32_t, uint32_t) {
  return false;
}

bool EncodeJpeg(const Picture&, std::vector<uint8_t>*) {
  return false;
}

bool DecodePng(const std::vector<uint8_t>&, Picture*, bool) {
  return false;
}

bool EncodePng(const Picture&, std::vector<uint8_t>*) {
  return false;
}
