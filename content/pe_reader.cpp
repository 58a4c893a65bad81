// PE images, as far as reading resources needs them.
//
// Layout read: the DOS header's e_lfanew points at "PE\0\0", then the COFF
// file header (20 bytes), the optional header (magic 0x10B PE32 or 0x20B
// PE32+) ending in the data directories, then the section table (40 bytes a
// section). The resource directory (data directory 2) is a three-level tree
// (type, name, language) of IMAGE_RESOURCE_DIRECTORY tables whose leaves are
// IMAGE_RESOURCE_DATA_ENTRY records pointing at the bytes by RVA.
//
// Every read goes through ByteReader, which returns 0 outside the file and
// remembers the failure; callers check it once per table.
#include "content/pe_reader.h"

#include <algorithm>
#include <cstring>

#include "content/byte_reader.h"
#include "content/pe_format.h"
#include "content/quiz_loader.h"

using namespace pe_format;

namespace {

constexpr uint32_t kMaxResourceLeaves = 100000;
// A sound tree is read once: every directory, name and data entry is a
// distinct part of it, so the bytes read add up to its size at most. Entries
// that point at shared directories or names can make a small tree cost its
// size squared; reading stops at a few times its size (plus room for a tiny
// tree whose few names are shared).
constexpr uint64_t kTreeWorkPerByte = 4;
constexpr uint64_t kTreeWorkSlack = 4096;
constexpr uint32_t kMaxFileAlignment = 0x10000;       // the format's upper bound
constexpr uint32_t kDiscardableSection = 0x02000000;  // IMAGE_SCN_MEM_DISCARDABLE
constexpr uint32_t kWritableSection = 0x80000000;     // IMAGE_SCN_MEM_WRITE

bool IsPowerOfTwo(uint32_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}

// File offset of `count` bytes at `rva`, when they lie in one section's raw
// data.
bool RvaToOffset(const PeImage& image, uint32_t rva, uint32_t count, uint32_t* offset) {
  for (const PeSection& section : image.sections) {
    const uint64_t start = section.virtualAddress;
    const uint64_t end = start + std::min(SectionSpan(section), section.rawSize);
    if (rva >= start && static_cast<uint64_t>(rva) + count <= end) {
      const uint64_t result = static_cast<uint64_t>(section.rawPointer) + (rva - start);
      if (result + count > image.bytes.size()) {
        return false;
      }
      *offset = static_cast<uint32_t>(result);
      return true;
    }
  }
  return false;
}

struct TreeReader {
  const PeImage& image;
  ByteReader cursor;
  uint32_t base = 0;  // file offset of the root directory
  uint32_t size = 0;  // bytes of the resource directory
  std::vector<ResourceEntry>* out;
  PeError error = PeError::None;
  // Entries may share data; a tree that reads the file over and over is
  // refused rather than followed.
  uint64_t copiedBytes = 0;
  // Tree bytes read so far, directories and names counted at every visit.
  uint64_t work = 0;

  TreeReader(const PeImage& source, std::vector<ResourceEntry>* target)
      : image(source), cursor(source.bytes), out(target) {}

  bool InTree(uint32_t offset, uint32_t count) const { return static_cast<uint64_t>(offset) + count <= size; }

  bool Spend(uint64_t bytes) {
    work += bytes;
    if (work > kTreeWorkPerByte * size + kTreeWorkSlack) {
      error = PeError::TreeTooCostly;
      return false;
    }
    return true;
  }

  bool ReadName(uint32_t field, ResourceName* name) {
    if ((field & 0x80000000u) == 0) {
      *name = ResourceName::Id(static_cast<uint16_t>(field));
      return true;
    }
    const uint32_t offset = field & 0x7FFFFFFFu;
    if (!InTree(offset, 2)) {
      return false;
    }
    const uint32_t length = cursor.Le16(base + offset);
    if (!InTree(offset + 2, length * 2) || !Spend(2 + 2 * length)) {
      return false;
    }
    name->isId = false;
    name->id = 0;
    name->text.clear();
    for (uint32_t i = 0; i < length; ++i) {
      name->text.push_back(static_cast<char16_t>(cursor.Le16(base + offset + 2 + 2 * i)));
    }
    return cursor.ok;
  }

  // level 0 types, 1 names, 2 languages.
  bool ReadDirectory(uint32_t offset, int level, ResourceEntry* path) {
    if (!InTree(offset, 16)) {
      return false;
    }
    const uint32_t named = cursor.Le16(base + offset + 12);
    const uint32_t ids = cursor.Le16(base + offset + 14);
    const uint32_t count = named + ids;
    if (!InTree(offset + 16, count * 8) || !Spend(16 + 8 * count)) {
      return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t entry = base + offset + 16 + 8 * i;
      const uint32_t nameField = cursor.Le32(entry);
      const uint32_t dataField = cursor.Le32(entry + 4);
      ResourceName name;
      if (!ReadName(nameField, &name)) {
        return false;
      }
      const bool isDirectory = (dataField & 0x80000000u) != 0;
      const uint32_t target = dataField & 0x7FFFFFFFu;
      if (level == 0) {
        path->type = name;
      } else if (level == 1) {
        path->name = name;
      } else {
        path->language = name.isId ? name.id : 0;
      }
      if (level < 2) {
        if (!isDirectory || !ReadDirectory(target, level + 1, path)) {
          return false;
        }
        continue;
      }
      if (isDirectory || !ReadLeaf(target, path)) {
        return false;
      }
    }
    return cursor.ok;
  }

