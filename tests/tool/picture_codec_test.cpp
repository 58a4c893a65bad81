// The picture codecs give the same bytes in every build of the tool: the
// native one over Debian's libraries (with their SIMD code), trivo.exe and
// the web core over the same versions built from source without SIMD. The
// constants are those of the native build; a change to the codecs' settings
// or to the fit changes them in every build alike.
#include <gtest/gtest.h>

#include "tests/tool/tool_test_support.h"
#include "tool/picture_codec.h"
#include "tool/picture_fit.h"
#include "tool/picture_resample.h"

namespace {

// Smooth gradients, hard edges and noise, so that every part of the JPEG
// coder and the PNG filters has work to do.
Picture Photo(uint32_t width, uint32_t height, uint32_t channels) {
  uint32_t noise = 12345;
  return MakePicture(width, height, channels, [&noise](uint32_t x, uint32_t y, uint32_t c) {
    noise = noise * 1103515245u + 12345u;
    const uint32_t base = (x * (c + 1) + y * (3 - c)) / 4 + ((x / 64 + y / 48) % 3) * 60;
    return (base + (noise >> 28)) % 256;
  });
}

TEST(PictureCodecBytes, JpegAndPngEncodeAndDecodeAlikeInEveryBuild) {
  ASSERT_TRUE(PictureCodecsAvailable());
  const Picture colour = Photo(801, 599, 3);
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(colour, &jpeg));
  EXPECT_EQ(jpeg.size(), 138633u);
  EXPECT_EQ(Fnv1a32(jpeg), 3375312333u);
  Picture decoded;
  ASSERT_TRUE(DecodeJpeg(jpeg, &decoded));
  ASSERT_EQ(decoded.channels, 3u);
  ASSERT_EQ(decoded.width, 801u);
  EXPECT_EQ(Fnv1a32(decoded.pixels), 2922954855u);

  std::vector<uint8_t> grey;
  ASSERT_TRUE(EncodeJpeg(Photo(333, 250, 1), &grey));
  EXPECT_EQ(Fnv1a32(grey), 882088213u);

  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(colour, &png));
  EXPECT_EQ(png.size(), 859706u);
  EXPECT_EQ(Fnv1a32(png), 474197220u);
  ASSERT_TRUE(DecodePng(png, &decoded));
  ASSERT_EQ(decoded.channels, 4u);
  for (size_t i = 0, j = 0; i < colour.pixels.size(); i += 3, j += 4) {
    ASSERT_EQ(decoded.pixels[j], colour.pixels[i]) << i;
    ASSERT_EQ(decoded.pixels[j + 1], colour.pixels[i + 1]) << i;
    ASSERT_EQ(decoded.pixels[j + 2], colour.pixels[i + 2]) << i;
    ASSERT_EQ(decoded.pixels[j + 3], 255) << i;
  }
}

TEST(PictureCodecBytes, FittedPicturesAreTheSameInEveryBuild) {
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(Photo(1600, 1200, 3), &jpeg));
  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(Photo(1000, 700, 3), &png));
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    uint32_t hash;
  } cases[] = {
      {"large JPEG", jpeg, 923761604u},
      {"large PNG", png, 542904389u},
      {"transparent PNG", MakePng(300, 200, true), 2572785959u},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> stored;
    ASSERT_EQ(FitPictureForPlayer(c.file, 0x20, 0x40, 0x80, &stored), PictureFitResult::Fitted) << c.name;
    EXPECT_EQ(Fnv1a32(stored), c.hash) << c.name;
  }
}

}  // namespace
