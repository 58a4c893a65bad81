#include "play/verdict_rules.h"

void TrimSpaces(char*) {}
void UpperAscii(char*) {}
int EditDistance(const char*, const char*) {
  return 0;
}
bool SameLetters(const char*, const char*) {
  return false;
}
int FindContained(const char*, const char*) {
  return 0;
}
const char* ChooseVerdict(const char*, const char*) {
  return kVerdictWrong;
}
