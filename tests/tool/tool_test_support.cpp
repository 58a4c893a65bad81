#include "tests/tool/tool_test_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "content/quiz_loader.h"
#include "tests/support/png_bytes.h"

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v));
  Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kOptional = kPeOffset + 24;
constexpr uint32_t kSectionTable = kOptional + 240;

}  // namespace

std::vector<uint8_t> MakeBareImage() {
  std::vector<uint8_t> b(0x600, 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, kPeOffset);
  Put32(b, kPeOffset, 0x00004550);
  Put16(b, kPeOffset + 4, 0x8664);  // machine
  Put16(b, kPeOffset + 6, 1);       // sections
  Put16(b, kPeOffset + 20, 240);    // optional header size
  Put16(b, kPeOffset + 22, 0x0022);
  Put16(b, kOptional, 0x20B);
  Put32(b, kOptional + 4, 0x200);    // SizeOfCode
  Put32(b, kOptional + 16, 0x1000);  // entry point
  Put32(b, kOptional + 20, 0x1000);  // BaseOfCode
  Put32(b, kOptional + 24, 0x40000000);
  Put32(b, kOptional + 28, 0x1);  // ImageBase 0x140000000
  Put32(b, kOptional + 32, 0x1000);
  Put32(b, kOptional + 36, 0x200);
  Put16(b, kOptional + 40, 6);
  Put16(b, kOptional + 48, 6);
  Put32(b, kOptional + 56, 0x2000);  // SizeOfImage
  Put32(b, kOptional + 60, 0x400);   // SizeOfHeaders
  Put16(b, kOptional + 68, 2);       // GUI
  Put32(b, kOptional + 108, 16);
  const uint32_t s = kSectionTable;
  std::memcpy(&b[s], ".text", 5);
  Put32(b, s + 8, 0x100);
  Put32(b, s + 12, 0x1000);
  Put32(b, s + 16, 0x200);
  Put32(b, s + 20, 0x400);
  Put32(b, s + 36, 0xE0000060);  // code and data, writable like the player's .data
  std::memcpy(&b[0x410], kStoredBlockMarker, kStoredBlockMarkerSize);
  return b;
}

void AppendPlainSection(std::vector<uint8_t>* image, const char* name, uint32_t size) {
  std::vector<uint8_t>& b = *image;
  const uint16_t count = static_cast<uint16_t>(b[kPeOffset + 6] | b[kPeOffset + 7] << 8);
  const size_t last = kSectionTable + 40 * (count - 1);
  const uint32_t lastVa = Get32(b, last + 12);
  const uint32_t lastSpan = Get32(b, last + 8);
  const uint32_t va = (lastVa + lastSpan + 0xFFF) & ~0xFFFu;
  const uint32_t raw = static_cast<uint32_t>((b.size() + 0x1FF) & ~size_t{0x1FF});
  const uint32_t rawSize = (size + 0x1FF) & ~0x1FFu;
  const size_t header = kSectionTable + 40 * count;
  std::memcpy(&b[header], name, std::strlen(name));
  Put32(b, header + 8, size);
  Put32(b, header + 12, va);
  Put32(b, header + 16, rawSize);
  Put32(b, header + 20, raw);
  Put32(b, header + 36, 0x42000040);
  Put16(b, kPeOffset + 6, static_cast<uint16_t>(count + 1));
  Put32(b, kOptional + 56, (va + size + 0xFFF) & ~0xFFFu);
  b.resize(raw + rawSize, 0xAB);
}

std::filesystem::path MakeTempFolder(const std::string& name) {
  static std::mt19937 random(std::random_device{}());
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("trivo-tool-" + name + "-" + std::to_string(random()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

void WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

void WriteBinaryFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBinaryFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, bool alpha) {
  std::vector<uint8_t> raw;
  for (uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);  // filter None
    for (uint32_t x = 0; x < width; ++x) {
      raw.push_back(200);
      raw.push_back(100);
      raw.push_back(50);
      if (alpha) {
        raw.push_back(x == 0 && y == 0 ? 128 : 255);
      }
    }
  }

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  PutBigEndian32(&ihdr, width);
  PutBigEndian32(&ihdr, height);
  ihdr.push_back(8);
  ihdr.push_back(static_cast<uint8_t>(alpha ? 6 : 2));
  ihdr.push_back(0);
  ihdr.push_back(0);
  ihdr.push_back(0);
  AddChunk(&png, "IHDR", ihdr);
  AddChunk(&png, "IDAT", StoredZlib(raw));
  AddChunk(&png, "IEND", {});
  return png;
}

std::vector<uint8_t> MakeJpegHeader(uint32_t width, uint32_t height) {
  return {0xFF,
          0xD8,
          0xFF,
          0xE0,
          0x00,
          0x04,
          0x00,
          0x00,  // SOI, APP0 of 2 bytes
          0xFF,
          0xC0,
          0x00,
          0x0B,
          0x08,
          static_cast<uint8_t>(height >> 8),
          static_cast<uint8_t>(height),
          static_cast<uint8_t>(width >> 8),
          static_cast<uint8_t>(width),
          0x01,
          0x01,
          0x11,
          0x00,
          0xFF,
          0xD9};
}

uint32_t Fnv1a32(const std::vector<uint8_t>& bytes) {
  uint32_t hash = 2166136261u;
  for (uint8_t b : bytes) {
    hash = (hash ^ b) * 16777619u;
  }
  return hash;
}
