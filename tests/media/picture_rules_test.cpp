// The picture fit against the x87 unit itself (long double is the 80-bit
// type on x86 Linux and mingw; elsewhere only the fixed cases run), the
// sizes where extended precision parts from the exact fraction, and the
// answer pictures' byte exchange.
#include "media/picture_rules.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

#if LDBL_MANT_DIG == 64
// Each step rounded to the 64-bit significand, as the player's fit does.
FitSize X87Fit(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight) {
  volatile long double w = width;
  volatile long double h = height;
  volatile long double across = boxWidth / w;
  volatile long double down = boxHeight / h;
  volatile long double s = down > across ? across : down;
  volatile long double fitWidth = w * s;
  volatile long double fitHeight = h * s;
  const long double tw = std::trunc(fitWidth);
  const long double th = std::trunc(fitHeight);
  return {tw < 1 ? 1u : static_cast<uint32_t>(tw), th < 1 ? 1u : static_cast<uint32_t>(th)};
}

TEST(PictureFit, EverySizeUpTo2000MatchesExtendedPrecision) {
  int differences = 0;
  for (uint32_t width = 1; width <= 2000; ++width) {
    for (uint32_t height = 1; height <= 2000; ++height) {
      const FitSize fit = FitPicture(width, height, 260, 260);
      const FitSize reference = X87Fit(width, height, 260, 260);
      if (fit.width != reference.width || fit.height != reference.height) {
        ADD_FAILURE() << width << " x " << height << ": " << fit.width << " x " << fit.height << ", x87 "
                      << reference.width << " x " << reference.height;
        if (++differences > 20) {
          return;
        }
      }
    }
  }
}

TEST(PictureFit, LargeSizesAndOtherBoxesMatchExtendedPrecision) {
  uint32_t state = 12345;
  auto next = [&state](uint32_t limit) {
    state = state * 1103515245u + 12345u;
    return 1 + (state >> 8) % limit;
  };
  for (int i = 0; i < 200000; ++i) {
    const uint32_t width = i % 2 ? next(1u << 23) : next(UINT32_MAX >> 8) << (state % 9);
    const uint32_t height = next(i % 3 ? 70000 : UINT32_MAX >> 8);
    const uint32_t boxWidth = next(5000);
    const uint32_t boxHeight = i % 4 ? boxWidth : next(5000);
    const FitSize fit = FitPicture(width, height, boxWidth, boxHeight);
    const FitSize reference = X87Fit(width, height, boxWidth, boxHeight);
    ASSERT_EQ(fit.width, reference.width)
        << width << " x " << height << " in " << boxWidth << " x " << boxHeight;
    ASSERT_EQ(fit.height, reference.height)
        << width << " x " << height << " in " << boxWidth << " x " << boxHeight;
  }
}
#endif

TEST(PictureFit, ExtendedPrecisionNotTheExactFraction) {
  struct Case {
    uint32_t width, height, fitWidth, fitHeight;
  } cases[] = {
      {11, 55, 51, 260},     // 260/55 rounds down: 11 * s is just under 52
      {800, 600, 260, 195},  // exact
      {600, 800, 195, 260},  // exact
      {300, 300, 260, 260},  // one ratio: both sides meet the box
      {100, 50, 260, 130},   // small pictures are enlarged
      {10000, 1, 260, 1},    // a sliver keeps one pixel
      {1, 10000, 1, 260},    //
      {0, 10, 1, 1},         // no size at all
  };
  for (const Case& c : cases) {
    const FitSize fit = FitPicture(c.width, c.height, 260, 260);
    EXPECT_EQ(fit.width, c.fitWidth) << c.width << " x " << c.height;
    EXPECT_EQ(fit.height, c.fitHeight) << c.width << " x " << c.height;
  }
  EXPECT_EQ(FitPicture(UINT32_MAX, UINT32_MAX, 260, 260).width, 260u);
}

TEST(PictureFit, PngPassesTwiceOtherFormatsOnce) {
  // A PNG is fitted in its branch and once more on return; the second pass
  // keeps a size one of whose sides meets the box.
  for (uint32_t width = 1; width <= 2000; width += 7) {
    for (uint32_t height = 1; height <= 2000; height += 13) {
      const FitSize once = ShownPictureSize(width, height, false);
      const FitSize twice = ShownPictureSize(width, height, true);
      const FitSize again = FitPicture(once.width, once.height, kPictureBox, kPictureBox);
      ASSERT_EQ(twice.width, again.width) << width << " x " << height;
      ASSERT_EQ(twice.height, again.height) << width << " x " << height;
    }
  }
}

TEST(PictureBytes, AnswerPicturesAreStoredWithTheirNibblesExchanged) {
  std::vector<uint8_t> bytes = {0x12, 0xAB, 0x00, 0xF0};
  SwapNibbles(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x21, 0xBA, 0x00, 0x0F}));
  SwapNibbles(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x12, 0xAB, 0x00, 0xF0}));
  EXPECT_FALSE(IsSwappedPictureId(10000));
  EXPECT_TRUE(IsSwappedPictureId(10401));
  EXPECT_FALSE(IsSwappedPictureId(401));
}

}  // namespace
