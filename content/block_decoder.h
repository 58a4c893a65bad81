// The block coder: the LZW dictionary code in which the quiz texts are
// stored in the executable. Codes are read most significant bit first, start
// at 9 bits, and three control codes end the data (256), widen the code by
// one bit (257) and reset the dictionary (258). Buffers grow with the data;
// a decoded text (or one generation of dictionary strings) beyond 64 MiB is
// refused with BlockOutOfMemory.
#pragma once

#include <cstdint>

enum BlockStatus : int32_t {
  BlockOk = 0,
  BlockOutOfMemory = -4,     // context, output buffer or a dictionary entry
  BlockNoInput = -5,         // empty input, or it ends within the first code
  BlockUnwritableCode = -6,  // encoder only: a code width beyond 32 bits
  BlockBadStream = -7,       // a code above the next free one, a widen past 32
                             // bits, a missing end code, a full dictionary
};

// Decodes `inputSize` bytes. On every status but the out-of-memory failures of
// set-up, *output is a new buffer the caller frees with FreeBlock (not
// zero-terminated) and *outputLength is the number of bytes produced plus 2.
int32_t DecodeBlock(const uint8_t* input, uint32_t inputSize, uint8_t** output, uint32_t* outputLength);

// Encodes plain bytes into the stream DecodeBlock reads; *outputLength is the
// number of coded bytes plus 1.
int32_t EncodeBlock(const uint8_t* input, uint32_t inputSize, uint8_t** output, uint32_t* outputLength);

void FreeBlock(uint8_t* block);

const char* ToString(BlockStatus status);
