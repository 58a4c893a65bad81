// The PNG decoder's own inflater: the zlib stream of the IDAT chunks
// (RFC 1950 around RFC 1951) into the image's raw buffer, which it also uses
// as its history. Reads the chunks in place, decodes Huffman codes through
// lookup tables built on the stack beside their canonical tables, and never
// touches the heap.
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
  bool broken;              // an IDAT chunk runs past the end of the PNG bytes
  uint32_t overrun;         // zero bytes handed out after the end
};

// Starts at image->firstIdat; a record without one reads as ended at once.
void IdatReaderStart(IdatReader* reader, const PngImage* image);
// The next byte of the concatenated IDAT data, or 0 once the chain has ended.
uint8_t IdatReaderNext(IdatReader* reader);

// Builds the canonical code of RFC 1951 3.2.2 from one length per symbol and
// the number of codes of each length (counts[0] is ignored). Returns false when
// the lengths do not form a usable code: a length above maxLength, counts that
// disagree with the lengths, or more codes of some length than fit.
bool BuildHuffmanTable(HuffmanTable* table, const uint8_t* lengths, const uint16_t* counts, int symbolCount,
                       int maxLength);

// Why an inflate stopped. Inflate reports every failure alike (0x2000); the
// reason is kept for tests and diagnostics.
enum InflateResult : int {
  InflateOk = 0,
  InflateInputEnded = 1,   // the stream needs bytes after the IDAT chain has ended
  InflateOutputFull = 2,   // more output than pixelsSize
  InflateBadData = 3,      // header, block type, LEN/NLEN, code, distance or repeat broken
  InflateBrokenChunk = 4,  // an IDAT chunk runs past the end of the PNG bytes
};

// Inflates the IDAT chain at image->firstIdat into image->pixels
// (image->pixelsSize bytes). 1 on success with lastError 0; 0 with lastError
// 0x2000 on any broken stream. Bytes of pixels the stream does not reach are
// set to 0.
int Inflate(PngImage* image);
// The same, telling why it failed.
InflateResult InflateWithResult(PngImage* image);
const char* ToString(InflateResult result);
