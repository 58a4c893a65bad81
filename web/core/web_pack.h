// The quiz of a one-file page: a quiz pack (content/quiz_pack.h) read into
// what the web core reads of a quiz executable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/pe_reader.h"

struct PackedQuiz {
  std::vector<ResourceEntry> resources;
  std::vector<uint8_t> stored;  // the stored block
  std::string hash;             // the SHA-256 of the executable it came from, in hex
};

// False with a message for the page when the pack is damaged.
bool ReadPackedQuiz(const std::vector<uint8_t>& bytes, PackedQuiz* quiz, std::string* error);
