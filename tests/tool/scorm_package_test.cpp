// SCORM packages: the manifest of each version against the published
// schemas (xmllint, natively), the pass mark where each version's platforms
// read it, the title as XML, and the package `trivo build --scorm` writes.
#include "tool/scorm_package.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/tool/tool_test_support.h"

namespace {

// A title with every character XML reserves and a Windows-1252 accent.
const ScormQuiz kQuiz = {"Caf\xE9 <&> \"Qui\" 'est-ce'\x01", 96, 80};

TEST(ScormPackage, WritesThePassMarkWhereEachVersionReadsIt) {
  EXPECT_EQ(PassQuestions({"", 96, 80}), 77);  // 76.8 questions: 77 reach 80 %
  EXPECT_EQ(PassQuestions({"", 10, 80}), 8);
  EXPECT_EQ(PassQuestions({"", 7, 0}), 0);
  EXPECT_EQ(PassQuestions({"", 7, 100}), 7);
  const std::string v12 = ScormManifest(ScormVersion::Scorm12, kQuiz);
  EXPECT_NE(v12.find("<adlcp:masteryscore>77</adlcp:masteryscore>"), std::string::npos);
  EXPECT_NE(v12.find("<title>Caf\xC3\xA9 &lt;&amp;&gt; \"Qui\" 'est-ce' </title>"), std::string::npos);
  EXPECT_NE(v12.find("adlcp:scormtype=\"sco\" href=\"quiz.html\""), std::string::npos);
  const std::string v2004 = ScormManifest(ScormVersion::Scorm2004, {"Quiz", 3, 5});
  EXPECT_NE(v2004.find("<imsss:minNormalizedMeasure>0.05</imsss:minNormalizedMeasure>"), std::string::npos);
  EXPECT_NE(ScormManifest(ScormVersion::Scorm2004, {"", 3, 100}).find(">1.00<"), std::string::npos);
  EXPECT_NE(v2004.find("satisfiedByMeasure=\"true\""), std::string::npos);
  EXPECT_NE(v2004.find("adlcp:scormType=\"sco\""), std::string::npos);

  EXPECT_EQ(PageForPackage("<html><head><title>x</title>", ScormVersion::Scorm12, 65),
            "<html><head>\n<meta name=\"trivo-scorm\" content=\"1.2\">\n"
            "<meta name=\"trivo-pass-score\" content=\"65\"><title>x</title>");
  ScormVersion version;
  EXPECT_TRUE(ParseScormVersion("2004", &version) && version == ScormVersion::Scorm2004);
  EXPECT_FALSE(ParseScormVersion("2004 4th", &version));
}

#ifdef TRIVO_SCORM_TEST_DATA
int Shell(const std::string& command) {
  return std::system(command.c_str());
}

// xmllint validates against one schema file; this one imports each
// namespace the manifest uses from the schemas kept in tests/data/scorm.
void CheckWithSchemas(const std::filesystem::path& folder, const std::string& manifest, const char* version,
                      const std::vector<std::pair<std::string, std::string>>& imports) {
  const std::string schemas = std::string(TRIVO_SCORM_TEST_DATA) + "/" + version + "/";
  std::string driver =
      "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:trivo:all\">\n";
  for (const auto& [ns, file] : imports) {
    driver += "<xs:import namespace=\"" + ns + "\" schemaLocation=\"" + schemas + file + "\"/>\n";
  }
  WriteTextFile(folder / "all.xsd", driver + "</xs:schema>\n");
  WriteTextFile(folder / "imsmanifest.xml", manifest);
  EXPECT_EQ(Shell("xmllint --noout --nonet --schema '" + (folder / "all.xsd").string() + "' '" +
                  (folder / "imsmanifest.xml").string() + "'"),
            0)
      << version << ":\n"
      << manifest;
}

TEST(ScormPackage, ManifestsPassTheirVersionsSchemas) {
  const std::filesystem::path folder = MakeTempFolder("scorm-schemas");
  CheckWithSchemas(folder, ScormManifest(ScormVersion::Scorm12, kQuiz), "1.2",
                   {{"http://www.imsproject.org/xsd/imscp_rootv1p1p2", "imscp_rootv1p1p2.xsd"},
                    {"http://www.adlnet.org/xsd/adlcp_rootv1p2", "adlcp_rootv1p2.xsd"}});
  CheckWithSchemas(folder, ScormManifest(ScormVersion::Scorm2004, kQuiz), "2004",
                   {{"http://www.imsglobal.org/xsd/imscp_v1p1", "imscp_v1p1.xsd"},
                    {"http://www.adlnet.org/xsd/adlcp_v1p3", "adlcp_v1p3.xsd"},
                    {"http://www.imsglobal.org/xsd/imsss", "imsss_v1p0.xsd"}});
  std::filesystem::remove_all(folder);
}

TEST(ScormPackage, TrivoBuildAndScormWriteThePackage) {
  const std::filesystem::path folder = MakeTempFolder("scorm-cli");
  WriteBinaryFile(folder / "player.exe", MakeBareImage());
  WriteTextFile(folder / "page.html", "<!DOCTYPE html><html><head><title>p</title></head></html>");
  WriteTextFile(
      folder / "q.toml",
      "title = \"Villes\"\nkind = \"text\"\npass_score = 50\n"
      "[[question]]\ntext = \"1\"\nanswer = \"Paris\"\n[[question]]\ntext = \"2\"\nanswer = \"Lyon\"\n"
      "[[question]]\ntext = \"3\"\nanswer = \"Nice\"\n");
  const std::string at = "'" + folder.string() + "/";
  const std::string trivo = std::string("'") + TRIVO_TOOL_FILE + "' ";
  ASSERT_EQ(Shell(trivo + "build " + at + "q.toml' --player " + at + "player.exe' --scorm 2004 --page " + at +
                  "page.html' -o " + at + "q.zip' >/dev/null"),
            0);
  ASSERT_EQ(
      Shell(trivo + "build " + at + "q.toml' --player " + at + "player.exe' -o " + at + "q.exe' >/dev/null"),
      0);
  ASSERT_EQ(Shell(trivo + "scorm 1.2 " + at + "q.exe' --pass-score 100 --page " + at + "page.html' -o " + at +
                  "e.zip' >/dev/null"),
            0);
  EXPECT_NE(
      Shell(trivo + "scorm 1.3 " + at + "q.exe' --page " + at + "page.html' -o " + at + "f.zip' 2>/dev/null"),
      0);
  EXPECT_NE(Shell(trivo + "scorm 1.2 " + at + "q.exe' --pass-score 101 -o " + at + "f.zip' 2>/dev/null"), 0);
  const std::string script =
      "import zipfile,sys\n"
      "def read(name):\n"
      "  z=zipfile.ZipFile(sys.argv[1]+name)\n"
      "  assert z.namelist()==['imsmanifest.xml','quiz.html'], z.namelist()\n"
      "  return z.read('imsmanifest.xml').decode(), z.read('quiz.html').decode()\n"
      "m,p=read('q.zip')\n"
      "assert '>0.50</imsss:minNormalizedMeasure>' in m and '<title>Villes</title>' in m, m\n"
      "assert '<meta name=\"trivo-pass-score\" content=\"50\">' in p, p\n"
      "m,p=read('e.zip')\n"
      "assert '<adlcp:masteryscore>3</adlcp:masteryscore>' in m and 'content=\"100\"' in p, m\n";
  WriteTextFile(folder / "check.py", script);
  EXPECT_EQ(Shell("python3 " + at + "check.py' " + at + "'"), 0);
  std::filesystem::remove_all(folder);
}
#endif

}  // namespace
