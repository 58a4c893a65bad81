// Coding and decoding a quiz text of about 100 KB: 96 questions with long
// answers, question texts and comments, as the authoring tool would write it.
#include <benchmark/benchmark.h>

#include <string>

#include "content/block_decoder.h"
#include "content/quiz_grammar.h"

namespace {

std::string QuizOf100K() {
  QuizText quiz;
  quiz.mediaByte = 1;
  quiz.answersPerQuestion = 2;
  quiz.title = "Grand quiz";
  quiz.creator = "Auteur";
  quiz.explanation = "Une ligne d'explication";
  quiz.answerLabel1 = "Premier";
  quiz.answerLabel2 = "Second";
  quiz.revealMode = 3;
  uint32_t seed = 12345;
  auto words = [&seed](size_t length) {
    static const char* const kWords[] = {"le ",        "la ",    "capitale ", "fleuve ", "montagne ",
                                         "r\xE9gion ", "ville ", "pays ",     "nord ",   "sud ",
                                         "est ",       "ouest ", "grand "};
    std::string text;
    while (text.size() < length) {
      seed = seed * 1103515245u + 12345u;
      text += kWords[(seed >> 16) % 13];
      text += std::to_string((seed >> 8) % 100);
    }
    return text.substr(0, length);
  };
  for (int i = 0; i < 96; ++i) {
    QuestionText q;
    q.answer1 = words(200);
    q.answer2 = words(200);
    q.questionText = words(259);
    q.comment = words(259);
    q.secondComment = words(120);
    quiz.questions.push_back(q);
  }
  return FormatQuizText(quiz);
}

const std::string& Text() {
  static const std::string text = QuizOf100K();
  return text;
}

void BM_EncodeBlock(benchmark::State& state) {
  const std::string& text = Text();
  for (auto _ : state) {
    uint8_t* out = nullptr;
    uint32_t length = 0;
    int32_t status = EncodeBlock(reinterpret_cast<const uint8_t*>(text.data()),
                                 static_cast<uint32_t>(text.size()), &out, &length);
    benchmark::DoNotOptimize(status);
    FreeBlock(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_EncodeBlock);

void BM_DecodeBlock(benchmark::State& state) {
  const std::string& text = Text();
  uint8_t* coded = nullptr;
  uint32_t codedLength = 0;
  if (EncodeBlock(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()), &coded,
                  &codedLength) != BlockOk) {
    state.SkipWithError("the text does not code");
    FreeBlock(coded);
    return;
  }
  for (auto _ : state) {
    uint8_t* out = nullptr;
    uint32_t length = 0;
    int32_t status = DecodeBlock(coded, codedLength - 1, &out, &length);
    benchmark::DoNotOptimize(status);
    FreeBlock(out);
  }
  // Counted in decoded bytes, as the loader sees it.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  state.counters["coded_bytes"] = codedLength - 1;
  FreeBlock(coded);
}
BENCHMARK(BM_DecodeBlock);

}  // namespace
