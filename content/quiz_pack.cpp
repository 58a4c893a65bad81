#include "content/quiz_pack.h"

#include <cstring>

namespace {

constexpr char kMagic[] = "TRIVOPAK";
constexpr size_t kMagicSize = sizeof(kMagic) - 1;
constexpr uint8_t kVersion = 1;
constexpr size_t kHeaderSize = kMagicSize + 1 + 32 + kStoredBlockSize + 2;
constexpr size_t kChecksumSize = 4;

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

// Reads forward through the pack; every read checks the bytes are there.
struct Cursor {
  const uint8_t* at;
  const uint8_t* end;

  bool Take(size_t count, const uint8_t** bytes) {
    if (static_cast<size_t>(end - at) < count) {
      return false;
    }
    *bytes = at;
    at += count;
    return true;
  }

  bool Little(int count, uint32_t* value) {
    const uint8_t* bytes = nullptr;
    if (!Take(static_cast<size_t>(count), &bytes)) {
      return false;
    }
    *value = 0;
    for (int i = count - 1; i >= 0; --i) {
      *value = (*value << 8) | bytes[i];
    }
    return true;
  }
};

bool ReadEntry(Cursor& cursor, QuizPackEntry* entry) {
  uint32_t nameSize = 0, typeId = 0, id = 0, size = 0;
  const uint8_t* name = nullptr;
  const uint8_t* data = nullptr;
  if (!cursor.Little(1, &nameSize) || !cursor.Take(nameSize, &name) || !cursor.Little(2, &typeId) ||
      !cursor.Little(2, &id) || !cursor.Little(4, &size) || !cursor.Take(size, &data)) {
    return false;
  }
  entry->typeName.assign(reinterpret_cast<const char*>(name), nameSize);
  entry->typeId = static_cast<uint16_t>(typeId);
  entry->id = static_cast<uint16_t>(id);
  entry->data.assign(data, data + size);
  return true;
}

}  // namespace

const char* ToString(QuizPackError error) {
  switch (error) {
    case QuizPackError::None:
      return "no error";
    case QuizPackError::NotAPack:
      return "not a quiz pack";
    case QuizPackError::Truncated:
      return "the quiz pack is cut short";
    case QuizPackError::Corrupt:
      return "the quiz pack is damaged";
    case QuizPackError::TooManyEntries:
      return "the quiz pack holds too many entries";
  }
  return "unknown error";
}

bool LooksLikeQuizPack(const uint8_t* data, size_t size) {
  return data != nullptr && size >= kMagicSize && std::memcmp(data, kMagic, kMagicSize) == 0;
}

std::vector<uint8_t> WriteQuizPack(const QuizPack& pack) {
  if (pack.entries.size() > kQuizPackMaxEntries) {
    return {};
  }
  std::vector<uint8_t> out(kMagic, kMagic + kMagicSize);
  out.push_back(kVersion);
  out.insert(out.end(), pack.exeSha256.begin(), pack.exeSha256.end());
  out.insert(out.end(), pack.stored.begin(), pack.stored.end());
  PutLittle(out, static_cast<uint32_t>(pack.entries.size()), 2);
  for (const QuizPackEntry& entry : pack.entries) {
    if (entry.typeName.size() > 255 || entry.data.size() > 0xFFFFFFFFu) {
      return {};
    }
    PutLittle(out, static_cast<uint32_t>(entry.typeName.size()), 1);
    out.insert(out.end(), entry.typeName.begin(), entry.typeName.end());
    PutLittle(out, entry.typeId, 2);
    PutLittle(out, entry.id, 2);
    PutLittle(out, static_cast<uint32_t>(entry.data.size()), 4);
    out.insert(out.end(), entry.data.begin(), entry.data.end());
  }
  PutLittle(out, Crc32(out.data(), out.size()), 4);
  return out;
}

QuizPackError ReadQuizPack(const uint8_t* data, size_t size, QuizPack* pack) {
  if (!LooksLikeQuizPack(data, size) || (size > kMagicSize && data[kMagicSize] != kVersion)) {
    return QuizPackError::NotAPack;
  }
  if (size < kHeaderSize + kChecksumSize) {
    return QuizPackError::Truncated;
  }
  const size_t body = size - kChecksumSize;
  Cursor tail{data + body, data + size};
  uint32_t checksum = 0;
  if (!tail.Little(4, &checksum) || checksum != Crc32(data, body)) {
    return QuizPackError::Corrupt;
  }
  Cursor cursor{data + kMagicSize + 1, data + body};
  const uint8_t* bytes = nullptr;
  QuizPack read;
  cursor.Take(32, &bytes);
  std::memcpy(read.exeSha256.data(), bytes, 32);
  cursor.Take(kStoredBlockSize, &bytes);
  std::memcpy(read.stored.data(), bytes, kStoredBlockSize);
  uint32_t count = 0;
  cursor.Little(2, &count);
  if (count > kQuizPackMaxEntries) {
    return QuizPackError::TooManyEntries;
  }
  read.entries.resize(count);
  for (QuizPackEntry& entry : read.entries) {
    if (!ReadEntry(cursor, &entry)) {
      return QuizPackError::Corrupt;
    }
  }
  if (cursor.at != cursor.end) {
    return QuizPackError::Corrupt;
  }
  *pack = std::move(read);
  return QuizPackError::None;
}
