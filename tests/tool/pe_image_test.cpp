// The PE reader and writer: resources written are read back byte for byte,
// the headers stay consistent whether the resource section is rebuilt in
// place or appended, and broken files give an error, never a crash.
#include "tool/pe_image.h"
#include "tool/pe_image_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/tool/tool_test_support.h"

namespace {

std::vector<ResourceEntry> SampleResources() {
  std::vector<ResourceEntry> resources;
  PutResourceEntry(&resources, ResourceName::Text("PATCH"), ResourceName::Id(104), {1, 2, 3});
  PutResourceEntry(&resources, ResourceName::Text("PATCH"), ResourceName::Id(105), {});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(401),
                   std::vector<uint8_t>(1000, 0x5A));
  PutResourceEntry(&resources, ResourceName::Id(kResourceTypeRcData), ResourceName::Id(10402),
                   {9, 8, 7, 6, 5});
  PutResourceEntry(&resources, ResourceName::Id(5), ResourceName::Text("DIALOGUE"), {42});
  return resources;
}

void ExpectSameResources(const std::vector<ResourceEntry>& expected,
                         const std::vector<ResourceEntry>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (const ResourceEntry& entry : expected) {
    const ResourceEntry* found = FindResourceEntry(actual, entry.type, entry.name);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->data, entry.data);
  }
}

uint16_t SectionCount(const std::vector<uint8_t>& bytes) {
  return static_cast<uint16_t>(bytes[0x46] | bytes[0x47] << 8);
}

PeImage Parse(const std::vector<uint8_t>& bytes) {
  PeImage image;
  EXPECT_EQ(ParsePeImage(bytes, &image), PeError::None);
  return image;
}

TEST(PeImage, WritesResourcesIntoAnImageWithoutAny) {
  PeImage image = Parse(MakeBareImage());
  std::vector<ResourceEntry> none;
  ASSERT_EQ(ReadResources(image, &none), PeError::None);
  EXPECT_TRUE(none.empty());

  const std::vector<ResourceEntry> resources = SampleResources();
  ASSERT_EQ(WriteResources(&image, resources), PeError::None);
  EXPECT_EQ(SectionCount(image.bytes), 2);
  EXPECT_TRUE(CheckPeStructure(image.bytes).empty());
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(image.bytes), &back), PeError::None);
  ExpectSameResources(resources, back);
}

TEST(PeImage, RebuildsALastResourceSectionInPlace) {
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
  PeImage second = Parse(image.bytes);
  std::vector<ResourceEntry> resources;
  ASSERT_EQ(ReadResources(second, &resources), PeError::None);
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(402),
                   std::vector<uint8_t>(9000, 7));
  resources.erase(std::remove_if(resources.begin(), resources.end(),
                                 [](const ResourceEntry& entry) {
                                   return entry.type == ResourceName::Text("PATCH") &&
                                          entry.name == ResourceName::Id(105);
                                 }),
                  resources.end());
  ASSERT_EQ(WriteResources(&second, resources), PeError::None);
  EXPECT_EQ(SectionCount(second.bytes), 2);  // replaced, not added
  const std::vector<std::string> problems = CheckPeStructure(second.bytes);
  EXPECT_TRUE(problems.empty()) << problems.front();
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(second.bytes), &back), PeError::None);
  ExpectSameResources(resources, back);
  EXPECT_EQ(FindResourceEntry(back, ResourceName::Text("PATCH"), ResourceName::Id(105)), nullptr);
}

