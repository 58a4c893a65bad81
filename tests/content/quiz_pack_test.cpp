// The quiz pack: written and read back exactly, and any damage (cut short,
// a flipped bit, sizes that lie under a good checksum) is an error, never a
// crash or a partly filled pack.
#include "content/quiz_pack.h"

#include <gtest/gtest.h>

namespace {

QuizPack SamplePack() {
  QuizPack pack;
  for (size_t i = 0; i < pack.exeSha256.size(); ++i)
    pack.exeSha256[i] = static_cast<uint8_t>(i * 7);
  for (size_t i = 0; i < pack.stored.size(); ++i)
    pack.stored[i] = static_cast<uint8_t>(200 - i);
  pack.entries.push_back({"PATCH", 0, 104, {1, 2, 3}});
  pack.entries.push_back({"PATCH", 0, 105, {}});
  pack.entries.push_back({"IMG", 0, 401, std::vector<uint8_t>(300, 0x5A)});
  pack.entries.push_back({"", 10, 10402, {9, 8, 7}});
  return pack;
}

// The checksum the pack ends with, so a test can forge a pack that passes it.
void Reseal(std::vector<uint8_t>& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i)
    bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

TEST(QuizPack, ReadsBackWhatWasWritten) {
  const QuizPack pack = SamplePack();
  const std::vector<uint8_t> bytes = WriteQuizPack(pack);
  ASSERT_TRUE(LooksLikeQuizPack(bytes.data(), bytes.size()));
  QuizPack read;
  ASSERT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::None);
  EXPECT_EQ(read.exeSha256, pack.exeSha256);
  EXPECT_EQ(read.stored, pack.stored);
  ASSERT_EQ(read.entries.size(), pack.entries.size());
  for (size_t i = 0; i < pack.entries.size(); ++i) {
    EXPECT_EQ(read.entries[i].typeName, pack.entries[i].typeName);
    EXPECT_EQ(read.entries[i].typeId, pack.entries[i].typeId);
    EXPECT_EQ(read.entries[i].id, pack.entries[i].id);
    EXPECT_EQ(read.entries[i].data, pack.entries[i].data);
  }
}

TEST(QuizPack, RefusesWhatItCannotWrite) {
  QuizPack pack;
  pack.entries.resize(kQuizPackMaxEntries + 1);
  EXPECT_TRUE(WriteQuizPack(pack).empty());
  pack.entries = {{std::string(256, 'T'), 0, 1, {}}};
  EXPECT_TRUE(WriteQuizPack(pack).empty());
}

TEST(QuizPack, EveryCutAndEveryFlippedBitIsAnError) {
  const std::vector<uint8_t> bytes = WriteQuizPack(SamplePack());
  QuizPack read;
  read.entries.push_back({"KEPT", 0, 1, {}});
  for (size_t size = 0; size < bytes.size(); ++size) {
    EXPECT_NE(ReadQuizPack(bytes.data(), size, &read), QuizPackError::None) << size;
  }
  for (size_t bit = 0; bit < bytes.size() * 8; ++bit) {
    std::vector<uint8_t> flipped = bytes;
    flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    EXPECT_NE(ReadQuizPack(flipped.data(), flipped.size(), &read), QuizPackError::None) << bit;
  }
  ASSERT_EQ(read.entries.size(), 1u);  // a failed read leaves the pack as it was
  EXPECT_EQ(ReadQuizPack(nullptr, 0, &read), QuizPackError::NotAPack);
}

TEST(QuizPack, SizesThatLieUnderAGoodChecksumAreRefused) {
  const std::vector<uint8_t> good = WriteQuizPack(SamplePack());
  const size_t countAt = 8 + 1 + 32 + kStoredBlockSize;
  QuizPack read;
  std::vector<uint8_t> bytes = good;
  bytes[countAt] = 0xFF;  // 0xFF04 entries
  bytes[countAt + 1] = 0xFF;
  Reseal(bytes);
  EXPECT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::TooManyEntries);
  bytes = good;
  bytes[countAt] = 5;  // one entry more than there is
  Reseal(bytes);
  EXPECT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::Corrupt);
  bytes = good;
  bytes[countAt] = 3;  // one entry less: bytes left over
  Reseal(bytes);
  EXPECT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::Corrupt);
  bytes = good;
  bytes[countAt + 2 + 1 + 5 + 4 + 3] = 0x7F;  // the first entry's size far past the end
  Reseal(bytes);
  EXPECT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::Corrupt);
  bytes = good;
  bytes[8] = 2;  // a later version
  EXPECT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &read), QuizPackError::NotAPack);
}

}  // namespace
