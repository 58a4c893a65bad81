#include "web/core/web_pack.h"

#include <cstdio>

#include "content/quiz_pack.h"

bool ReadPackedQuiz(const std::vector<uint8_t>& bytes, PackedQuiz* quiz, std::string* error) {
  QuizPack pack;
  if (ReadQuizPack(bytes.data(), bytes.size(), &pack) != QuizPackError::None) {
    *error = "Le quiz de cette page est endommagé : enregistrez-la de nouveau depuis sa source.";
    return false;
  }
  PackedQuiz read;
  for (QuizPackEntry& entry : pack.entries) {
    const ResourceName type =
        entry.typeName.empty() ? ResourceName::Id(entry.typeId) : ResourceName::Text(entry.typeName);
    read.resources.push_back({type, ResourceName::Id(entry.id), 0, 0, std::move(entry.data)});
  }
  read.stored.assign(pack.stored.begin(), pack.stored.end());
  char hex[3];
  for (uint8_t byte : pack.exeSha256) {
    std::snprintf(hex, sizeof hex, "%02x", byte);
    read.hash += hex;
  }
  *quiz = std::move(read);
  return true;
}
