// The picture work shared by check and build: each distinct file worked on
// once, the same results whatever the number of threads, the player's
// decoder run over what is stored while the diagnostics still speak of the
// author's file, and a build from a quiz fitted while compiling identical
// to one fitted while building; the results kept across checks.
#include "tool/picture_prepare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/tool/tool_test_support.h"
#include "tool/picture_codec.h"
#include "tool/quiz_build.h"
#include "tool/quiz_source.h"

namespace {

Picture Gradient(uint32_t width, uint32_t height, uint32_t channels) {
  return MakePicture(width, height, channels, [width, channels](uint32_t x, uint32_t y, uint32_t c) {
    const size_t i = (static_cast<size_t>(y) * width + x) * channels + c;
    return i * 7 / channels % 251;
  });
}

std::vector<uint8_t> Encoded(const Picture& picture, bool png) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(png ? EncodePng(picture, &bytes) : EncodeJpeg(picture, &bytes));
  return bytes;
}

class PreparePicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PictureCodecsAvailable()) {
      GTEST_SKIP() << "this build of the tool stores pictures as given";
    }
  }
};

TEST_F(PreparePicturesTest, SameFilesShareOneResultAndThreadsChangeNothing) {
  const std::vector<uint8_t> jpeg = Encoded(Gradient(800, 600, 3), false);
  const std::vector<uint8_t> png = Encoded(Gradient(640, 480, 3), true);
  const std::vector<uint8_t> otherPng = Encoded(Gradient(640, 480, 1), true);  // same size, other bytes
  const std::vector<uint8_t> transparent = MakePng(600, 2, true);              // wider than the box
  const std::vector<uint8_t> small = MakePng(40, 30);
  const std::vector<uint8_t> copyOfJpeg = jpeg;
  const std::vector<const std::vector<uint8_t>*> pictures = {&jpeg,        &png,   &otherPng,   &jpeg,
                                                             &transparent, &small, &copyOfJpeg, &png};
  const PictureWork one{true, 0x3C, 0x6E, 0x71, 1};
  const PreparedPictures single = PreparePictures(pictures, one);
  EXPECT_EQ(single.resultOf, (std::vector<size_t>{0, 1, 2, 0, 3, 4, 0, 1}));
  ASSERT_EQ(single.results.size(), 5u);
  for (unsigned threads : {2u, 3u, 8u}) {
    PictureWork many = one;
    many.threads = threads;
    const PreparedPictures parallel = PreparePictures(pictures, many);
    ASSERT_EQ(parallel.resultOf, single.resultOf);
    for (size_t i = 0; i < single.results.size(); ++i) {
      EXPECT_EQ(parallel.results[i].fit, single.results[i].fit) << threads << " threads, picture " << i;
      EXPECT_EQ(parallel.results[i].stored, single.results[i].stored) << threads << " threads, picture " << i;
      EXPECT_EQ(parallel.results[i].check.ok, single.results[i].check.ok);
    }
  }
  EXPECT_EQ(single.results[0].fit, PictureFitResult::Fitted);
  EXPECT_EQ(single.results[4].fit, PictureFitResult::Unchanged);
  EXPECT_TRUE(single.results[4].check.ok);
}

TEST_F(PreparePicturesTest, AFittedPngIsCheckedAsStoredButReportedAsGiven) {
  const std::vector<uint8_t> png = Encoded(Gradient(640, 480, 3), true);
  const std::vector<uint8_t> transparent = MakePng(600, 2, true);
  std::vector<uint8_t> broken = png;
  broken[broken.size() / 2] ^= 0x55;  // inside the pixel data: its checksums fail
  const PreparedPictures fitted = PreparePictures({&png, &transparent, &broken}, {true, 0, 0, 0, 0});
  const PreparedPictures checked = PreparePictures({&png, &transparent, &broken}, {false, 0, 0, 0, 0});
  for (size_t i = 0; i < 2; ++i) {
    const PngCheck& fit = fitted.results[i].check;
    const PngCheck& asGiven = checked.results[i].check;
    ASSERT_EQ(fitted.results[i].fit, PictureFitResult::Fitted) << i;
    ASSERT_TRUE(fit.ok) << fit.errorCode;
    EXPECT_EQ(fit.width, asGiven.width);
    EXPECT_EQ(fit.height, asGiven.height);
    EXPECT_EQ(fit.hasTransparency, asGiven.hasTransparency) << i;
    EXPECT_TRUE(checked.results[i].stored.empty());  // checking fits nothing
  }
  EXPECT_TRUE(fitted.results[1].check.hasTransparency);
  // What the tool cannot decode is stored as given, so the player's
  // decoder judges the file itself.
  EXPECT_EQ(fitted.results[2].fit, PictureFitResult::Undecodable);
  EXPECT_FALSE(fitted.results[2].check.ok);
  EXPECT_EQ(fitted.results[2].check.errorCode, checked.results[2].check.errorCode);
}

