// Windows side of the PNG decoder: attaching a raw-data resource of the module
// and building a GDI bitmap from the decoded rows. Memory comes from the
// process heap.
//
// A failed PngCreateBitmap releases everything it took: the DC, the DIB
// section or the row buffer.
#include <windows.h>

#include <cstddef>

#include "media/png_decoder.h"

void* PngAlloc(size_t size) {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void PngFree(void* block) {
  if (block != nullptr) {
    HeapFree(GetProcessHeap(), 0, block);
  }
}

int PngLoadResource(PngImage* image, HINSTANCE module, int resourceId) {
  if (image->stage != 0 || image->source != 0) {
    image->lastError = PngErrorRecordInUse;
    return 0;
  }
  image->lastError = PngErrorNone;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) {
    image->lastError = PngErrorNoResource;
    return 0;
  }
  HGLOBAL loaded = LoadResource(module, found);
  DWORD size = SizeofResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  return PngLoadMemory(image, static_cast<const uint8_t*>(bytes), size);
}

namespace {

HBITMAP Refuse(PngImage* image, PngError error) {
  image->lastError = error;
  return nullptr;
}

// Checks a requested format against the image and fills the DIB header and
// colour table for it; kPngDefaultFormat becomes the image's default. False
// with lastError set when the format does not fit or the header is broken.
bool ResolveFormat(PngImage* image, uint32_t* format, PngBitmapInfo* info) {
  if (*format != kPngDefaultFormat && (((*format >> 8) & 0xFF) != 1 || (*format >> 24) != image->colourType ||
                                       ((*format >> 16) & 0xFF) != image->bitDepth)) {
    image->lastError = PngErrorFormatMismatch;
    return false;
  }
  uint32_t defaultFormat = 0;
  if (!PngFillBitmapInfo(image, info, &defaultFormat)) {
    image->lastError = PngErrorBadData;
    return false;
  }
  if (*format == kPngDefaultFormat) {
    *format = defaultFormat;
  }
  return true;
}

// A DIB section the rows are converted straight into.
HBITMAP MakeDibSection(PngImage* image, HDC dc, const BITMAPINFO* bitmapInfo, uint32_t format) {
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, bitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr) {
      DeleteObject(bitmap);
    }
    return Refuse(image, PngErrorBitmapFailed);
  }
  if (!PngConvert(image, static_cast<uint8_t*>(bits), format)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

// A device-dependent bitmap made from rows converted into a buffer of our
// own, freed once the bitmap holds them.
HBITMAP MakeDeviceBitmap(PngImage* image, HDC dc, const BITMAPINFO* bitmapInfo, uint32_t format) {
  size_t stride = ((size_t(image->width) * bitmapInfo->bmiHeader.biBitCount + 31) / 32) * 4;
  uint8_t* buffer = static_cast<uint8_t*>(PngAlloc(stride * image->height));
  if (buffer == nullptr) {
    return Refuse(image, PngErrorOutOfMemory);
  }
  HBITMAP bitmap = nullptr;
  if (PngConvert(image, buffer, format)) {
    bitmap = CreateDIBitmap(dc, &bitmapInfo->bmiHeader, CBM_INIT, buffer, bitmapInfo, DIB_RGB_COLORS);
    if (bitmap == nullptr) {
      image->lastError = PngErrorBitmapFailed;
    }
  }
  PngFree(buffer);
  return bitmap;
}

}  // namespace

HBITMAP PngCreateBitmap(PngImage* image, HWND window, uint32_t format, int targetKind) {
  if (image->stage != 2) {
    return Refuse(image, PngErrorWrongStage);
  }
  image->lastError = PngErrorNone;
  PngBitmapInfo info;
  if (!ResolveFormat(image, &format, &info)) {
    return nullptr;
  }
  // A format that fits the image's colour type and depth but names no
  // converter makes no bitmap and leaves no code.
  uint32_t outputBits = PngOutputBits(format);
  if (outputBits == 0) {
    return nullptr;
  }
  info.header.biBitCount = uint16_t(outputBits);
  const BITMAPINFO* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(&info);
  HDC dc = GetDC(window);
  if (dc == nullptr) {
    return Refuse(image, PngErrorBitmapFailed);
  }
  HBITMAP bitmap = targetKind == 0 ? MakeDibSection(image, dc, bitmapInfo, format)
                                   : MakeDeviceBitmap(image, dc, bitmapInfo, format);
  ReleaseDC(window, dc);
  return bitmap;
}

// PngBitmapInfo stands in for BITMAPINFO in the portable code.
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER layout");
static_assert(offsetof(PngBitmapInfo, colours) == sizeof(BITMAPINFOHEADER), "colour table offset");
static_assert(sizeof(PngBitmapInfo) == sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), "BITMAPINFO size");
