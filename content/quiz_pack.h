// A quiz pack: what a quiz executable carries of its quiz (the stored block
// and the resources the play core reads), without the player around it, and
// the SHA-256 of the executable it came from, so a page that plays the pack
// keeps its answers under the same key as one that plays the executable.
// Little-endian: "TRIVOPAK", version, digest, stored block, entry count,
// the entries (type name or number, id, size, data), then a CRC-32 of all
// that precedes it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "content/quiz_loader.h"

constexpr size_t kQuizPackMaxEntries = 4096;  // far beyond any quiz (3 per question)

struct QuizPackEntry {
  std::string typeName;  // "PATCH", "IMG"...; empty for a numbered type
  uint16_t typeId = 0;   // the numbered type (10: RCDATA) when typeName is empty
  uint16_t id = 0;
  std::vector<uint8_t> data;
};

struct QuizPack {
  std::array<uint8_t, 32> exeSha256{};
  std::array<uint8_t, kStoredBlockSize> stored{};
  std::vector<QuizPackEntry> entries;
};

enum class QuizPackError {
  None,
  NotAPack,   // no magic, or a version this reader does not know
  Truncated,  // the bytes end inside the pack
  Corrupt,    // the checksum disagrees or a field is out of bounds
  TooManyEntries
};

const char* ToString(QuizPackError error);

bool LooksLikeQuizPack(const uint8_t* data, size_t size);
// Empty when the pack cannot be written (too many entries, a type name over
// 255 bytes or data over 4 GB).
std::vector<uint8_t> WriteQuizPack(const QuizPack& pack);
QuizPackError ReadQuizPack(const uint8_t* data, size_t size, QuizPack* pack);
