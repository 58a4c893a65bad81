// Picture headers read here: JPEG start-of-frame markers (SOF0..SOF15 but
// the DHT, JPG and DAC ones), the GIF logical screen, the BMP info header and
// the PNG IHDR, each through ByteReader; nothing is decoded.
#include "media/picture_header.h"

#include <cstring>

#include "content/byte_reader.h"

namespace {

constexpr uint32_t kTrnsChunkType = 0x74524E53;  // "tRNS"

// The core header (12 bytes) has 16-bit sizes; the later ones 32-bit, with
// a negative height for top-down rows.
void ReadBmpSize(ByteReader* in, uint32_t* width, uint32_t* height) {
  if (in->Le32(14) == 12) {
    *width = in->Le16(18);
    *height = in->Le16(20);
    return;
  }
  *width = in->Le32(18);
  const int32_t h = static_cast<int32_t>(in->Le32(22));
  *height = h < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(h)) : static_cast<uint32_t>(h);
}

// Walks the markers after SOI to the first start-of-frame; a fill byte 0xFF
// may precede any marker.
bool ReadJpegSize(ByteReader* in, uint32_t* width, uint32_t* height) {
  uint64_t at = 2;
  while (in->Has(at, 4)) {
    if (in->U8(at) != 0xFF) {
      return false;
    }
    const uint8_t marker = in->U8(at + 1);
    if (marker == 0xFF) {
      at += 1;
      continue;
    }
    const uint32_t length = in->Be16(at + 2);
    const bool startOfFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (!in->Has(at, 9)) {
        return false;
      }
      *height = in->Be16(at + 5);
      *width = in->Be16(at + 7);
      return true;
    }
    if (length < 2) {
      return false;
    }
    at += 2 + length;
  }
  return false;
}

}  // namespace

bool PngHasTrnsChunk(const std::vector<uint8_t>& bytes) {
  ByteReader in(bytes);
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const uint32_t length = in.Be32(at);
    if (in.Be32(at + 4) == kTrnsChunkType) {
      return true;
    }
    if (length > bytes.size() - at - 12) {
      break;
    }
    at += 12 + length;
  }
  return false;
}

PictureFormat DetectPictureFormat(const std::vector<uint8_t>& bytes) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPng, 8) == 0) {
    return PictureFormat::Png;
  }
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    return PictureFormat::Jpeg;
  }
  if (bytes.size() >= 6 &&
      (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0)) {
    return PictureFormat::Gif;
  }
  if (bytes.size() >= 26 && bytes[0] == 'B' && bytes[1] == 'M') {
    return PictureFormat::Bmp;
  }
  return PictureFormat::Unknown;
}

const char* PictureExtension(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg:
      return "jpg";
    case PictureFormat::Gif:
      return "gif";
    case PictureFormat::Bmp:
      return "bmp";
    case PictureFormat::Png:
      return "png";
    case PictureFormat::Unknown:
      break;
  }
  return "bin";
}

bool ReadPictureSize(const std::vector<uint8_t>& bytes, uint32_t* width, uint32_t* height) {
  ByteReader in(bytes);
  switch (DetectPictureFormat(bytes)) {
    case PictureFormat::Png:
      *width = in.Be32(16);
      *height = in.Be32(20);
      return in.ok;
    case PictureFormat::Gif:
      *width = in.Le16(6);
      *height = in.Le16(8);
      return in.ok;
    case PictureFormat::Bmp:
      ReadBmpSize(&in, width, height);
      return in.ok;
    case PictureFormat::Jpeg:
      return ReadJpegSize(&in, width, height);
    case PictureFormat::Unknown:
      break;
  }
  return false;
}

bool PngDeclaresTransparency(const std::vector<uint8_t>& bytes) {
  return (bytes.size() > 25 && bytes[25] == 4) || PngHasTrnsChunk(bytes);
}
