// PNG decoder: the PngSuite checked pixel by pixel against a reference
// decoder, the broken files refused, hand-built images for the converters and
// the stages, and truncation / corruption loops that must always return.
#include "media/png_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifdef TRIVO_HAVE_SPNG
#include <spng.h>
#endif

#include "tests/support/png_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kSuite = std::string(TRIVO_TESTDATA_DIR) + "/pngsuite/";

// Every image of the suite that is not deliberately broken, by name.
std::vector<std::string> SuiteFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
    std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0 && name[0] != 'x') {
      names.push_back(name.substr(0, name.size() - 4));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------------------
// Whole PNGs made by hand from the pieces of tests/support/png_bytes.h.

Bytes Ihdr(uint32_t width, uint32_t height, uint8_t depth, uint8_t type, uint8_t interlace = 0) {
  Bytes h;
  PutBigEndian32(&h, width);
  PutBigEndian32(&h, height);
  h.insert(h.end(), {depth, type, 0, 0, interlace});
  return h;
}

const Bytes kSignatureBytes = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A whole PNG: IHDR, an optional PLTE, one IDAT of `raw` (filtered rows) and
// IEND.
Bytes MakePng(const Bytes& ihdr, const Bytes& raw, const Bytes& plte = {}) {
  Bytes png = kSignatureBytes;
  AddChunk(&png, "IHDR", ihdr);
  if (!plte.empty()) {
    AddChunk(&png, "PLTE", plte);
  }
  AddChunk(&png, "IDAT", StoredZlib(raw));
  AddChunk(&png, "IEND", {});
  return png;
}

// The same PNG with every ancillary chunk left out.
Bytes StripAncillary(const Bytes& png) {
  Bytes out(png.begin(), png.begin() + 8);
  size_t at = 8;
  while (at + 12 <= png.size()) {
    uint32_t length =
        uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    size_t end = at + 12 + length;
    if (end > png.size()) {
      break;
    }
    if ((png[at + 4] & 0x20) == 0) {
      out.insert(out.end(), png.begin() + long(at), png.begin() + long(end));
    }
    at = end;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Decoding into DIB rows with guard bytes around them.

constexpr size_t kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

struct Decoded {
  bool ok = false;
  uint32_t error = 0;
  int stageFailed = 0;  // 1 load, 2 decode, 3 convert
  uint32_t width = 0, height = 0, outputBits = 0, stride = 0;
  PngBitmapInfo info{};
  Bytes rows;  // stride * height bytes
};

uint32_t Stride(uint32_t width, uint32_t bits) {
  return ((width * bits + 31) / 32) * 4;
}

Decoded DecodePng(const Bytes& png, uint32_t format = kPngDefaultFormat) {
  Decoded result;
  PngImage image;
  PngInit(&image);
  if (!PngLoadMemory(&image, png.data(), uint32_t(png.size()))) {
    result.error = image.lastError;
    result.stageFailed = 1;
    return result;
  }
  if (!PngDecode(&image)) {
    result.error = image.lastError;
    result.stageFailed = 2;
    PngCleanup(&image);
    return result;
  }
  uint32_t defaultFormat = 0;
  EXPECT_EQ(PngFillBitmapInfo(&image, &result.info, &defaultFormat), 1);
  uint32_t chosen = format == kPngDefaultFormat ? defaultFormat : format;
  result.width = image.width;
  result.height = image.height;
  result.outputBits = PngOutputBits(chosen);
  uint32_t bits = result.outputBits != 0 ? result.outputBits : 32;
  result.stride = Stride(image.width, bits);
  size_t size = size_t(result.stride) * image.height;
  Bytes buffer(size + 2 * kGuard, kGuardByte);
  if (!PngConvert(&image, buffer.data() + kGuard, format)) {
    result.error = image.lastError;
    result.stageFailed = 3;
  } else {
    result.ok = true;
  }
  for (size_t i = 0; i < kGuard; i++) {
    EXPECT_EQ(buffer[i], kGuardByte) << "written before the rows";
    EXPECT_EQ(buffer[kGuard + size + i], kGuardByte) << "written after the rows";
  }
  result.rows.assign(buffer.begin() + kGuard, buffer.begin() + long(kGuard + size));
  PngCleanup(&image);
  return result;
}

struct Rgba {
  uint8_t r, g, b, a;
};

// The colour of pixel (x, y) as a screen would show it (alpha 255 when the
// rows carry none).
Rgba PixelAt(const Decoded& d, uint32_t x, uint32_t y) {
  const uint8_t* row = d.rows.data() + size_t(y) * d.stride;
  switch (d.outputBits) {
    case 32:
      return {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
    case 24:
      return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
    default: {
      uint32_t bits = d.outputBits;
      uint32_t bit = x * bits;
      uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
      const auto& c = d.info.colours[index];
      return {c.red, c.green, c.blue, 255};
    }
  }
}

#ifdef TRIVO_HAVE_SPNG
// Reference pixels: RGBA, 16 bits per sample, no transparency or gamma
// applied, as the player ignores both.
bool ReferenceDecode(const Bytes& png, std::vector<uint16_t>* pixels, uint32_t* width, uint32_t* height) {
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, png.data(), png.size());
  spng_ihdr ihdr;
  size_t size = 0;
  bool ok = spng_get_ihdr(ctx, &ihdr) == 0 && spng_decoded_image_size(ctx, SPNG_FMT_RGBA16, &size) == 0;
  if (ok) {
    pixels->resize(size / 2);
    ok = spng_decode_image(ctx, pixels->data(), size, SPNG_FMT_RGBA16, 0) == 0;
    *width = ihdr.width;
    *height = ihdr.height;
  }
  spng_ctx_free(ctx);
  return ok;
}

void ExpectSamePixels(const std::string& name, const Decoded& d, const std::vector<uint16_t>& reference) {
  int mismatches = 0;
  for (uint32_t y = 0; y < d.height && mismatches < 5; y++) {
    for (uint32_t x = 0; x < d.width && mismatches < 5; x++) {
      const uint16_t* ref = reference.data() + (size_t(y) * d.width + x) * 4;
      Rgba got = PixelAt(d, x, y);
      Rgba want{uint8_t(ref[0] >> 8), uint8_t(ref[1] >> 8), uint8_t(ref[2] >> 8),
                uint8_t(d.outputBits == 32 ? ref[3] >> 8 : 255)};
      if (got.r != want.r || got.g != want.g || got.b != want.b || got.a != want.a) {
        ADD_FAILURE() << name << " pixel " << x << "," << y << ": got " << int(got.r) << "," << int(got.g)
                      << "," << int(got.b) << "," << int(got.a) << " want " << int(want.r) << ","
                      << int(want.g) << "," << int(want.b) << "," << int(want.a);
        mismatches++;
      }
    }
  }
}

TEST(PngSuite, EveryImageMatchesTheReferenceDecoder) {
  int checked = 0;
  for (const std::string& name : SuiteFiles()) {
    Bytes png = ReadTestFile(kSuite + name + ".png");
    ASSERT_FALSE(png.empty()) << name;
    Decoded d = DecodePng(png);
    ASSERT_TRUE(d.ok) << name << " failed at stage " << d.stageFailed << " with " << std::hex << d.error;
    std::vector<uint16_t> reference;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(ReferenceDecode(png, &reference, &width, &height)) << name;
    ASSERT_EQ(width, d.width);
    ASSERT_EQ(height, d.height);
    ExpectSamePixels(name, d, reference);
    checked++;
  }
  EXPECT_EQ(checked, 161);
}

// Filtered rows of random bytes with random filter types for a width x
// height image: one run of rows, or one per Adam7 pass that holds pixels.
Bytes RandomRows(uint32_t width, uint32_t height, uint32_t bitsPerPixel, bool interlaced,
                 const std::function<uint8_t()>& next) {
  const uint32_t kColumnStart[7] = {0, 4, 0, 2, 0, 1, 0};
  const uint32_t kColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};
  const uint32_t kRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
  const uint32_t kRowStep[7] = {8, 8, 8, 4, 4, 2, 2};
  Bytes raw;
  for (int pass = 0; pass < (interlaced ? 7 : 1); pass++) {
    uint32_t columns =
        interlaced ? (width + kColumnStep[pass] - 1 - kColumnStart[pass]) / kColumnStep[pass] : width;
    uint32_t rows = interlaced ? (height + kRowStep[pass] - 1 - kRowStart[pass]) / kRowStep[pass] : height;
    if (columns == 0 || rows == 0) {
      continue;  // an empty pass has no rows, not even filter bytes
    }
    for (uint32_t y = 0; y < rows; y++) {
      raw.push_back(next() % 5);
      for (uint32_t i = 0; i < (columns * bitsPerPixel + 7) / 8; i++) {
        raw.push_back(next());
      }
    }
  }
  return raw;
}

// Every colour type and depth at widths 1 to 9 and a few heights, plain and
// interlaced (where passes are empty, a column or two wide, or sub-byte
// pixels land mid-byte), rows with random filters.
TEST(PngConvert, OddSizesOfEveryTypeMatchTheReferenceDecoder) {
  const uint8_t kPairs[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                               {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  const uint32_t kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
  uint32_t seed = 2024;
  std::function<uint8_t()> next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return uint8_t(seed >> 16);
  };
  Bytes palette(768);
  for (uint8_t& b : palette) {
    b = next();
  }
  for (const auto& pair : kPairs) {
    for (uint8_t interlace = 0; interlace <= 1; interlace++) {
      for (uint32_t width = 1; width <= 9; width++) {
        for (uint32_t height : {1u, 3u, 5u, 9u}) {
          Bytes raw = RandomRows(width, height, kSamples[pair[0]] * pair[1], interlace == 1, next);
          // As many palette entries as the depth can index.
          Bytes plte;
          if (pair[0] == 3) {
            plte.assign(palette.begin(), palette.begin() + 3 * (1 << pair[1]));
          }
          Bytes png = MakePng(Ihdr(width, height, pair[1], pair[0], interlace), raw, plte);
          Decoded d = DecodePng(png);
          ASSERT_TRUE(d.ok);
          std::vector<uint16_t> reference;
          uint32_t w = 0, h = 0;
          ASSERT_TRUE(ReferenceDecode(png, &reference, &w, &h));
          ExpectSamePixels(std::to_string(pair[0]) + "/" + std::to_string(pair[1]) + " interlace " +
                               std::to_string(interlace) + " " + std::to_string(width) + "x" +
                               std::to_string(height),
                           d, reference);
        }
      }
    }
  }
}

TEST(PngSuite, ColourWithAlphaAlsoConvertsToTwentyFourBits) {
  const struct {
    const char* name;
    uint32_t format;
  } kCases[] = {
      {"basn6a08", 0x0608010D}, {"basi6a08", 0x0608010D}, {"basn6a16", 0x06100108}, {"basi6a16", 0x06100108}};
  for (const auto& c : kCases) {
    Bytes png = ReadTestFile(kSuite + c.name + ".png");
    Decoded d = DecodePng(png, c.format);
    ASSERT_TRUE(d.ok) << c.name;
    EXPECT_EQ(d.outputBits, 24u);
    std::vector<uint16_t> reference;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(ReferenceDecode(png, &reference, &width, &height));
    ExpectSamePixels(c.name, d, reference);
  }
}
#endif  // TRIVO_HAVE_SPNG

TEST(PngSuite, BrokenFilesAreRefusedWithTheirCode) {
  // Chunk CRCs are never compared, so the two files that differ from a good
  // one only by a CRC decode like their twins.
  const struct {
    const char* name;
    int stage;  // 0: decodes; else the step that refuses it
    uint32_t error;
  } kCases[] = {
      {"xc1n0g08", 1, PngErrorUnsupported},  // colour type 1
      {"xc9n2c08", 1, PngErrorUnsupported},  // colour type 9
      {"xcrn0g04", 1, PngErrorBadData},      // signature with CR added
      {"xlfn0g04", 1, PngErrorBadData},      // signature with LF added
      {"xs1n0g01", 1, PngErrorBadData},      // signature byte 1 wrong
      {"xs2n0g01", 1, PngErrorBadData},      // signature byte 2 wrong
      {"xs4n0g01", 1, PngErrorBadData},      // signature byte 4 wrong
      {"xs7n0g01", 1, PngErrorBadData},      // signature byte 7 wrong
      {"xd0n2c08", 1, PngErrorUnsupported},  // bit depth 0
      {"xd3n2c08", 1, PngErrorUnsupported},  // bit depth 3
      {"xd9n2c08", 1, PngErrorUnsupported},  // bit depth 99
      {"xdtn0g01", 2, PngErrorBadData},      // no IDAT
      {"xcsn0g01", 0, 0},                    // IDAT CRC wrong
      {"xhdn0g08", 0, 0},                    // IHDR CRC wrong
  };
  for (const auto& c : kCases) {
    Decoded d = DecodePng(ReadTestFile(kSuite + c.name + ".png"));
    EXPECT_EQ(d.stageFailed, c.stage) << c.name;
    EXPECT_EQ(d.error, c.error) << c.name;
  }
}

TEST(PngSuite, AncillaryChunksDoNotChangeThePixels) {
  int withAncillary = 0;
  for (const std::string& name : SuiteFiles()) {
    Bytes png = ReadTestFile(kSuite + name + ".png");
    Bytes plain = StripAncillary(png);
    withAncillary += plain.size() < png.size();
    Decoded a = DecodePng(png);
    Decoded b = DecodePng(plain);
    ASSERT_TRUE(a.ok && b.ok) << name;
    EXPECT_EQ(a.rows, b.rows) << name;
    EXPECT_EQ(std::memcmp(&a.info, &b.info, sizeof a.info), 0) << name;
  }
  EXPECT_GT(withAncillary, 50);
}

// Every prefix and every single-byte change of a few files: each decode must
// return, and whatever it writes stays inside the rows (guards checked).
TEST(PngSuite, TruncatedAndCorruptedFilesAlwaysReturn) {
  int decoded = 0;
  for (const char* name :
       {"basn0g01", "basi3p02", "basn6a16", "basi4a08", "f04n2c08", "oi9n2c16", "s03i3p01"}) {
    Bytes png = ReadTestFile(kSuite + name + ".png");
    ASSERT_FALSE(png.empty());
    for (size_t size = 0; size < png.size(); size++) {
      Bytes prefix(png.begin(), png.begin() + long(size));
      decoded += DecodePng(prefix).ok;
    }
    for (size_t i = 0; i < png.size(); i++) {
      for (uint8_t change : {uint8_t(0xFF), uint8_t(0x01), uint8_t(0x80)}) {
        Bytes bad = png;
        bad[i] ^= change;
        decoded += DecodePng(bad).ok;
      }
    }
  }
  // Flips in CRCs, ancillary data and trailers still decode.
  EXPECT_GT(decoded, 0);
}

// ---------------------------------------------------------------------------
// Hand-built images.

TEST(PngConvert, TwoBitGreyBecomesFourBitsOverAFourLevelRamp) {
  // 5 pixels 0 1 2 3 2 in one row: 00 01 10 11 | 10 (padding 000000).
  Decoded d = DecodePng(MakePng(Ihdr(5, 1, 2, 0), {0, 0x1B, 0x80}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.info.header.biBitCount, 4);
  EXPECT_EQ(d.info.header.biClrUsed, 4u);
  const uint8_t kLevels[4] = {0, 85, 170, 255};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(d.info.colours[i].red, kLevels[i]);
    EXPECT_EQ(d.info.colours[i].blue, kLevels[i]);
    EXPECT_EQ(d.info.colours[i].reserved, 0);
  }
  EXPECT_EQ(d.rows[0], 0x01);
  EXPECT_EQ(d.rows[1], 0x23);
  EXPECT_EQ(d.rows[2] >> 4, 2);
}

TEST(PngConvert, SixteenBitRgbaOfOddWidthConvertsEveryPixel) {
  // Three pixels; each sample's high byte differs from its low byte.
  Bytes row = {0};
  for (uint8_t p = 1; p <= 3; p++) {
    row.insert(row.end(),
               {uint8_t(0x10 * p), 0xEE, uint8_t(0x20 * p), 0xEE, uint8_t(0x30 * p), 0xEE, 0x40, 0xEE});
  }
  Bytes png = MakePng(Ihdr(3, 2, 16, 6), [&] {
    Bytes raw = row;
    raw.insert(raw.end(), row.begin(), row.end());
    return raw;
  }());
  Decoded d32 = DecodePng(png);
  ASSERT_TRUE(d32.ok);
  EXPECT_EQ(d32.info.header.biBitCount, 32);
  Decoded d24 = DecodePng(png, 0x06100108);
  ASSERT_TRUE(d24.ok);
  for (uint32_t y = 0; y < 2; y++) {
    for (uint32_t x = 0; x < 3; x++) {
      Rgba a = PixelAt(d32, x, y);
      Rgba b = PixelAt(d24, x, y);
      EXPECT_EQ(a.r, 0x10 * (x + 1));
      EXPECT_EQ(a.g, 0x20 * (x + 1));
      EXPECT_EQ(a.b, 0x30 * (x + 1));
      EXPECT_EQ(a.a, 0x40);
      EXPECT_EQ(b.r, a.r);
      EXPECT_EQ(b.b, a.b);
    }
  }
}

TEST(PngConvert, TwentyFourBitFormatFitsRgbaOnly) {
  Bytes rgba = MakePng(Ihdr(1, 1, 8, 6), {0, 1, 2, 3, 4});
  Decoded d = DecodePng(rgba, 0x0608010D);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.outputBits, 24u);
  EXPECT_EQ(d.rows[0], 3);           // blue
  EXPECT_EQ(d.rows[2], 1);           // red
  EXPECT_EQ(d.rows[3], kGuardByte);  // row padding is not written

  Decoded rgb = DecodePng(MakePng(Ihdr(1, 1, 8, 2), {0, 1, 2, 3}), 0x0608010D);
  EXPECT_FALSE(rgb.ok);
  EXPECT_EQ(rgb.error, PngErrorFormatMismatch);

  // Flag byte missing, and a converter that does not exist for the image.
  EXPECT_EQ(DecodePng(rgba, 0x0608000D).error, PngErrorFormatMismatch);
  EXPECT_EQ(DecodePng(rgba, 0x06080107).error, PngErrorFormatMismatch);
}

TEST(PngConvert, OutputBitsOfEachFormat) {
  const struct {
    uint32_t format, bits;
  } kCases[] = {{0x00010100, 1},  {0x0002010B, 4},  {0x00040100, 4},  {0x00080100, 8},
                {0x00100106, 8},  {0x0208010C, 24}, {0x02100107, 24}, {0x03010100, 1},
                {0x0302010B, 4},  {0x03040100, 4},  {0x03080100, 8},  {0x04080106, 8},
                {0x0410010A, 8},  {0x0608010E, 32}, {0x0608010D, 24}, {0x06100109, 32},
                {0x06100108, 24}, {0x0208010D, 0},  {0x00080000, 0},  {kPngDefaultFormat, 0}};
  for (const auto& c : kCases) {
    EXPECT_EQ(PngOutputBits(c.format), c.bits) << std::hex << c.format;
  }
}

TEST(PngConvert, ShortPaletteLeavesTheRestOfTheTableBlack) {
  // 8-bit palette of two colours; pixel 5 points past it.
  Decoded d = DecodePng(MakePng(Ihdr(2, 1, 8, 3), {0, 1, 5}, {10, 20, 30, 40, 50, 60}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.info.header.biBitCount, 8);
  EXPECT_EQ(d.info.header.biClrUsed, 0u);
  EXPECT_EQ(d.info.colours[1].red, 40);
  EXPECT_EQ(d.info.colours[1].green, 50);
  EXPECT_EQ(d.info.colours[1].blue, 60);
  for (int i = 2; i < 256; i++) {
    EXPECT_EQ(d.info.colours[i].red | d.info.colours[i].green | d.info.colours[i].blue, 0) << i;
  }
  Rgba p = PixelAt(d, 1, 0);
  EXPECT_EQ(p.r | p.g | p.b, 0);
}

TEST(PngConvert, AdamSevenSmallImagesUseOnlyThePassesThatHoldPixels) {
  // 1 x 1: pass 1 only, one filter byte and one pixel.
  PngImage image;
  PngInit(&image);
  Bytes one = MakePng(Ihdr(1, 1, 8, 0, 1), {0, 77});
  ASSERT_EQ(PngLoadMemory(&image, one.data(), uint32_t(one.size())), 1);
  EXPECT_EQ(PngRawSize(&image), 2u);
  PngCleanup(&image);

  // 3 x 2: pass 1 holds (0,0), pass 4 (2,0), pass 6 (1,0), pass 7 row 1.
  Bytes raw = {0, 1,         // pass 1
               0, 3,         // pass 4
               0, 2,         // pass 6
               0, 4, 5, 6};  // pass 7
  Bytes six = MakePng(Ihdr(3, 2, 8, 0, 1), raw);
  PngInit(&image);
  ASSERT_EQ(PngLoadMemory(&image, six.data(), uint32_t(six.size())), 1);
  EXPECT_EQ(PngRawSize(&image), 10u);
  PngCleanup(&image);
  Decoded d = DecodePng(six);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(Bytes(d.rows.begin(), d.rows.begin() + 3), (Bytes{1, 2, 3}));
  EXPECT_EQ(Bytes(d.rows.begin() + 4, d.rows.begin() + 7), (Bytes{4, 5, 6}));
}

TEST(PngConvert, FilterTypeAboveFourFails) {
  Decoded d = DecodePng(MakePng(Ihdr(2, 2, 8, 0), {0, 1, 2, 5, 3, 4}));
  EXPECT_EQ(d.stageFailed, 3);
  EXPECT_EQ(d.error, PngErrorBadData);
}

// ---------------------------------------------------------------------------
// Chunk walk and header checks.

TEST(PngParse, ChunkWalkRules) {
  const Bytes ihdr = Ihdr(1, 1, 8, 0);
  const Bytes idat = StoredZlib({0, 9});
  auto build = [&](const std::vector<std::pair<const char*, Bytes>>& chunks) {
    Bytes png = kSignatureBytes;
    for (const auto& chunk : chunks) {
      AddChunk(&png, chunk.first, chunk.second);
    }
    return png;
  };
  const struct {
    const char* what;
    Bytes png;
    int stage;
    uint32_t error;
  } kCases[] = {
      {"tEXt and gAMA skipped",
       build({{"IHDR", ihdr}, {"tEXt", {'a', 0, 'b'}}, {"gAMA", {0, 0, 0, 1}}, {"IDAT", idat}, {"IEND", {}}}),
       0, 0},
      {"unknown critical chunk", build({{"IHDR", ihdr}, {"ABCD", {}}, {"IDAT", idat}, {"IEND", {}}}), 1,
       PngErrorUnsupported},
      {"IDAT after IEND still found", build({{"IHDR", ihdr}, {"IEND", {}}, {"IDAT", idat}}), 0, 0},
      {"first letter lower case still IHDR", build({{"iHDR", ihdr}, {"IDAT", idat}}), 0, 0},
      {"first chunk not IHDR", build({{"tEXt", {}}, {"IHDR", ihdr}, {"IDAT", idat}}), 1, PngErrorBadData},
      {"IHDR of 12 bytes", build({{"IHDR", Bytes(ihdr.begin(), ihdr.end() - 1)}, {"IDAT", idat}}), 1,
       PngErrorBadData},
      {"IHDR of 14 bytes read for its first 13",
       build({{"IHDR",
               [&] {
                 Bytes h = ihdr;
                 h.push_back(0xEE);
                 return h;
               }()},
              {"IDAT", idat},
              {"IEND", {}}}),
       0, 0},
      {"zero width", build({{"IHDR", Ihdr(0, 1, 8, 0)}, {"IDAT", idat}}), 1, PngErrorBadData},
      {"zero height", build({{"IHDR", Ihdr(1, 0, 8, 0)}, {"IDAT", idat}}), 1, PngErrorBadData},
      {"grey depth 3", build({{"IHDR", Ihdr(1, 1, 3, 0)}, {"IDAT", idat}}), 1, PngErrorUnsupported},
      {"palette depth 16", build({{"IHDR", Ihdr(1, 1, 16, 3)}, {"IDAT", idat}}), 1, PngErrorUnsupported},
      {"interlace 2", build({{"IHDR", Ihdr(1, 1, 8, 0, 2)}, {"IDAT", idat}}), 1, PngErrorUnsupported},
      {"compression method 1",
       build({{"IHDR",
               [&] {
                 Bytes h = ihdr;
                 h[10] = 1;
                 return h;
               }()},
              {"IDAT", idat}}),
       1, PngErrorUnsupported},
      {"filter method 1",
       build({{"IHDR",
               [&] {
                 Bytes h = ihdr;
                 h[11] = 1;
                 return h;
               }()},
              {"IDAT", idat}}),
       1, PngErrorUnsupported},
      {"above the size cap", build({{"IHDR", Ihdr(65535, 65535, 8, 0)}, {"IDAT", idat}}), 1,
       PngErrorUnsupported},
      {"wider than the cap", build({{"IHDR", Ihdr(70000, 1, 8, 0)}, {"IDAT", idat}}), 1, PngErrorUnsupported},
      {"no IDAT", build({{"IHDR", ihdr}, {"IEND", {}}}), 2, PngErrorBadData},
      {"palette without PLTE", build({{"IHDR", Ihdr(1, 1, 8, 3)}, {"IDAT", idat}}), 2, PngErrorBadData},
      {"under 16 bytes", Bytes(kSignatureBytes.begin(), kSignatureBytes.end()), 1, PngErrorBadData},
  };
  for (const auto& c : kCases) {
    Decoded d = DecodePng(c.png);
    EXPECT_EQ(d.stageFailed, c.stage) << c.what;
    EXPECT_EQ(d.error, c.error) << c.what;
  }
}

TEST(PngParse, ChunkRunningPastTheDataEndsTheWalkSilently) {
  Bytes png = MakePng(Ihdr(1, 1, 8, 0), {0, 9});
  Bytes tail = {0x7F, 0xFF, 0xFF, 0xFF, 'A', 'B', 'C', 'D', 1, 2, 3, 4};  // critical, but cut short
  png.insert(png.end(), tail.begin(), tail.end());
  Decoded d = DecodePng(png);
  EXPECT_TRUE(d.ok);
  EXPECT_EQ(d.rows[0], 9);

  PngImage image;
  PngInit(&image);
  ASSERT_EQ(PngLoadMemory(&image, png.data(), uint32_t(png.size())), 1);
  ChunkInfo chunk;
  image.cursor = png.data() + png.size() - tail.size();
  EXPECT_EQ(PngReadChunk(&image, &chunk), 0);
  image.cursor = png.data() + 8;
  ASSERT_EQ(PngReadChunk(&image, &chunk), 1);
  EXPECT_EQ(chunk.kind, uint32_t(ChunkIhdr));
  EXPECT_EQ(chunk.length, 13u);
  EXPECT_EQ(chunk.crc, Crc32(png.data() + 12, 17));
  PngCleanup(&image);
}

TEST(PngStages, CallsInTheWrongStageAreRefused) {
  Bytes png = MakePng(Ihdr(1, 1, 8, 0), {0, 9});
  PngImage image;
  PngInit(&image);
  uint8_t out[4] = {};
  EXPECT_EQ(PngDecode(&image), 0);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);
  EXPECT_EQ(PngConvert(&image, out, kPngDefaultFormat), 0);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);

  ASSERT_EQ(PngLoadMemory(&image, png.data(), uint32_t(png.size())), 1);
  EXPECT_EQ(image.stage, 1u);
  EXPECT_EQ(PngConvert(&image, out, kPngDefaultFormat), 0);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);
  EXPECT_EQ(PngLoadMemory(&image, png.data(), uint32_t(png.size())), 0);
  EXPECT_EQ(image.lastError, PngErrorRecordInUse);

  ASSERT_EQ(PngDecode(&image), 1);
  EXPECT_EQ(image.stage, 2u);
  EXPECT_EQ(PngDecode(&image), 0);
  EXPECT_EQ(image.lastError, PngErrorWrongStage);
  // Conversion may run more than once on a decoded record.
  EXPECT_EQ(PngConvert(&image, out, kPngDefaultFormat), 1);
  EXPECT_EQ(PngConvert(&image, out, kPngDefaultFormat), 1);
  EXPECT_EQ(out[0], 9);

  PngCleanup(&image);
  EXPECT_EQ(image.stage, 0u);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.data, nullptr);
}

