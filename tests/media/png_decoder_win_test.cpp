// PNG decoder on Windows: raw-data resources of the test program decoded into
// DIB sections and device-dependent bitmaps, and the error codes of the
// resource and bitmap steps.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "media/png_decoder.h"

namespace {

constexpr int kRgb = 401;
constexpr int kRgba = 402;
constexpr int kPalette2 = 403;
constexpr int kGrey4Interlaced = 404;
constexpr int kBadColourType = 405;
constexpr int kNotPng = 406;
constexpr int kBadFilter = 407;
constexpr int kMissing = 499;

HINSTANCE Module() {
  return GetModuleHandleA(nullptr);
}

// A decoded record, released at the end of the scope.
struct Decoded {
  PngImage image;
  Decoded() { PngInit(&image); }
  ~Decoded() { PngCleanup(&image); }
  bool Load(int id) { return PngLoadResource(&image, Module(), id) == 1 && PngDecode(&image) == 1; }
};

// The rows the portable path produces for the same record and format.
std::vector<uint8_t> PortableRows(PngImage* image, uint32_t format, uint32_t bits) {
  size_t stride = ((size_t(image->width) * bits + 31) / 32) * 4;
  std::vector<uint8_t> rows(stride * image->height, 0);
  EXPECT_EQ(PngConvert(image, rows.data(), format), 1);
  return rows;
}

TEST(PngBitmap, DibSectionsHaveTheSizeBitCountAndPixelsOfTheImage) {
  const struct {
    int id;
    int bitCount;
    uint32_t format;
  } kCases[] = {{kRgb, 24, 0x0208010C},
                {kRgba, 32, 0x0608010E},
                {kPalette2, 4, 0x0302010B},
                {kGrey4Interlaced, 4, 0x00040100}};
  for (const auto& c : kCases) {
    Decoded d;
    ASSERT_TRUE(d.Load(c.id)) << c.id << " " << std::hex << d.image.lastError;
    HBITMAP bitmap = PngCreateBitmap(&d.image, nullptr, kPngDefaultFormat, 0);
    ASSERT_NE(bitmap, nullptr) << c.id;
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof section, &section), int(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 32);
    EXPECT_EQ(section.dsBm.bmHeight, 32);
    EXPECT_EQ(section.dsBm.bmBitsPixel, c.bitCount) << c.id;
    std::vector<uint8_t> expected = PortableRows(&d.image, c.format, c.bitCount);
    const uint8_t* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(bits, bits + expected.size()), expected) << c.id;
    if (c.id == kRgb) {
      // The first rows in memory are the top of the picture.
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, bitmap);
      for (int x = 0; x < 32; x += 7) {
        EXPECT_EQ(GetPixel(dc, x, 0), RGB(expected[3 * x + 2], expected[3 * x + 1], expected[3 * x])) << x;
      }
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    DeleteObject(bitmap);
  }
}