TEST(PeImage, AppendsASectionWhenTheResourcesAreNotLast) {
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
  std::vector<uint8_t> bytes = image.bytes;
  AppendPlainSection(&bytes, ".reloc", 0x30);
  const std::vector<uint8_t> relocData(bytes.end() - 0x200, bytes.end());

  PeImage third = Parse(bytes);
  std::vector<ResourceEntry> resources = SampleResources();
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(403), {1});
  ASSERT_EQ(WriteResources(&third, resources), PeError::None);
  EXPECT_EQ(SectionCount(third.bytes), 4);
  const std::vector<std::string> problems = CheckPeStructure(third.bytes);
  EXPECT_TRUE(problems.empty()) << problems.front();
  // The section after the old resources keeps its bytes where they were.
  const PeImage reparsed = Parse(third.bytes);
  const PeSection& reloc = reparsed.sections[2];
  EXPECT_EQ(reloc.name, ".reloc");
  EXPECT_TRUE(std::equal(relocData.begin(), relocData.end(), third.bytes.begin() + reloc.rawPointer));
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(reparsed, &back), PeError::None);
  ExpectSameResources(resources, back);
}

TEST(PeImage, NeverRebuildsInPlaceOverAnotherSectionsData) {
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
  // Point the first section's raw data into the resource section's: the
  // resource section is still last in the table and in the file, but
  // rebuilding it in place would overwrite the other section.
  std::vector<uint8_t> bytes = image.bytes;
  const size_t textHeader = 0x40 + 24 + 240;
  const uint32_t shared = image.sections[1].rawPointer;
  bytes[textHeader + 20] = static_cast<uint8_t>(shared);
  bytes[textHeader + 21] = static_cast<uint8_t>(shared >> 8);
  const std::vector<uint8_t> textData(bytes.begin() + shared, bytes.begin() + shared + 0x200);

  PeImage reparsed = Parse(bytes);
  ASSERT_EQ(WriteResources(&reparsed, SampleResources()), PeError::None);
  EXPECT_EQ(SectionCount(reparsed.bytes), 3);  // appended, not rebuilt in place
  EXPECT_TRUE(std::equal(textData.begin(), textData.end(), reparsed.bytes.begin() + shared));
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(reparsed.bytes), &back), PeError::None);
  ExpectSameResources(SampleResources(), back);
}

TEST(PeImage, LaysEntriesOutInLoaderOrder) {
  PeImage image = Parse(MakeBareImage());
  std::vector<ResourceEntry> resources;
  PutResourceEntry(&resources, ResourceName::Id(10), ResourceName::Id(500), {1});
  PutResourceEntry(&resources, ResourceName::Text("PATCH"), ResourceName::Id(105), {2});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(402), {3});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(401), {4});
  PutResourceEntry(&resources, ResourceName::Id(3), ResourceName::Id(1), {5});
  ASSERT_EQ(WriteResources(&image, resources), PeError::None);
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(image.bytes), &back), PeError::None);
  // Named types first (sorted), then ids ascending; same within each type.
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[0].type, ResourceName::Text("IMG"));
  EXPECT_EQ(back[0].name.id, 401);
  EXPECT_EQ(back[1].name.id, 402);
  EXPECT_EQ(back[2].type, ResourceName::Text("PATCH"));
  EXPECT_EQ(back[3].type.id, 3);
  EXPECT_EQ(back[4].type.id, 10);
}

// Every directory level, names included, is sorted the loader's way, and
// each language of a name keeps its own data and code page.
TEST(PeImage, NamesAndLanguagesKeepTheirPlaceAtEveryLevel) {
  PeImage image = Parse(MakeBareImage());
  std::vector<ResourceEntry> resources;
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(7), {1});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Text("ZED"), {2});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Text("alpha"), {3});
  resources.push_back({ResourceName::Id(6), ResourceName::Id(1), 0x040C, 0, {4, 4}});
  resources.push_back({ResourceName::Id(6), ResourceName::Id(1), 0x0409, 1252, {5}});
  ASSERT_EQ(WriteResources(&image, resources), PeError::None);
  EXPECT_TRUE(CheckPeStructure(image.bytes).empty());
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(image.bytes), &back), PeError::None);
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[0].name, ResourceName::Text("alpha"));  // named entries sorted upper-cased
  EXPECT_EQ(back[1].name, ResourceName::Text("ZED"));
  EXPECT_EQ(back[2].name, ResourceName::Id(7));
  EXPECT_EQ(back[2].data, std::vector<uint8_t>{1});
  EXPECT_EQ(back[3].language, 0x0409);
  EXPECT_EQ(back[3].codePage, 1252u);
  EXPECT_EQ(back[3].data, std::vector<uint8_t>{5});
  EXPECT_EQ(back[4].language, 0x040C);
  EXPECT_EQ(back[4].data, (std::vector<uint8_t>{4, 4}));
}

