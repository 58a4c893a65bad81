// Fuzzes the quiz source checker: any bytes as a TOML file give either a
// compiled quiz or at least one error with a line, never a crash. Media paths
// point into a folder that does not exist, so no file is read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tool/quiz_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CompiledQuiz quiz;
  std::vector<Diagnostic> diagnostics;
  const bool ok = CompileQuizSource("/nonexistent-trivo-fuzz/quiz.toml", text, &quiz, &diagnostics);
  bool anyError = false;
  for (const Diagnostic& diagnostic : diagnostics) {
    anyError = anyError || diagnostic.isError;
    if (diagnostic.line < 1) {
      __builtin_trap();
    }
  }
  if (ok == anyError) {
    __builtin_trap();  // a failure always comes with an error, success never
  }
  return 0;
}
