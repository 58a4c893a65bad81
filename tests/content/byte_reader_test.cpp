#include "content/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(ByteReader, ReadsBothByteOrders) {
  const std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78};
  ByteReader in(bytes);
  EXPECT_EQ(in.Le16(0), 0x3412);
  EXPECT_EQ(in.Be16(0), 0x1234);
  EXPECT_EQ(in.Le32(0), 0x78563412u);
  EXPECT_EQ(in.Be32(0), 0x12345678u);
  EXPECT_TRUE(in.ok);
}

// A value that runs off the end reads as zero, whole, and the failure stays
// set through later reads that fit, so one check at the end
// of a record catches it.
TEST(ByteReader, PastTheEndReadsZeroAndTheFailureSticks) {
  const std::vector<uint8_t> bytes = {0xAA, 0xBB, 0xCC};
  ByteReader in(bytes);
  EXPECT_EQ(in.Le32(0), 0u);
  EXPECT_FALSE(in.ok);
  EXPECT_EQ(in.U8(1), 0xBB);
  EXPECT_FALSE(in.ok);
  EXPECT_EQ(in.Be16(UINT64_MAX), 0);  // no wrap-around to the start

  ByteReader empty(nullptr, 0);
  EXPECT_EQ(empty.U8(0), 0);
  EXPECT_FALSE(empty.ok);
}

TEST(ByteReader, HasRefusesRangesThatOverflow) {
  const std::vector<uint8_t> bytes(16);
  const ByteReader in(bytes);
  EXPECT_TRUE(in.Has(0, 16));
  EXPECT_TRUE(in.Has(16, 0));
  EXPECT_FALSE(in.Has(15, 2));
  EXPECT_FALSE(in.Has(17, 0));
  EXPECT_FALSE(in.Has(8, UINT64_MAX));
}