TEST(PeImage, ChecksumMatchesTheKnownAlgorithm) {
  // Words 0x0201 and 0x0403 with the checksum field (offset 4) skipped,
  // plus the length 8.
  const std::vector<uint8_t> bytes = {1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ComputePeChecksum(bytes, 4), 0x0201u + 0x0403u + 8u);
  // The carry folds back into the low 16 bits.
  const std::vector<uint8_t> carry = {0xFF, 0xFF, 0x02, 0x00, 0, 0, 0, 0};
  EXPECT_EQ(ComputePeChecksum(carry, 4), 0x0002u + 8u);
}

TEST(PeImage, StructureCheckFindsBrokenHeaders) {
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
  const uint32_t optional = 0x40 + 24;
  struct Case {
    uint32_t offset;
    uint8_t value;
    const char* what;
  } cases[] = {
      {optional + 57, 0x77, "SizeOfImage"},
      {optional + 64, 0x12, "checksum"},
      {0x40 + 24 + 240 + 40 + 12 + 1, 0x70, "section"},  // .rsrc VirtualAddress
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> broken = image.bytes;
    broken[c.offset] = c.value;
    const std::vector<std::string> problems = CheckPeStructure(broken);
    EXPECT_FALSE(problems.empty()) << c.what;
  }
}

TEST(PeImage, RefusesWhatIsNotAnExecutable) {
  struct Case {
    std::vector<uint8_t> bytes;
    PeError error;
  } cases[] = {
      {{}, PeError::NotExecutable},
      {std::vector<uint8_t>(100, 'M'), PeError::NotExecutable},
  };
  for (const Case& c : cases) {
    PeImage image;
    EXPECT_EQ(ParsePeImage(c.bytes, &image), c.error);
  }
  std::vector<uint8_t> noRoom = MakeBareImage();
  noRoom[0x40 + 24 + 240 + 40] = 'X';  // the next section slot is in use
  PeImage image = Parse(noRoom);
  EXPECT_EQ(WriteResources(&image, SampleResources()), PeError::NoRoomForSection);
}

// Hand-made resource trees: directories of 16 bytes with their entries
// behind them, put into a bare image as its last section.
struct TreeBytes {
  std::vector<uint8_t> bytes;

  void Put16(size_t at, uint32_t value) {
    Grow(at + 2);
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
  }
  void Put32(size_t at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
  }
  void Grow(size_t size) {
    if (bytes.size() < size) {
      bytes.resize(size, 0);
    }
  }
  // A directory of `count` id entries at `at`, each pointing at `target`
  // (a directory when `subdirectory`, else a data entry).
  void Directory(size_t at, uint32_t count, uint32_t target, bool subdirectory) {
    Put16(at + 14, count);
    for (uint32_t i = 0; i < count; ++i) {
      Put32(at + 16 + 8 * i, i + 1);
      Put32(at + 20 + 8 * i, subdirectory ? 0x80000000u | target : target);
    }
    Grow(at + 16 + 8 * count);
  }
};

constexpr uint32_t kTreeRva = 0x2000;  // where AppendPlainSection puts the tree

std::vector<uint8_t> ImageWithTree(const std::vector<uint8_t>& tree) {
  std::vector<uint8_t> image = MakeBareImage();
  AppendPlainSection(&image, ".rsrc", static_cast<uint32_t>(tree.size()));
  std::copy(tree.begin(), tree.end(), image.end() - ((tree.size() + 0x1FF) & ~size_t{0x1FF}));
  const size_t resourceDirectory = 0x40 + 24 + 112 + 8 * 2;
  for (int i = 0; i < 4; ++i) {
    image[resourceDirectory + i] = static_cast<uint8_t>(kTreeRva >> (8 * i));
    image[resourceDirectory + 4 + i] = static_cast<uint8_t>(tree.size() >> (8 * i));
  }
  return image;
}

