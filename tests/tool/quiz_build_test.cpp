// Building and unpacking quiz executables: the resources carry exactly the
// grammar bytes of the source, media land under the right ids and types,
// and build -> unpack -> build gives the same resources again.
#include "tool/quiz_build.h"

#include <gtest/gtest.h>

#include "content/quiz_loader.h"
#include "tests/tool/tool_test_support.h"
#include "tool/pe_image.h"

namespace {

const ResourceName kPatch = ResourceName::Text("PATCH");
const ResourceName kImg = ResourceName::Text("IMG");
const ResourceName kRcData = ResourceName::Id(kResourceTypeRcData);

std::string Decoded(const std::vector<uint8_t>& coded) {
  std::string plain;
  EXPECT_TRUE(DecodeText(coded.data(), coded.size(), &plain));
  return plain;
}

std::vector<ResourceEntry> ResourcesOf(const std::vector<uint8_t>& exe) {
  PeImage image;
  std::vector<ResourceEntry> resources;
  EXPECT_EQ(ParsePeImage(exe, &image), PeError::None);
  EXPECT_EQ(ReadResources(image, &resources), PeError::None);
  return resources;
}

class QuizBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder("build");
    jpeg_ = MakeJpegHeader(100, 80);
    png_ = MakePng(4, 3);
    WriteBinaryFile(folder_ / "q1.jpg", jpeg_);
    WriteBinaryFile(folder_ / "a1.jpg", jpeg_);
    WriteBinaryFile(folder_ / "q2.png", png_);
    WriteBinaryFile(folder_ / "a2.png", png_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  CompiledQuiz Compile(const std::string& text, const std::filesystem::path& folder) {
    CompiledQuiz quiz;
    std::vector<Diagnostic> diagnostics;
    const bool ok = CompileQuizSource((folder / "quiz.toml").string(), text, &quiz, &diagnostics);
    std::string all;
    for (const Diagnostic& d : diagnostics) {
      all += FormatDiagnostic(d) + "\n";
    }
    EXPECT_TRUE(ok) << all;
    return quiz;
  }

  std::vector<uint8_t> Build(const CompiledQuiz& quiz) {
    std::vector<uint8_t> exe;
    std::string message;
    EXPECT_TRUE(BuildQuizExecutable(MakeBareImage(), quiz, &exe, &message)) << message;
    return exe;
  }

  std::filesystem::path folder_;
  std::vector<uint8_t> jpeg_;
  std::vector<uint8_t> png_;
};

const char kPictureQuiz[] =
    "title = \"Drapeaux\"\n"
    "creator = \"Moi\"\n"
    "explanation = \"Nommez\"\n"
    "answer_label1 = \"Pays\"\n"
    "answer_label2 = \"Ville\"\n"
    "kind = \"picture\"\n"
    "answers_per_question = 2\n"
    "reveal = \"comment-and-picture\"\n"
    "background = \"#102030\"\n"
    "link = \"https://a.example/\"\n"
    "footer = \"Pied\"\n"
    "codes = [\"UN\", \"DEUX\"]\n"
    "[[question]]\n"
    "text = \"Un\"\nanswer = \"France\"\nanswer2 = \"Paris\"\ncomment = \"Bleu\"\n"
    "picture = \"q1.jpg\"\nanswer_picture = \"a1.jpg\"\n"
    "[[question]]\n"
    "text = \"Deux\"\nanswer = \"Italie\"\nanswer2 = \"Rome\"\ncomment = \"\xC3\x89t\xC3\xA9\"\n"
    "picture = \"q2.png\"\nanswer_picture = \"a2.png\"\n";

TEST_F(QuizBuildTest, ResourcesHoldTheExactGrammarBytes) {
  const std::vector<uint8_t> exe = Build(Compile(kPictureQuiz, folder_));
  const std::vector<ResourceEntry> resources = ResourcesOf(exe);

  const ResourceEntry* quiz = FindResourceEntry(resources, kPatch, ResourceName::Id(104));
  ASSERT_NE(quiz, nullptr);
  const std::string expectedQuiz = std::string("\x01\x02\x02\x02", 4) +
                                   "Drapeaux|Moi|Nommez|Pays|Ville|"
                                   "France|Paris|Un|Italie|Rome|Deux|" +
                                   std::string("\x03", 1) + "Bleu||\xC9t\xE9||" +
                                   std::string("\x10\x20\x30", 3);
  EXPECT_EQ(Decoded(quiz->data), expectedQuiz);

  const ResourceEntry* codes = FindResourceEntry(resources, kPatch, ResourceName::Id(105));
  ASSERT_NE(codes, nullptr);
  EXPECT_EQ(Decoded(codes->data), "UN\r\nDEUX\r\n");

  size_t stored = 0;
  ASSERT_TRUE(FindStoredBlock(exe, &stored));
  const std::vector<uint8_t> block(exe.begin() + stored, exe.begin() + stored + kStoredBlockSize);
  EXPECT_EQ(Decoded(block), std::string("\0\0https://a.example/|Pied|", 26));

  // JPEG under "IMG", answer JPEG with its nibbles exchanged, PNG as raw data.
  const ResourceEntry* q1 = FindResourceEntry(resources, kImg, ResourceName::Id(401));
  ASSERT_NE(q1, nullptr);
  EXPECT_EQ(q1->data, jpeg_);
  const ResourceEntry* a1 = FindResourceEntry(resources, kImg, ResourceName::Id(10401));
  ASSERT_NE(a1, nullptr);
  ASSERT_EQ(a1->data.size(), jpeg_.size());
  EXPECT_EQ(a1->data[0], 0xFF);
  EXPECT_EQ(a1->data[1], 0x8D);  // 0xD8 exchanged
  EXPECT_EQ(FindResourceEntry(resources, kImg, ResourceName::Id(402)), nullptr);
  const ResourceEntry* q2 = FindResourceEntry(resources, kRcData, ResourceName::Id(402));
  const ResourceEntry* a2 = FindResourceEntry(resources, kRcData, ResourceName::Id(10402));
  ASSERT_NE(q2, nullptr);
  ASSERT_NE(a2, nullptr);
  EXPECT_EQ(q2->data, png_);
  EXPECT_EQ(a2->data, png_);
}

TEST_F(QuizBuildTest, UnpackThenBuildGivesTheSameResources) {
  const std::vector<uint8_t> first = Build(Compile(kPictureQuiz, folder_));
  UnpackedQuiz unpacked;
  std::string message;
  ASSERT_TRUE(UnpackQuizExecutable(first, &unpacked, &message)) << message;
  ASSERT_EQ(unpacked.media.size(), 4u);

  const std::filesystem::path out = MakeTempFolder("unpacked");
  for (const UnpackedMedia& media : unpacked.media) {
    WriteBinaryFile(out / MediaFileName(media), media.bytes);
  }
  const std::string source = FormatQuizSource(unpacked);
  const std::vector<uint8_t> second = Build(Compile(source, out));
  std::filesystem::remove_all(out);

  const std::vector<ResourceEntry> a = ResourcesOf(first);
  const std::vector<ResourceEntry> b = ResourcesOf(second);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_TRUE(a[i].type == b[i].type && a[i].name == b[i].name);
    EXPECT_EQ(a[i].data, b[i].data) << "resource " << i;
  }
  EXPECT_EQ(first, second);
}

