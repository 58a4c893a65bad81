// PE images, as far as resources need them.
//
// Layout read: the DOS header's e_lfanew points at "PE\0\0", then the COFF
// file header (20 bytes), the optional header (magic 0x10B PE32 or 0x20B
// PE32+) ending in the data directories, then the section table (40 bytes a
// section). The resource directory (data directory 2) is a three-level tree
// (type, name, language) of IMAGE_RESOURCE_DIRECTORY tables whose leaves are
// IMAGE_RESOURCE_DATA_ENTRY records pointing at the bytes by RVA.
//
// Every read goes through ByteCursor, which returns 0 outside the file and
// remembers the failure; callers check it once per table.
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

namespace {

constexpr uint32_t kDosLfanewOffset = 0x3C;
constexpr uint32_t kCoffHeaderSize = 20;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSecurityDirectoryIndex = 4;
constexpr uint32_t kMaxResourceLeaves = 100000;
// A sound tree is read once: every directory, name and data entry is a
// distinct part of it, so the bytes read add up to its size at most. Entries
// that point at shared directories or names can make a small tree cost its
// size squared; reading stops at a few times its size (plus room for a tiny
// tree whose few names are shared).
constexpr uint64_t kTreeWorkPerByte = 4;
constexpr uint64_t kTreeWorkSlack = 4096;
constexpr uint32_t kMaxFileAlignment = 0x10000;         // the format's upper bound
constexpr uint32_t kResourceSectionFlags = 0x40000040;  // initialised data, readable
constexpr uint32_t kInitialisedDataFlag = 0x00000040;
constexpr uint16_t kNeutralLanguage = 0;
constexpr uint64_t kPageSize = 4096;

// Optional header offsets shared by both formats, and the ones that differ.
constexpr uint32_t kOptSizeOfInitializedData = 8;
constexpr uint32_t kOptSectionAlignment = 32;
constexpr uint32_t kOptFileAlignment = 36;
constexpr uint32_t kOptSizeOfImage = 56;
constexpr uint32_t kOptSizeOfHeaders = 60;
constexpr uint32_t kOptCheckSum = 64;
constexpr uint32_t kOptRvaCountPe32 = 92;
constexpr uint32_t kOptRvaCountPe32Plus = 108;

struct ByteCursor {
  const std::vector<uint8_t>& bytes;
  bool ok = true;

  explicit ByteCursor(const std::vector<uint8_t>& source) : bytes(source) {}

  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= bytes.size() && count <= bytes.size() - offset;
  }
  uint8_t U8(uint64_t offset) {
    if (!Has(offset, 1)) {
      ok = false;
      return 0;
    }
    return bytes[offset];
  }
  uint16_t U16(uint64_t offset) { return static_cast<uint16_t>(U8(offset) | U8(offset + 1) << 8); }
  uint32_t U32(uint64_t offset) {
    return static_cast<uint32_t>(U16(offset)) | static_cast<uint32_t>(U16(offset + 2)) << 16;
  }
};

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

bool IsPowerOfTwo(uint32_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}