TEST_F(PreparePicturesTest, CompilingForABuildKeepsTheFindingsAndTheBuiltBytes) {
  const std::filesystem::path folder = MakeTempFolder("prepare");
  WriteBinaryFile(folder / "big.png", Encoded(Gradient(640, 480, 3), true));
  WriteBinaryFile(folder / "logo.png", MakePng(600, 2, true));
  WriteBinaryFile(folder / "photo.jpg", Encoded(Gradient(800, 600, 3), false));
  std::vector<uint8_t> broken = MakePng(4, 4);
  broken[20] = 0;  // a width of zero and more
  broken[21] = 0;
  broken[22] = 0;
  broken[23] = 0;
  WriteBinaryFile(folder / "broken.png", broken);
  const std::string head =
      "title = \"T\"\ncreator = \"C\"\nexplanation = \"E\"\nkind = \"picture\"\nreveal = \"picture\"\n"
      "background = \"#204060\"\ncodes = [\"A\", \"B\", \"C\"]\n";
  // Findings on the PNGs lie between others (the short answers), in line order.
  const std::string questions =
      "[[question]]\ntext = \"Q1\"\nanswer = \"Non\"\npicture = \"logo.png\"\nanswer_picture = \"big.png\"\n"
      "[[question]]\ntext = \"Q2\"\nanswer = \"Oui\"\npicture = \"photo.jpg\"\nanswer_picture = "
      "\"logo.png\"\n"
      "[[question]]\ntext = \"Q3\"\nanswer = \"Paris\"\npicture = \"big.png\"\n";
  const std::string path = (folder / "quiz.toml").string();
  CompiledQuiz checked;
  CompiledQuiz prepared;
  std::vector<Diagnostic> checkFindings;
  std::vector<Diagnostic> buildFindings;
  CompileOptions forBuild;
  forBuild.fitPictures = true;
  ASSERT_TRUE(CompileQuizSource(path, head + questions, &checked, &checkFindings));
  ASSERT_TRUE(CompileQuizSource(path, head + questions, &prepared, &buildFindings, forBuild));
  ASSERT_EQ(checkFindings.size(), buildFindings.size());
  for (size_t i = 0; i < checkFindings.size(); ++i) {
    EXPECT_EQ(FormatDiagnostic(buildFindings[i]), FormatDiagnostic(checkFindings[i]));
  }
  ASSERT_GE(checkFindings.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    const char* expected = i % 2 == 0 ? "3 characters or fewer" : "logo.png has transparent areas";
    EXPECT_NE(checkFindings[i].message.find(expected), std::string::npos)
        << FormatDiagnostic(checkFindings[i]);
  }
  ASSERT_EQ(prepared.media.size(), 5u);
  for (const MediaResource& media : prepared.media) {
    EXPECT_TRUE(media.prepared);
    EXPECT_FALSE(media.fitted.empty()) << media.path;  // every one is large or transparent
  }
  std::vector<uint8_t> fromPrepared;
  std::vector<uint8_t> fromChecked;
  std::string message;
  ASSERT_TRUE(BuildQuizExecutable(MakeBareImage(), prepared, &fromPrepared, &message)) << message;
  ASSERT_TRUE(BuildQuizExecutable(MakeBareImage(), checked, &fromChecked, &message)) << message;
  EXPECT_EQ(fromPrepared, fromChecked);

  // A PNG the player refuses is an error either way, and in the same words.
  const std::string withBroken = questions +
                                 "[[question]]\ntext = \"Q4\"\nanswer = \"Lyon\"\n"
                                 "picture = \"broken.png\"\n";
  checkFindings.clear();
  buildFindings.clear();
  EXPECT_FALSE(CompileQuizSource(path, head + withBroken, &checked, &checkFindings));
  EXPECT_FALSE(CompileQuizSource(path, head + withBroken, &prepared, &buildFindings, forBuild));
  ASSERT_EQ(checkFindings.size(), buildFindings.size());
  bool refused = false;
  for (size_t i = 0; i < checkFindings.size(); ++i) {
    EXPECT_EQ(FormatDiagnostic(buildFindings[i]), FormatDiagnostic(checkFindings[i]));
    refused |=
        checkFindings[i].isError &&
        checkFindings[i].message.find("broken.png is a PNG the player cannot decode") != std::string::npos;
  }
  EXPECT_TRUE(refused);
  std::filesystem::remove_all(folder);
}

