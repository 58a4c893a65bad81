// The verdict rules, in the order ChooseVerdict applies them. Examples are
// expected answer / typed text:
//
// - Case (a-z only) and spaces around the typed text do not count:
//   "Roi" / " roi " is right; "Ecole" / "ecole" is right, but an accented
//   capital and its small letter stay different bytes: "\xC9cole" /
//   "\xE9cole" is one edit away.
// - Expected answers of 3 bytes or fewer get no hints: "Roi" / "rois" is
//   wrong, not one edit away.
// - Nothing typed (or only spaces): "?".
// - Same bytes in another order: "Paris" / "Prais" is an anagram (it comes
//   before the distance hints); "Paris" / "Parsi" too, "Paris" / "Pxris" not.
// - One edit: "Paris" / "Pari"; two edits: "Paris" / "Pxrxs";
//   "Paris" / "Parks" is one edit, "Paris" / "Porks" two.
// - Three edits or more, then containment: "Paris" / "xPariSxy" is too long;
//   a piece of an answer longer than 9 bytes is too short above 70 % of its
//   length ("Napoleon Bona" of "Napoleon Bonaparte") and not far above 50 %
//   ("Napoleon Bo"); a piece of a short answer ("ABCDEF" of "ABCDEFGHI") is
//   wrong.
// - Otherwise "some idea" when more than 80 % alike, 5 x distance < longer
//   length: 3 edits in 16 bytes yes, 3 edits in 15 bytes no.
//
// Lengths and ratios are compared in integers, so "exactly 70 %" and
// "exactly 80 %" fall on the side the rules say with no rounding.
#include "play/verdict_rules.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kWorkCapacity = 260;  // 259 bytes and the terminator
constexpr size_t kShortAnswer = 3;     // no hints at or below this length
constexpr size_t kLongAnswer = 9;      // pieces of longer answers get hints

// A working copy cut to the buffer capacity of the texts compared.
struct WorkText {
  char bytes[kWorkCapacity];
  explicit WorkText(const char* text) {
    size_t n = text != nullptr ? strnlen(text, kWorkCapacity - 1) : 0;
    if (n > 0) {
      std::memcpy(bytes, text, n);
    }
    bytes[n] = '\0';
  }
};

}  // namespace

void TrimSpaces(char* text) {
  size_t length = std::strlen(text);
  while (length > 0 && text[length - 1] == ' ') {
    --length;
  }
  size_t start = 0;
  while (start < length && text[start] == ' ') {
    ++start;
  }
  std::memmove(text, text + start, length - start);
  text[length - start] = '\0';
}

void UpperAscii(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') {
      *text = static_cast<char>(*text - 32);
    }
  }
}

int EditDistance(const char* a, const char* b) {
  size_t la = std::strlen(a);
  size_t lb = std::strlen(b);
  // Two rows of the (la + 1) x (lb + 1) table are enough for its last cell.
  int stackRows[2][kWorkCapacity];
  std::vector<int> heapRows;
  int* previous = stackRows[0];
  int* current = stackRows[1];
  if (lb + 1 > kWorkCapacity) {
    heapRows.resize(2 * (lb + 1));
    previous = heapRows.data();
    current = heapRows.data() + lb + 1;
  }
  for (size_t j = 0; j <= lb; ++j) {
    previous[j] = static_cast<int>(j);
  }
  for (size_t i = 1; i <= la; ++i) {
    current[0] = static_cast<int>(i);
    for (size_t j = 1; j <= lb; ++j) {
      int substitute = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
    }
    std::swap(previous, current);
  }
  return previous[lb];
}

bool SameLetters(const char* a, const char* b) {
  // Counting each byte value is the same test as comparing sorted copies.
  int counts[256] = {};
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(a); *p != 0; ++p) {
    ++counts[*p];
  }
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(b); *p != 0; ++p) {
    --counts[*p];
  }
  return std::all_of(std::begin(counts), std::end(counts), [](int c) { return c == 0; });
}

int FindContained(const char* expected, const char* typed) {
  size_t le = std::strlen(expected);
  size_t lt = std::strlen(typed);
  // The shorter text is looked for in the longer; on a tie the expected
  // answer is looked for in the typed text.
  bool exchanged = lt < le;
  const char* shorter = exchanged ? typed : expected;
  const char* longer = exchanged ? expected : typed;
  size_t ls = exchanged ? lt : le;
  size_t ll = exchanged ? le : lt;
  const char* found = std::search(longer, longer + ll, shorter, shorter + ls);
  if (found == longer + ll && ls > 0) {
    return 0;
  }
  return exchanged ? -2 : 2;
}

const char* ChooseVerdict(const char* expected, const char* typed) {
  WorkText e(expected);
  WorkText t(typed);
  TrimSpaces(t.bytes);
  UpperAscii(t.bytes);
  UpperAscii(e.bytes);
  size_t le = std::strlen(e.bytes);
  size_t lt = std::strlen(t.bytes);

  if (lt == 0) {
    return kVerdictEmpty;
  }
  if (le <= kShortAnswer) {
    return std::strcmp(e.bytes, t.bytes) == 0 ? kVerdictRight : kVerdictWrong;
  }
  // Equal texts are distance 0; the table is only built when they differ.
  int d = std::strcmp(e.bytes, t.bytes) == 0 ? 0 : EditDistance(e.bytes, t.bytes);
  if (d == 0) {
    return kVerdictRight;
  }
  if (SameLetters(e.bytes, t.bytes)) {
    return kVerdictAnagram;
  }
  if (d == 1) {
    return kVerdictOneEdit;
  }
  if (d == 2) {
    return kVerdictTwoEdits;
  }
  int contained = FindContained(e.bytes, t.bytes);
  if (contained > 0) {
    return kVerdictTooLong;
  }
  if (contained < 0) {
    if (le <= kLongAnswer) {
      return kVerdictWrong;
    }
    // p = 100 x lt / le, compared as 100 x lt against 70 x le and 50 x le.
    if (100 * lt > 70 * le) {
      return kVerdictTooShort;
    }
    if (100 * lt > 50 * le) {
      return kVerdictNotFar;
    }
    return kVerdictWrong;
  }
  // s = 100 x (m - d) / m > 80, that is 5 x d < m.
  size_t m = std::max(le, lt);
  return 5 * static_cast<size_t>(d) < m ? kVerdictSomeIdea : kVerdictWrong;
}
