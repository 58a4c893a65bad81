// Inflater for the IDAT data of one PNG: a zlib stream (RFC 1950) around
// deflate data (RFC 1951), decompressed into the image's raw buffer.
//
// Design:
// - Input comes through IdatReader, straight from the chunks in the PNG bytes,
//   across chunk boundaries (even inside a code or a stored block). Once the
//   IDAT chain ends every byte reads as 0 and is counted.
// - The bit reader keeps up to 63 bits in a 64-bit buffer. While the current
//   chunk has 8 bytes left it refills with one unaligned load; near a chunk's
//   end it takes bytes one at a time through IdatReader. After a refill it
//   holds at least 56 bits: enough for a whole length/distance pair.
// - Huffman codes are decoded through a lookup table indexed by the next
//   10 bits (8 for distances, 7 for code lengths); each entry gives the
//   symbol and its code length. The rare longer codes fall back to the
//   canonical walk over the HuffmanTable, one bit per step, so every code
//   decodes to the same symbol either way.
// - Output goes to image->pixels, sized in advance for the whole image; the
//   buffer doubles as the history, so there is no window and no heap.
//
// Read-ahead and the end of the input: the buffer may hold bytes the decoder
// has not used yet, and past the end of the chain those are zero bytes. The
// input counts as overrun only once more bits have been used than real bytes
// were loaded (8 x padding bytes > bits still held), which is exactly when a
// reader taking one byte at a time, only when needed, would have fetched its
// first padding byte. Each failure consumes the bits that reader would have
// (an unmatched code: the table's maximum length), so the reported reason
// does not depend on how far ahead the buffer reads.
//
// Error policy: every failure returns 0 with lastError 0x2000. Besides the
// format's own errors (method, window, dictionary, block type 3, LEN/NLEN) the
// inflater refuses anything that would leave its buffers or tables: output
// past pixelsSize, a distance before the start of the output, a bit sequence
// that matches no code, repeat code 16 with no previous length, a repeat past
// HLIT + HDIST, literal/length symbols 286-287, distance codes 30-31, an
// oversubscribed code, an IDAT chunk running past the end of the PNG bytes,
// and deflate data that needs bytes after the chain has ended (a truncated
// stream; checked after every symbol, so it fails before its padding is
// decoded). The Adler-32 trailer is read and not compared; a trailer cut short
// is accepted. InflateWithResult tells which of these stopped the stream.
#include "media/inflate.h"

#include <cstring>

#include "media/png_decoder.h"