TEST(PngStages, FailedLoadLeavesTheRecordEmpty) {
  Bytes png = MakePng(Ihdr(1, 1, 8, 9), {0, 9});  // colour type 9
  PngImage image;
  PngInit(&image);
  EXPECT_EQ(PngLoadMemory(&image, png.data(), uint32_t(png.size())), 0);
  EXPECT_EQ(image.lastError, PngErrorUnsupported);
  EXPECT_EQ(image.source, 0u);
  EXPECT_EQ(image.stage, 0u);
  EXPECT_EQ(image.data, nullptr);
  EXPECT_EQ(PngLoadMemory(&image, nullptr, 0), 0);
  EXPECT_EQ(image.lastError, PngErrorResourceUnloadable);
}

TEST(PngStages, FailedDecodeFreesTheRawBuffer) {
  Bytes png = MakePng(Ihdr(1, 1, 8, 0), {0, 9});
  png[8 + 25 + 8] = 0x77;  // zlib CMF of the IDAT: method 7
  PngImage image;
  PngInit(&image);
  ASSERT_EQ(PngLoadMemory(&image, png.data(), uint32_t(png.size())), 1);
  EXPECT_EQ(PngDecode(&image), 0);
  EXPECT_EQ(image.lastError, PngErrorBadData);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.stage, 1u);
  PngCleanup(&image);
}

