// Windows-1252, the single-byte code page every text of the player is held
// in, to and from UTF-8 (the code of quiz sources and of the terminal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Utf8To1252Result {
  bool ok = false;
  std::string bytes;          // the Windows-1252 text when ok
  uint32_t badCodePoint = 0;  // the first character Windows-1252 cannot hold
  bool badUtf8 = false;       // the input is not valid UTF-8
};

Utf8To1252Result Utf8To1252(const std::string& utf8);
// A typed answer as the player holds it: each character Windows-1252 cannot
// hold becomes one '?', as an ANSI edit field gives it; only text that is
// not UTF-8 fails.
Utf8To1252Result TypedTextTo1252(const std::string& utf8);
// Reads the code point at text[*pos] and moves past it; false on a
// malformed, overlong or surrogate sequence.
bool NextUtf8CodePoint(const std::string& text, size_t* pos, uint32_t* codePoint);
// Every byte has a meaning; the five unassigned ones come back as U+0081,
// U+008D, U+008F, U+0090 and U+009D.
std::string Cp1252ToUtf8(const std::string& bytes);
// "U+20AC" style name of a code point, with the character itself when it can
// be printed.
std::string DescribeCodePoint(uint32_t codePoint);