TEST(PngBitmap, PaletteAndGreyRampReachTheColourTable) {
  Decoded d;
  ASSERT_TRUE(d.Load(kPalette2));
  HBITMAP bitmap = PngCreateBitmap(&d.image, nullptr, kPngDefaultFormat, 0);
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RGBQUAD table[16] = {};
  EXPECT_EQ(GetDIBColorTable(dc, 0, 16, table), 16u);
  ASSERT_GE(d.image.paletteCount, 4u);
  for (uint32_t i = 0; i < 4; i++) {
    EXPECT_EQ(table[i].rgbRed, d.image.palette[3 * i]);
    EXPECT_EQ(table[i].rgbGreen, d.image.palette[3 * i + 1]);
    EXPECT_EQ(table[i].rgbBlue, d.image.palette[3 * i + 2]);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

TEST(PngBitmap, TwentyFourBitFormatForRgbaAndMismatches) {
  Decoded rgba;
  ASSERT_TRUE(rgba.Load(kRgba));
  HBITMAP bitmap = PngCreateBitmap(&rgba.image, nullptr, 0x0608010D, 0);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmBitsPixel, 24);
  DeleteObject(bitmap);

  Decoded rgb;
  ASSERT_TRUE(rgb.Load(kRgb));
  EXPECT_EQ(PngCreateBitmap(&rgb.image, nullptr, 0x0608010D, 0), nullptr);
  EXPECT_EQ(rgb.image.lastError, PngErrorFormatMismatch);
  EXPECT_EQ(PngCreateBitmap(&rgb.image, nullptr, 0x0208000C, 0), nullptr);  // flag byte 0
  EXPECT_EQ(rgb.image.lastError, PngErrorFormatMismatch);
  // Type and depth fit, but no converter 7 exists for 8-bit colour: no
  // bitmap and no code, whatever the target.
  for (int targetKind : {0, 1}) {
    EXPECT_EQ(PngCreateBitmap(&rgb.image, nullptr, 0x02080107, targetKind), nullptr);
    EXPECT_EQ(rgb.image.lastError, PngErrorNone);
  }
  // The record stays usable after a refused format.
  bitmap = PngCreateBitmap(&rgb.image, nullptr, kPngDefaultFormat, 0);
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
}

TEST(PngBitmap, DeviceDependentBitmapKeepsTheColours) {
  Decoded d;
  ASSERT_TRUE(d.Load(kRgb));
  HBITMAP bitmap = PngCreateBitmap(&d.image, nullptr, kPngDefaultFormat, 1);
  ASSERT_NE(bitmap, nullptr) << std::hex << d.image.lastError;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 32);
  EXPECT_EQ(info.bmHeight, 32);

  // Read it back as 32-bit top-down rows and compare with the 24-bit rows.
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = 32;
  request.bmiHeader.biHeight = -32;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> back(32 * 32 * 4);
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, bitmap, 0, 32, back.data(), &request, DIB_RGB_COLORS), 32);
  ReleaseDC(nullptr, screen);
  std::vector<uint8_t> rows = PortableRows(&d.image, 0x0208010C, 24);
  for (int i = 0; i < 32 * 32; i++) {
    ASSERT_EQ(back[4 * i], rows[3 * i]) << i;
    ASSERT_EQ(back[4 * i + 1], rows[3 * i + 1]) << i;
    ASSERT_EQ(back[4 * i + 2], rows[3 * i + 2]) << i;
  }
  DeleteObject(bitmap);
}

TEST(PngBitmap, ResourceAndStageErrors) {
  const struct {
    int id;
    uint32_t error;
  } kLoads[] = {
      {kMissing, PngErrorNoResource}, {kBadColourType, PngErrorUnsupported}, {kNotPng, PngErrorBadData}};
  for (const auto& c : kLoads) {
    PngImage image;
    PngInit(&image);
    EXPECT_EQ(PngLoadResource(&image, Module(), c.id), 0);
    EXPECT_EQ(image.lastError, c.error) << c.id;
    EXPECT_EQ(image.source, 0u) << "a failed load leaves the record empty";
    EXPECT_EQ(image.stage, 0u);
    EXPECT_EQ(image.data, nullptr);
  }

  PngImage image;
  PngInit(&image);
  EXPECT_EQ(PngCreateBitmap(&image, nullptr, kPngDefaultFormat, 0), nullptr);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);
  ASSERT_EQ(PngLoadResource(&image, Module(), kRgb), 1);
  EXPECT_EQ(image.source, 2u);
  EXPECT_EQ(PngCreateBitmap(&image, nullptr, kPngDefaultFormat, 0), nullptr);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);
  EXPECT_EQ(PngLoadResource(&image, Module(), kRgb), 0);
  EXPECT_EQ(image.lastError, PngErrorRecordInUse);
  ASSERT_EQ(PngDecode(&image), 1);
  // Bitmaps may be made more than once from one decoded record.
  HBITMAP first = PngCreateBitmap(&image, nullptr, kPngDefaultFormat, 0);
  HBITMAP second = PngCreateBitmap(&image, nullptr, kPngDefaultFormat, 0);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  DeleteObject(first);
  DeleteObject(second);
  PngCleanup(&image);
  EXPECT_EQ(image.stage, 0u);
}

TEST(PngBitmap, FailedConversionLeavesNoBitmap) {
  for (int targetKind : {0, 1}) {
    Decoded d;
    ASSERT_TRUE(d.Load(kBadFilter));
    EXPECT_EQ(PngCreateBitmap(&d.image, nullptr, kPngDefaultFormat, targetKind), nullptr);
    EXPECT_EQ(d.image.lastError, PngErrorBadData);
  }
}

TEST(PngBitmap, HeapBlocksComeFromTheProcessHeap) {
  void* block = PngAlloc(100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(HeapSize(GetProcessHeap(), 0, block), 100u);
  PngFree(block);
}

}  // namespace
