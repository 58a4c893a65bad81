// Picture headers read here: JPEG start-of-frame markers (SOF0..SOF15 but
// the DHT, JPG and DAC ones), the GIF logical screen, the BMP info header and
// the PNG IHDR. PNG pixels go through the player's own decoder, so a picture
// the player would refuse is refused at build time too.
#include "tool/picture_check.h"

#include <cstring>

#include "media/png_decoder.h"

namespace {

constexpr uint64_t kMaxPixels = 1ull << 26;  // 8192 x 8192

uint32_t Be16(const std::vector<uint8_t>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] << 8 | b[at + 1]) : 0;
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? (Be16(b, at) << 16 | Be16(b, at + 2)) : 0;
}
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return at + 2 <= b.size() ? static_cast<uint32_t>(b[at] | b[at + 1] << 8) : 0;
}
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return at + 4 <= b.size() ? (Le16(b, at) | Le16(b, at + 2) << 16) : 0;
}

void Append16(std::vector<uint8_t>* out, uint32_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}
void Append32(std::vector<uint8_t>* out, uint32_t value) {
  Append16(out, value & 0xFFFF);
  Append16(out, value >> 16);
}

// Keeps the decoder record's memory released on every path.
struct DecodedPng {
  PngImage image{};
  PngBitmapInfo info{};
  uint32_t format = 0;
  uint32_t stride = 0;
  std::vector<uint8_t> bits;  // top-down DIB rows
  uint32_t errorCode = 0;

  DecodedPng() { PngInit(&image); }
  ~DecodedPng() { PngCleanup(&image); }
  DecodedPng(const DecodedPng&) = delete;
  DecodedPng& operator=(const DecodedPng&) = delete;

  bool Decode(const std::vector<uint8_t>& bytes) {
    if (bytes.size() > 0xFFFFFFFFu ||
        !PngLoadMemory(&image, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
      errorCode = image.lastError != 0 ? image.lastError : static_cast<uint32_t>(PngErrorBadData);
      return false;
    }
    // A header may announce far more pixels than its data holds; no picture
    // of a quiz comes near this size.
    if (static_cast<uint64_t>(image.width) * image.height > kMaxPixels) {
      errorCode = PngErrorOutOfMemory;
      return false;
    }
    if (!PngDecode(&image) || !PngFillBitmapInfo(&image, &info, &format)) {
      errorCode = image.lastError != 0 ? image.lastError : static_cast<uint32_t>(PngErrorBadData);
      return false;
    }
    const uint64_t bitCount = info.header.biBitCount;
    const uint64_t rowBytes = (static_cast<uint64_t>(image.width) * bitCount + 7) / 8;
    const uint64_t total = ((rowBytes + 3) & ~3ull) * image.height;
    // The player makes a DIB section of this size; refuse what no machine
    // would allocate rather than trying.
    if (total > (1ull << 31)) {
      errorCode = PngErrorOutOfMemory;
      return false;
    }
    stride = static_cast<uint32_t>((rowBytes + 3) & ~3ull);
    bits.assign(static_cast<size_t>(total), 0);
    if (!PngConvert(&image, bits.data(), format)) {
      errorCode = image.lastError != 0 ? image.lastError : static_cast<uint32_t>(PngErrorBadData);
      return false;
    }
    return true;
  }
};

bool HasTrnsChunk(const std::vector<uint8_t>& bytes) {
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const uint32_t length = Be32(bytes, at);
    if (std::memcmp(bytes.data() + at + 4, "tRNS", 4) == 0) {
      return true;
    }
    if (length > bytes.size() - at - 12) {
      break;
    }
    at += 12 + length;
  }
  return false;
}

}  // namespace

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
  switch (DetectPictureFormat(bytes)) {
    case PictureFormat::Png:
      *width = Be32(bytes, 16);
      *height = Be32(bytes, 20);
      return bytes.size() >= 24;
    case PictureFormat::Gif:
      *width = Le16(bytes, 6);
      *height = Le16(bytes, 8);
      return bytes.size() >= 10;
    case PictureFormat::Bmp: {
      const uint32_t headerSize = Le32(bytes, 14);
      if (headerSize == 12) {
        *width = Le16(bytes, 18);
        *height = Le16(bytes, 20);
      } else {
        *width = Le32(bytes, 18);
        const int32_t h = static_cast<int32_t>(Le32(bytes, 22));
        *height = h < 0 ? static_cast<uint32_t>(-static_cast<int64_t>(h)) : static_cast<uint32_t>(h);
      }
      return bytes.size() >= 26;
    }
    case PictureFormat::Jpeg: {
      size_t at = 2;
      while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) {
          return false;
        }
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
          at += 1;
          continue;
        }
        const uint32_t length = Be16(bytes, at + 2);
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
          if (at + 9 > bytes.size()) {
            return false;
          }
          *height = Be16(bytes, at + 5);
          *width = Be16(bytes, at + 7);
          return true;
        }
        if (length < 2) {
          return false;
        }
        at += 2 + length;
      }
      return false;
    }
    case PictureFormat::Unknown:
      break;
  }
  return false;
}

