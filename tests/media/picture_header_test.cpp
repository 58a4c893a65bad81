#include "media/picture_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The smallest header of each format that gives a size of 300 x 200.
std::vector<std::vector<uint8_t>> SizedHeaders() {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                              'I',  'H', 'D', 'R', 0,    0,    1,    44,   0, 0, 0, 200};
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 44, 1, 200, 0};
  std::vector<uint8_t> bmp(26, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  bmp[14] = 40;  // BITMAPINFOHEADER
  bmp[18] = 44;
  bmp[19] = 1;
  bmp[22] = 0x38;  // height -200: rows top-down
  bmp[23] = 0xFF;
  bmp[24] = 0xFF;
  bmp[25] = 0xFF;
  // SOI, an APP0 of 4 bytes, one fill byte, then SOF0 up to its width.
  std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xFF, 0xC0, 0, 17, 8, 0, 200, 1, 44};
  return {png, gif, bmp, jpeg};
}

}  // namespace

TEST(PictureHeader, ReadsEachFormatsSize) {
  for (const std::vector<uint8_t>& bytes : SizedHeaders()) {
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_TRUE(ReadPictureSize(bytes, &width, &height)) << PictureExtension(DetectPictureFormat(bytes));
    EXPECT_EQ(width, 300u);
    EXPECT_EQ(height, 200u);
  }
}

// Every prefix of a header shorter than the whole is refused, never read
// past its end.
TEST(PictureHeader, RefusesEveryTruncatedHeader) {
  for (const std::vector<uint8_t>& bytes : SizedHeaders()) {
    for (size_t size = 0; size < bytes.size(); ++size) {
      const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
      uint32_t width = 0;
      uint32_t height = 0;
      EXPECT_FALSE(ReadPictureSize(cut, &width, &height)) << size;
    }
  }
}

TEST(PictureHeader, FindsATransparencyChunkAfterOthers) {
  std::vector<uint8_t> png = SizedHeaders()[0];
  png.insert(png.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});  // rest of IHDR and its CRC
  const size_t trnsType = png.size() + 4;
  png.insert(png.end(), {0, 0, 0, 1, 't', 'R', 'N', 'S', 0, 0, 0, 0, 0});
  EXPECT_TRUE(PngHasTrnsChunk(png));
  png[trnsType] = 'X';
  EXPECT_FALSE(PngHasTrnsChunk(png));
}
