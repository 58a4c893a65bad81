// PNG pixels go through the player's own decoder, so a picture the player
// would refuse is refused at build time too; the headers are read in
// media/picture_header.cpp.
#include "tool/picture_check.h"

#include "media/png_decoder.h"

namespace {

constexpr uint64_t kMaxPixels = 1ull << 26;  // 8192 x 8192

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

// The sizes of the bitmap file a decoded PNG becomes.
struct BmpLayout {
  uint32_t bits = 0;
  uint32_t stride = 0;
  uint32_t colours = 0;
  uint32_t pixelOffset = 0;
  uint64_t fileSize = 0;
};

BmpLayout LayOutBmp(const DecodedPng& png) {
  BmpLayout layout;
  // The picture loader copies colour only: 32-bit rows lose their alpha.
  const uint32_t sourceBits = png.info.header.biBitCount;
  layout.bits = sourceBits == 32 ? 24 : sourceBits;
  layout.stride =
      static_cast<uint32_t>(((static_cast<uint64_t>(png.image.width) * layout.bits + 7) / 8 + 3) & ~3ull);
  if (layout.bits <= 8) {
    layout.colours = 1u << layout.bits;
  }
  layout.pixelOffset = 14 + 40 + 4 * layout.colours;
  layout.fileSize = layout.pixelOffset + static_cast<uint64_t>(layout.stride) * png.image.height;
  return layout;
}

// The file header, the info header and the palette.
void AppendBmpHeaders(const DecodedPng& png, const BmpLayout& layout, std::vector<uint8_t>* bmp) {
  bmp->push_back('B');
  bmp->push_back('M');
  Append32(bmp, static_cast<uint32_t>(layout.fileSize));
  Append32(bmp, 0);
  Append32(bmp, layout.pixelOffset);
  Append32(bmp, 40);
  Append32(bmp, png.image.width);
  Append32(bmp, png.image.height);  // bottom-up
  Append16(bmp, 1);
  Append16(bmp, layout.bits);
  Append32(bmp, 0);  // BI_RGB
  Append32(bmp, layout.stride * png.image.height);
  Append32(bmp, 2835);  // 72 dpi
  Append32(bmp, 2835);
  Append32(bmp, layout.colours);
  Append32(bmp, 0);
  for (uint32_t i = 0; i < layout.colours; ++i) {
    bmp->push_back(png.info.colours[i].blue);
    bmp->push_back(png.info.colours[i].green);
    bmp->push_back(png.info.colours[i].red);
    bmp->push_back(0);
  }
}

// The pixel rows, bottom row first, each padded to the stride.
void AppendBmpRows(const DecodedPng& png, const BmpLayout& layout, std::vector<uint8_t>* bmp) {
  const uint32_t width = png.image.width;
  for (uint32_t y = png.image.height; y-- > 0;) {
    const uint8_t* row = png.bits.data() + static_cast<size_t>(y) * png.stride;
    const size_t start = bmp->size();
    if (png.info.header.biBitCount == 32) {
      for (uint32_t x = 0; x < width; ++x) {
        bmp->push_back(row[4 * x]);
        bmp->push_back(row[4 * x + 1]);
        bmp->push_back(row[4 * x + 2]);
      }
    } else {
      bmp->insert(bmp->end(), row, row + (static_cast<uint64_t>(width) * layout.bits + 7) / 8);
    }
    bmp->resize(start + layout.stride, 0);
  }
}

}  // namespace

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
  if (png.image.colourType == 4 || PngHasTrnsChunk(bytes)) {  // as PngDeclaresTransparency
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

bool DecodePngToBmp(const std::vector<uint8_t>& pngBytes, std::vector<uint8_t>* bmp, uint32_t* errorCode) {
  DecodedPng png;
  if (!png.Decode(pngBytes)) {
    *errorCode = png.errorCode;
    return false;
  }
  *errorCode = 0;
  const BmpLayout layout = LayOutBmp(png);
  if (layout.fileSize > 0xFFFFFFFFu) {
    *errorCode = PngErrorOutOfMemory;
    return false;
  }
  bmp->clear();
  bmp->reserve(static_cast<size_t>(layout.fileSize));
  AppendBmpHeaders(png, layout, bmp);
  AppendBmpRows(png, layout, bmp);
  return true;
}
