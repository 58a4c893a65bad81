// The one cursor over binary input for readers that take it a field or a
// byte at a time (the PE reader, the picture headers, the bit layer of the
// block decoder); inflate keeps its own word-wide bit reader for speed.
// Reads take an absolute offset; a value not wholly inside the input reads
// as 0 and clears `ok`, which stays cleared, so a reader takes a whole header
// or table and checks `ok` once at the record's end instead of before every
// field. The reader keeps a pointer: a vector resized after it is made must
// get a new reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ByteReader {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool ok = true;  // false once any read has fallen outside the input

  ByteReader(const uint8_t* bytes, size_t count) : data(bytes), size(count) {}
  explicit ByteReader(const std::vector<uint8_t>& bytes) : data(bytes.data()), size(bytes.size()) {}

  // Whether `count` bytes at `offset` lie inside the input (no overflow).
  bool Has(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }

  uint8_t U8(uint64_t offset) { return Fits(offset, 1) ? data[offset] : 0; }
  uint16_t Le16(uint64_t offset) {
    return Fits(offset, 2) ? static_cast<uint16_t>(data[offset] | data[offset + 1] << 8) : 0;
  }
  uint32_t Le32(uint64_t offset) {
    return Fits(offset, 4)
               ? static_cast<uint32_t>(Le16(offset)) | static_cast<uint32_t>(Le16(offset + 2)) << 16
               : 0;
  }
  uint16_t Be16(uint64_t offset) {
    return Fits(offset, 2) ? static_cast<uint16_t>(data[offset] << 8 | data[offset + 1]) : 0;
  }
  uint32_t Be32(uint64_t offset) {
    return Fits(offset, 4)
               ? static_cast<uint32_t>(Be16(offset)) << 16 | static_cast<uint32_t>(Be16(offset + 2))
               : 0;
  }

 private:
  // A value is read whole or not at all: one that straddles the end reads
  // as 0 too, and no offset arithmetic wraps around to the start.
  bool Fits(uint64_t offset, uint64_t count) {
    if (Has(offset, count)) {
      return true;
    }
    ok = false;
    return false;
  }
};