namespace {

// zlib header (RFC 1950 2.2).
constexpr uint32_t kDeflateMethod = 8;        // CM: the only method defined
constexpr uint32_t kMaxWindowField = 7;       // CINFO: window 2^(CINFO + 8) <= 32 KiB
constexpr uint32_t kPresetDictionary = 0x20;  // FLG.FDICT

// Deflate block types (RFC 1951 3.2.3).
constexpr uint32_t kBlockStored = 0;
constexpr uint32_t kBlockFixed = 1;
constexpr uint32_t kBlockDynamic = 2;

constexpr int kEndOfBlock = 256;
constexpr int kMaxLengthSymbol = 285;  // 286 and 287 take part in the code only
constexpr int kMaxDistanceCode = 29;   // 30 and 31 likewise
constexpr int kCodeLengthBits = 7;     // longest code of the code-length alphabet
constexpr int kFixedLitLenBits = 9;
constexpr int kFixedDistanceBits = 5;
constexpr int kMaxLengths = kMaxLitLenSymbols + kMaxDistSymbols;  // HLIT + HDIST <= 320

// Lookup table widths. Literal/length codes of PNG data are rarely longer
// than 10 bits and distance codes rarely longer than 8.
constexpr int kLitLenLookupBits = 10;
constexpr int kDistanceLookupBits = 8;
constexpr int kLookupSymbolBits = 9;  // symbols up to 287
constexpr uint32_t kLookupSymbolMask = (1u << kLookupSymbolBits) - 1;
constexpr uint32_t kNoSymbol = kLookupSymbolMask;

// A refill leaves at least this many bits in the buffer: one literal/length
// code (15), its extra bits (5), a distance code (15) and its extra bits (13).
constexpr uint32_t kRefilledBits = 56;

// RFC 1951 3.2.7: the order in which code-length code lengths are stored.
constexpr uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

// RFC 1951 3.2.5: base lengths of symbols 257-285 and base distances of codes
// 0-29. The extra bit counts follow from the symbol (see the block body).
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint64_t ReadLittleEndian64(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
#else
  uint64_t value = 0;
  for (int i = 7; i >= 0; i--) {
    value = value << 8 | p[i];
  }
  return value;
#endif
}

// The chunk type test of the IDAT chain: bit 5 of the fourth letter cleared.
bool IsIdatType(const uint8_t* type) {
  return type[0] == 'I' && type[1] == 'D' && type[2] == 'A' && (type[3] & ~0x20) == 'T';
}

// Takes the chunk whose length field is at chunk as the current one if it is
// an IDAT chunk; otherwise the chain has ended. A chunk that runs past the
// data marks the reader broken.
void EnterChunk(IdatReader* reader, const uint8_t* chunk) {
  size_t room = size_t(reader->dataEnd - chunk);
  if (chunk >= reader->dataEnd || room < 8 || !IsIdatType(chunk + 4)) {
    reader->ended = true;
    reader->left = 0;
    return;
  }
  uint32_t length = ReadBigEndian32(chunk);
  if (length > room - 8) {
    reader->ended = true;
    reader->broken = true;
    reader->left = 0;
    return;
  }
  reader->position = chunk + 8;
  reader->left = length;
}

uint8_t IdatReaderRefill(IdatReader* reader) {
  // Step over empty chunks until one has data or the chain ends.
  while (!reader->ended && reader->left == 0) {
    const uint8_t* next = reader->position;  // CRC of the finished chunk
    if (size_t(reader->dataEnd - next) < 4) {
      reader->ended = true;
      break;
    }
    EnterChunk(reader, next + 4);
  }
  if (reader->ended) {
    reader->overrun++;
    return 0;
  }
  reader->left--;
  return *reader->position++;
}

// Bits leave each byte from the least significant end (RFC 1951 3.1.1).
// Bits of `bits` above `count` are zero or the stream's next bits, so a
// refill may OR new bytes in without clearing them.
struct BitReader {
  uint64_t bits;  // unread bits, the next one lowest
  uint32_t count;
  IdatReader input;
};

// Bits have been used that lie past the end of the chain.
inline bool Overran(const BitReader* in) {
  return uint64_t(in->input.overrun) * 8 > in->count;
}

// Byte at a time, through the chunk chain, padding with zeros at its end.
// Takes and returns the reader by value, so that the decode loop's copy
// never has its address taken and stays in registers.
[[gnu::noinline]] BitReader RefillAcrossChunks(BitReader in) {
  while (in.count < kRefilledBits) {
    in.bits |= uint64_t(IdatReaderNext(&in.input)) << in.count;
    in.count += 8;
  }
  return in;
}

inline void Refill(BitReader* in) {
  if (in->input.left >= 8) {
    // Load 8 bytes, keep the whole ones that fit; the top partial byte is the
    // next byte of the stream, as the invariant allows.
    in->bits |= ReadLittleEndian64(in->input.position) << in->count;
    uint32_t bytes = (63 - in->count) >> 3;
    in->input.position += bytes;
    in->input.left -= bytes;
    in->count += bytes * 8;
    return;
  }
  *in = RefillAcrossChunks(*in);
}

// n <= 32 bits already in the buffer.
inline uint32_t TakeBits(BitReader* in, uint32_t n) {
  uint32_t value = uint32_t(in->bits & ((uint64_t(1) << n) - 1));
  in->bits >>= n;
  in->count -= n;
  return value;
}

// A fixed-width field of n <= 16 bits, its first bit the least significant.
inline uint32_t ReadBits(BitReader* in, uint32_t n) {
  if (in->count < n) {
    Refill(in);
  }
  return TakeBits(in, n);
}

void DropPartialByte(BitReader* in) {
  TakeBits(in, in->count & 7);
}

// One Huffman code: its canonical table, and a lookup indexed by the next
// bits as they arrive (first bit lowest) whose entries hold a symbol with
// its code length above it; 0 where only a longer code, or none, begins.
struct DecodeTable {
  uint16_t lookup[1 << kLitLenLookupBits];  // lookupMask + 1 entries used
  uint32_t lookupMask;
  HuffmanTable canonical;
};

void CountLengths(const uint8_t* lengths, int n, uint16_t* counts) {
  std::memset(counts, 0, sizeof(uint16_t) * (kMaxCodeBits + 1));
  for (int i = 0; i < n; i++) {
    counts[lengths[i]]++;
  }
  counts[0] = 0;
}

uint32_t ReverseBits(uint32_t code, int length) {
  uint32_t reversed = 0;
  for (int i = 0; i < length; i++) {
    reversed = reversed << 1 | (code & 1);
    code >>= 1;
  }
  return reversed;
}

// Checks and builds the canonical table, then fills the lookup: a code of
// length L <= lookupBits takes every entry whose low L bits are the code as
// it arrives (first bit lowest). Entries no such code reaches stay 0: a
// longer code, or none.
bool BuildDecodeTable(DecodeTable* table, const uint8_t* lengths, int symbolCount, int maxLength,
                      int lookupBits) {
  uint16_t counts[kMaxCodeBits + 1];
  CountLengths(lengths, symbolCount, counts);
  if (!BuildHuffmanTable(&table->canonical, lengths, counts, symbolCount, maxLength)) {
    return false;
  }
  uint32_t size = 1u << lookupBits;
  table->lookupMask = size - 1;
  std::memset(table->lookup, 0, sizeof(uint16_t) * size);
  // RFC 1951 3.2.2: codes of one length are consecutive in symbol order.
  uint32_t nextCode[kMaxCodeBits + 1];
  for (int length = 1; length <= maxLength; length++) {
    nextCode[length] = uint32_t(table->canonical.limit[length] - table->canonical.count[length]);
  }
  for (int symbol = 0; symbol < symbolCount; symbol++) {
    int length = lengths[symbol];
    if (length == 0) {
      continue;
    }
    uint32_t code = nextCode[length]++;
    if (length > lookupBits) {
      continue;
    }
    uint16_t entry = uint16_t(length << kLookupSymbolBits | symbol);
    for (uint32_t index = ReverseBits(code, length); index < size; index += 1u << length) {
      table->lookup[index] = entry;
    }
  }
  return true;
}

// A code longer than the lookup: the canonical walk, one bit per step over
// the buffered bits, as a lookup entry. When no code up to the maximum
// length matches, the entry has that length and kNoSymbol.
[[gnu::noinline]] uint32_t DecodeLongCode(uint64_t bits, const HuffmanTable* table) {
  uint32_t code = 0;
  for (int length = 1; length <= table->maxLength; length++) {
    code = code * 2 + uint32_t((bits >> (length - 1)) & 1);
    // An empty length has limit 0, which no code is below.
    if (code < table->limit[length]) {
      uint32_t symbol = table->symbols[table->start[length] + (table->limit[length] - 1 - code)];
      return uint32_t(length) << kLookupSymbolBits | symbol;
    }
  }
  return uint32_t(table->maxLength) << kLookupSymbolBits | kNoSymbol;
}

// One symbol, or -1 for a bit sequence that matches no code; the buffer
// holds at least 15 bits.
inline int DecodeSymbol(BitReader* in, const DecodeTable* table) {
  uint32_t entry = table->lookup[in->bits & table->lookupMask];
  if (entry < (1u << kLookupSymbolBits)) {
    entry = DecodeLongCode(in->bits, &table->canonical);
    TakeBits(in, entry >> kLookupSymbolBits);
    uint32_t symbol = entry & kLookupSymbolMask;
    return symbol == kNoSymbol ? -1 : int(symbol);
  }
  TakeBits(in, entry >> kLookupSymbolBits);
  return int(entry & kLookupSymbolMask);
}

struct Output {
  uint8_t* begin;
  uint32_t size;
  uint32_t position;
};

// Copies a match of `length` bytes from `distance` bytes back; an
// overlapping copy repeats what it has just written.
inline void CopyMatch(Output* out, uint32_t length, uint32_t distance) {
  uint8_t* to = out->begin + out->position;
  const uint8_t* from = to - distance;
  out->position += length;
  // Eight bytes at a time may write up to 7 bytes past the match, which the
  // bytes after it overwrite; only where the buffer has room for that.
  if (distance >= 8 && out->size - out->position >= 8) {
    uint8_t* end = to + length;
    do {
      std::memcpy(to, from, 8);
      to += 8;
      from += 8;
    } while (to < end);
    return;
  }
  if (distance == 1) {
    std::memset(to, *from, length);
    return;
  }
  for (uint32_t i = 0; i < length; i++) {
    to[i] = from[i];
  }
}

// The body of a Huffman block up to its end-of-block symbol.
inline InflateResult DecodeBlockBody(BitReader* in, Output* out, const DecodeTable* litLen,
                                     const DecodeTable* distance) {
  for (;;) {
    Refill(in);
    int symbol = DecodeSymbol(in, litLen);
    // A symbol that used padding cannot be real data. Stopping here keeps a
    // stream that ends inside a block from decoding its zero padding into a
    // whole image.
    if (Overran(in)) {
      return InflateInputEnded;
    }
    if (symbol < kEndOfBlock) {
      if (symbol < 0) {
        return InflateBadData;
      }
      if (out->position >= out->size) {
        return InflateOutputFull;
      }
      out->begin[out->position++] = uint8_t(symbol);
      continue;
    }
    if (symbol == kEndOfBlock) {
      return InflateOk;
    }
    if (symbol > kMaxLengthSymbol) {
      return InflateBadData;
    }
    uint32_t length = kLengthBase[symbol - 257];
    if (symbol >= 265 && symbol < 285) {
      length += TakeBits(in, uint32_t(symbol - 265) / 4 + 1);
    }
    int code = DecodeSymbol(in, distance);
    if (code < 0 || code > kMaxDistanceCode) {
      return InflateBadData;
    }
    uint32_t dist = kDistanceBase[code];
    if (code >= 4) {
      dist += TakeBits(in, uint32_t(code - 2) / 2);
    }
    if (dist > out->position) {
      return InflateBadData;
    }
    if (length > out->size - out->position) {
      return InflateOutputFull;
    }
    CopyMatch(out, length, dist);
  }
}

// Runs the block body on local copies of the bit reader and output state:
// they stay in registers, since the byte stores into the output could
// otherwise alias them.
InflateResult InflateCodes(BitReader* in, Output* out, const DecodeTable* litLen,
                           const DecodeTable* distance) {
  BitReader reader = *in;
  Output output = *out;
  InflateResult result = DecodeBlockBody(&reader, &output, litLen, distance);
  *in = reader;
  *out = output;
  return result;
}

InflateResult InflateStored(BitReader* in, Output* out) {
  DropPartialByte(in);
  uint32_t len = ReadBits(in, 16);
  uint32_t nlen = ReadBits(in, 16);
  if ((len ^ 0xFFFF) != nlen) {
    return InflateBadData;
  }
  if (len > out->size - out->position) {
    return InflateOutputFull;
  }
  uint8_t* to = out->begin + out->position;
  out->position += len;
  // Whole bytes still in the buffer come first, then the chunks themselves.
  for (; len != 0 && in->count != 0; len--) {
    *to++ = uint8_t(TakeBits(in, 8));
  }
  if (len == 0) {
    return InflateOk;
  }
  in->bits = 0;  // the read-ahead bits are about to be taken directly
  IdatReader* reader = &in->input;
  while (len != 0) {
    if (reader->left == 0) {
      *to++ = IdatReaderNext(reader);
      len--;
      continue;
    }
    uint32_t run = len < reader->left ? len : reader->left;
    std::memcpy(to, reader->position, run);
    to += run;
    reader->position += run;
    reader->left -= run;
    len -= run;
  }
  return InflateOk;
}

InflateResult InflateFixed(BitReader* in, Output* out) {
  uint8_t lengths[kMaxLitLenSymbols];
  std::memset(lengths, 8, 144);
  std::memset(lengths + 144, 9, 112);
  std::memset(lengths + 256, 7, 24);
  std::memset(lengths + 280, 8, 8);
  DecodeTable litLen;
  DecodeTable distance;
  if (!BuildDecodeTable(&litLen, lengths, kMaxLitLenSymbols, kFixedLitLenBits, kLitLenLookupBits)) {
    return InflateBadData;
  }
  // Distance codes are plain 5-bit codes, first bit most significant: the
  // canonical code of 32 symbols of length 5, 30 and 31 refused on use.
  std::memset(lengths, kFixedDistanceBits, kMaxDistSymbols);
  if (!BuildDecodeTable(&distance, lengths, kMaxDistSymbols, kFixedDistanceBits, kDistanceLookupBits)) {
    return InflateBadData;
  }
  return InflateCodes(in, out, &litLen, &distance);
}

// The HLIT + HDIST code lengths of a dynamic block, as one run so that a
// repeat may cross from the literal/length part into the distance part.
InflateResult ReadCodeLengths(BitReader* in, const DecodeTable* codeLengths, uint8_t* lengths, int total) {
  int filled = 0;
  while (filled < total) {
    Refill(in);
    int symbol = DecodeSymbol(in, codeLengths);
    if (symbol < 0) {
      return InflateBadData;
    }
    if (symbol < 16) {
      lengths[filled++] = uint8_t(symbol);
      continue;
    }
    uint8_t value = 0;
    int repeat;
    if (symbol == 16) {
      if (filled == 0) {
        return InflateBadData;
      }
      value = lengths[filled - 1];
      repeat = 3 + int(TakeBits(in, 2));
    } else if (symbol == 17) {
      repeat = 3 + int(TakeBits(in, 3));
    } else {
      repeat = 11 + int(TakeBits(in, 7));
    }
    if (repeat > total - filled) {
      return InflateBadData;
    }
    std::memset(lengths + filled, value, size_t(repeat));
    filled += repeat;
  }
  return InflateOk;
}

InflateResult InflateDynamic(BitReader* in, Output* out) {
  uint32_t header = ReadBits(in, 14);
  int hlit = int(header & 0x1F) + 257;
  int hdist = int((header >> 5) & 0x1F) + 1;
  int hclen = int(header >> 10) + 4;

  uint8_t lengths[kMaxLengths];
  std::memset(lengths, 0, kCodeLengthSymbols);
  for (int i = 0; i < hclen; i++) {
    lengths[kCodeLengthOrder[i]] = uint8_t(ReadBits(in, 3));
  }
  DecodeTable codeLengths;
  if (!BuildDecodeTable(&codeLengths, lengths, kCodeLengthSymbols, kCodeLengthBits, kCodeLengthBits)) {
    return InflateBadData;
  }
  InflateResult result = ReadCodeLengths(in, &codeLengths, lengths, hlit + hdist);
  if (result != InflateOk) {
    return result;
  }
  DecodeTable litLen;
  DecodeTable distance;
  if (!BuildDecodeTable(&litLen, lengths, hlit, kMaxCodeBits, kLitLenLookupBits) ||
      !BuildDecodeTable(&distance, lengths + hlit, hdist, kMaxCodeBits, kDistanceLookupBits)) {
    return InflateBadData;
  }
  return InflateCodes(in, out, &litLen, &distance);
}

InflateResult InflateStream(BitReader* in, Output* out) {
  uint32_t header = ReadBits(in, 16);  // CMF in the low byte, FLG above
  uint32_t method = header & 0x0F;
  uint32_t window = (header >> 4) & 0x0F;
  uint32_t flags = header >> 8;
  if (method != kDeflateMethod || window > kMaxWindowField || (flags & kPresetDictionary) != 0) {
    return InflateBadData;
  }
  bool last = false;
  while (!last) {
    last = ReadBits(in, 1) != 0;
    uint32_t type = ReadBits(in, 2);
    InflateResult result;
    if (type == kBlockStored) {
      result = InflateStored(in, out);
    } else if (type == kBlockFixed) {
      result = InflateFixed(in, out);
    } else if (type == kBlockDynamic) {
      result = InflateDynamic(in, out);
    } else {
      result = InflateBadData;
    }
    // Zero bytes handed out after the chain ended are padding, not data.
    if (result != InflateOk || Overran(in)) {
      return result != InflateOk ? result : InflateInputEnded;
    }
  }
  // Adler-32 trailer: read, never compared; a missing trailer is harmless.
  DropPartialByte(in);
  ReadBits(in, 16);
  ReadBits(in, 16);
  return InflateOk;
}

}  // namespace