PeError ReadTree(const std::vector<uint8_t>& bytes) {
  PeImage image;
  const PeError parsed = ParsePeImage(bytes, &image);
  if (parsed != PeError::None) {
    return parsed;
  }
  std::vector<ResourceEntry> resources;
  const PeError read = ReadResources(image, &resources);
  EXPECT_TRUE(read == PeError::None || resources.empty());
  return read;
}

TEST(PeImage, EachErrorHasItsOwnInput) {
  const std::vector<uint8_t> bare = MakeBareImage();
  const uint32_t optional = 0x40 + 24;
  const uint32_t sectionTable = optional + 240;
  std::vector<uint8_t> truncated(bare.begin(), bare.begin() + 0x50);
  std::vector<uint8_t> notMz = bare;
  notMz[0] = 'X';
  std::vector<uint8_t> rom = bare;
  rom[optional] = 0x07;  // magic 0x207
  std::vector<uint8_t> sectionOutside = bare;
  sectionOutside[sectionTable + 22] = 0x01;  // raw data at 0x10400, past the end

  TreeBytes outOfBounds;
  outOfBounds.Directory(0, 1, 0x7000, true);

  // Four language entries share one data entry that spans the whole tree:
  // the copies would add up to more than twice the file.
  TreeBytes sharedData;
  sharedData.Directory(0, 1, 0x20, true);
  sharedData.Directory(0x20, 1, 0x40, true);
  sharedData.Directory(0x40, 4, 0x80, false);
  sharedData.Put32(0x80, kTreeRva);
  sharedData.Put32(0x84, 0x2000);
  sharedData.Grow(0x2000);

  // The unpack hang: 40 types share one name directory of 40 entries, which
  // all share one empty language directory; 1,600 visits reach no leaf.
  TreeBytes fanOut;
  fanOut.Directory(0, 40, 0x200, true);
  fanOut.Directory(0x200, 40, 0x400, true);
  fanOut.Directory(0x400, 0, 0, true);

  // Eight types named by one string of 65,535 characters.
  TreeBytes longName;
  longName.Directory(0, 8, 0x100, true);
  for (uint32_t i = 0; i < 8; ++i) {
    longName.Put32(16 + 8 * i, 0x80000000u | 0x200);
  }
  longName.Directory(0x100, 0, 0, true);
  longName.Put16(0x200, 0xFFFF);
  longName.Grow(0x202 + 2 * 0xFFFF);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    PeError error;
  } cases[] = {
      {"bare image", bare, PeError::None},
      {"headers cut short", truncated, PeError::Truncated},
      {"no MZ", notMz, PeError::NotExecutable},
      {"optional header magic", rom, PeError::UnsupportedFormat},
      {"section data past the end", sectionOutside, PeError::BadSectionTable},
      {"directory outside the tree", ImageWithTree(outOfBounds.bytes), PeError::BadResourceTree},
      {"shared data copied over and over", ImageWithTree(sharedData.bytes), PeError::TooManyResources},
      {"shared directories", ImageWithTree(fanOut.bytes), PeError::TreeTooCostly},
      {"shared long name", ImageWithTree(longName.bytes), PeError::TreeTooCostly},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadTree(c.bytes), c.error) << c.what << ": " << ToString(ReadTree(c.bytes));
  }

  // A little sharing (two types share a name directory, whose two names
  // share a language directory) stays within the budget.
  TreeBytes sound;
  sound.Directory(0, 2, 0x40, true);
  sound.Directory(0x40, 2, 0x80, true);
  sound.Directory(0x80, 2, 0xC0, false);
  sound.Put32(0xC0, kTreeRva);
  sound.Put32(0xC4, 0x10);
  sound.Grow(0xD0);
  std::vector<ResourceEntry> resources;
  PeImage image;
  ASSERT_EQ(ParsePeImage(ImageWithTree(sound.bytes), &image), PeError::None);
  ASSERT_EQ(ReadResources(image, &resources), PeError::None);
  EXPECT_EQ(resources.size(), 8u);

  std::vector<uint8_t> noRoom = MakeBareImage();
  noRoom[sectionTable + 40] = 'X';  // the next section slot is in use
  PeImage full = Parse(noRoom);
  EXPECT_EQ(WriteResources(&full, SampleResources()), PeError::NoRoomForSection);
}

