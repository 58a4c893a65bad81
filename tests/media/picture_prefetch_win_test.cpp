// Pictures decoded ahead on the worker thread against the same pictures
// loaded on the spot, with the pictures of picture_tests.rc: JPEGs, PNGs, a
// broken PNG, an unreadable "IMG" and a missing id.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/picture_loader.h"
#include "media/picture_prefetch.h"
#include "tests/support/message_capture.h"

namespace {

constexpr int kFirst = 401;
constexpr int kCount = 9;  // 401 ... 409
constexpr int kBrokenPng = 407;

HBITMAP LoadHere(int id) {
  return LoadPictureResource(GetModuleHandleA(nullptr), id, "IMG", 260, 260);
}

HBITMAP Take(PicturePrefetch* prefetch, int id) {
  return TakePrefetchedPicture(prefetch, GetModuleHandleA(nullptr), id, "IMG", 260, 260);
}

// Size and 32-bit pixels of a bitmap; empty for none.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap) {
  if (!bitmap)
    return {};
  BITMAP info = {};
  GetObjectA(bitmap, sizeof info, &info);
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  std::vector<uint32_t> pixels(2 + size_t(info.bmWidth) * size_t(info.bmHeight));
  pixels[0] = uint32_t(info.bmWidth);
  pixels[1] = uint32_t(info.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), pixels.data() + 2, &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Compares and deletes both.
void ExpectSamePicture(HBITMAP taken, HBITMAP here, int id) {
  SCOPED_TRACE(id);
  EXPECT_EQ(taken == nullptr, here == nullptr);
  EXPECT_EQ(PixelsOf(taken), PixelsOf(here));
  if (taken)
    DeleteObject(taken);
  if (here)
    DeleteObject(here);
}

TEST(PicturePrefetch, GivesWhatALoadHereGivesAndTellsOnlyWhenTaken) {
  MessageRecorder recorder;
  PicturePrefetch* prefetch =
      StartPicturePrefetch(GetModuleHandleA(nullptr), kFirst, kCount, "IMG", 260, 260);
  ASSERT_NE(prefetch, nullptr);
  // Out of order, the last one first, the broken PNG kept for the end: by
  // then the worker has decoded it, and said nothing.
  const int order[] = {409, 401, 403, 402, 405, 404, 406, 408};
  std::vector<HBITMAP> taken;
  for (int id : order)
    taken.push_back(Take(prefetch, id));
  EXPECT_TRUE(recorder.messages().empty());
  for (size_t i = 0; i < taken.size(); ++i)
    ExpectSamePicture(taken[i], LoadHere(order[i]), order[i]);
  EXPECT_TRUE(recorder.messages().empty());

  EXPECT_EQ(Take(prefetch, kBrokenPng), nullptr);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].text, "Error: couldn't decode PNG resource");
  EXPECT_EQ(recorder.messages()[0].caption, "Information");
  EXPECT_EQ(recorder.messages()[0].style, static_cast<uint32_t>(MB_ICONERROR));
  EndPicturePrefetch(prefetch);
}

// Taken in row order from the start, as the pane does: the take waits on the
// worker's first pictures while decoding from the far end, or decodes its
// own. Whoever decoded it, each picture is the one a load here gives, and the
// broken PNG tells its message when it is taken, not when it is decoded.
TEST(PicturePrefetch, RowOrderTakesShareTheDecodingAndTellInOrder) {
  for (int round = 0; round < 5; ++round) {
    MessageRecorder recorder;
    PicturePrefetch* prefetch =
        StartPicturePrefetch(GetModuleHandleA(nullptr), kFirst, kCount, "IMG", 260, 260);
    ASSERT_NE(prefetch, nullptr);
    std::vector<HBITMAP> taken;
    for (int id = kFirst; id < kFirst + kCount; ++id) {
      taken.push_back(Take(prefetch, id));
      EXPECT_EQ(recorder.messages().size(), id < kBrokenPng ? 0u : 1u) << id;
    }
    EndPicturePrefetch(prefetch);
    for (int i = 0; i < kCount; ++i)
      ExpectSamePicture(taken[size_t(i)], LoadHere(kFirst + i), kFirst + i);
  }
}

TEST(PicturePrefetch, TakesOutsideTheRangeAgainOrWithoutPrefetchLoadHere) {
  MessageRecorder recorder;
  PicturePrefetch* prefetch = StartPicturePrefetch(GetModuleHandleA(nullptr), kFirst, 3, "IMG", 260, 260);
  ASSERT_NE(prefetch, nullptr);
  ExpectSamePicture(Take(prefetch, 402), LoadHere(402), 402);
  ExpectSamePicture(Take(prefetch, 402), LoadHere(402), 402);        // taken before
  ExpectSamePicture(Take(prefetch, 10001), LoadHere(10001), 10001);  // outside, nibbles exchanged
  ExpectSamePicture(Take(prefetch, 409), LoadHere(409), 409);        // past the end
  ExpectSamePicture(TakePrefetchedPicture(prefetch, GetModuleHandleA(nullptr), 403, "IMG", 100, 100),
                    LoadPictureResource(GetModuleHandleA(nullptr), 403, "IMG", 100, 100),
                    403);  // another box
  ExpectSamePicture(Take(nullptr, 408), LoadHere(408), 408);
  EXPECT_TRUE(recorder.messages().empty());
  // 401 and 403 are never taken: ending deletes them.
  EndPicturePrefetch(prefetch);
  EndPicturePrefetch(nullptr);
}

TEST(PicturePrefetch, EndsAtOnceWhileTheWorkerIsStillDecoding) {
  for (int round = 0; round < 20; ++round) {
    PicturePrefetch* prefetch =
        StartPicturePrefetch(GetModuleHandleA(nullptr), kFirst, kCount, "IMG", 260, 260);
    ASSERT_NE(prefetch, nullptr);
    if (round % 2 == 1)
      ExpectSamePicture(Take(prefetch, 401), LoadHere(401), 401);
    EndPicturePrefetch(prefetch);
  }
  EXPECT_EQ(StartPicturePrefetch(GetModuleHandleA(nullptr), kFirst, 0, "IMG", 260, 260), nullptr);
}

}  // namespace
