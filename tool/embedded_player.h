// The player template that trivo carries inside itself, so the tool is one
// file that builds quizzes with nothing beside it.
#pragma once

#include <cstddef>
#include <cstdint>

struct EmbeddedPlayer {
  const uint8_t* data = nullptr;
  size_t size = 0;  // 0 when this trivo was built without a template
};

EmbeddedPlayer EmbeddedPlayerTemplate();