void IdatReaderStart(IdatReader* reader, const PngImage* image) {
  reader->position = nullptr;
  reader->left = 0;
  reader->dataEnd = image->data + image->dataSize;
  reader->ended = false;
  reader->broken = false;
  reader->overrun = 0;
  if (image->data == nullptr || image->firstIdat == nullptr || image->firstIdat < image->data ||
      image->firstIdat >= reader->dataEnd) {
    reader->ended = true;
    return;
  }
  EnterChunk(reader, image->firstIdat);
}

uint8_t IdatReaderNext(IdatReader* reader) {
  if (reader->left != 0) {
    reader->left--;
    return *reader->position++;
  }
  return IdatReaderRefill(reader);
}

bool BuildHuffmanTable(HuffmanTable* table, const uint8_t* lengths, const uint16_t* counts, int symbolCount,
                       int maxLength) {
  if (symbolCount < 0 || symbolCount > kMaxLitLenSymbols || maxLength < 1 || maxLength > kMaxCodeBits) {
    return false;
  }
  table->maxLength = maxLength;
  table->count[0] = 0;
  table->limit[0] = 0;
  table->start[0] = 0;
  uint32_t code = 0;
  uint32_t offset = 0;
  uint16_t fill[kMaxCodeBits + 1] = {};
  for (int length = 1; length <= maxLength; length++) {
    code = (code + (length > 1 ? counts[length - 1] : 0)) * 2;
    uint32_t count = counts[length];
    // More codes than the length's code space holds: oversubscribed.
    if (code + count > (1u << length) || offset + count > uint32_t(symbolCount)) {
      return false;
    }
    table->count[length] = uint16_t(count);
    table->limit[length] = uint16_t(count != 0 ? code + count : 0);
    table->start[length] = uint16_t(offset);
    fill[length] = uint16_t(offset);
    offset += count;
  }
  for (int length = maxLength + 1; length <= kMaxCodeBits; length++) {
    table->count[length] = 0;
    table->limit[length] = 0;
    table->start[length] = uint16_t(offset);
  }
  for (int symbol = symbolCount - 1; symbol >= 0; symbol--) {
    int length = lengths[symbol];
    if (length == 0) {
      continue;
    }
    if (length > maxLength || fill[length] >= table->start[length] + table->count[length]) {
      return false;
    }
    table->symbols[fill[length]++] = uint16_t(symbol);
  }
  // Every announced slot must have been filled.
  for (int length = 1; length <= maxLength; length++) {
    if (fill[length] != table->start[length] + table->count[length]) {
      return false;
    }
  }
  return true;
}

