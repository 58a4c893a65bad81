// Rewriting the resources of a PE image (the reading side is
// content/pe_reader.cpp).
//
// Writing lays the new tree out the way resource compilers do: all directory
// tables first (breadth first), then the data entries, then the name
// strings, then the data, each item 8-byte aligned. Within a directory named
// entries come first, sorted by their upper-cased text, then numeric ids in
// ascending order, because the loader looks entries up by binary search.
#include "tool/pe_image.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "content/byte_reader.h"
#include "content/pe_format.h"
#include "tool/pe_image_internal.h"

using namespace pe_format;

namespace {

constexpr uint32_t kResourceSectionFlags = 0x40000040;  // initialised data, readable
constexpr uint32_t kInitialisedDataFlag = 0x00000040;
constexpr uint16_t kNeutralLanguage = 0;
constexpr uint64_t kPageSize = 4096;

void Put16(std::vector<uint8_t>* bytes, size_t offset, uint16_t value) {
  (*bytes)[offset] = static_cast<uint8_t>(value);
  (*bytes)[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  Put16(bytes, offset, static_cast<uint16_t>(value));
  Put16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

uint64_t AlignUp(uint64_t value, uint64_t alignment) {
  return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

bool NameLess(const ResourceName& a, const ResourceName& b) {
  if (a.isId != b.isId) {
    return !a.isId;  // named entries first
  }
  if (a.isId) {
    return a.id < b.id;
  }
  return Upper(a.text) < Upper(b.text);
}

// type -> name -> language -> entry index, each level in loader order.
struct NameLessFn {
  bool operator()(const ResourceName& a, const ResourceName& b) const { return NameLess(a, b); }
};
using ResourceTree =
    std::map<ResourceName, std::map<ResourceName, std::map<uint16_t, size_t>, NameLessFn>, NameLessFn>;

// Where every part of a new resource section goes, worked out in 64 bits
// before any byte is written: directories, data entries, strings, data.
struct SectionPlan {
  ResourceTree tree;
  std::vector<const ResourceName*> strings;
  std::map<const ResourceName*, uint64_t> stringOffsets;
  uint64_t leavesStart = 0;
  std::vector<uint64_t> dataOffsets;  // by entry index
  uint64_t size = 0;
};

SectionPlan PlanSection(const std::vector<ResourceEntry>& resources, const std::vector<uint64_t>& dataSizes) {
  SectionPlan plan;
  ResourceTree& tree = plan.tree;
  for (size_t i = 0; i < resources.size(); ++i) {
    tree[resources[i].type][resources[i].name][resources[i].language] = i;
  }
  uint64_t directoryBytes = 16 + 8 * static_cast<uint64_t>(tree.size());
  uint64_t leafCount = 0;
  for (auto& type : tree) {
    if (!type.first.isId) {
      plan.strings.push_back(&type.first);
    }
    directoryBytes += 16 + 8 * static_cast<uint64_t>(type.second.size());
    for (auto& name : type.second) {
      if (!name.first.isId) {
        plan.strings.push_back(&name.first);
      }
      directoryBytes += 16 + 8 * static_cast<uint64_t>(name.second.size());
      leafCount += name.second.size();
    }
  }
  plan.leavesStart = directoryBytes;
  uint64_t cursor = plan.leavesStart + 16 * leafCount;
  for (const ResourceName* name : plan.strings) {
    plan.stringOffsets[name] = cursor;
    cursor += 2 + 2 * static_cast<uint64_t>(name->text.size());
  }
  cursor = AlignUp(cursor, 8);
  plan.dataOffsets.resize(resources.size());
  for (size_t i = 0; i < resources.size(); ++i) {
    plan.dataOffsets[i] = cursor;
    cursor = AlignUp(cursor + dataSizes[i], 8);
  }
  plan.size = cursor;
  return plan;
}

std::vector<uint64_t> DataSizes(const std::vector<ResourceEntry>& resources) {
  std::vector<uint64_t> sizes;
  sizes.reserve(resources.size());
  for (const ResourceEntry& entry : resources) {
    sizes.push_back(entry.data.size());
  }
  return sizes;
}

// Whether a section of `size` bytes at `sectionRva` stays inside a 32-bit
// image, every data RVA included.
bool FitsImage(uint64_t sectionRva, uint64_t size, uint32_t sectionAlignment) {
  return size <= 0xFFFFFFFFull && sectionRva + AlignUp(size, sectionAlignment) <= 0xFFFFFFFFull;
}

// A directory table's header: its count of named entries, then of ids.
void WriteDirectoryHeader(std::vector<uint8_t>* section, uint32_t at, uint16_t named, uint16_t ids) {
  Put16(section, at + 12, named);
  Put16(section, at + 14, ids);
}

// An entry's name field: the id, or the offset of the name's string with the
// top bit set.
uint32_t NameField(const SectionPlan& plan, const ResourceName& name) {
  return name.isId ? name.id : (0x80000000u | static_cast<uint32_t>(plan.stringOffsets.at(&name)));
}

template <typename Level>
uint16_t CountNamed(const Level& level) {
  uint16_t named = 0;
  for (auto& item : level) {
    named = static_cast<uint16_t>(named + (item.first.isId ? 0 : 1));
  }
  return named;
}

// Writes the directory table of `level` at `at`, its entries pointing at
// subdirectories placed from `*next` on; returns each subdirectory's offset
// with what goes into it.
template <typename Level>
std::vector<std::pair<uint32_t, const typename Level::mapped_type*>> WriteDirectory(
    std::vector<uint8_t>* section, const SectionPlan& plan, uint32_t at, const Level& level, uint32_t* next) {
  const uint16_t named = CountNamed(level);
  WriteDirectoryHeader(section, at, named, static_cast<uint16_t>(level.size() - named));
  std::vector<std::pair<uint32_t, const typename Level::mapped_type*>> children;
  uint32_t slot = at + 16;
  for (auto& item : level) {
    Put32(section, slot, NameField(plan, item.first));
    Put32(section, slot + 4, 0x80000000u | *next);
    children.push_back({*next, &item.second});
    *next += 16 + 8 * static_cast<uint32_t>(item.second.size());
    slot += 8;
  }
  return children;
}

// A name's directory of languages, each entry pointing at its data entry,
// the leaves written from `*leaf` on.
void WriteLanguageDirectory(std::vector<uint8_t>* section, const std::vector<ResourceEntry>& resources,
                            const SectionPlan& plan, uint32_t sectionRva, uint32_t at,
                            const std::map<uint16_t, size_t>& languages, uint32_t* leaf) {
  WriteDirectoryHeader(section, at, 0, static_cast<uint16_t>(languages.size()));
  uint32_t slot = at + 16;
  for (auto& language : languages) {
    const ResourceEntry& entry = resources[language.second];
    Put32(section, slot, language.first);
    Put32(section, slot + 4, *leaf);
    Put32(section, *leaf, sectionRva + static_cast<uint32_t>(plan.dataOffsets[language.second]));
    Put32(section, *leaf + 4, static_cast<uint32_t>(entry.data.size()));
    Put32(section, *leaf + 8, entry.codePage);
    *leaf += 16;
    slot += 8;
  }
}

// Each name string: its length in UTF-16 units, then the units.
void WriteNameStrings(std::vector<uint8_t>* section, const SectionPlan& plan) {
  for (const ResourceName* name : plan.strings) {
    const size_t at = static_cast<size_t>(plan.stringOffsets.at(name));
    Put16(section, at, static_cast<uint16_t>(name->text.size()));
    for (size_t i = 0; i < name->text.size(); ++i) {
      Put16(section, at + 2 + 2 * i, static_cast<uint16_t>(name->text[i]));
    }
  }
}

void CopyResourceData(std::vector<uint8_t>* section, const std::vector<ResourceEntry>& resources,
                      const SectionPlan& plan) {
  for (size_t i = 0; i < resources.size(); ++i) {
    if (!resources[i].data.empty()) {
      std::memcpy(section->data() + plan.dataOffsets[i], resources[i].data.data(), resources[i].data.size());
    }
  }
}

// The new resource section's bytes for a section at `sectionRva`; the plan
// has been checked to fit a 32-bit image, so every offset fits 32 bits.
std::vector<uint8_t> LayOutResourceSection(const std::vector<ResourceEntry>& resources,
                                           const SectionPlan& plan, uint32_t sectionRva) {
  std::vector<uint8_t> section(static_cast<size_t>(plan.size), 0);
  // Breadth first: the root, then every type directory, then every name
  // directory, then the leaves.
  uint32_t next = 16 + 8 * static_cast<uint32_t>(plan.tree.size());
  std::vector<std::pair<uint32_t, const std::map<uint16_t, size_t>*>> languageDirs;
  for (auto& type : WriteDirectory(&section, plan, 0, plan.tree, &next)) {
    for (auto& name : WriteDirectory(&section, plan, type.first, *type.second, &next)) {
      languageDirs.push_back(name);
    }
  }
  uint32_t leaf = static_cast<uint32_t>(plan.leavesStart);
  for (auto& dir : languageDirs) {
    WriteLanguageDirectory(&section, resources, plan, sectionRva, dir.first, *dir.second, &leaf);
  }
  WriteNameStrings(&section, plan);
  CopyResourceData(&section, resources, plan);
  return section;
}

uint64_t ImageEnd(const PeImage& image) {
  uint64_t end = AlignUp(image.sizeOfHeaders, image.sectionAlignment);
  for (const PeSection& section : image.sections) {
    end =
        std::max<uint64_t>(end, AlignUp(static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section),
                                        image.sectionAlignment));
  }
  return end;
}

void WriteSectionHeader(PeImage* image, size_t index) {
  const PeSection& section = image->sections[index];
  const size_t at = image->sectionTableOffset + kSectionHeaderSize * index;
  std::fill(image->bytes.begin() + at, image->bytes.begin() + at + kSectionHeaderSize, 0);
  for (size_t i = 0; i < section.name.size() && i < 8; ++i) {
    image->bytes[at + i] = static_cast<uint8_t>(section.name[i]);
  }
  Put32(&image->bytes, at + 8, section.virtualSize);
  Put32(&image->bytes, at + 12, section.virtualAddress);
  Put32(&image->bytes, at + 16, section.rawSize);
  Put32(&image->bytes, at + 20, section.rawPointer);
  Put32(&image->bytes, at + 36, section.characteristics);
}

// The index of the section whose place the new tree can take, or the number
// of sections when a new one must be appended. The old resource section can
// be rebuilt in place only when it is the last section both in the image and
// in the file.
size_t ReusableResourceSection(const PeImage& image, uint32_t oldRva, uint32_t oldSize) {
  if (image.sections.empty() || oldSize == 0) {
    return image.sections.size();
  }
  const size_t last = image.sections.size() - 1;
  const PeSection& section = image.sections[last];
  uint64_t fileEnd = 0;
  uint64_t othersEnd = image.sizeOfHeaders;
  for (size_t i = 0; i < image.sections.size(); ++i) {
    const PeSection& other = image.sections[i];
    const uint64_t end = other.rawSize == 0 ? 0 : static_cast<uint64_t>(other.rawPointer) + other.rawSize;
    fileEnd = std::max(fileEnd, end);
    if (i != last) {
      othersEnd = std::max(othersEnd, end);
    }
  }
  const bool holdsTree = oldRva >= section.virtualAddress &&
                         static_cast<uint64_t>(oldRva) + oldSize <=
                             static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section);
  const bool lastInFile = static_cast<uint64_t>(section.rawPointer) + section.rawSize >= fileEnd &&
                          AlignUp(fileEnd, image.fileAlignment) >= image.bytes.size() &&
                          section.rawPointer != 0 && section.rawSize != 0 &&
                          othersEnd <= section.rawPointer &&
                          static_cast<uint64_t>(section.rawPointer) + section.rawSize <= image.bytes.size();
  return holdsTree && lastInFile ? last : image.sections.size();
}

// Where an appended section goes: after the image in memory and at the end
// of the file, provided the section table has a free header's room.
PeError PlaceAppendedSection(const PeImage& image, uint32_t* virtualAddress, uint64_t* rawPointer) {
  const uint64_t tableEnd =
      image.sectionTableOffset + static_cast<uint64_t>(kSectionHeaderSize) * (image.sections.size() + 1);
  uint64_t firstRaw = image.sizeOfHeaders;
  for (const PeSection& section : image.sections) {
    if (section.rawSize != 0) {
      firstRaw = std::min<uint64_t>(firstRaw, section.rawPointer);
    }
  }
  if (tableEnd > firstRaw || tableEnd > image.bytes.size()) {
    return PeError::NoRoomForSection;
  }
  for (uint64_t i = tableEnd - kSectionHeaderSize; i < tableEnd; ++i) {
    if (image.bytes[i] != 0) {
      return PeError::NoRoomForSection;
    }
  }
  const uint64_t imageEnd = ImageEnd(image);
  if (imageEnd >= 0xFFFFFFFFull) {
    return PeError::BadSectionTable;
  }
  *virtualAddress = static_cast<uint32_t>(imageEnd);
  *rawPointer = image.bytes.size();
  return PeError::None;
}

struct SectionPlacement {
  size_t target = 0;
  bool append = false;
  uint32_t virtualAddress = 0;
  uint64_t rawPointer = 0;
  uint64_t rawSize = 0;
};

// Puts the laid-out tree into the image's bytes and section list; returns
// how much the image's initialised data grows (or shrinks).
int64_t InstallSection(PeImage* image, const SectionPlacement& place, const std::vector<uint8_t>& blob) {
  int64_t initialisedDelta = 0;
  if (place.append) {
    PeSection section;
    section.name = ".rsrc";
    section.characteristics = kResourceSectionFlags;
    image->sections.push_back(section);
  } else if (image->sections[place.target].characteristics & kInitialisedDataFlag) {
    initialisedDelta -= image->sections[place.target].rawSize;
  }
  PeSection& section = image->sections[place.target];
  // Nothing of the old section stays in the padding before the new one.
  image->bytes.resize(place.append ? image->bytes.size() : section.rawPointer);
  section.virtualAddress = place.virtualAddress;
  section.rawPointer = static_cast<uint32_t>(place.rawPointer);
  section.virtualSize = static_cast<uint32_t>(blob.size());
  section.rawSize = static_cast<uint32_t>(place.rawSize);
  if (section.characteristics & kInitialisedDataFlag) {
    initialisedDelta += section.rawSize;
  }
  image->bytes.resize(section.rawPointer, 0);
  image->bytes.insert(image->bytes.end(), blob.begin(), blob.end());
  image->bytes.resize(static_cast<size_t>(section.rawPointer) + section.rawSize, 0);
  return initialisedDelta;
}

// Brings the headers in line with the new section: its header, the section
// count, the resource directory, the sizes and the checksum.
void UpdateHeaders(PeImage* image, size_t target, uint32_t directory, uint32_t treeSize,
                   uint32_t initialised) {
  WriteSectionHeader(image, target);
  Put16(&image->bytes, image->coffOffset + 2, static_cast<uint16_t>(image->sections.size()));
  Put32(&image->bytes, directory, image->sections[target].virtualAddress);
  Put32(&image->bytes, directory + 4, treeSize);
  // A signature no longer matches a rewritten file; drop its directory.
  if (image->dataDirectoryCount > kSecurityDirectoryIndex) {
    Put32(&image->bytes, image->dataDirectoryOffset + 8 * kSecurityDirectoryIndex, 0);
    Put32(&image->bytes, image->dataDirectoryOffset + 8 * kSecurityDirectoryIndex + 4, 0);
  }
  Put32(&image->bytes, image->optionalOffset + kOptSizeOfInitializedData, initialised);
  Put32(&image->bytes, image->optionalOffset + kOptSizeOfImage, static_cast<uint32_t>(ImageEnd(*image)));
  const uint32_t checksumOffset = image->optionalOffset + kOptCheckSum;
  Put32(&image->bytes, checksumOffset, 0);
  Put32(&image->bytes, checksumOffset, ComputePeChecksum(image->bytes, checksumOffset));
}

}  // namespace

PeError WriteResources(PeImage* image, const std::vector<ResourceEntry>& resources) {
  if (image->dataDirectoryCount <= kResourceDirectoryIndex) {
    return PeError::UnsupportedFormat;
  }
  ByteReader in(image->bytes);
  const uint32_t directory = image->dataDirectoryOffset + 8 * kResourceDirectoryIndex;
  const uint32_t oldRva = in.Le32(directory);
  const uint32_t oldSize = in.Le32(directory + 4);
  // Read before the bytes change: the reader does not follow a resized buffer.
  const uint32_t initialised = in.Le32(image->optionalOffset + kOptSizeOfInitializedData);

  // Where the new tree goes, decided before anything changes.
  SectionPlacement place;
  place.target = ReusableResourceSection(*image, oldRva, oldSize);
  place.append = place.target == image->sections.size();
  if (place.append) {
    const PeError error = PlaceAppendedSection(*image, &place.virtualAddress, &place.rawPointer);
    if (error != PeError::None) {
      return error;
    }
  } else {
    place.virtualAddress = image->sections[place.target].virtualAddress;
    place.rawPointer = image->sections[place.target].rawPointer;
  }
  if (place.virtualAddress == 0) {
    return PeError::BadSectionTable;
  }
  // Whole pages in the file as in memory, so the loader can map the
  // resources rather than read them into private memory.
  const uint64_t rawAlignment = image->sectionAlignment >= kPageSize
                                    ? std::max<uint64_t>(image->fileAlignment, kPageSize)
                                    : image->fileAlignment;
  place.rawPointer = AlignUp(place.rawPointer, rawAlignment);
  const SectionPlan plan = PlanSection(resources, DataSizes(resources));
  place.rawSize = AlignUp(plan.size, rawAlignment);
  if (!FitsImage(place.virtualAddress, plan.size, image->sectionAlignment) ||
      place.rawPointer + place.rawSize > 0xFFFFFFFFull) {
    return PeError::ImageTooLarge;
  }
  const std::vector<uint8_t> blob = LayOutResourceSection(resources, plan, place.virtualAddress);
  const int64_t initialisedDelta = InstallSection(image, place, blob);
  UpdateHeaders(image, place.target, directory, static_cast<uint32_t>(blob.size()),
                static_cast<uint32_t>(static_cast<int64_t>(initialised) + initialisedDelta));
  return PeError::None;
}

bool PlanResourceSection(const std::vector<ResourceEntry>& resources, const std::vector<uint64_t>& dataSizes,
                         uint32_t sectionRva, uint32_t sectionAlignment, uint64_t* size) {
  *size = PlanSection(resources, dataSizes).size;
  return FitsImage(sectionRva, *size, sectionAlignment);
}

// The sum of the file's 16-bit little-endian words with the end-around carry
// of the format, the checksum field left out, plus the file's length. The
// words are added up eight bytes at a time into two 32-bit lanes a side and
// folded at the end: folding after each word, as the format describes it,
// gives the same as one reduction modulo 0xFFFF where only a sum of zero
// folds to zero.
uint32_t ComputePeChecksum(const std::vector<uint8_t>& bytes, uint32_t checksumOffset) {
  constexpr uint64_t kLanes = 0x0000FFFF0000FFFFull;
  constexpr size_t kFlushEvery = 32768;  // a lane takes 0xFFFF that many times and stays in 32 bits
  const uint8_t* data = bytes.data();
  const size_t size = bytes.size();
  uint64_t total = 0;
  size_t at = 0;
  while (size - at >= 8) {
    uint64_t low = 0;
    uint64_t high = 0;
    for (size_t n = 0; n < kFlushEvery && size - at >= 8; ++n, at += 8) {
      uint64_t word;
      std::memcpy(&word, data + at, 8);  // little-endian hosts only, as every build target is
      low += word & kLanes;
      high += (word >> 16) & kLanes;
    }
    total += (low & 0xFFFFFFFFu) + (low >> 32) + (high & 0xFFFFFFFFu) + (high >> 32);
  }
  for (; at < size; at += 2) {
    total += data[at] | (at + 1 < size ? static_cast<uint32_t>(data[at + 1]) << 8 : 0u);
  }
  for (uint64_t field = checksumOffset; field < static_cast<uint64_t>(checksumOffset) + 4; field += 2) {
    if (field % 2 == 0 && field < size) {
      total -= data[field] | (field + 1 < size ? static_cast<uint32_t>(data[field + 1]) << 8 : 0u);
    }
  }
  const uint64_t folded = total == 0 ? 0 : (total - 1) % 0xFFFF + 1;
  return static_cast<uint32_t>(folded + size);
}

std::vector<std::string> CheckPeStructure(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> problems;
  PeImage image;
  const PeError error = ParsePeImage(bytes, &image);
  if (error != PeError::None) {
    problems.push_back(ToString(error));
    return problems;
  }
  ByteReader in(image.bytes);
  if (image.sizeOfHeaders % image.fileAlignment != 0) {
    problems.push_back("SizeOfHeaders is not a multiple of FileAlignment");
  }
  if (image.sectionTableOffset + kSectionHeaderSize * image.sections.size() > image.sizeOfHeaders) {
    problems.push_back("the section table runs past SizeOfHeaders");
  }
  uint64_t expectedRva = AlignUp(image.sizeOfHeaders, image.sectionAlignment);
  for (const PeSection& section : image.sections) {
    if (section.virtualAddress != expectedRva) {
      problems.push_back("section " + section.name + " does not follow the previous one in memory");
    }
    expectedRva =
        AlignUp(static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section), image.sectionAlignment);
    if (section.rawSize % image.fileAlignment != 0 || section.rawPointer % image.fileAlignment != 0) {
      problems.push_back("section " + section.name + " is not file-aligned");
    }
  }
  if (in.Le32(image.optionalOffset + kOptSizeOfImage) != ImageEnd(image)) {
    problems.push_back("SizeOfImage does not match the sections");
  }
  std::vector<ResourceEntry> resources;
  const PeError resourceError = ReadResources(image, &resources);
  if (resourceError != PeError::None) {
    problems.push_back(ToString(resourceError));
  }
  const uint32_t checksumOffset = image.optionalOffset + kOptCheckSum;
  if (in.Le32(checksumOffset) != ComputePeChecksum(image.bytes, checksumOffset)) {
    problems.push_back("the checksum is wrong");
  }
  return problems;
}

void PutResourceEntry(std::vector<ResourceEntry>* resources, const ResourceName& type,
                      const ResourceName& name, std::vector<uint8_t> data) {
  for (ResourceEntry& entry : *resources) {
    if (entry.type == type && entry.name == name) {
      entry.data = std::move(data);
      return;
    }
  }
  ResourceEntry entry;
  entry.type = type;
  entry.name = name;
  entry.language = kNeutralLanguage;
  entry.data = std::move(data);
  resources->push_back(std::move(entry));
}
