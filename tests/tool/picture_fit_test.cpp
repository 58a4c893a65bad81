// Pictures stored as the player shows them: the fitted size is the
// player's own and stable (a fitted picture fits to itself, which keeps a
// build of an unpacked quiz identical), the filter keeps flat colours and
// brightness and gives the same bytes on every build, transparency is
// composited over the background, and the quiz build stores the result.
#include <gtest/gtest.h>

#include <filesystem>

#include "media/picture_rules.h"
#include "media/png_decoder.h"
#include "resources/resource_ids.h"
#include "tests/tool/tool_test_support.h"
#include "tool/pe_image.h"
#include "tool/picture_check.h"
#include "tool/picture_codec.h"
#include "tool/picture_fit.h"
#include "tool/picture_resample.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"

namespace {

Picture Pattern(uint32_t width, uint32_t height, uint32_t channels) {
  return MakePicture(width, height, channels, [](uint32_t x, uint32_t y, uint32_t c) {
    return (x * 7 + y * 3 + c * 50) % 256 ^ ((x / 8 + y / 8) % 2 ? 0xFF : 0);
  });
}

TEST(PictureFit, AFittedSizeFitsToItselfSoThePlayerLeavesAStoredPictureAsItIs) {
  for (uint32_t width = 1; width <= 2000; width += 37) {
    for (uint32_t height = 1; height <= 2000; height += 41) {
      const FitSize fitted = FitPicture(width, height, kPictureBox, kPictureBox);
      const FitSize again = FitPicture(fitted.width, fitted.height, kPictureBox, kPictureBox);
      ASSERT_EQ(again.width, fitted.width) << width << " x " << height;
      ASSERT_EQ(again.height, fitted.height) << width << " x " << height;
    }
  }
}

TEST(PictureFit, ScalingKeepsFlatColoursAndBrightnessAndTheSameBytesEverywhere) {
  Picture flat;
  flat.width = 640;
  flat.height = 480;
  flat.channels = 3;
  for (size_t i = 0; i < 640 * 480; ++i) {
    flat.pixels.insert(flat.pixels.end(), {12, 200, 255});
  }
  const Picture small = ScaleDown(flat, 260, 195);
  ASSERT_EQ(small.pixels.size(), 260u * 195u * 3u);
  for (size_t i = 0; i < small.pixels.size(); i += 3) {
    ASSERT_EQ(small.pixels[i], 12);
    ASSERT_EQ(small.pixels[i + 1], 200);
    ASSERT_EQ(small.pixels[i + 2], 255);
  }

  // Black and white lines averaged in light, not in stored values: the grey
  // is the one whose square is half of white's.
  Picture lines;
  lines.width = 64;
  lines.height = 64;
  lines.channels = 1;
  for (uint32_t y = 0; y < 64; ++y) {
    for (uint32_t x = 0; x < 64; ++x) {
      lines.pixels.push_back(x % 2 ? 255 : 0);
    }
  }
  const Picture grey = ScaleDown(lines, 16, 16);
  EXPECT_NEAR(grey.pixels[16 * 8 + 8], 180, 2);

  // Integers only after the weights: these bytes are the same natively and
  // in the Windows build of the tool.
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(801, 599, 3), 260, 194).pixels), 3456532189u);
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(333, 1000, 1), 86, 260).pixels), 1061742216u);
  // Alpha, the sizes a JPEG decoded at half scale comes in, one row, and
  // a tiny picture whose taps all meet the edges.
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(640, 480, 4), 260, 195).pixels), 2947012733u);
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(400, 300, 3), 260, 195).pixels), 2957110416u);
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(2600, 7, 1), 260, 1).pixels), 1815625838u);
  EXPECT_EQ(Fnv1a32(ScaleDown(Pattern(5, 3, 4), 3, 2).pixels), 2860835621u);
}

TEST(PictureFit, TransparencyIsCompositedOverTheBackground) {
  Picture picture;
  picture.width = 2;
  picture.height = 1;
  picture.channels = 4;
  picture.pixels = {255, 0, 0, 255, 0, 0, 255, 0};
  EXPECT_TRUE(HasTransparency(picture));
  const Picture opaque = OverBackground(picture, 0x10, 0x20, 0x30);
  EXPECT_EQ(opaque.channels, 3u);
  EXPECT_EQ(opaque.pixels, (std::vector<uint8_t>{255, 0, 0, 0x10, 0x20, 0x30}));
  picture.pixels[7] = 255;
  EXPECT_FALSE(HasTransparency(picture));
}

class PictureFitFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PictureCodecsAvailable()) {
      GTEST_SKIP() << "this build of the tool stores pictures as given";
    }
  }
};

TEST_F(PictureFitFiles, AJpegIsDecodedAtTheSmallestScaleStillAtLeastTheSizeAskedFor) {
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(Pattern(800, 600, 3), &jpeg));
  struct Case {
    uint32_t atLeastWidth, atLeastHeight, width, height;
  };
  for (const Case& c : {Case{260, 195, 400, 300}, Case{101, 75, 200, 150}, Case{100, 1, 100, 75},
                        Case{401, 1, 800, 600}, Case{1, 301, 800, 600}}) {
    Picture picture;
    ASSERT_TRUE(DecodeJpeg(jpeg, &picture, c.atLeastWidth, c.atLeastHeight));
    EXPECT_EQ(picture.width, c.width) << c.atLeastWidth << " x " << c.atLeastHeight;
    EXPECT_EQ(picture.height, c.height) << c.atLeastWidth << " x " << c.atLeastHeight;
    EXPECT_EQ(picture.pixels.size(), static_cast<size_t>(c.width) * c.height * 3);
  }
  Picture full;
  ASSERT_TRUE(DecodeJpeg(jpeg, &full));
  EXPECT_EQ(full.width, 800u);
}

