// Build-time generator of the coded quiz resources that the loader tests
// carry. Runs on the build machine; writes .bin files into the folder given.
//
// The quizzes here and the expectations in loader_win_test.cpp describe the
// same content; change both together.
#include <cstdio>
#include <string>
#include <vector>

#include "content/block_decoder.h"
#include "content/quiz_grammar.h"

namespace {

QuizText MakeQuiz(uint8_t answers, uint8_t mode) {
  QuizText quiz;
  quiz.mediaByte = 3;  // audio
  quiz.answersPerQuestion = answers;
  quiz.title = "Capitales d'Europe";
  quiz.creator =
      "Ann\xE9"
      "e";
  quiz.explanation = "Trouvez la capitale";
  quiz.answerLabel1 = "Ville";
  quiz.answerLabel2 = "Fleuve";
  const char* cities[] = {"Paris", "Rome", "Berlin"};
  const char* rivers[] = {"Seine", "Tibre", "Spree"};
  const char* countries[] = {"France ?", "Italie ?", ""};
  for (int i = 0; i < 3; ++i) {
    QuestionText q;
    q.answer1 = cities[i];
    q.answer2 = answers == 2 ? rivers[i] : "";
    q.questionText = countries[i];
    if (mode == 2 || mode == 3 || mode == 4) {
      q.comment = std::string("Commentaire ") + cities[i];
    }
    if (mode == 3) {
      q.secondComment = "ignored";
    }
    quiz.questions.push_back(q);
  }
  quiz.revealMode = mode;
  quiz.red = 0x10;
  quiz.green = 0x20;
  quiz.blue = 0x30;
  return quiz;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool Encode(const std::string& text, std::vector<uint8_t>* coded) {
  uint8_t* out = nullptr;
  uint32_t length = 0;
  int32_t status = EncodeBlock(reinterpret_cast<const uint8_t*>(text.data()),
                               static_cast<uint32_t>(text.size()), &out, &length);
  if (status == BlockOk) {
    coded->assign(out, out + (length - 1));
  }
  FreeBlock(out);
  return status == BlockOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_quizzes OUTPUT_FOLDER\n");
    return 2;
  }
  std::string folder = std::string(argv[1]) + "/";
  std::string full = FormatQuizText(MakeQuiz(2, 3));
  struct Output {
    const char* name;
    std::string text;
  };
  const Output texts[] = {
      {"quiz_mode3.bin", full},
      {"quiz_mode2.bin", FormatQuizText(MakeQuiz(1, 2))},
      {"quiz_mode4.bin", FormatQuizText(MakeQuiz(1, 4))},
      {"codes3.bin", FormatScoreCodes({"UN", "DEUX", "TROIS"})},
      {"codes_short.bin", FormatScoreCodes({"UN", "DEUX"})},
      // A well-coded quiz text that stops before its colour bytes.
      {"quiz_truncated.bin", full.substr(0, full.size() - 2)},
  };
  for (const Output& output : texts) {
    std::vector<uint8_t> coded;
    if (!Encode(output.text, &coded) || !WriteFile(folder + output.name, coded)) {
      std::fprintf(stderr, "make_test_quizzes: cannot write %s\n", output.name);
      return 1;
    }
  }
  // Bytes that are no coded block: the 9-bit codes 'a' and 255, then 511,
  // far above the next free code.
  const std::vector<uint8_t> broken = {0x30, 0xBF, 0xFF, 0xFF, 0xFF};
  if (!WriteFile(folder + "quiz_broken.bin", broken) || !WriteFile(folder + "empty.bin", {})) {
    std::fprintf(stderr, "make_test_quizzes: cannot write the broken blocks\n");
    return 1;
  }
  return 0;
}