TEST_F(QuizBuildTest, RoundTripsQuotesAndAccentsOfATextQuiz) {
  const char source[] =
      "title = \"L'\xC3\xA9t\xC3\xA9 \\\"chaud\\\" \\\\ 5 \xE2\x82\xAC\"\n"
      "kind = \"text\"\nreveal = \"all-comments\"\n"
      "[[question]]\ntext = \"Quoi ?\"\nanswer = \"C\xC5\x93ur\"\ncomment = \"\"\n";
  const std::vector<uint8_t> first = Build(Compile(source, folder_));
  UnpackedQuiz unpacked;
  std::string message;
  ASSERT_TRUE(UnpackQuizExecutable(first, &unpacked, &message)) << message;
  EXPECT_EQ(unpacked.quiz.quiz.title, "L'\xE9t\xE9 \"chaud\" \\ 5 \x80");
  EXPECT_EQ(Build(Compile(FormatQuizSource(unpacked), folder_)), first);
}

TEST_F(QuizBuildTest, ClipsKeepTheirBytesAndComeBackWithTheirExtension) {
  const std::vector<uint8_t> mp3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 1, 0xAA};
  const std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  WriteBinaryFile(folder_ / "un.mp3", mp3);
  WriteBinaryFile(folder_ / "deux.wav", wav);
  const char source[] =
      "title = \"Sons\"\nkind = \"audio\"\nreveal = \"comment\"\n"
      "[[question]]\nanswer = \"Piano\"\nclip = \"un.mp3\"\ncomment = \"Do\"\n"
      "[[question]]\nanswer = \"Violon\"\nclip = \"deux.wav\"\ncomment = \"R\xC3\xA9\"\n";
  const std::vector<uint8_t> first = Build(Compile(source, folder_));
  const std::vector<ResourceEntry> resources = ResourcesOf(first);
  const ResourceEntry* one = FindResourceEntry(resources, kImg, ResourceName::Id(401));
  const ResourceEntry* two = FindResourceEntry(resources, kImg, ResourceName::Id(402));
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(one->data, mp3);
  EXPECT_EQ(two->data, wav);

  UnpackedQuiz unpacked;
  std::string message;
  ASSERT_TRUE(UnpackQuizExecutable(first, &unpacked, &message)) << message;
  ASSERT_EQ(unpacked.media.size(), 2u);
  EXPECT_EQ(MediaFileName(unpacked.media[0]), "question01.mp3");
  EXPECT_EQ(MediaFileName(unpacked.media[1]), "question02.wav");
  const std::filesystem::path out = MakeTempFolder("clips");
  for (const UnpackedMedia& media : unpacked.media) {
    WriteBinaryFile(out / MediaFileName(media), media.bytes);
  }
  EXPECT_EQ(Build(Compile(FormatQuizSource(unpacked), out)), first);
  std::filesystem::remove_all(out);
}

