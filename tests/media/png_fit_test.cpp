// The web player's PNG path: the player's decoder, then the fit to the shown
// size. At its own size every pixel is the reference decoder's colour made
// opaque; halved, each is the rounded mean of the four it covers.
#include "media/png_fit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "media/png_decoder.h"
#include "tests/support/png_bytes.h"

#ifdef TRIVO_HAVE_SPNG
#include <spng.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kSuite = std::string(TRIVO_TESTDATA_DIR) + "/pngsuite/";

TEST(PngFit, HalvingAveragesEachSquareOfFour) {
  const Bytes png = ReadTestFile(kSuite + "basn2c08.png");  // 32 x 32 RGB
  ASSERT_FALSE(png.empty());
  uint32_t width = 0, height = 0, error = 0;
  ASSERT_TRUE(ReadPngHeader(png.data(), png.size(), &width, &height, &error));
  EXPECT_EQ(width, 32u);
  EXPECT_EQ(height, 32u);
  const PngFitResult full = DecodePngFitted(png.data(), png.size(), 32, 32);
  const PngFitResult half = DecodePngFitted(png.data(), png.size(), 16, 16);
  ASSERT_TRUE(full.ok && half.ok);
  ASSERT_EQ(half.rgba.size(), 16u * 16 * 4);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 16; ++x) {
      for (uint32_t c = 0; c < 4; ++c) {
        auto at = [&](uint32_t sx, uint32_t sy) { return full.rgba[(sy * 32 + sx) * 4 + c]; };
        const uint32_t sum =
            at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1);
        ASSERT_EQ(half.rgba[(y * 16 + x) * 4 + c], (sum + 2) / 4) << x << "," << y << " channel " << c;
      }
    }
  }
  const PngFitResult wide = DecodePngFitted(png.data(), png.size(), 260, 260);  // enlarged: nearest pixel
  ASSERT_TRUE(wide.ok);
  EXPECT_EQ(wide.rgba[(259 * 260 + 259) * 4], full.rgba[(31 * 32 + 31) * 4]);
}

TEST(PngFit, BrokenOrRefusedPicturesGiveTheDecodersError) {
  Bytes png = ReadTestFile(kSuite + "basn2c08.png");
  ASSERT_FALSE(png.empty());
  for (size_t cut : {size_t{0}, size_t{8}, size_t{40}, png.size() - 20}) {
    const PngFitResult result = DecodePngFitted(png.data(), cut, 10, 10);
    EXPECT_FALSE(result.ok) << cut;
    EXPECT_NE(result.errorCode, 0u) << cut;
  }
  uint32_t width = 0, height = 0, error = 0;
  EXPECT_FALSE(ReadPngHeader(png.data(), 20, &width, &height, &error));
  EXPECT_NE(error, 0u);
  EXPECT_FALSE(DecodePngFitted(nullptr, 0, 10, 10).ok);
  EXPECT_FALSE(DecodePngFitted(png.data(), png.size(), 0, 10).ok);
}

#ifdef TRIVO_HAVE_SPNG
TEST(PngFit, AtItsOwnSizeEveryPixelIsTheReferenceColourMadeOpaque) {
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".png" || name[0] == 'x') {
      continue;  // x*: deliberately broken
    }
    const Bytes png = ReadTestFile(entry.path().string());
    uint32_t width = 0, height = 0, error = 0;
    if (!ReadPngHeader(png.data(), png.size(), &width, &height, &error)) {
      continue;
    }
    const PngFitResult fit = DecodePngFitted(png.data(), png.size(), width, height);
    ASSERT_TRUE(fit.ok) << name << " " << std::hex << fit.errorCode;
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    size_t size = 0;
    std::vector<uint16_t> reference;
    ASSERT_EQ(spng_decoded_image_size(ctx, SPNG_FMT_RGBA16, &size), 0) << name;
    reference.resize(size / 2);
    ASSERT_EQ(spng_decode_image(ctx, reference.data(), size, SPNG_FMT_RGBA16, 0), 0) << name;
    spng_ctx_free(ctx);
    for (size_t i = 0; i < reference.size(); ++i) {
      const uint8_t want = i % 4 == 3 ? 255 : static_cast<uint8_t>(reference[i] >> 8);
      ASSERT_EQ(fit.rgba[i], want) << name << " sample " << i;
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
}
#endif

}  // namespace
