// Clip recognition: every row of the first-bytes table, and clips too short
// to hold the bytes that are looked at.
#include "media/clip_format.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

// A 12-byte clip: b0 and b1 in front, b8 at offset 8, the rest filler.
std::vector<uint8_t> Clip(uint8_t b0, uint8_t b1, uint8_t b8) {
  std::vector<uint8_t> bytes(12, 0x11);
  bytes[0] = b0;
  bytes[1] = b1;
  bytes[8] = b8;
  return bytes;
}

TEST(ClipExtension, FirstBytesChooseTheExtension) {
  struct Case {
    const char* name;
    uint8_t b0, b1, b8;
    const char* expected;
  };
  const Case cases[] = {
      {"ID3 tag", 'I', 'D', 0x00, "MP3"},
      {"ASF header", '0', 0x26, 0x66, "WMV"},
      {"RIFF AVI", 'R', 'I', 'A', "AVI"},
      {"RIFF WAVE", 'R', 'I', 'W', "WAV"},
      {"RIFF other", 'R', 'I', 'C', "XXX"},
      {"RIFF lower-case wave", 'R', 'I', 'w', "XXX"},
      {"MPEG audio FF F3", 0xFF, 0xF3, 0x00, "MP3"},
      {"FF 00", 0xFF, 0x00, 0x00, "MPG"},
      {"MPEG audio FF FB", 0xFF, 0xFB, 0x00, "XXX"},
      {"00 with A", 0x00, 0x00, 'A', "AVI"},
      {"00 with W", 0x00, 0x00, 'W', "AVI"},
      {"MPEG pack 00 00 01 BA", 0x00, 0x00, 0x44, "MPG"},
      {"00 other", 0x00, 0x12, 'R', "MPG"},
      {"PNG", 0x89, 'P', 0x00, "XXX"},
      {"lower-case id3", 'i', 'd', 0x00, "XXX"},
      {"ogg", 'O', 'g', 0x00, "XXX"},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> clip = Clip(c.b0, c.b1, c.b8);
    EXPECT_STREQ(ClipExtension(clip.data(), clip.size()), c.expected) << c.name;
    std::string lower = c.expected;
    for (char& ch : lower) {
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    }
    EXPECT_EQ(ClipFormatName(clip.data(), clip.size()), lower) << c.name;
  }
}

TEST(ClipExtension, RealHeadersAreRecognised) {
  struct Case {
    std::string header;
    const char* expected;
  };
  const Case cases[] = {
      {std::string("RIFF\x24\x08\x00\x00WAVEfmt ", 16), "WAV"},
      {std::string("RIFF\x24\x08\x00\x00"
                   "AVI LIST",
                   16),
       "AVI"},
      {std::string("ID3\x04\x00\x00\x00\x00\x00\x0a", 10), "MP3"},
      {std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), "WMV"},
      {std::string("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01", 10), "MPG"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(ClipExtension(reinterpret_cast<const uint8_t*>(c.header.data()), c.header.size()),
                 c.expected)
        << c.header.substr(0, 4);
  }
}

// Bytes past the end read as 0: a short clip never matches a letter test and
// never reads outside its buffer.
TEST(ClipExtension, ShortClipsReadNothingPastTheirEnd) {
  EXPECT_STREQ(ClipExtension(nullptr, 0), "XXX");
  const uint8_t riffWave[12] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (size_t size = 1; size <= 8; ++size) {
    // The buffer is cut to `size` on the heap, so a read past it would show
    // under the address sanitizer.
    std::vector<uint8_t> cut(riffWave, riffWave + size);
    EXPECT_STREQ(ClipExtension(cut.data(), cut.size()), "XXX") << size << " bytes";
  }
  std::vector<uint8_t> nine(riffWave, riffWave + 9);
  EXPECT_STREQ(ClipExtension(nine.data(), nine.size()), "WAV");
  std::vector<uint8_t> single(1, 0xFF);
  EXPECT_STREQ(ClipExtension(single.data(), single.size()), "MPG")
      << "a lone 0xFF reads its second byte as 0";
  std::vector<uint8_t> zero(1, 0x00);
  EXPECT_STREQ(ClipExtension(zero.data(), zero.size()), "MPG");
  std::vector<uint8_t> id3(1, 'I');
  EXPECT_STREQ(ClipExtension(id3.data(), id3.size()), "MP3");
}

TEST(MediaMimeType, ClipAndPictureNamesInEitherCase) {
  EXPECT_STREQ(MediaMimeType("MP3"), "audio/mpeg");
  EXPECT_STREQ(MediaMimeType("wav"), "audio/wav");
  EXPECT_STREQ(MediaMimeType("Avi"), "video/x-msvideo");
  EXPECT_STREQ(MediaMimeType("jpg"), "image/jpeg");
  EXPECT_STREQ(MediaMimeType("XXX"), "application/octet-stream");
  EXPECT_STREQ(MediaMimeType("mp"), "application/octet-stream");
  EXPECT_STREQ(MediaMimeType(nullptr), "application/octet-stream");
}

}  // namespace
