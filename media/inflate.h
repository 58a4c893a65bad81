// The PNG decoder's own inflater: the zlib stream of the IDAT chunks
// (RFC 1950 around RFC 1951) into the image's raw buffer, which it also uses
// as its history. Reads the chunks in place, decodes Huffman codes one bit at
// a time against canonical tables on the stack, and never touches the heap.
#pragma once

#include <cstdint>

struct PngImage;

constexpr int kMaxCodeBits = 15;
constexpr int kMaxLitLenSymbols = 288;
constexpr int kMaxDistSymbols = 32;
constexpr int kCodeLengthSymbols = 19;

// Canonical Huffman table: for each length L a limit (one past the last code
// of that length) and where its symbols start; the symbols of each length in
// descending order.
struct HuffmanTable {
  uint16_t limit[kMaxCodeBits + 1];
  uint16_t start[kMaxCodeBits + 1];
  uint16_t count[kMaxCodeBits + 1];
  uint16_t symbols[kMaxLitLenSymbols];
  int maxLength;
};

// Reads the IDAT data of a PNG, chunk after chunk, as one byte stream.
struct IdatReader {
  const uint8_t* position;  // next byte of the current chunk's data
  uint32_t left;            // bytes left in the current chunk
  const uint8_t* dataEnd;   // end of the PNG bytes
  bool ended;               // no further IDAT chunk: every byte reads as 0
  uint32_t overrun;         // bytes read past the end
};

void IdatReaderStart(IdatReader* reader, const PngImage* image);
uint8_t IdatReaderNext(IdatReader* reader);

// Returns false when the lengths do not form a usable code.
bool BuildHuffmanTable(HuffmanTable* table, const uint8_t* lengths, const uint16_t* counts, int symbolCount,
                       int maxLength);

// 1 on success with lastError 0; 0 with lastError 0x2000.
int Inflate(PngImage* image);
