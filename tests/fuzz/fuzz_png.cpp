// Fuzzes the path from PNG bytes to DIB rows: parse, inflate, then convert
// into a buffer of exactly stride x height bytes, in the default format and in
// the 24-bit alternative when the image has one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/png_decoder.h"

namespace {

// Larger images only cost time; the size checks are exercised by parsing.
constexpr uint32_t kMaxRawSize = 1u << 22;

void ConvertInto(PngImage* image, uint32_t format) {
  uint32_t bits = PngOutputBits(format);
  if (bits == 0) {
    return;
  }
  size_t stride = ((size_t(image->width) * bits + 31) / 32) * 4;
  std::vector<uint8_t> rows(stride * image->height);
  PngConvert(image, rows.data(), format);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PngImage image;
  PngInit(&image);
  if (!PngLoadMemory(&image, data, uint32_t(size)) || PngRawSize(&image) > kMaxRawSize) {
    PngCleanup(&image);
    return 0;
  }
  if (PngDecode(&image)) {
    PngBitmapInfo info;
    uint32_t format = 0;
    if (PngFillBitmapInfo(&image, &info, &format)) {
      ConvertInto(&image, format);
      if (image.colourType == 6) {
        ConvertInto(&image, (format & ~0xFFu) | (image.bitDepth == 8 ? 0x0D : 0x08));
      }
    }
  }
  PngCleanup(&image);
  return 0;
}
