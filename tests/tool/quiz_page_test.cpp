// The one-file page: the pack put into the template carries exactly the
// quiz's stored block and resources (not the player's own) and the
// executable's SHA-256; what is not a quiz, or a template without its quiz
// block, is refused with a message.
#include "tool/quiz_page.h"

#include <gtest/gtest.h>

#include "content/sha256.h"
#include "tests/tool/tool_test_support.h"
#include "tool/pe_image.h"
#include "tool/quiz_build.h"

namespace {

std::vector<uint8_t> QuizLikeImage() {
  PeImage image;
  EXPECT_EQ(ParsePeImage(MakeBareImage(), &image), PeError::None);
  std::vector<ResourceEntry> resources;
  PutResourceEntry(&resources, ResourceName::Text("PATCH"), ResourceName::Id(104), {1, 2, 3});
  PutResourceEntry(&resources, ResourceName::Text("IMG"), ResourceName::Id(401), MakeJpegHeader(30, 20));
  PutResourceEntry(&resources, ResourceName::Id(kResourceTypeRcData), ResourceName::Id(402), MakePng(4, 4));
  PutResourceEntry(&resources, ResourceName::Id(3), ResourceName::Id(1), {7, 7, 7});  // the player's icon
  EXPECT_EQ(WriteResources(&image, resources), PeError::None);
  return image.bytes;
}

std::vector<uint8_t> FromBase64(const std::string& text) {
  const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<uint8_t> out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=')
      break;
    bits = (bits << 6) | static_cast<uint32_t>(digits.find(c));
    if ((count += 6) >= 8)
      out.push_back(static_cast<uint8_t>(bits >> (count -= 8)));
  }
  return out;
}

TEST(QuizPage, CarriesTheQuizResourcesAndTheExecutablesDigest) {
  const std::vector<uint8_t> exe = QuizLikeImage();
  std::string page, error;
  ASSERT_TRUE(MakeQuizPage(exe, "<p>before</p><script>TRIVO-QUIZ-PACK</script>", &page, &error)) << error;
  const size_t from = page.find("<script>") + 8;
  const std::vector<uint8_t> bytes = FromBase64(page.substr(from, page.find("</script>") - from));
  QuizPack pack;
  ASSERT_EQ(ReadQuizPack(bytes.data(), bytes.size(), &pack), QuizPackError::None);
  std::string digest;
  for (uint8_t b : pack.exeSha256)
    digest += "0123456789abcdef"[b >> 4], digest += "0123456789abcdef"[b & 15];
  EXPECT_EQ(digest, Sha256Hex(exe.data(), exe.size()));
  size_t offset = 0;
  ASSERT_TRUE(FindStoredBlock(exe, &offset));
  EXPECT_TRUE(std::equal(pack.stored.begin(), pack.stored.end(), exe.begin() + offset));
  ASSERT_EQ(pack.entries.size(), 3u);  // in the resource tree's order, without the icon
  EXPECT_EQ(pack.entries[0].typeName + std::to_string(pack.entries[0].id), "IMG401");
  EXPECT_EQ(pack.entries[0].data, MakeJpegHeader(30, 20));
  EXPECT_EQ(pack.entries[1].typeName + std::to_string(pack.entries[1].id), "PATCH104");
  EXPECT_EQ(pack.entries[1].data, std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(pack.entries[2].typeId, kResourceTypeRcData);
  EXPECT_EQ(pack.entries[2].data, MakePng(4, 4));
}

TEST(QuizPage, RefusesWhatIsNotAQuizAndATemplateWithoutItsBlock) {
  std::string page, error;
  EXPECT_FALSE(MakeQuizPage(QuizLikeImage(), "<p>no block</p>", &page, &error));
  EXPECT_NE(error.find("no quiz block"), std::string::npos);
  EXPECT_FALSE(MakeQuizPage(QuizLikeImage(), "TRIVO-QUIZ-PACK TRIVO-QUIZ-PACK", &page, &error));
  EXPECT_FALSE(MakeQuizPage({'M', 'Z', 0}, "TRIVO-QUIZ-PACK", &page, &error));
  EXPECT_NE(error.find("not a quiz executable"), std::string::npos);
  std::vector<uint8_t> noMarker = MakeBareImage();
  noMarker[0x410] = 'X';
  EXPECT_FALSE(MakeQuizPage(noMarker, "TRIVO-QUIZ-PACK", &page, &error));
  EXPECT_TRUE(page.empty());
}

}  // namespace