int Inflate(PngImage* image) {
  return InflateWithResult(image) == InflateOk ? 1 : 0;
}

InflateResult InflateWithResult(PngImage* image) {
  image->lastError = PngErrorBadData;
  if (image->pixels == nullptr && image->pixelsSize != 0) {
    return InflateOutputFull;
  }
  BitReader in{0, 0, {}};
  IdatReaderStart(&in.input, image);
  Output out{image->pixels, image->pixelsSize, 0};
  InflateResult result = InflateStream(&in, &out);
  bool overran = Overran(&in);
  // Whatever went wrong once the chain had ended or broken, that is the cause.
  // A broken chunk only counts once the stream has needed its bytes.
  if (in.input.broken && overran) {
    return InflateBrokenChunk;
  }
  if (result != InflateOk) {
    return overran ? InflateInputEnded : result;
  }
  // A stream that stops short leaves defined (zero) bytes behind it.
  if (out.position < out.size) {
    std::memset(out.begin + out.position, 0, out.size - out.position);
  }
  image->lastError = PngErrorNone;
  return InflateOk;
}

const char* ToString(InflateResult result) {
  switch (result) {
    case InflateOk:
      return "ok";
    case InflateInputEnded:
      return "input ended";
    case InflateOutputFull:
      return "output full";
    case InflateBadData:
      return "bad data";
    case InflateBrokenChunk:
      return "IDAT chunk runs past the data";
  }
  return "unknown";
}
