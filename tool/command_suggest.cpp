// Levenshtein distance with adjacent transpositions counted as one edit
// ("biuld" is one edit from "build"), letters compared without case.
#include "tool/command_suggest.h"

#include <algorithm>
#include <cctype>

namespace {

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) {
    d[i][0] = i;
  }
  for (size_t j = 0; j <= b.size(); ++j) {
    d[0][j] = j;
  }
  auto same = [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  };
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t cost = same(a[i - 1], b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && same(a[i - 1], b[j - 2]) && same(a[i - 2], b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string ClosestCommand(const std::string& typed, const std::vector<std::string>& commands) {
  // Longer than any command name means no command was meant.
  if (typed.size() > 32) {
    return std::string();
  }
  std::string best;
  size_t bestDistance = 0;
  for (const std::string& command : commands) {
    const size_t distance = EditDistance(typed, command);
    if (best.empty() || distance < bestDistance) {
      best = command;
      bestDistance = distance;
    }
  }
  const size_t allowed = std::max<size_t>(1, best.size() / 3);
  return !best.empty() && bestDistance <= allowed ? best : std::string();
}