TEST_F(QuizBuildTest, RefusesTemplatesAndExecutablesThatAreNotPlayers) {
  CompiledQuiz quiz = Compile(kPictureQuiz, folder_);
  std::vector<uint8_t> exe;
  std::string message;
  std::vector<uint8_t> noMarker = MakeBareImage();
  noMarker[0x410] = 'X';
  EXPECT_FALSE(BuildQuizExecutable(noMarker, quiz, &exe, &message));
  EXPECT_NE(message.find("stored block"), std::string::npos);
  EXPECT_FALSE(BuildQuizExecutable(std::vector<uint8_t>(64, 0), quiz, &exe, &message));
  EXPECT_NE(message.find("not a Windows executable"), std::string::npos);

  UnpackedQuiz unpacked;
  EXPECT_FALSE(UnpackQuizExecutable(MakeBareImage(), &unpacked, &message));  // stored block only
  EXPECT_NE(message.find("stored block"), std::string::npos);
}

TEST_F(QuizBuildTest, ATemplateThatCarriesAQuizLosesIt) {
  const std::vector<uint8_t> pictures = Build(Compile(kPictureQuiz, folder_));
  CompiledQuiz text = Compile("title = \"T\"\nkind = \"text\"\n[[question]]\nanswer = \"Seine\"\n", folder_);
  std::vector<uint8_t> exe;
  std::string message;
  ASSERT_TRUE(BuildQuizExecutable(pictures, text, &exe, &message)) << message;
  const std::vector<ResourceEntry> resources = ResourcesOf(exe);
  ASSERT_EQ(resources.size(), 2u);  // the two "PATCH" blocks only
  EXPECT_EQ(resources[0].type, kPatch);
  EXPECT_EQ(resources[1].type, kPatch);
  UnpackedQuiz unpacked;
  ASSERT_TRUE(UnpackQuizExecutable(exe, &unpacked, &message)) << message;
  EXPECT_EQ(unpacked.quiz.quiz.title, "T");
  EXPECT_TRUE(unpacked.media.empty());
}

TEST_F(QuizBuildTest, UnpackSurvivesDamagedExecutables) {
  const std::vector<uint8_t> good = Build(Compile(kPictureQuiz, folder_));
  for (size_t i = 0; i < good.size(); i += 3) {
    std::vector<uint8_t> broken = good;
    broken[i] ^= 0x5A;
    UnpackedQuiz unpacked;
    std::string message;
    UnpackQuizExecutable(broken, &unpacked, &message);
  }
}

}  // namespace