  bool ReadLeaf(uint32_t offset, const ResourceEntry* path) {
    if (!InTree(offset, 16) || !Spend(16)) {
      return false;
    }
    if (out->size() >= kMaxResourceLeaves || copiedBytes > 2 * static_cast<uint64_t>(image.bytes.size())) {
      error = PeError::TooManyResources;
      return false;
    }
    const uint32_t rva = cursor.Le32(base + offset);
    const uint32_t dataSize = cursor.Le32(base + offset + 4);
    uint32_t dataOffset = 0;
    if (!cursor.ok || !RvaToOffset(image, rva, dataSize, &dataOffset)) {
      return false;
    }
    ResourceEntry entry;
    entry.type = path->type;
    entry.name = path->name;
    entry.language = path->language;
    entry.codePage = cursor.Le32(base + offset + 8);
    entry.data.assign(image.bytes.begin() + dataOffset, image.bytes.begin() + dataOffset + dataSize);
    copiedBytes += dataSize;
    out->push_back(std::move(entry));
    return true;
  }
};

}  // namespace

const char* ToString(PeError error) {
  switch (error) {
    case PeError::None:
      return "no error";
    case PeError::Truncated:
      return "the file ends inside its headers";
    case PeError::NotExecutable:
      return "not a Windows executable";
    case PeError::UnsupportedFormat:
      return "unsupported executable format";
    case PeError::BadSectionTable:
      return "broken section table";
    case PeError::BadResourceTree:
      return "broken resource tree";
    case PeError::TooManyResources:
      return "too many resources";
    case PeError::TreeTooCostly:
      return "resource tree whose entries share directories or names over and over (refused: reading it "
             "would take far more work than its size allows)";
    case PeError::NoRoomForSection:
      return "no room in the headers for a new section";
    case PeError::ImageTooLarge:
      return "the resources would not fit a 32-bit image (4 GB)";
  }
  return "unknown error";
}

ResourceName ResourceName::Id(uint16_t value) {
  ResourceName name;
  name.isId = true;
  name.id = value;
  return name;
}

ResourceName ResourceName::Text(const std::string& ascii) {
  ResourceName name;
  name.isId = false;
  for (char c : ascii) {
    name.text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  }
  return name;
}

bool ResourceName::operator==(const ResourceName& other) const {
  if (isId != other.isId) {
    return false;
  }
  return isId ? id == other.id : Upper(text) == Upper(other.text);
}

namespace {

// The optional header's alignments, header size and data directories, for a
// PE32 or PE32+ header of optionalSize bytes.
PeError ReadOptionalHeader(ByteReader& in, uint16_t optionalSize, PeImage* image) {
  const uint16_t magic = in.Le16(image->optionalOffset);
  uint32_t rvaCountOffset = 0;
  if (magic == kPe32PlusMagic) {
    image->pe32Plus = true;
    rvaCountOffset = kOptRvaCountPe32Plus;
  } else if (magic == kPe32Magic) {
    rvaCountOffset = kOptRvaCountPe32;
  } else {
    return PeError::UnsupportedFormat;
  }
  if (optionalSize < rvaCountOffset + 4) {
    return PeError::Truncated;
  }
  image->sectionAlignment = in.Le32(image->optionalOffset + kOptSectionAlignment);
  image->fileAlignment = in.Le32(image->optionalOffset + kOptFileAlignment);
  image->sizeOfHeaders = in.Le32(image->optionalOffset + kOptSizeOfHeaders);
  image->dataDirectoryCount = in.Le32(image->optionalOffset + rvaCountOffset);
  image->dataDirectoryOffset = image->optionalOffset + rvaCountOffset + 4;
  if (!IsPowerOfTwo(image->sectionAlignment) || !IsPowerOfTwo(image->fileAlignment) ||
      image->fileAlignment > image->sectionAlignment || image->fileAlignment > kMaxFileAlignment ||
      image->dataDirectoryCount > 16 ||
      static_cast<uint64_t>(rvaCountOffset) + 4 + 8ull * image->dataDirectoryCount > optionalSize) {
    return PeError::UnsupportedFormat;
  }
  // The headers are loaded from the file's start; a size beyond the file
  // (or beyond any address a section could use) is a broken header.
  if (image->sizeOfHeaders > image->bytes.size() || image->sizeOfHeaders > image->sectionAlignment * 16ull) {
    return PeError::UnsupportedFormat;
  }
  return PeError::None;
}

// The section headers, each checked to lie inside the file and the address space.
PeError ReadSectionTable(ByteReader& in, uint16_t sectionCount, PeImage* image) {
  if (!in.Has(image->sectionTableOffset, static_cast<uint64_t>(kSectionHeaderSize) * sectionCount)) {
    return PeError::Truncated;
  }
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint32_t at = image->sectionTableOffset + kSectionHeaderSize * i;
    PeSection section;
    for (uint32_t k = 0; k < 8 && in.U8(at + k) != 0; ++k) {
      section.name.push_back(static_cast<char>(in.U8(at + k)));
    }
    section.virtualSize = in.Le32(at + 8);
    section.virtualAddress = in.Le32(at + 12);
    section.rawSize = in.Le32(at + 16);
    section.rawPointer = in.Le32(at + 20);
    section.characteristics = in.Le32(at + 36);
    if (section.rawSize != 0 && !in.Has(section.rawPointer, section.rawSize)) {
      return PeError::BadSectionTable;
    }
    if (static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section) > 0xFFFFFFFFull) {
      return PeError::BadSectionTable;
    }
    image->sections.push_back(section);
  }
  return PeError::None;
}

}  // namespace