TEST(PeImage, SurvivesEveryTruncationAndByteFlip) {
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
  const std::vector<uint8_t> good = image.bytes;
  // Only the headers and the tree matter; data bytes are not interpreted.
  const size_t interesting = std::min<size_t>(good.size(), 0x400 + 0x200);
  for (size_t cut = 0; cut < good.size(); cut += 7) {
    std::vector<uint8_t> prefix(good.begin(), good.begin() + cut);
    PeImage parsed;
    std::vector<ResourceEntry> resources;
    if (ParsePeImage(prefix, &parsed) == PeError::None) {
      ReadResources(parsed, &resources);
    }
  }
  for (size_t i = 0; i < interesting; ++i) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> broken = good;
      broken[i] ^= flip;
      PeImage parsed;
      std::vector<ResourceEntry> resources;
      if (ParsePeImage(broken, &parsed) == PeError::None &&
          ReadResources(parsed, &resources) == PeError::None) {
        WriteResources(&parsed, resources);
      }
    }
  }
}

// The tree's own player when it knows one (the Windows tree builds it, a
// native tree may embed it), else the one TRIVO_PLAYER names.
const char* RealPlayerFile() {
  if (const char* named = std::getenv("TRIVO_PLAYER")) {
    return named;
  }
#if defined(TRIVO_PLAYER_FILE)
  return TRIVO_PLAYER_FILE;
#elif defined(TRIVO_EMBEDDED_TEMPLATE)
  return TRIVO_EMBEDDED_TEMPLATE;
#else
  return nullptr;
#endif
}

TEST(PeImage, RebuildsTheRealPlayerWhenGiven) {
  const char* player = RealPlayerFile();
  if (player == nullptr) {
    GTEST_SKIP() << "this tree has no player and TRIVO_PLAYER is not set";
  }
  PeImage image = Parse(ReadBinaryFile(player));
  std::vector<ResourceEntry> resources;
  ASSERT_EQ(ReadResources(image, &resources), PeError::None);
  ASSERT_FALSE(resources.empty());
  const std::vector<ResourceEntry> original = resources;
  PutResourceEntry(&resources, ResourceName::Text("PATCH"), ResourceName::Id(104), {1, 2, 3});
  ASSERT_EQ(WriteResources(&image, resources), PeError::None);
  const std::vector<std::string> problems = CheckPeStructure(image.bytes);
  EXPECT_TRUE(problems.empty()) << problems.front();
  std::vector<ResourceEntry> back;
  ASSERT_EQ(ReadResources(Parse(image.bytes), &back), PeError::None);
  ExpectSameResources(resources, back);
}

// The format's checksum as it describes it: one 16-bit word at a time,
// folded after every word.
uint32_t ChecksumWordByWord(const std::vector<uint8_t>& bytes, uint32_t checksumOffset) {
  uint64_t sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) {
      continue;
    }
    uint32_t word = bytes[i];
    if (i + 1 < bytes.size()) {
      word |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    }
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return static_cast<uint32_t>(sum + bytes.size());
}

