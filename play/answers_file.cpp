#include "play/answers_file.h"

std::string AnswersFileName(const char* exeFileName) {
  return exeFileName ? exeFileName : "";
}
void ReadSavedAnswer(SavedAnswerReader&, char* out) {
  out[0] = '\0';
}
std::string FormatAnswersFile(const std::vector<std::string>&) {
  return std::string();
}
