// What is done to a quiz source before the TOML library reads it: an ASCII
// copy of the document, and the refusal of nesting deep enough to run the
// library out of stack. Both walk the document with the same scanner, so
// they agree on where texts and comments start and end.
#pragma once

#include <string>

// A quiz source nests two levels ([[question]] and its keys); the library
// follows nested tables by recursion, so anything deeper than this is
// refused before it sees the document.
constexpr int kMaxTomlDepth = 32;

// Writes `text` (valid UTF-8) in ASCII only: characters beyond ASCII in
// texts become \u escapes, single-quoted texts become double-quoted ones and
// comments lose theirs; lines stay where they were. Returns the line of a
// character beyond ASCII TOML would not allow (outside texts and comments,
// or right after a backslash), or 0.
int MakeAsciiToml(const std::string& text, std::string* out);

// The line of the first key, table or value nested deeper than
// kMaxTomlDepth, or 0. Depth counts the parts of the table header, of each
// dotted key and every inline table and array around a value.
int DeepestNestingLine(const std::string& text);
