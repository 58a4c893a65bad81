// Building PNGs by hand in tests: chunks with real CRCs, image data as stored
// deflate blocks so that no compressor is needed.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The bytes of a test data file; empty when it cannot be read.
inline std::vector<uint8_t> ReadTestFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return bytes;
  }
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  std::fclose(file);
  return bytes;
}

inline uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; i++) {
    crc ^= data[i];
    for (int k = 0; k < 8; k++) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
  }
  return ~crc;
}

inline void PutBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
  out->push_back(uint8_t(value >> 24));
  out->push_back(uint8_t(value >> 16));
  out->push_back(uint8_t(value >> 8));
  out->push_back(uint8_t(value));
}

// Appends a chunk: length, type, data and the CRC of type and data.
inline void AddChunk(std::vector<uint8_t>* png, const char* type, const std::vector<uint8_t>& data) {
  PutBigEndian32(png, uint32_t(data.size()));
  size_t typeAt = png->size();
  png->insert(png->end(), type, type + 4);
  png->insert(png->end(), data.begin(), data.end());
  PutBigEndian32(png, Crc32(png->data() + typeAt, png->size() - typeAt));
}

// zlib stream (78 01) of stored blocks holding `raw`, with its Adler-32.
inline std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t at = 0;
  do {
    size_t len = std::min<size_t>(raw.size() - at, 65535);
    bool last = at + len == raw.size();
    z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00, padding
    z.push_back(uint8_t(len));
    z.push_back(uint8_t(len >> 8));
    z.push_back(uint8_t(~len));
    z.push_back(uint8_t(~len >> 8));
    z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + len));
    at += len;
  } while (at < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(&z, b << 16 | a);
  return z;
}
