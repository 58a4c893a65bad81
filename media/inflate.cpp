// Inflater for the IDAT data of one PNG: a zlib stream (RFC 1950) around
// deflate data (RFC 1951), decompressed into the image's raw buffer.
//
// Design:
// - Input comes through IdatReader, straight from the chunks in the PNG bytes,
//   across chunk boundaries (even inside a code or a stored block). Once the
//   IDAT chain ends every byte reads as 0 and is counted.
// - Output goes to image->pixels, sized in advance for the whole image; the
//   buffer doubles as the history, so there is no window and no heap.
// - Huffman codes are decoded one bit per step against canonical tables on
//   the stack (limit and symbol list per code length).
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
constexpr int kMaxLengths = kMaxLitLenSymbols + kMaxDistSymbols;  // HLIT + HDIST <= 320

// RFC 1951 3.2.7: the order in which code-length code lengths are stored.
constexpr uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

// RFC 1951 3.2.5: base lengths of symbols 257-285 and base distances of codes
// 0-29. The extra bit counts follow from the symbol (see LengthExtraBits and
// DistanceExtraBits).
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

// 2^n - 1 for n = 0 ... 16.
constexpr uint32_t kBitMask[17] = {0x0,   0x1,   0x3,   0x7,   0xF,    0x1F,   0x3F,   0x7F,  0xFF,
                                   0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
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

// Bit reader over the IDAT chain: bits leave each byte from the least
// significant end (RFC 1951 3.1.1).
struct BitReader {
  IdatReader* input;
  uint32_t bits;  // unread bits of the current byte, next one lowest
  int bitCount;   // how many
};

inline uint32_t ReadBit(BitReader* in) {
  if (in->bitCount == 0) {
    in->bits = IdatReaderNext(in->input);
    in->bitCount = 8;
  }
  uint32_t bit = in->bits & 1;
  in->bits >>= 1;
  in->bitCount--;
  return bit;
}

// A fixed-width field of n <= 16 bits, its first bit the least significant.
inline uint32_t ReadBits(BitReader* in, int n) {
  uint32_t value = in->bits;
  int have = in->bitCount;
  while (have < n) {
    value |= uint32_t(IdatReaderNext(in->input)) << have;
    have += 8;
  }
  in->bits = value >> n;
  in->bitCount = have - n;
  return value & kBitMask[n];
}

void DropPartialByte(BitReader* in) {
  in->bits = 0;
  in->bitCount = 0;
}

// One symbol, one bit per step; -1 when no code up to the maximum length
// matches.
inline int DecodeSymbol(BitReader* in, const HuffmanTable* table) {
  uint32_t code = 0;
  for (int length = 1; length <= table->maxLength; length++) {
    code = code * 2 + ReadBit(in);
    // An empty length has limit 0, which no code is below.
    if (code < table->limit[length]) {
      return table->symbols[table->start[length] + (table->limit[length] - 1 - code)];
    }
  }
  return -1;
}

struct Output {
  uint8_t* begin;
  uint32_t size;
  uint32_t position;
};

// The body of a Huffman block up to its end-of-block symbol. A null distance
// table means the fixed code: distance codes are plain 5-bit Huffman codes.
inline InflateResult DecodeBlockBody(BitReader* in, Output* out, const HuffmanTable* litLen,
                                     const HuffmanTable* distance) {
  for (;;) {
    int symbol = DecodeSymbol(in, litLen);
    // Bits are taken one byte at a time, only when needed, so no byte is
    // read ahead: a symbol that took padding cannot be real data. Stopping
    // here keeps a stream that ends inside a block from decoding its zero
    // padding into a whole image.
    if (in->input->overrun != 0) {
      return InflateInputEnded;
    }
    if (symbol < 0) {
      return InflateBadData;
    }
    if (symbol < kEndOfBlock) {
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
    int index = symbol - 257;
    uint32_t length = kLengthBase[index];
    if (symbol >= 265 && symbol < 285) {
      length += ReadBits(in, (symbol - 265) / 4 + 1);
    }
    int code;
    if (distance == nullptr) {
      code = 0;
      for (int i = 0; i < 5; i++) {
        code = code * 2 + int(ReadBit(in));
      }
    } else {
      code = DecodeSymbol(in, distance);
    }
    if (code < 0 || code > kMaxDistanceCode) {
      return InflateBadData;
    }
    uint32_t dist = kDistanceBase[code];
    if (code >= 4) {
      dist += ReadBits(in, (code - 2) / 2);
    }
    if (dist > out->position) {
      return InflateBadData;
    }
    if (length > out->size - out->position) {
      return InflateOutputFull;
    }
    // Byte by byte, so that an overlapping copy repeats what it just wrote.
    uint8_t* to = out->begin + out->position;
    const uint8_t* from = to - dist;
    for (uint32_t i = 0; i < length; i++) {
      to[i] = from[i];
    }
    out->position += length;
  }
}

// Runs the block body on local copies of the bit reader and output state:
// they stay in registers, since the byte stores into the output could
// otherwise alias them.
InflateResult InflateCodes(BitReader* in, Output* out, const HuffmanTable* litLen,
                           const HuffmanTable* distance) {
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
  for (uint32_t i = 0; i < len; i++) {
    out->begin[out->position++] = IdatReaderNext(in->input);
  }
  return InflateOk;
}

void CountLengths(const uint8_t* lengths, int n, uint16_t* counts) {
  std::memset(counts, 0, sizeof(uint16_t) * (kMaxCodeBits + 1));
  for (int i = 0; i < n; i++) {
    counts[lengths[i]]++;
  }
  counts[0] = 0;
}

InflateResult InflateFixed(BitReader* in, Output* out) {
  uint8_t lengths[kMaxLitLenSymbols];
  std::memset(lengths, 8, 144);
  std::memset(lengths + 144, 9, 112);
  std::memset(lengths + 256, 7, 24);
  std::memset(lengths + 280, 8, 8);
  uint16_t counts[kMaxCodeBits + 1] = {0, 0, 0, 0, 0, 0, 0, 24, 152, 112};
  HuffmanTable litLen;
  if (!BuildHuffmanTable(&litLen, lengths, counts, kMaxLitLenSymbols, kFixedLitLenBits)) {
    return InflateBadData;
  }
  return InflateCodes(in, out, &litLen, nullptr);
}

InflateResult InflateDynamic(BitReader* in, Output* out) {
  uint32_t header = ReadBits(in, 14);
  int hlit = int(header & 0x1F) + 257;
  int hdist = int((header >> 5) & 0x1F) + 1;
  int hclen = int(header >> 10) + 4;

  uint8_t lengths[kMaxLengths];
  uint16_t counts[kMaxCodeBits + 1];
  std::memset(lengths, 0, kCodeLengthSymbols);
  for (int i = 0; i < hclen; i++) {
    lengths[kCodeLengthOrder[i]] = uint8_t(ReadBits(in, 3));
  }
  CountLengths(lengths, kCodeLengthSymbols, counts);
  HuffmanTable codeLengths;
  if (!BuildHuffmanTable(&codeLengths, lengths, counts, kCodeLengthSymbols, kCodeLengthBits)) {
    return InflateBadData;
  }

  // Literal/length and distance lengths form one run, so a repeat may cross
  // from one part into the other.
  int total = hlit + hdist;
  int filled = 0;
  while (filled < total) {
    int symbol = DecodeSymbol(in, &codeLengths);
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
      repeat = 3 + int(ReadBits(in, 2));
    } else if (symbol == 17) {
      repeat = 3 + int(ReadBits(in, 3));
    } else {
      repeat = 11 + int(ReadBits(in, 7));
    }
    if (repeat > total - filled) {
      return InflateBadData;
    }
    std::memset(lengths + filled, value, size_t(repeat));
    filled += repeat;
  }

  HuffmanTable litLen;
  HuffmanTable distance;
  CountLengths(lengths, hlit, counts);
  if (!BuildHuffmanTable(&litLen, lengths, counts, hlit, kMaxCodeBits)) {
    return InflateBadData;
  }
  CountLengths(lengths + hlit, hdist, counts);
  if (!BuildHuffmanTable(&distance, lengths + hlit, counts, hdist, kMaxCodeBits)) {
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
    last = ReadBit(in) != 0;
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
    if (result != InflateOk || in->input->overrun != 0 || in->input->broken) {
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
  IdatReader reader;
  IdatReaderStart(&reader, image);
  BitReader in{&reader, 0, 0};
  Output out{image->pixels, image->pixelsSize, 0};
  InflateResult result = InflateStream(&in, &out);
  // Whatever went wrong once the chain had ended or broken, that is the cause.
  if (reader.broken) {
    return InflateBrokenChunk;
  }
  if (result != InflateOk) {
    return reader.overrun != 0 ? InflateInputEnded : result;
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
