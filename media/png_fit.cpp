// The web player's PNG path. The decoder leaves DIB rows in its default
// format (32-bit BGRA, 24-bit BGR, or 1 to 8 bits through a colour table);
// they are averaged straight into the fitted size, one target row at a time,
// so the only full-size buffers are the decoder's own. The Windows player's
// fit is GDI's halftone stretch; an area mean is what it comes to for the
// shrinking the player does, and the pages need the same size, not the same
// filter.
#include "media/png_fit.h"

#include <algorithm>
#include <new>

#include "media/png_decoder.h"

namespace {

struct DibRows {
  const uint8_t* bits;
  uint64_t stride;
  uint32_t bitCount;
  const PngBitmapInfo* info;
};

// Red, green and blue of source pixel (x, y).
void ReadPixel(const DibRows& dib, uint32_t x, uint32_t y, uint32_t rgb[3]) {
  const uint8_t* row = dib.bits + dib.stride * y;
  if (dib.bitCount >= 24) {
    const uint8_t* p = row + static_cast<size_t>(x) * (dib.bitCount / 8);
    rgb[0] = p[2];
    rgb[1] = p[1];
    rgb[2] = p[0];
    return;
  }
  const uint32_t bit = x * dib.bitCount;
  const uint32_t shift = 8 - dib.bitCount - bit % 8;
  const uint32_t index = (row[bit / 8] >> shift) & ((1u << dib.bitCount) - 1);
  rgb[0] = dib.info->colours[index].red;
  rgb[1] = dib.info->colours[index].green;
  rgb[2] = dib.info->colours[index].blue;
}

// Source span [first, end) that target position i of `target` covers.
void Span(uint32_t i, uint32_t source, uint32_t target, uint32_t* first, uint32_t* end) {
  *first = static_cast<uint32_t>(uint64_t{i} * source / target);
  const uint32_t last = static_cast<uint32_t>(uint64_t{i + 1} * source / target);
  *end = last > *first ? last : *first + 1;
}

void ScaleInto(const DibRows& dib, uint32_t width, uint32_t height, PngFitResult* out) {
  std::vector<uint64_t> sums(static_cast<size_t>(out->width) * 3);
  for (uint32_t y = 0; y < out->height; ++y) {
    uint32_t top = 0, bottom = 0;
    Span(y, height, out->height, &top, &bottom);
    std::fill(sums.begin(), sums.end(), 0);
    uint64_t across = 0;
    for (uint32_t x = 0; x < out->width; ++x) {
      uint32_t left = 0, right = 0;
      Span(x, width, out->width, &left, &right);
      across = right - left;
      for (uint32_t sy = top; sy < bottom; ++sy) {
        for (uint32_t sx = left; sx < right; ++sx) {
          uint32_t rgb[3];
          ReadPixel(dib, sx, sy, rgb);
          for (int c = 0; c < 3; ++c) {
            sums[x * 3 + static_cast<size_t>(c)] += rgb[c];
          }
        }
      }
      const uint64_t count = across * (bottom - top);
      uint8_t* pixel = out->rgba.data() + (static_cast<size_t>(y) * out->width + x) * 4;
      for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<uint8_t>((sums[x * 3 + static_cast<size_t>(c)] + count / 2) / count);
      }
      pixel[3] = 255;
    }
  }
}

// The decoded image's DIB rows into `bits`, with their layout.
bool ConvertRows(PngImage* image, PngBitmapInfo* info, std::vector<uint8_t>* bits, DibRows* dib) {
  uint32_t format = 0;
  if (!PngDecode(image) || !PngFillBitmapInfo(image, info, &format)) {
    return false;
  }
  dib->bitCount = info->header.biBitCount;
  dib->stride = ((uint64_t{image->width} * dib->bitCount + 7) / 8 + 3) & ~uint64_t{3};
  bits->assign(static_cast<size_t>(dib->stride * image->height), 0);
  if (!PngConvert(image, bits->data(), format)) {
    return false;
  }
  dib->bits = bits->data();
  dib->info = info;
  return dib->bitCount == 32 || dib->bitCount == 24 || dib->bitCount <= 8;
}

PngFitResult Decode(const uint8_t* bytes, size_t size, uint32_t fitWidth, uint32_t fitHeight) {
  PngFitResult result;
  PngImage image;
  PngInit(&image);
  PngBitmapInfo info = {};
  std::vector<uint8_t> bits;
  DibRows dib = {};
  if (size > UINT32_MAX || !PngLoadMemory(&image, bytes, static_cast<uint32_t>(size)) ||
      !ConvertRows(&image, &info, &bits, &dib)) {
    result.errorCode = image.lastError != 0 ? image.lastError : uint32_t{PngErrorBadData};
    PngCleanup(&image);
    return result;
  }
  const uint32_t width = image.width;
  const uint32_t height = image.height;
  PngCleanup(&image);  // the raw rows go before the output is made
  result.width = fitWidth;
  result.height = fitHeight;
  result.rgba.resize(static_cast<size_t>(fitWidth) * fitHeight * 4);
  ScaleInto(dib, width, height, &result);
  result.ok = true;
  return result;
}

}  // namespace

bool ReadPngHeader(const uint8_t* bytes, size_t size, uint32_t* width, uint32_t* height,
                   uint32_t* errorCode) {
  PngImage image;
  PngInit(&image);
  const bool ok = size <= UINT32_MAX && PngLoadMemory(&image, bytes, static_cast<uint32_t>(size)) != 0;
  *width = image.width;
  *height = image.height;
  *errorCode = ok ? 0 : (image.lastError != 0 ? image.lastError : uint32_t{PngErrorBadData});
  PngCleanup(&image);
  return ok;
}

PngFitResult DecodePngFitted(const uint8_t* bytes, size_t size, uint32_t fitWidth, uint32_t fitHeight) {
  if (bytes == nullptr || fitWidth == 0 || fitHeight == 0) {
    PngFitResult refused;
    refused.errorCode = PngErrorBadData;
    return refused;
  }
  try {
    return Decode(bytes, size, fitWidth, fitHeight);
  } catch (const std::bad_alloc&) {
    PngFitResult refused;
    refused.errorCode = PngErrorOutOfMemory;
    return refused;
  }
}