uint32_t SectionSpan(const PeSection& section) {
  return section.virtualSize != 0 ? section.virtualSize : section.rawSize;
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

std::u16string Upper(const std::u16string& text) {
  std::u16string result = text;
  for (char16_t& c : result) {
    if (c >= u'a' && c <= u'z') {
      c = static_cast<char16_t>(c - 32);
    }
  }
  return result;
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

struct TreeReader {
  const PeImage& image;
  ByteCursor cursor;
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
    const uint32_t length = cursor.U16(base + offset);
    if (!InTree(offset + 2, length * 2) || !Spend(2 + 2 * length)) {
      return false;
    }
    name->isId = false;
    name->id = 0;
    name->text.clear();
    for (uint32_t i = 0; i < length; ++i) {
      name->text.push_back(static_cast<char16_t>(cursor.U16(base + offset + 2 + 2 * i)));
    }
    return cursor.ok;
  }

  // level 0 types, 1 names, 2 languages.
  bool ReadDirectory(uint32_t offset, int level, ResourceEntry* path) {
    if (!InTree(offset, 16)) {
      return false;
    }
    const uint32_t named = cursor.U16(base + offset + 12);
    const uint32_t ids = cursor.U16(base + offset + 14);
    const uint32_t count = named + ids;
    if (!InTree(offset + 16, count * 8) || !Spend(16 + 8 * count)) {
      return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t entry = base + offset + 16 + 8 * i;
      const uint32_t nameField = cursor.U32(entry);
      const uint32_t dataField = cursor.U32(entry + 4);
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
    const uint32_t rva = cursor.U32(base + offset);
    const uint32_t dataSize = cursor.U32(base + offset + 4);
    uint32_t dataOffset = 0;
    if (!cursor.ok || !RvaToOffset(image, rva, dataSize, &dataOffset)) {
      return false;
    }
    ResourceEntry entry;
    entry.type = path->type;
    entry.name = path->name;
    entry.language = path->language;
    entry.codePage = cursor.U32(base + offset + 8);
    entry.data.assign(image.bytes.begin() + dataOffset, image.bytes.begin() + dataOffset + dataSize);
    copiedBytes += dataSize;
    out->push_back(std::move(entry));
    return true;
  }
};

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

// The new resource section's bytes for a section at `sectionRva`; the plan
// has been checked to fit a 32-bit image, so every offset fits 32 bits.
std::vector<uint8_t> LayOutResourceSection(const std::vector<ResourceEntry>& resources,
                                           const SectionPlan& plan, uint32_t sectionRva) {
  const ResourceTree& tree = plan.tree;
  std::vector<uint8_t> section(static_cast<size_t>(plan.size), 0);

  auto writeDirectoryHeader = [&section](uint32_t at, uint16_t named, uint16_t ids) {
    Put16(&section, at + 12, named);
    Put16(&section, at + 14, ids);
  };
  auto nameField = [&plan](const ResourceName& name) -> uint32_t {
    return name.isId ? name.id : (0x80000000u | static_cast<uint32_t>(plan.stringOffsets.at(&name)));
  };
  auto countNamed = [](const auto& level) {
    uint16_t named = 0;
    for (auto& item : level) {
      named = static_cast<uint16_t>(named + (item.first.isId ? 0 : 1));
    }
    return named;
  };

  // Breadth first: the root, then every type directory, then every name
  // directory.
  uint32_t next = 16 + 8 * static_cast<uint32_t>(tree.size());
  const uint16_t rootNamed = countNamed(tree);
  writeDirectoryHeader(0, rootNamed, static_cast<uint16_t>(tree.size() - rootNamed));
  std::vector<uint32_t> typeDirs;
  uint32_t slot = 16;
  for (auto& type : tree) {
    Put32(&section, slot, nameField(type.first));
    Put32(&section, slot + 4, 0x80000000u | next);
    typeDirs.push_back(next);
    next += 16 + 8 * static_cast<uint32_t>(type.second.size());
    slot += 8;
  }
  uint32_t leaf = static_cast<uint32_t>(plan.leavesStart);
  size_t typeIndex = 0;
  std::vector<std::pair<uint32_t, const std::map<uint16_t, size_t>*>> nameDirs;
  for (auto& type : tree) {
    const uint32_t at = typeDirs[typeIndex++];
    const uint16_t named = countNamed(type.second);
    writeDirectoryHeader(at, named, static_cast<uint16_t>(type.second.size() - named));
    slot = at + 16;
    for (auto& name : type.second) {
      Put32(&section, slot, nameField(name.first));
      Put32(&section, slot + 4, 0x80000000u | next);
      nameDirs.push_back({next, &name.second});
      next += 16 + 8 * static_cast<uint32_t>(name.second.size());
      slot += 8;
    }
  }
  for (auto& dir : nameDirs) {
    writeDirectoryHeader(dir.first, 0, static_cast<uint16_t>(dir.second->size()));
    slot = dir.first + 16;
    for (auto& language : *dir.second) {
      const ResourceEntry& entry = resources[language.second];
      Put32(&section, slot, language.first);
      Put32(&section, slot + 4, leaf);
      Put32(&section, leaf, sectionRva + static_cast<uint32_t>(plan.dataOffsets[language.second]));
      Put32(&section, leaf + 4, static_cast<uint32_t>(entry.data.size()));
      Put32(&section, leaf + 8, entry.codePage);
      leaf += 16;
      slot += 8;
    }
  }
  for (const ResourceName* name : plan.strings) {
    const size_t at = static_cast<size_t>(plan.stringOffsets.at(name));
    Put16(&section, at, static_cast<uint16_t>(name->text.size()));
    for (size_t i = 0; i < name->text.size(); ++i) {
      Put16(&section, at + 2 + 2 * i, static_cast<uint16_t>(name->text[i]));
    }
  }
  for (size_t i = 0; i < resources.size(); ++i) {
    if (!resources[i].data.empty()) {
      std::memcpy(section.data() + plan.dataOffsets[i], resources[i].data.data(), resources[i].data.size());
    }
  }
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

PeError ParsePeImage(std::vector<uint8_t> bytes, PeImage* image) {
  *image = PeImage();
  image->bytes = std::move(bytes);
  ByteCursor in(image->bytes);
  if (image->bytes.size() < 0x40 || in.U16(0) != 0x5A4D) {
    return PeError::NotExecutable;
  }
  const uint32_t peOffset = in.U32(kDosLfanewOffset);
  if (!in.Has(peOffset, 4 + kCoffHeaderSize)) {
    return PeError::Truncated;
  }
  if (in.U32(peOffset) != 0x00004550) {
    return PeError::NotExecutable;
  }
  image->coffOffset = peOffset + 4;
  const uint16_t sectionCount = in.U16(image->coffOffset + 2);
  const uint16_t optionalSize = in.U16(image->coffOffset + 16);
  image->optionalOffset = image->coffOffset + kCoffHeaderSize;
  if (!in.Has(image->optionalOffset, optionalSize) || optionalSize < 2) {
    return PeError::Truncated;
  }
  const uint16_t magic = in.U16(image->optionalOffset);
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
  image->sectionAlignment = in.U32(image->optionalOffset + kOptSectionAlignment);
  image->fileAlignment = in.U32(image->optionalOffset + kOptFileAlignment);
  image->sizeOfHeaders = in.U32(image->optionalOffset + kOptSizeOfHeaders);
  image->dataDirectoryCount = in.U32(image->optionalOffset + rvaCountOffset);
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
  image->sectionTableOffset = image->optionalOffset + optionalSize;
  if (!in.Has(image->sectionTableOffset, static_cast<uint64_t>(kSectionHeaderSize) * sectionCount)) {
    return PeError::Truncated;
  }
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint32_t at = image->sectionTableOffset + kSectionHeaderSize * i;
    PeSection section;
    for (uint32_t k = 0; k < 8 && image->bytes[at + k] != 0; ++k) {
      section.name.push_back(static_cast<char>(image->bytes[at + k]));
    }
    section.virtualSize = in.U32(at + 8);
    section.virtualAddress = in.U32(at + 12);
    section.rawSize = in.U32(at + 16);
    section.rawPointer = in.U32(at + 20);
    section.characteristics = in.U32(at + 36);
    if (section.rawSize != 0 && !in.Has(section.rawPointer, section.rawSize)) {
      return PeError::BadSectionTable;
    }
    if (static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section) > 0xFFFFFFFFull) {
      return PeError::BadSectionTable;
    }
    image->sections.push_back(section);
  }
  return in.ok ? PeError::None : PeError::Truncated;
}

PeError ReadResources(const PeImage& image, std::vector<ResourceEntry>* resources) {
  resources->clear();
  if (image.dataDirectoryCount <= kResourceDirectoryIndex) {
    return PeError::None;
  }
  ByteCursor in(image.bytes);
  const uint32_t at = image.dataDirectoryOffset + 8 * kResourceDirectoryIndex;
  const uint32_t rva = in.U32(at);
  const uint32_t size = in.U32(at + 4);
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

PeError WriteResources(PeImage* image, const std::vector<ResourceEntry>& resources) {
  if (image->dataDirectoryCount <= kResourceDirectoryIndex) {
    return PeError::UnsupportedFormat;
  }
  ByteCursor in(image->bytes);
  const uint32_t directory = image->dataDirectoryOffset + 8 * kResourceDirectoryIndex;
  const uint32_t oldRva = in.U32(directory);
  const uint32_t oldSize = in.U32(directory + 4);

  // The old resource section can be rebuilt in place only when it is the
  // last section both in the image and in the file.
  size_t target = image->sections.size();
  if (!image->sections.empty() && oldSize != 0) {
    const size_t last = image->sections.size() - 1;
    const PeSection& section = image->sections[last];
    uint64_t fileEnd = 0;
    uint64_t othersEnd = image->sizeOfHeaders;
    for (size_t i = 0; i < image->sections.size(); ++i) {
      const PeSection& other = image->sections[i];
      const uint64_t end = other.rawSize == 0 ? 0 : static_cast<uint64_t>(other.rawPointer) + other.rawSize;
      fileEnd = std::max(fileEnd, end);
      if (i != last) {
        othersEnd = std::max(othersEnd, end);
      }
    }
    const bool holdsTree = oldRva >= section.virtualAddress &&
                           static_cast<uint64_t>(oldRva) + oldSize <=
                               static_cast<uint64_t>(section.virtualAddress) + SectionSpan(section);
    const bool lastInFile =
        static_cast<uint64_t>(section.rawPointer) + section.rawSize >= fileEnd &&
        AlignUp(fileEnd, image->fileAlignment) >= image->bytes.size() && section.rawPointer != 0 &&
        section.rawSize != 0 && othersEnd <= section.rawPointer &&
        static_cast<uint64_t>(section.rawPointer) + section.rawSize <= image->bytes.size();
    if (holdsTree && lastInFile) {
      target = last;
    }
  }

  // Where the new tree goes, decided before anything changes.
  const bool append = target == image->sections.size();
  uint32_t virtualAddress = 0;
  uint64_t rawPointer = 0;
  if (append) {
    const uint64_t tableEnd =
        image->sectionTableOffset + static_cast<uint64_t>(kSectionHeaderSize) * (image->sections.size() + 1);
    uint64_t firstRaw = image->sizeOfHeaders;
    for (const PeSection& section : image->sections) {
      if (section.rawSize != 0) {
        firstRaw = std::min<uint64_t>(firstRaw, section.rawPointer);
      }
    }
    if (tableEnd > firstRaw || tableEnd > image->bytes.size()) {
      return PeError::NoRoomForSection;
    }
    for (uint64_t i = tableEnd - kSectionHeaderSize; i < tableEnd; ++i) {
      if (image->bytes[i] != 0) {
        return PeError::NoRoomForSection;
      }
    }
    const uint64_t imageEnd = ImageEnd(*image);
    if (imageEnd >= 0xFFFFFFFFull) {
      return PeError::BadSectionTable;
    }
    virtualAddress = static_cast<uint32_t>(imageEnd);
    rawPointer = image->bytes.size();
  } else {
    virtualAddress = image->sections[target].virtualAddress;
    rawPointer = image->sections[target].rawPointer;
  }
  if (virtualAddress == 0) {
    return PeError::BadSectionTable;
  }
  // Whole pages in the file as in memory, so the loader can map the
  // resources rather than read them into private memory.
  const uint64_t rawAlignment = image->sectionAlignment >= kPageSize
                                    ? std::max<uint64_t>(image->fileAlignment, kPageSize)
                                    : image->fileAlignment;
  rawPointer = AlignUp(rawPointer, rawAlignment);
  const SectionPlan plan = PlanSection(resources, DataSizes(resources));
  const uint64_t rawSize = AlignUp(plan.size, rawAlignment);
  if (!FitsImage(virtualAddress, plan.size, image->sectionAlignment) ||
      rawPointer + rawSize > 0xFFFFFFFFull) {
    return PeError::ImageTooLarge;
  }
  const std::vector<uint8_t> blob = LayOutResourceSection(resources, plan, virtualAddress);

  int64_t initialisedDelta = 0;
  if (append) {
    PeSection section;
    section.name = ".rsrc";
    section.characteristics = kResourceSectionFlags;
    image->sections.push_back(section);
  } else if (image->sections[target].characteristics & kInitialisedDataFlag) {
    initialisedDelta -= image->sections[target].rawSize;
  }
  PeSection& section = image->sections[target];
  // Nothing of the old section stays in the padding before the new one.
  image->bytes.resize(append ? image->bytes.size() : section.rawPointer);
  section.virtualAddress = virtualAddress;
  section.rawPointer = static_cast<uint32_t>(rawPointer);
  section.virtualSize = static_cast<uint32_t>(blob.size());
  section.rawSize = static_cast<uint32_t>(rawSize);
  if (section.characteristics & kInitialisedDataFlag) {
    initialisedDelta += section.rawSize;
  }
  image->bytes.resize(section.rawPointer, 0);
  image->bytes.insert(image->bytes.end(), blob.begin(), blob.end());
  image->bytes.resize(static_cast<size_t>(section.rawPointer) + section.rawSize, 0);

  WriteSectionHeader(image, target);
  Put16(&image->bytes, image->coffOffset + 2, static_cast<uint16_t>(image->sections.size()));
  Put32(&image->bytes, directory, section.virtualAddress);
  Put32(&image->bytes, directory + 4, static_cast<uint32_t>(blob.size()));
  // A signature no longer matches a rewritten file; drop its directory.
  if (image->dataDirectoryCount > kSecurityDirectoryIndex) {
    Put32(&image->bytes, image->dataDirectoryOffset + 8 * kSecurityDirectoryIndex, 0);
    Put32(&image->bytes, image->dataDirectoryOffset + 8 * kSecurityDirectoryIndex + 4, 0);
  }
  const uint32_t initialised = in.U32(image->optionalOffset + kOptSizeOfInitializedData);
  Put32(&image->bytes, image->optionalOffset + kOptSizeOfInitializedData,
        static_cast<uint32_t>(static_cast<int64_t>(initialised) + initialisedDelta));
  Put32(&image->bytes, image->optionalOffset + kOptSizeOfImage, static_cast<uint32_t>(ImageEnd(*image)));
  const uint32_t checksumOffset = image->optionalOffset + kOptCheckSum;
  Put32(&image->bytes, checksumOffset, 0);
  Put32(&image->bytes, checksumOffset, ComputePeChecksum(image->bytes, checksumOffset));
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
  ByteCursor in(image.bytes);
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
  if (in.U32(image.optionalOffset + kOptSizeOfImage) != ImageEnd(image)) {
    problems.push_back("SizeOfImage does not match the sections");
  }
  std::vector<ResourceEntry> resources;
  const PeError resourceError = ReadResources(image, &resources);
  if (resourceError != PeError::None) {
    problems.push_back(ToString(resourceError));
  }
  const uint32_t checksumOffset = image.optionalOffset + kOptCheckSum;
  if (in.U32(checksumOffset) != ComputePeChecksum(image.bytes, checksumOffset)) {
    problems.push_back("the checksum is wrong");
  }
  return problems;
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

void RemoveResourceEntry(std::vector<ResourceEntry>* resources, const ResourceName& type,
                         const ResourceName& name) {
  resources->erase(
      std::remove_if(resources->begin(), resources->end(),
                     [&](const ResourceEntry& entry) { return entry.type == type && entry.name == name; }),
      resources->end());
}
