// Windows-1252 agrees with Latin-1 except in 0x80..0x9F, where it holds
// typographic characters; the table below gives those 32 code points (the
// five unassigned bytes keep their C1 code point so every byte survives a
// round trip).
#include "content/text_1252.h"

#include <cstdio>

namespace {

constexpr uint16_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t ByteToCodePoint(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0) {
    return kHighTable[byte - 0x80];
  }
  return byte;
}

bool CodePointToByte(uint32_t codePoint, uint8_t* byte) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    *byte = static_cast<uint8_t>(codePoint);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighTable[i] == codePoint) {
      *byte = static_cast<uint8_t>(0x80 + i);
      return true;
    }
  }
  return false;
}

void AppendUtf8(uint32_t codePoint, std::string* out) {
  if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

// Reads one UTF-8 sequence at text[*pos]; false on a malformed, overlong or
// surrogate sequence.
bool NextCodePoint(const std::string& text, size_t* pos, uint32_t* codePoint) {
  const uint8_t lead = static_cast<uint8_t>(text[*pos]);
  int extra = 0;
  uint32_t value = 0;
  uint32_t minimum = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    *pos += 1;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return false;
  }
  if (*pos + extra >= text.size()) {
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    const uint8_t next = static_cast<uint8_t>(text[*pos + i]);
    if ((next & 0xC0) != 0x80) {
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *codePoint = value;
  *pos += extra + 1;
  return true;
}

// With `replaceUnheld`, a character Windows-1252 cannot hold becomes '?', as
// an ANSI edit field holds it; without, it fails the conversion.
Utf8To1252Result ConvertUtf8To1252(const std::string& utf8, bool replaceUnheld) {
  Utf8To1252Result result;
  size_t pos = 0;
  while (pos < utf8.size()) {
    uint32_t codePoint = 0;
    if (!NextCodePoint(utf8, &pos, &codePoint)) {
      result.badUtf8 = true;
      result.bytes.clear();
      return result;
    }
    uint8_t byte = 0;
    if (!CodePointToByte(codePoint, &byte)) {
      if (!replaceUnheld) {
        result.badCodePoint = codePoint;
        result.bytes.clear();
        return result;
      }
      byte = '?';
    }
    result.bytes.push_back(static_cast<char>(byte));
  }
  result.ok = true;
  return result;
}

}  // namespace

Utf8To1252Result Utf8To1252(const std::string& utf8) {
  return ConvertUtf8To1252(utf8, false);
}

Utf8To1252Result TypedTextTo1252(const std::string& utf8) {
  return ConvertUtf8To1252(utf8, true);
}

bool NextUtf8CodePoint(const std::string& text, size_t* pos, uint32_t* codePoint) {
  return *pos < text.size() && NextCodePoint(text, pos, codePoint);
}

std::string Cp1252ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    AppendUtf8(ByteToCodePoint(static_cast<uint8_t>(c)), &out);
  }
  return out;
}

std::string DescribeCodePoint(uint32_t codePoint) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
  std::string text = name;
  if (codePoint >= 0x20 && codePoint != 0x7F && !(codePoint >= 0x80 && codePoint < 0xA0)) {
    text += " '";
    AppendUtf8(codePoint, &text);
    text += "'";
  }
  return text;
}