TEST(PeImage, ChecksumMatchesTheWordByWordSumOnAnyLength) {
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (size_t length : {0, 1, 2, 7, 8, 9, 63, 64, 65, 4099}) {
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes) {
      b = static_cast<uint8_t>(next() >> 16);
    }
    for (uint32_t offset : {0u, 1u, 4u, 6u, 7u, 64u, 100000u}) {
      EXPECT_EQ(ComputePeChecksum(bytes, offset), ChecksumWordByWord(bytes, offset))
          << "length " << length << " offset " << offset;
    }
  }
  // Long runs of 0xFFFF fill the eight-byte lanes; zeros fold to zero and a
  // sum that is a multiple of 0xFFFF folds to 0xFFFF.
  const std::vector<uint8_t> ones(3 * 1024 * 1024 + 6, 0xFF);
  EXPECT_EQ(ComputePeChecksum(ones, 64), ChecksumWordByWord(ones, 64));
  const std::vector<uint8_t> zeros(1000, 0);
  EXPECT_EQ(ComputePeChecksum(zeros, 64), 1000u);
  const std::vector<uint8_t> wrap = {0xFF, 0x7F, 0x00, 0x80, 0, 0, 0, 0};
  EXPECT_EQ(ComputePeChecksum(wrap, 4), ChecksumWordByWord(wrap, 4));
}

TEST(PeImage, ResourceSectionStartsAndEndsOnAPage) {
  for (bool rebuildTwice : {false, true}) {
    PeImage image = Parse(MakeBareImage());
    ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
    if (rebuildTwice) {
      image = Parse(image.bytes);
      ASSERT_EQ(WriteResources(&image, SampleResources()), PeError::None);
    }
    const PeImage written = Parse(image.bytes);
    const PeSection& section = written.sections.back();
    EXPECT_EQ(section.rawPointer % 4096, 0u);
    EXPECT_EQ(section.rawSize % 4096, 0u);
    EXPECT_EQ(written.bytes.size(), static_cast<size_t>(section.rawPointer) + section.rawSize);
    EXPECT_TRUE(CheckPeStructure(image.bytes).empty());
  }
}

TEST(PeImage, DataLiesInTheOrderTheEntriesAreGiven) {
  std::vector<ResourceEntry> resources;
  for (uint16_t id : {10402, 401, 10401, 402}) {
    PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(id),
                     std::vector<uint8_t>(100, static_cast<uint8_t>(id)));
  }
  PeImage image = Parse(MakeBareImage());
  ASSERT_EQ(WriteResources(&image, resources), PeError::None);
  size_t previous = 0;
  for (uint16_t id : {10402, 401, 10401, 402}) {
    const std::vector<uint8_t> run(100, static_cast<uint8_t>(id));
    const auto at = std::search(image.bytes.begin(), image.bytes.end(), run.begin(), run.end());
    ASSERT_NE(at, image.bytes.end());
    EXPECT_GT(static_cast<size_t>(at - image.bytes.begin()), previous) << id;
    previous = static_cast<size_t>(at - image.bytes.begin());
  }
}

TEST(PeImage, ResourcesBeyondA32BitImageArePlannedAndRefused) {
  // Sizes only: nothing of these gigabytes is ever allocated.
  std::vector<ResourceEntry> resources(3);
  for (uint16_t i = 0; i < 3; ++i) {
    resources[i].type = ResourceName::Text("IMG");
    resources[i].name = ResourceName::Id(static_cast<uint16_t>(401 + i));
  }
  uint64_t size = 0;
  EXPECT_FALSE(PlanResourceSection(resources, {0xFFFFFFFFull, 0xFFFFFFFFull, 16}, 0x1000, 0x1000, &size));
  EXPECT_GT(size, 0x1FFFFFFFEull);  // the sum of the sizes, not its low 32 bits
  EXPECT_FALSE(PlanResourceSection(resources, {0x80000000ull, 0x80000000ull, 0}, 0x1000, 0x1000, &size));
  // Just under the limit the plan holds; a section placed higher does not.
  EXPECT_TRUE(PlanResourceSection(resources, {0x40000000ull, 0x40000000ull, 0}, 0x1000, 0x1000, &size));
  EXPECT_FALSE(PlanResourceSection(resources, {0x40000000ull, 0x40000000ull, 0}, 0xC0000000u, 0x1000, &size));
  EXPECT_TRUE(PlanResourceSection(resources, {10, 20, 30}, 0x1000, 0x1000, &size));
  EXPECT_LT(size, 4096u);
}

}  // namespace