PngCheck CheckPng(const std::vector<uint8_t>& bytes) {
  PngCheck check;
  DecodedPng png;
  if (!png.Decode(bytes)) {
    check.errorCode = png.errorCode;
    return check;
  }
  check.ok = true;
  check.width = png.image.width;
  check.height = png.image.height;
  if (png.image.colourType == 4 || HasTrnsChunk(bytes)) {  // as PngDeclaresTransparency
    check.hasTransparency = true;
  } else if (png.image.colourType == 6 && png.info.header.biBitCount == 32) {
    for (uint32_t y = 0; y < png.image.height && !check.hasTransparency; ++y) {
      const uint8_t* row = png.bits.data() + static_cast<size_t>(y) * png.stride;
      for (uint32_t x = 0; x < png.image.width; ++x) {
        if (row[4 * x + 3] != 0xFF) {
          check.hasTransparency = true;
          break;
        }
      }
    }
  }
  return check;
}

bool PngDeclaresTransparency(const std::vector<uint8_t>& bytes) {
  return (bytes.size() > 25 && bytes[25] == 4) || HasTrnsChunk(bytes);
}

bool DecodePngToBmp(const std::vector<uint8_t>& pngBytes, std::vector<uint8_t>* bmp, uint32_t* errorCode) {
  DecodedPng png;
  if (!png.Decode(pngBytes)) {
    *errorCode = png.errorCode;
    return false;
  }
  *errorCode = 0;
  const uint32_t width = png.image.width;
  const uint32_t height = png.image.height;
  const uint32_t sourceBits = png.info.header.biBitCount;
  // The picture loader copies colour only: 32-bit rows lose their alpha.
  const uint32_t bits = sourceBits == 32 ? 24 : sourceBits;
  const uint32_t stride = static_cast<uint32_t>(((static_cast<uint64_t>(width) * bits + 7) / 8 + 3) & ~3ull);
  uint32_t colours = 0;
  if (bits <= 8) {
    colours = 1u << bits;
  }
  const uint32_t pixelOffset = 14 + 40 + 4 * colours;
  const uint64_t fileSize = pixelOffset + static_cast<uint64_t>(stride) * height;
  if (fileSize > 0xFFFFFFFFu) {
    *errorCode = PngErrorOutOfMemory;
    return false;
  }
  bmp->clear();
  bmp->reserve(static_cast<size_t>(fileSize));
  bmp->push_back('B');
  bmp->push_back('M');
  Append32(bmp, static_cast<uint32_t>(fileSize));
  Append32(bmp, 0);
  Append32(bmp, pixelOffset);
  Append32(bmp, 40);
  Append32(bmp, width);
  Append32(bmp, height);  // bottom-up
  Append16(bmp, 1);
  Append16(bmp, bits);
  Append32(bmp, 0);  // BI_RGB
  Append32(bmp, stride * height);
  Append32(bmp, 2835);  // 72 dpi
  Append32(bmp, 2835);
  Append32(bmp, colours);
  Append32(bmp, 0);
  for (uint32_t i = 0; i < colours; ++i) {
    bmp->push_back(png.info.colours[i].blue);
    bmp->push_back(png.info.colours[i].green);
    bmp->push_back(png.info.colours[i].red);
    bmp->push_back(0);
  }
  for (uint32_t y = height; y-- > 0;) {
    const uint8_t* row = png.bits.data() + static_cast<size_t>(y) * png.stride;
    const size_t start = bmp->size();
    if (sourceBits == 32) {
      for (uint32_t x = 0; x < width; ++x) {
        bmp->push_back(row[4 * x]);
        bmp->push_back(row[4 * x + 1]);
        bmp->push_back(row[4 * x + 2]);
      }
    } else {
      bmp->insert(bmp->end(), row, row + (static_cast<uint64_t>(width) * bits + 7) / 8);
    }
    bmp->resize(start + stride, 0);
  }
  return true;
}