PeError ParsePeImage(std::vector<uint8_t> bytes, PeImage* image) {
  *image = PeImage();
  image->bytes = std::move(bytes);
  ByteReader in(image->bytes);
  if (image->bytes.size() < 0x40 || in.Le16(0) != 0x5A4D) {
    return PeError::NotExecutable;
  }
  const uint32_t peOffset = in.Le32(kDosLfanewOffset);
  if (!in.Has(peOffset, 4 + kCoffHeaderSize)) {
    return PeError::Truncated;
  }
  if (in.Le32(peOffset) != 0x00004550) {
    return PeError::NotExecutable;
  }
  image->coffOffset = peOffset + 4;
  const uint16_t sectionCount = in.Le16(image->coffOffset + 2);
  const uint16_t optionalSize = in.Le16(image->coffOffset + 16);
  image->optionalOffset = image->coffOffset + kCoffHeaderSize;
  if (!in.Has(image->optionalOffset, optionalSize) || optionalSize < 2) {
    return PeError::Truncated;
  }
  PeError error = ReadOptionalHeader(in, optionalSize, image);
  if (error != PeError::None) {
    return error;
  }
  image->sectionTableOffset = image->optionalOffset + optionalSize;
  error = ReadSectionTable(in, sectionCount, image);
  if (error != PeError::None) {
    return error;
  }
  return in.ok ? PeError::None : PeError::Truncated;
}

PeError ReadResources(const PeImage& image, std::vector<ResourceEntry>* resources) {
  resources->clear();
  if (image.dataDirectoryCount <= kResourceDirectoryIndex) {
    return PeError::None;
  }
  ByteReader in(image.bytes);
  const uint32_t at = image.dataDirectoryOffset + 8 * kResourceDirectoryIndex;
  const uint32_t rva = in.Le32(at);
  const uint32_t size = in.Le32(at + 4);
  if (!in.ok) {
    return PeError::Truncated;
  }
  if (rva == 0 && size == 0) {
    return PeError::None;
  }
  TreeReader reader(image, resources);
  if (!RvaToOffset(image, rva, size, &reader.base)) {
    return PeError::BadResourceTree;
  }
  reader.size = size;
  ResourceEntry path;
  if (!reader.ReadDirectory(0, 0, &path)) {
    resources->clear();
    return reader.error != PeError::None ? reader.error : PeError::BadResourceTree;
  }
  return PeError::None;
}

const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& resources, const ResourceName& type,
                                       const ResourceName& name) {
  for (const ResourceEntry& entry : resources) {
    if (entry.type == type && entry.name == name) {
      return &entry;
    }
  }
  return nullptr;
}

bool FindStoredBlock(const PeImage& image, size_t* offset) {
  const std::vector<uint8_t>& bytes = image.bytes;
  const uint8_t* marker = reinterpret_cast<const uint8_t*>(kStoredBlockMarker);
  constexpr size_t kRecordSize = kStoredBlockMarkerSize + kStoredBlockSize;
  size_t found = 0;
  size_t count = 0;
  for (const PeSection& section : image.sections) {
    // The record is writable initialised data; the marker constant itself
    // (read-only data) and debug information may spell the marker too.
    if ((section.characteristics & kDiscardableSection) != 0 ||
        (section.characteristics & kWritableSection) == 0 || section.rawSize < kRecordSize) {
      continue;
    }
    const size_t start = section.rawPointer;
    const size_t end =
        std::min<size_t>(bytes.size(), start + std::min(section.rawSize, SectionSpan(section)));
    for (size_t i = start; i + kRecordSize <= end; ++i) {
      if (bytes[i] == marker[0] && std::memcmp(bytes.data() + i, marker, kStoredBlockMarkerSize) == 0) {
        found = i + kStoredBlockMarkerSize;
        ++count;
      }
    }
  }
  *offset = found;
  return count == 1;
}

bool FindStoredBlock(const std::vector<uint8_t>& executable, size_t* offset) {
  PeImage image;
  return ParsePeImage(executable, &image) == PeError::None && FindStoredBlock(image, offset);
}
