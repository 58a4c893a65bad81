#include "content/block_decoder.h"

#include <cstdlib>

int32_t DecodeBlock(const uint8_t*, uint32_t, uint8_t** output, uint32_t* outputLength) {
  *output = nullptr;
  *outputLength = 0;
  return BlockNoInput;
}

int32_t EncodeBlock(const uint8_t*, uint32_t, uint8_t** output, uint32_t* outputLength) {
  *output = nullptr;
  *outputLength = 0;
  return BlockNoInput;
}

void FreeBlock(uint8_t* block) {
  std::free(block);
}

const char* ToString(BlockStatus) {
  return "";
}
