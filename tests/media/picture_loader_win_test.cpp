// Picture loading with the real system calls: OLE for the "IMG" pictures of
// picture_tests.rc, our own decoder for the RT_RCDATA PNGs, and the fitting
// into the box.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/picture_loader.h"
#include "tests/support/message_capture.h"

namespace {

class PictureLoaderTest : public ::testing::Test {
 protected:
  static HBITMAP Load(int id) { return LoadPictureResource(GetModuleHandleA(nullptr), id, "IMG", 260, 260); }

  MessageRecorder recorder_;
};

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth, info.bmHeight};
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return colour;
}

// JPEG and halftone scaling blur colours a little: compare within a margin.
bool Near(COLORREF actual, COLORREF expected) {
  const int tolerance = 40;
  return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
         std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
         std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

std::vector<uint8_t> ResourceBytes(int id, const char* type) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!found)
    return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
}

HBITMAP ScreenBitmap(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

TEST_F(PictureLoaderTest, FitsEveryStoredPictureIntoTheBox) {
  struct Case {
    int id;
    const char* what;
    int width;
    int height;
    COLORREF centre;
  };
  const Case cases[] = {
      {401, "1000 x 500 JPEG, shrunk", 260, 130, RGB(0x20, 0x40, 0xE0)},
      {402, "100 x 50 JPEG, enlarged", 260, 130, RGB(0x20, 0xC0, 0x40)},
      {403, "square JPEG", 260, 260, RGB(0xE0, 0xC0, 0x20)},
      {10000, "id 10000 is stored plain", 260, 260, RGB(0xE0, 0xC0, 0x20)},
      {10001, "id 10001 has its nibbles exchanged", 260, 260, RGB(0xE0, 0xC0, 0x20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HBITMAP bitmap = Load(c.id);
    ASSERT_NE(bitmap, nullptr);
    const SIZE size = SizeOf(bitmap);
    EXPECT_EQ(size.cx, c.width);
    EXPECT_EQ(size.cy, c.height);
    // Right of the middle: the wide picture's blue half.
    EXPECT_TRUE(Near(PixelOf(bitmap, c.width * 3 / 4, c.height / 2), c.centre));
    DeleteObject(bitmap);
  }
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(PictureLoaderTest, WidePictureKeepsItsTwoHalves) {
  HBITMAP bitmap = Load(401);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_TRUE(Near(PixelOf(bitmap, 30, 65), RGB(0xE0, 0x20, 0x20)));
  EXPECT_TRUE(Near(PixelOf(bitmap, 230, 65), RGB(0x20, 0x40, 0xE0)));
  DeleteObject(bitmap);
}

TEST_F(PictureLoaderTest, SwappedPictureLoadsAlikeEveryTimeAndLeavesTheResourceAsStored) {
  const std::vector<uint8_t> before = ResourceBytes(10001, "IMG");
  ASSERT_FALSE(before.empty());
  for (int attempt = 0; attempt < 3; ++attempt) {
    SCOPED_TRACE(attempt);
    HBITMAP bitmap = Load(10001);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(Near(PixelOf(bitmap, 130, 130), RGB(0xE0, 0xC0, 0x20)));
    DeleteObject(bitmap);
  }
  EXPECT_EQ(ResourceBytes(10001, "IMG"), before);
}

TEST_F(PictureLoaderTest, MissingOrUnreadablePicturesGiveNothing) {
  // 404: an "IMG" that is text; its RT_RCDATA twin is a good PNG, which must
  // not be tried. 405: no resource at all. Neither says anything.
  EXPECT_EQ(Load(404), nullptr);
  EXPECT_EQ(Load(405), nullptr);
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(PictureLoaderTest, PngResourceIsDecodedAndFitted) {
  HBITMAP bitmap = Load(406);
  ASSERT_NE(bitmap, nullptr);
  const SIZE size = SizeOf(bitmap);
  EXPECT_EQ(size.cx, 260);
  EXPECT_EQ(size.cy, 130);
  EXPECT_TRUE(Near(PixelOf(bitmap, 130, 65), RGB(0x30, 0x60, 0xC0)));
  // The decoder's DIB section comes back as a bitmap of the screen's kind.
  DIBSECTION section = {};
  EXPECT_EQ(GetObjectA(bitmap, sizeof section, &section), static_cast<int>(sizeof(BITMAP)));
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(section.dsBm.bmBitsPixel, GetDeviceCaps(screen, BITSPIXEL));
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  EXPECT_TRUE(recorder_.messages().empty());
}

bool IsScreenKind(HBITMAP bitmap) {
  DIBSECTION section = {};
  const int size = GetObjectA(bitmap, sizeof section, &section);
  HDC screen = GetDC(nullptr);
  const int screenBits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  return size == static_cast<int>(sizeof(BITMAP)) && section.dsBm.bmBitsPixel == screenBits;
}

// Stored at the size they are shown, both formats skip the fit's copy but
// must come out as the fitted pictures always did.
TEST_F(PictureLoaderTest, PictureAlreadyFittedShowsAsStored) {
  for (int id : {408, 409}) {
    SCOPED_TRACE(id);
    HBITMAP bitmap = Load(id);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(SizeOf(bitmap).cx, 260);
    EXPECT_EQ(SizeOf(bitmap).cy, 130);
    EXPECT_TRUE(IsScreenKind(bitmap));
    EXPECT_TRUE(Near(PixelOf(bitmap, 0, 0), RGB(0xE0, 0x20, 0x20)));
    EXPECT_TRUE(Near(PixelOf(bitmap, 129, 129), RGB(0xE0, 0x20, 0x20)));
    EXPECT_TRUE(Near(PixelOf(bitmap, 130, 0), RGB(0x20, 0x40, 0xE0)));
    EXPECT_TRUE(Near(PixelOf(bitmap, 259, 129), RGB(0x20, 0x40, 0xE0)));
    DeleteObject(bitmap);
  }
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(PictureLoaderTest, FitBitmapAtFittedSize) {
  // A screen bitmap is handed back as it is.
  HBITMAP screenKind = ScreenBitmap(260, 130);
  ASSERT_NE(screenKind, nullptr);
  EXPECT_EQ(FitBitmap(screenKind, 260, 260), screenKind);
  DeleteObject(screenKind);

  // A DIB section still becomes a screen bitmap with the same pixels, and
  // the section is deleted.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 130;
  info.bmiHeader.biHeight = -260;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < 130 * 260; ++i)
    pixels[i] = i < 130 * 130 ? 0x00E02020u : 0x002040E0u;  // top half red, bottom blue (0xRRGGBB)
  HBITMAP fitted = FitBitmap(section, 260, 260);
  ASSERT_NE(fitted, nullptr);
  EXPECT_EQ(GetObjectType(section), 0u);
  EXPECT_TRUE(IsScreenKind(fitted));
  EXPECT_EQ(SizeOf(fitted).cx, 130);
  EXPECT_EQ(SizeOf(fitted).cy, 260);
  EXPECT_EQ(PixelOf(fitted, 0, 129), RGB(0xE0, 0x20, 0x20));
  EXPECT_EQ(PixelOf(fitted, 129, 130), RGB(0x20, 0x40, 0xE0));
  DeleteObject(fitted);
}

TEST_F(PictureLoaderTest, BrokenPngIsReportedOnce) {
  EXPECT_EQ(Load(407), nullptr);
  ASSERT_EQ(recorder_.messages().size(), 1u);
  EXPECT_EQ(recorder_.messages()[0].text, "Error: couldn't decode PNG resource");
  EXPECT_EQ(recorder_.messages()[0].caption, "Information");
  EXPECT_EQ(recorder_.messages()[0].style, static_cast<uint32_t>(MB_ICONERROR));
}

TEST_F(PictureLoaderTest, OlePictureKeepsItsOwnSize) {
  const std::vector<uint8_t> jpeg = ResourceBytes(403, "IMG");
  ASSERT_FALSE(jpeg.empty());
  HBITMAP bitmap = LoadOlePicture(jpeg.data(), static_cast<unsigned>(jpeg.size()));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(SizeOf(bitmap).cx, 120);
  EXPECT_EQ(SizeOf(bitmap).cy, 120);
  DeleteObject(bitmap);

  const std::vector<uint8_t> text = ResourceBytes(404, "IMG");
  EXPECT_EQ(LoadOlePicture(text.data(), static_cast<unsigned>(text.size())), nullptr);
  // A picture cut short, and no bytes at all.
  EXPECT_EQ(LoadOlePicture(jpeg.data(), 20), nullptr);
  EXPECT_EQ(LoadOlePicture(nullptr, 0), nullptr);
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(PictureLoaderTest, FitBitmapSizeRule) {
  struct Case {
    int width, height, boxWidth, boxHeight, fittedWidth, fittedHeight;
  };
  const Case cases[] = {
      {1000, 500, 260, 260, 260, 130}, {100, 50, 260, 260, 260, 130}, {500, 1000, 260, 260, 130, 260},
      {64, 64, 260, 260, 260, 260},    {3, 7, 260, 260, 111, 260},    {7, 3, 260, 260, 260, 111},
      {400, 300, 200, 100, 133, 100},  {1, 1000, 260, 260, 1, 260},   {2600, 1, 260, 260, 260, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    HBITMAP source = ScreenBitmap(c.width, c.height);
    ASSERT_NE(source, nullptr);
    HBITMAP fitted = FitBitmap(source, c.boxWidth, c.boxHeight);
    ASSERT_NE(fitted, nullptr);
    EXPECT_EQ(SizeOf(fitted).cx, c.fittedWidth);
    EXPECT_EQ(SizeOf(fitted).cy, c.fittedHeight);
    // The source belongs to FitBitmap, which deletes it.
    EXPECT_EQ(GetObjectType(source), 0u);
    DeleteObject(fitted);
  }
}

TEST_F(PictureLoaderTest, FitBitmapWithoutSourceOrBoxGivesNothing) {
  EXPECT_EQ(FitBitmap(nullptr, 260, 260), nullptr);
  HBITMAP source = ScreenBitmap(10, 10);
  EXPECT_EQ(FitBitmap(source, 0, 260), nullptr);
  EXPECT_EQ(GetObjectType(source), 0u);
}

}  // namespace
