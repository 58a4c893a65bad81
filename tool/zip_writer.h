// A ZIP archive in memory (PKWARE APPNOTE 6.3): each entry deflated when
// that saves bytes, stored otherwise, all dated 1980-01-01 00:00 so the
// same entries always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntry {
  std::string name;  // UTF-8, '/' between folders
  std::vector<uint8_t> bytes;
};

enum class ZipError {
  None,
  TooLarge,      // past the 4 GiB or 65,535-entry limits of a ZIP without ZIP64
  DeflateFailed  // zlib refused (out of memory)
};

// False, with `out` left empty, on an error.
ZipError WriteZip(const std::vector<ZipEntry>& entries, std::vector<uint8_t>* out);
const char* ToString(ZipError error);
