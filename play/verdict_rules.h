// The verdict rules: which word the player shows for an expected answer and
// a typed text. Pure text functions on zero-terminated Windows-1252 buffers
// of at most 259 characters.
#pragma once

// The verdict words, exactly as shown (Windows-1252).
constexpr char kVerdictRight[] = "BRAVO";
constexpr char kVerdictWrong[] = "FAUX";
constexpr char kVerdictEmpty[] = "?";
constexpr char kVerdictAnagram[] = "Anagramme";
constexpr char kVerdictOneEdit[] = "Quasiment";
constexpr char kVerdictTwoEdits[] = "Presque";
constexpr char kVerdictTooLong[] = "Trop long";
constexpr char kVerdictTooShort[] = "Trop court";
constexpr char kVerdictNotFar[] = "pas loin";
constexpr char kVerdictSomeIdea[] =
    "y a de l'id\xE9"
    "e";

// Removes spaces (byte 32 only) at both ends, in place.
void TrimSpaces(char* text);
// Upper-cases the bytes a-z only, in place.
void UpperAscii(char* text);
// Levenshtein distance between two byte strings.
int EditDistance(const char* a, const char* b);
// True when both texts hold the same bytes the same number of times.
bool SameLetters(const char* a, const char* b);
// +2 when the expected answer lies inside a longer (or equally long) typed
// text, -2 when a shorter typed text lies inside the expected answer, else 0.
int FindContained(const char* expected, const char* typed);
// One of the ten verdict words above (a pointer to its constant).
const char* ChooseVerdict(const char* expected, const char* typed);
