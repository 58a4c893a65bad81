// Reading the resources of a Windows executable (PE32 or PE32+) without any
// Windows API: what opening a quiz executable needs, anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PeError {
  None,
  Truncated,          // the file ends inside a header or a table
  NotExecutable,      // no "MZ" header or no "PE" signature
  UnsupportedFormat,  // optional header neither PE32 nor PE32+, odd alignments
  BadSectionTable,    // a section outside the file or the image
  BadResourceTree,    // a directory, name or data entry out of bounds
  TooManyResources,   // a tree far beyond anything a program carries
  TreeTooCostly,      // shared entries: reading it costs far more than its size
  NoRoomForSection,   // the headers have no space for one more section
  ImageTooLarge,      // the resources would take the image past 4 GB
};

const char* ToString(PeError error);

struct PeSection {
  std::string name;  // up to 8 bytes
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawPointer = 0;
  uint32_t characteristics = 0;
};

struct PeImage {
  std::vector<uint8_t> bytes;
  bool pe32Plus = false;
  uint32_t coffOffset = 0;      // the file header, right after "PE\0\0"
  uint32_t optionalOffset = 0;  // the optional header
  uint32_t sectionTableOffset = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t dataDirectoryOffset = 0;
  uint32_t dataDirectoryCount = 0;
  std::vector<PeSection> sections;
};

// A resource type or name: a numeric id or a UTF-16 string.
struct ResourceName {
  bool isId = true;
  uint16_t id = 0;
  std::u16string text;

  static ResourceName Id(uint16_t value);
  static ResourceName Text(const std::string& ascii);
  bool operator==(const ResourceName& other) const;
};

struct ResourceEntry {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::vector<uint8_t> data;
};

constexpr uint16_t kResourceTypeRcData = 10;  // RT_RCDATA

PeError ParsePeImage(std::vector<uint8_t> bytes, PeImage* image);
// Every leaf of the resource tree; an image without resources gives none.
PeError ReadResources(const PeImage& image, std::vector<ResourceEntry>* resources);

// Finds a resource by type and name (any language); null when missing.
const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& resources, const ResourceName& type,
                                       const ResourceName& name);

// Offset of the 70-byte stored block in a player (after its marker); false
// when the marker is missing or appears more than once in the loaded data.
bool FindStoredBlock(const PeImage& image, size_t* offset);
bool FindStoredBlock(const std::vector<uint8_t>& executable, size_t* offset);
