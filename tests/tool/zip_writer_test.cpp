// The ZIP writer: what other readers make of its archives (Python's zipfile,
// natively), deflate only where it pays, the same bytes every time, and the
// end record a reader starts from.
#include "tool/zip_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/tool/tool_test_support.h"

namespace {

uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::vector<ZipEntry> SampleEntries() {
  std::vector<uint8_t> noise(5000);
  uint32_t state = 1;
  for (uint8_t& byte : noise) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  const std::string text(20000, 'a');
  return {{"imsmanifest.xml", std::vector<uint8_t>(text.begin(), text.end())},
          {"dossier/\xC3\xA9t\xC3\xA9.bin", noise},
          {"vide.txt", {}}};
}

TEST(ZipWriter, WritesTheSameEndRecordAndBytesEveryTime) {
  std::vector<uint8_t> zip;
  ASSERT_EQ(WriteZip(SampleEntries(), &zip), ZipError::None);
  std::vector<uint8_t> again;
  ASSERT_EQ(WriteZip(SampleEntries(), &again), ZipError::None);
  EXPECT_EQ(zip, again);
  ASSERT_GE(zip.size(), 22u);
  const size_t end = zip.size() - 22;
  EXPECT_EQ(Read32(zip, end), 0x06054b50u);
  EXPECT_EQ(zip[end + 10], 3);                                    // entries
  EXPECT_EQ(Read32(zip, end + 16) + Read32(zip, end + 12), end);  // directory offset + size
  EXPECT_EQ(Read32(zip, 0), 0x04034b50u);
  EXPECT_EQ(zip[8], 8);  // the text is deflated
  EXPECT_LT(zip.size(), 5000u + 1000u);
}

#ifdef TRIVO_SCORM_TEST_DATA
TEST(ZipWriter, PythonsZipfileReadsEveryEntryBack) {
  const std::filesystem::path folder = MakeTempFolder("zip");
  std::vector<uint8_t> zip;
  ASSERT_EQ(WriteZip(SampleEntries(), &zip), ZipError::None);
  WriteBinaryFile(folder / "a.zip", zip);
  const std::string script =
      "import zipfile,sys\n"
      "z=zipfile.ZipFile(sys.argv[1])\n"
      "assert z.testzip() is None\n"
      "i={e.filename:e for e in z.infolist()}\n"
      "assert list(i)==['imsmanifest.xml','dossier/\\u00e9t\\u00e9.bin','vide.txt'], list(i)\n"
      "assert z.read('imsmanifest.xml')==b'a'*20000\n"
      "assert i['dossier/\\u00e9t\\u00e9.bin'].compress_type==0 and i['imsmanifest.xml'].compress_type==8\n"
      "assert all(e.date_time==(1980,1,1,0,0,0) for e in i.values())\n"
      "assert len(z.read('dossier/\\u00e9t\\u00e9.bin'))==5000 and z.read('vide.txt')==b''\n";
  WriteTextFile(folder / "check.py", script);
  const std::string command =
      "python3 '" + (folder / "check.py").string() + "' '" + (folder / "a.zip").string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::filesystem::remove_all(folder);
}
#endif

}  // namespace
