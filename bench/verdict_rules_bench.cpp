// ChooseVerdict on texts of the full 259 characters, where the two edit
// distances (texts and sorted copies) cost the most.
#include <benchmark/benchmark.h>

#include <string>

#include "play/verdict_rules.h"

namespace {

std::string Letters(size_t length, uint32_t seed) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    seed = seed * 1103515245u + 12345u;
    text += static_cast<char>('a' + (seed >> 16) % 26);
  }
  return text;
}

void RunVerdicts(benchmark::State& state, const std::string& expected, const std::string& typed) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChooseVerdict(expected.c_str(), typed.c_str()));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Unrelated texts: every test runs, down to the likeness ratio.
void BM_ChooseVerdictUnrelated(benchmark::State& state) {
  RunVerdicts(state, Letters(259, 1), Letters(259, 2));
}
BENCHMARK(BM_ChooseVerdictUnrelated);

// Right answer typed in lower case with spaces around it.
void BM_ChooseVerdictRight(benchmark::State& state) {
  std::string expected = Letters(259, 3);
  std::string typed = expected;
  for (char& c : expected) {
    c = static_cast<char>(c - 32);
  }
  RunVerdicts(state, expected, typed);
}
BENCHMARK(BM_ChooseVerdictRight);

// An anagram: two letters exchanged.
void BM_ChooseVerdictAnagram(benchmark::State& state) {
  std::string expected = Letters(259, 4);
  std::string typed = expected;
  std::swap(typed[10], typed[200]);
  RunVerdicts(state, expected, typed);
}
BENCHMARK(BM_ChooseVerdictAnagram);

}  // namespace
