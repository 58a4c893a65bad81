// Fills the document at start-up from the stored block in the program's data
// and the "PATCH" resources 104 (quiz) and 105 (score codes).
#pragma once

#include <cstdint>

#include "content/quiz_document.h"

constexpr int kStoredBlockSize = 70;
// The stored block sits right behind this marker in the executable, so the
// authoring tool can find it and replace it in place.
// `inline` so that no unoptimised object file keeps a copy of its own: the
// player must hold these bytes once, in gStoredBlock.
inline constexpr char kStoredBlockMarker[] = "TRIVO:STORED-BLOCK:";
constexpr int kStoredBlockMarkerSize = sizeof(kStoredBlockMarker) - 1;

struct StoredBlockRecord {
  char marker[kStoredBlockMarkerSize];
  uint8_t block[kStoredBlockSize];
};

// The record as carried in the initialised data of the program.
extern volatile StoredBlockRecord gStoredBlock;

void LoadQuiz(QuizDocument& doc);