TEST(PngBitmapInfo, HeaderAndTablesByColourType) {
  const struct {
    uint8_t type, depth;
    uint16_t bitCount;
    uint32_t coloursUsed, defaultFormat;
  } kCases[] = {
      {0, 1, 1, 2, 0x00010100},    {0, 2, 4, 4, 0x0002010B},    {0, 4, 4, 16, 0x00040100},
      {0, 8, 8, 256, 0x00080100},  {0, 16, 8, 256, 0x00100106}, {2, 8, 24, 0, 0x0208010C},
      {2, 16, 24, 0, 0x02100107},  {3, 1, 1, 0, 0x03010100},    {3, 2, 4, 0, 0x0302010B},
      {3, 4, 4, 0, 0x03040100},    {3, 8, 8, 0, 0x03080100},    {4, 8, 8, 256, 0x04080106},
      {4, 16, 8, 256, 0x0410010A}, {6, 8, 32, 0, 0x0608010E},   {6, 16, 32, 0, 0x06100109},
  };
  for (const auto& c : kCases) {
    PngImage image;
    PngInit(&image);
    image.width = 7;
    image.height = 3;
    image.colourType = c.type;
    image.bitDepth = c.depth;
    PngBitmapInfo info;
    uint32_t format = 0;
    ASSERT_EQ(PngFillBitmapInfo(&image, &info, &format), 1);
    EXPECT_EQ(info.header.biSize, 40u);
    EXPECT_EQ(info.header.biWidth, 7);
    EXPECT_EQ(info.header.biHeight, -3);
    EXPECT_EQ(info.header.biPlanes, 1);
    EXPECT_EQ(info.header.biBitCount, c.bitCount) << int(c.type) << "/" << int(c.depth);
    EXPECT_EQ(info.header.biClrUsed, c.coloursUsed) << int(c.type) << "/" << int(c.depth);
    EXPECT_EQ(format, c.defaultFormat) << int(c.type) << "/" << int(c.depth);
    if (c.coloursUsed == 16) {
      EXPECT_EQ(info.colours[15].green, 255);
      EXPECT_EQ(info.colours[1].green, 17);
    }
  }
}

}  // namespace
