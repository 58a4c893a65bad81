// The PE layout both the reader (content/pe_reader.cpp) and the writer
// (tool/pe_image.cpp) walk: header offsets, directory indexes and the two
// small rules they share.
#pragma once

#include <cstdint>
#include <string>

#include "content/pe_reader.h"

namespace pe_format {

constexpr uint32_t kDosLfanewOffset = 0x3C;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSecurityDirectoryIndex = 4;

// Optional header offsets shared by both formats, and the ones that differ.
constexpr uint32_t kOptSizeOfInitializedData = 8;
constexpr uint32_t kOptSectionAlignment = 32;
constexpr uint32_t kOptFileAlignment = 36;
constexpr uint32_t kOptSizeOfImage = 56;
constexpr uint32_t kOptSizeOfHeaders = 60;
constexpr uint32_t kOptCheckSum = 64;
constexpr uint32_t kOptRvaCountPe32 = 92;
constexpr uint32_t kOptRvaCountPe32Plus = 108;

// The bytes a section takes in memory (old linkers leave VirtualSize 0).
inline uint32_t SectionSpan(const PeSection& section) {
  return section.virtualSize != 0 ? section.virtualSize : section.rawSize;
}

// Resource names compare with ASCII letters upper-cased, as the loader does.
inline std::u16string Upper(const std::u16string& text) {
  std::u16string result = text;
  for (char16_t& c : result) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - 32);
    }
  }
  return result;
}

}  // namespace pe_format