// The cache the authoring page keeps across checks: one entry for a file
// however it is given, the decoder's word again once the bytes change under
// the same name, and the oldest entries dropped past its bound.
TEST(PictureCacheTest, KeptByContentAndNeverStale) {
  PictureCache cache;
  std::vector<uint8_t> png = MakePng(40, 30, true);
  const std::vector<uint8_t> copy = png;
  const PictureWork work{false, 0, 0, 0, 1, &cache};
  const PreparedPictures first = PreparePictures({&png, &png, &copy}, work);
  EXPECT_EQ(first.resultOf, (std::vector<size_t>{0, 0, 0}));
  EXPECT_TRUE(first.results[0].check.hasTransparency);
  ASSERT_EQ(cache.entries.size(), 1u);
  EXPECT_TRUE(PreparePictures({&copy}, work).results[0].check.hasTransparency);
  EXPECT_EQ(cache.entries.size(), 1u);

  std::fill(png.begin() + 20, png.begin() + 24, 0);  // the same buffer and size, a height of zero
  const PngCheck decoded = CheckPng(png);
  ASSERT_FALSE(decoded.ok);
  EXPECT_EQ(PreparePictures({&png}, work).results[0].check.errorCode, decoded.errorCode);
  ASSERT_EQ(cache.entries.size(), 2u);

  cache.maxBytes = png.size() * 2 + 1;
  const std::vector<uint8_t> opaque = MakePng(40, 30);
  PreparePictures({&opaque}, work);
  ASSERT_EQ(cache.entries.size(), 2u);
  EXPECT_EQ(cache.entries.front().bytes, png);
}

TEST(PictureCacheTest, ACompileAfterAPictureChangedOnDiskSaysWhatTheDecoderSays) {
  const std::filesystem::path folder = MakeTempFolder("picture-cache");
  WriteBinaryFile(folder / "a.png", MakePng(40, 30, true));
  std::string source =
      "title = \"T\"\ncreator = \"C\"\nexplanation = \"E\"\nkind = \"picture\"\n"
      "codes = [\"A\", \"B\", \"C\"]\n";
  for (int i = 0; i < 3; ++i) {
    source += "[[question]]\ntext = \"Q\"\nanswer = \"Paris\"\npicture = \"a.png\"\n";
  }
  const std::string path = (folder / "quiz.toml").string();
  PictureCache cache;
  CompileOptions cached;
  cached.pictureCache = &cache;
  auto compile = [&](const CompileOptions& options, std::string* findings) {
    CompiledQuiz quiz;
    std::vector<Diagnostic> diagnostics;
    const bool ok = CompileQuizSource(path, source, &quiz, &diagnostics, options);
    for (const Diagnostic& diagnostic : diagnostics) {
      *findings += FormatDiagnostic(diagnostic) + "\n";
    }
    return ok;
  };
  std::string withCache;
  std::string without;
  EXPECT_TRUE(compile(cached, &withCache));
  EXPECT_EQ(cache.entries.size(), 1u);  // named three times, worked out once
  std::vector<uint8_t> changed = MakePng(40, 30, true);
  std::fill(changed.begin() + 20, changed.begin() + 24, 0);
  WriteBinaryFile(folder / "a.png", changed);
  withCache.clear();
  EXPECT_FALSE(compile(cached, &withCache));
  EXPECT_FALSE(compile(CompileOptions(), &without));
  EXPECT_EQ(withCache, without);
  EXPECT_NE(without.find("a.png is a PNG the player cannot decode"), std::string::npos) << without;
  std::filesystem::remove_all(folder);
}

}  // namespace