TEST_F(PictureFitFiles, LargePicturesComeBackAtTheirFittedSizeInTheirOwnFormat) {
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(Pattern(800, 600, 3), &jpeg));
  std::vector<uint8_t> stored;
  ASSERT_EQ(FitPictureForPlayer(jpeg, 0, 0, 0, &stored), PictureFitResult::Fitted);
  uint32_t width = 0;
  uint32_t height = 0;
  ASSERT_EQ(DetectPictureFormat(stored), PictureFormat::Jpeg);
  ASSERT_TRUE(ReadPictureSize(stored, &width, &height));
  EXPECT_EQ(width, 260u);
  EXPECT_EQ(height, 195u);
  std::vector<uint8_t> again;
  EXPECT_EQ(FitPictureForPlayer(stored, 0, 0, 0, &again), PictureFitResult::Unchanged);

  std::vector<uint8_t> png;
  ASSERT_TRUE(EncodePng(Pattern(300, 1000, 3), &png));
  ASSERT_EQ(FitPictureForPlayer(png, 0, 0, 0, &stored), PictureFitResult::Fitted);
  const PngCheck check = CheckPng(stored);
  ASSERT_TRUE(check.ok) << check.errorCode;  // the player's own decoder takes it
  EXPECT_EQ(check.width, 78u);
  EXPECT_EQ(check.height, 260u);
  EXPECT_EQ(FitPictureForPlayer(stored, 0, 0, 0, &again), PictureFitResult::Unchanged);

  // Small enough and opaque, or not JPEG and PNG: left as they are.
  EXPECT_EQ(FitPictureForPlayer(MakePng(40, 30), 0, 0, 0, &again), PictureFitResult::Unchanged);
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02};
  EXPECT_EQ(FitPictureForPlayer(gif, 0, 0, 0, &again), PictureFitResult::Unchanged);
  // A JPEG the library cannot read is stored as given.
  EXPECT_EQ(FitPictureForPlayer(MakeJpegHeader(800, 600), 0, 0, 0, &again), PictureFitResult::Undecodable);
}

TEST_F(PictureFitFiles, ATransparentPngShowsTheBackgroundEvenWhenSmall) {
  std::vector<uint8_t> stored;
  ASSERT_EQ(FitPictureForPlayer(MakePng(4, 3, true), 0x10, 0x20, 0x30, &stored), PictureFitResult::Fitted);
  const PngCheck check = CheckPng(stored);
  ASSERT_TRUE(check.ok);
  EXPECT_FALSE(check.hasTransparency);
  EXPECT_EQ(check.width, 4u);
  Picture decoded;
  ASSERT_TRUE(DecodePng(stored, &decoded));
  // The first pixel was half transparent (200, 100, 50 at alpha 128).
  EXPECT_EQ(decoded.pixels[0], (200 * 128 + 0x10 * 127 + 127) / 255);
  EXPECT_EQ(decoded.pixels[3], 255);
  EXPECT_EQ(decoded.pixels[4], 200);  // opaque pixels keep their colour
}

TEST_F(PictureFitFiles, TheBuildStoresFittedPicturesUnlessToldToKeepThem) {
  const std::filesystem::path folder = MakeTempFolder("fit");
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(Pattern(800, 600, 3), &jpeg));
  WriteBinaryFile(folder / "q1.jpg", jpeg);
  WriteBinaryFile(folder / "a1.jpg", jpeg);
  const std::string source =
      "title = \"T\"\ncreator = \"C\"\nexplanation = \"E\"\nkind = \"picture\"\nreveal = \"picture\"\n"
      "codes = [\"UN\"]\n[[question]]\ntext = \"Q\"\nanswer = \"France\"\n"
      "picture = \"q1.jpg\"\nanswer_picture = \"a1.jpg\"\n";
  CompiledQuiz quiz;
  std::vector<Diagnostic> diagnostics;
  ASSERT_TRUE(CompileQuizSource((folder / "quiz.toml").string(), source, &quiz, &diagnostics));
  for (bool keep : {false, true}) {
    std::vector<uint8_t> exe;
    std::string message;
    ASSERT_TRUE(BuildQuizExecutable(MakeBareImage(), quiz, &exe, &message, nullptr, keep)) << message;
    UnpackedQuiz unpacked;
    ASSERT_TRUE(UnpackQuizExecutable(exe, &unpacked, &message)) << message;
    ASSERT_EQ(unpacked.media.size(), 2u);
    for (const UnpackedMedia& media : unpacked.media) {
      uint32_t width = 0;
      uint32_t height = 0;
      ASSERT_TRUE(ReadPictureSize(media.bytes, &width, &height));
      EXPECT_EQ(width, keep ? 800u : 260u) << media.answerPicture;
      EXPECT_EQ(height, keep ? 600u : 195u) << media.answerPicture;
      if (keep) {
        EXPECT_EQ(media.bytes, jpeg);
      }
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
