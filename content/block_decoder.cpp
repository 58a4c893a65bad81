// The block coder: LZW with variable-width codes, most significant bit first.
//
// Format notes:
// - Codes start at 9 bits. Codes 0..255 are the single bytes; three control
//   codes follow: 256 ends the data, 257 widens the code by one bit, 258
//   resets the dictionary (next free code back to 259, width back to 9).
// - The width never grows on its own: the encoder writes 257 whenever the
//   next code would not fit, so every widening is in the stream.
// - The decoder outputs the previous string at each code (the usual LZW lag),
//   so a code equal to the next free code means "w followed by its own first
//   byte".
//
// Design choices:
// - Buffers are sized to the data: input, output and dictionary strings grow
//   as needed, so a long quiz is never cut. Two caps keep a hostile stream
//   (whose strings can grow by one byte per code across resets) from taking
//   the machine: the decoded text and the dictionary bytes of one generation
//   are each held below kMaxDecodedSize; past it the decoder stops with
//   BlockOutOfMemory and hands out what it has.
// - A stream that would add an entry past code 4095 without a reset is
//   outside the format and is refused with BlockBadStream.
// - The input is read only through the project's ByteReader, under a bit
//   layer. Past its end it gives zero bits and clears the cursor's sticky
//   flag, which the decode loop checks after every code.
#include "content/block_decoder.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "content/byte_reader.h"
#include "content/user_message.h"

namespace {

constexpr uint32_t kEndCode = 256;
constexpr uint32_t kWidenCode = 257;
constexpr uint32_t kResetCode = 258;
constexpr uint32_t kFirstFreeCode = 259;
constexpr uint32_t kDictionarySize = 4096;  // codes 0..4095
constexpr int kStartWidth = 9;
constexpr int kMaxWidth = 32;
constexpr size_t kMaxDecodedSize = size_t{64} << 20;
constexpr size_t kFirstOutputCapacity = 4096;

constexpr char kNoMemoryText[] = "Impossible d'allouer la memoire";
constexpr char kNoMemoryCaption[] = "information";

// A growable byte buffer over malloc/realloc, so that a failed allocation is
// a status and never an exception.
struct ByteBuffer {
  uint8_t* data = nullptr;
  size_t size = 0;
  size_t capacity = 0;

  ByteBuffer() = default;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ~ByteBuffer() { std::free(data); }

  bool reserve(size_t wanted) {
    if (wanted <= capacity) {
      return true;
    }
    size_t grown = capacity < kFirstOutputCapacity ? kFirstOutputCapacity : capacity;
    while (grown < wanted) {
      grown = grown > (SIZE_MAX / 2) ? wanted : grown * 2;
    }
    auto* moved = static_cast<uint8_t*>(std::realloc(data, grown));
    if (moved == nullptr) {
      return false;
    }
    data = moved;
    capacity = grown;
    return true;
  }

  bool append(const uint8_t* bytes, size_t count) {
    if (count > SIZE_MAX - size || !reserve(size + count)) {
      return false;
    }
    if (count > 0) {
      std::memcpy(data + size, bytes, count);
    }
    size += count;
    return true;
  }

  bool push(uint8_t byte) { return append(&byte, 1); }

  // Gives the bytes away; the buffer is empty afterwards.
  uint8_t* release() {
    uint8_t* out = data;
    data = nullptr;
    size = capacity = 0;
    return out;
  }
};

// The bit layer over the input's ByteReader: codes of 1..32 bits, most
// significant bit first, taken a byte at a time. Past the end the bytes read
// as zero and the cursor's sticky `ok` clears, so a code that runs off the
// end is still read whole and the decode loop checks once per code.
struct BitReader {
  ByteReader bytes;
  size_t position = 0;
  uint32_t partial = 0;  // bits not yet used, kept at the low end
  int partialBits = 0;

  BitReader(const uint8_t* in, size_t n) : bytes(in, n) {}

  bool ended() const { return !bytes.ok; }

  uint32_t readCode(int width) {
    uint64_t code = 0;
    int missing = width;
    while (missing > 0) {
      if (partialBits == 0) {
        partial = bytes.U8(position++);
        partialBits = 8;
      }
      int take = missing < partialBits ? missing : partialBits;
      uint32_t bits = (partial >> (partialBits - take)) & ((1u << take) - 1);
      code = (code << take) | bits;
      partialBits -= take;
      missing -= take;
    }
    return static_cast<uint32_t>(code);
  }
};

// The decoder's dictionary. Entries 0..255 are the single bytes and need no
// storage; the entries of the current generation (259 and up) are runs of
// one byte pool, which a reset empties: after a reset no code can name an
// entry of the old generation before it has been added again.
struct DecodeDictionary {
  ByteBuffer pool;
  size_t offset[kDictionarySize] = {};
  size_t length[kDictionarySize] = {};
  uint8_t single[256];
  uint32_t nextFree = kFirstFreeCode;

  DecodeDictionary() {
    for (int i = 0; i < 256; ++i) {
      single[i] = static_cast<uint8_t>(i);
    }
  }

  const uint8_t* bytes(uint32_t code) const { return code < 256 ? &single[code] : pool.data + offset[code]; }
  size_t size(uint32_t code) const { return code < 256 ? 1 : length[code]; }

  void reset() {
    nextFree = kFirstFreeCode;
    pool.size = 0;
  }

  BlockStatus add(const ByteBuffer& w, uint8_t last) {
    if (nextFree >= kDictionarySize) {
      return BlockBadStream;
    }
    if (w.size + 1 > kMaxDecodedSize - pool.size) {
      return BlockOutOfMemory;
    }
    size_t at = pool.size;
    if (!pool.append(w.data, w.size) || !pool.push(last)) {
      return BlockOutOfMemory;
    }
    offset[nextFree] = at;
    length[nextFree] = w.size + 1;
    ++nextFree;
    return BlockOk;
  }
};

// Hands out the decoded bytes (or nothing) with the length convention of
// the block coder: bytes produced plus `extra`.
int32_t HandOut(ByteBuffer& buffer, uint32_t extra, int32_t status, uint8_t** output,
                uint32_t* outputLength) {
  size_t produced = buffer.size;
  *output = buffer.release();
  *outputLength = static_cast<uint32_t>(produced + extra);
  return status;
}

// Hands the previous string w to the decoded text, within its cap.
bool EmitString(const ByteBuffer& w, ByteBuffer& out) {
  return w.size <= kMaxDecodedSize - out.size && out.append(w.data, w.size);
}

// A data code: w goes out, w + the first byte of the code's string is filed,
// and the code's string becomes w.
BlockStatus TakeDataCode(uint32_t code, DecodeDictionary& dict, ByteBuffer& out, ByteBuffer& w) {
  if (code > dict.nextFree) {
    return BlockBadStream;
  }
  // A code equal to the next free one names the entry about to be made:
  // w followed by its own first byte.
  uint8_t firstOfS = code == dict.nextFree ? w.data[0] : dict.bytes(code)[0];
  BlockStatus added = dict.add(w, firstOfS);
  if (added != BlockOk) {
    return added;
  }
  if (!EmitString(w, out)) {
    return BlockOutOfMemory;
  }
  w.size = 0;
  return w.append(dict.bytes(code), dict.size(code)) ? BlockOk : BlockOutOfMemory;
}

int32_t RunDecoder(BitReader& reader, DecodeDictionary& dict, ByteBuffer& out, ByteBuffer& w) {
  uint32_t first = reader.readCode(kStartWidth);
  if (reader.ended()) {
    return BlockNoInput;
  }
  if (!w.push(static_cast<uint8_t>(first & 0xFF))) {
    return BlockOutOfMemory;
  }
  int width = kStartWidth;
  for (;;) {
    uint32_t code = reader.readCode(width);
    if (reader.ended()) {
      return BlockBadStream;
    }
    if (code == kEndCode) {
      return EmitString(w, out) ? BlockOk : BlockOutOfMemory;
    }
    if (code == kResetCode) {
      dict.reset();
      width = kStartWidth;
    } else if (code == kWidenCode) {
      if (++width > kMaxWidth) {
        return BlockBadStream;
      }
    } else {
      BlockStatus status = TakeDataCode(code, dict, out, w);
      if (status != BlockOk) {
        return status;
      }
    }
  }
}

// The encoder's bit writer: codes go out most significant bit first; a last
// partial byte is padded with zero bits.
struct BitWriter {
  ByteBuffer* out;
  uint64_t partial = 0;
  int partialBits = 0;

  BlockStatus write(uint32_t code, int width) {
    if (width > kMaxWidth) {
      return BlockUnwritableCode;
    }
    partial = (partial << width) | (code & ((width == 32) ? 0xFFFFFFFFu : ((1u << width) - 1)));
    partialBits += width;
    while (partialBits >= 8) {
      partialBits -= 8;
      if (!out->push(static_cast<uint8_t>(partial >> partialBits))) {
        return BlockOutOfMemory;
      }
    }
    partial &= (uint64_t{1} << partialBits) - 1;
    return BlockOk;
  }

  BlockStatus flush() {
    if (partialBits > 0) {
      if (!out->push(static_cast<uint8_t>(partial << (8 - partialBits)))) {
        return BlockOutOfMemory;
      }
      partialBits = 0;
      partial = 0;
    }
    return BlockOk;
  }
};

// The encoder's dictionary index. Every entry but the one re-added after a
// reset is a known string (its prefix code) plus one byte, so the index is a
// hash from (prefix code, byte) to code. The entry re-added at a reset
// (entry 259) may have a prefix that is not in the new generation yet; it is
// filed under that prefix as soon as an entry with those bytes is added.
struct EncodeIndex {
  static constexpr uint32_t kSlots = 8192;  // twice the dictionary, a power of two
  uint32_t key[kSlots];
  uint16_t value[kSlots];
  uint32_t nextFree = kFirstFreeCode;
  ByteBuffer pendingBytes;  // bytes of entry 259 when its prefix is unknown
  bool pending = false;

  EncodeIndex() { clear(); }

  void clear() {
    std::memset(key, 0xFF, sizeof(key));
    nextFree = kFirstFreeCode;
    pending = false;
  }

  static uint32_t Slot(uint32_t k) { return (k * 2654435761u) >> 19; }

  int find(uint32_t prefix, uint8_t byte) const {
    uint32_t k = prefix << 8 | byte;
    for (uint32_t s = Slot(k);; s = (s + 1) & (kSlots - 1)) {
      if (key[s] == k) {
        return value[s];
      }
      if (key[s] == 0xFFFFFFFFu) {
        return -1;
      }
    }
  }

  void file(uint32_t prefix, uint8_t byte, uint32_t code) {
    uint32_t k = prefix << 8 | byte;
    uint32_t s = Slot(k);
    while (key[s] != 0xFFFFFFFFu && key[s] != k) {
      s = (s + 1) & (kSlots - 1);
    }
    key[s] = k;
    value[s] = static_cast<uint16_t>(code);
  }

  // Adds the string `bytes` (= the string of `prefix` followed by `last`).
  void add(uint32_t prefix, const uint8_t* bytes, size_t size) {
    uint32_t code = nextFree++;
    file(prefix, bytes[size - 1], code);
    if (pending && size + 1 == pendingBytes.size && std::memcmp(bytes, pendingBytes.data, size) == 0) {
      file(code, pendingBytes.data[size], kFirstFreeCode);
      pending = false;
    }
  }

  // After a reset: the candidate becomes entry 259 of the new generation.
  BlockStatus addAfterReset(const uint8_t* bytes, size_t size) {
    clear();
    nextFree = kFirstFreeCode + 1;
    if (size == 2) {
      file(bytes[0], bytes[1], kFirstFreeCode);
      return BlockOk;
    }
    pendingBytes.size = 0;
    if (!pendingBytes.append(bytes, size)) {
      return BlockOutOfMemory;
    }
    pending = true;
    return BlockOk;
  }
};

struct Encoder {
  BitWriter writer;
  EncodeIndex index;
  int width = kStartWidth;

  // Writes a code, first widening as often as it needs.
  BlockStatus writeCode(uint32_t code) {
    if ((code >> width) != 0) {
      uint32_t over = code >> width;
      while (over != 0) {
        BlockStatus status = writer.write(kWidenCode, width);
        if (status != BlockOk) {
          return status;
        }
        ++width;
        over >>= 1;
      }
    }
    return writer.write(code, width);
  }

  // Once the dictionary is full, starts a new generation: the reset code,
  // then the candidate that did not fit becomes its entry 259.
  BlockStatus resetIfFull(const ByteBuffer& candidate) {
    if (index.nextFree < kDictionarySize) {
      return BlockOk;
    }
    BlockStatus status = writer.write(kResetCode, width);
    if (status != BlockOk) {
      return status;
    }
    width = kStartWidth;
    return index.addAfterReset(candidate.data, candidate.size);
  }

  // Sends the code of the last string, the end code and the last bits.
  BlockStatus finish(uint32_t lastCode) {
    BlockStatus status = writeCode(lastCode);
    if (status == BlockOk) {
      status = writer.write(kEndCode, width);
    }
    if (status == BlockOk) {
      status = writer.flush();
    }
    return status;
  }
};

// Greedy LZW: w grows while w + b is in the dictionary; a new w + b is filed
// and the code of w sent.
int32_t RunEncoder(const uint8_t* input, size_t size, Encoder& enc, ByteBuffer& w) {
  if (size == 0) {
    return BlockNoInput;
  }
  uint32_t wCode = input[0];
  if (!w.push(input[0])) {
    return BlockOutOfMemory;
  }
  for (size_t i = 1; i < size; ++i) {
    uint8_t b = input[i];
    int found = enc.index.find(wCode, b);
    if (!w.push(b)) {
      return BlockOutOfMemory;
    }
    if (found >= 0) {
      wCode = static_cast<uint32_t>(found);
      continue;
    }
    // The candidate w + b is new: file it, then send the code of w.
    enc.index.add(wCode, w.data, w.size);
    BlockStatus status = enc.writeCode(wCode);
    if (status == BlockOk) {
      status = enc.resetIfFull(w);
    }
    if (status != BlockOk) {
      return status;
    }
    wCode = b;
    w.size = 0;
    w.push(b);
  }
  return enc.finish(wCode);
}

}  // namespace

int32_t DecodeBlock(const uint8_t* input, uint32_t inputSize, uint8_t** output, uint32_t* outputLength) {
  *output = nullptr;
  *outputLength = 0;
  auto* dict = new (std::nothrow) DecodeDictionary;
  if (dict == nullptr) {
    return BlockOutOfMemory;
  }
  ByteBuffer out;
  if (!out.reserve(kFirstOutputCapacity)) {
    ShowUserMessage(kNoMemoryText, kNoMemoryCaption, kMessageOk);
    delete dict;
    return BlockOutOfMemory;
  }
  ByteBuffer w;
  BitReader reader(input, input != nullptr ? inputSize : 0);
  int32_t status = RunDecoder(reader, *dict, out, w);
  delete dict;
  return HandOut(out, 2, status, output, outputLength);
}

int32_t EncodeBlock(const uint8_t* input, uint32_t inputSize, uint8_t** output, uint32_t* outputLength) {
  *output = nullptr;
  *outputLength = 0;
  ByteBuffer out;
  if (!out.reserve(kFirstOutputCapacity)) {
    ShowUserMessage(kNoMemoryText, kNoMemoryCaption, kMessageOk);
    return BlockOutOfMemory;
  }
  auto* enc = new (std::nothrow) Encoder;
  if (enc == nullptr) {
    return BlockOutOfMemory;
  }
  enc->writer.out = &out;
  ByteBuffer w;
  int32_t status = RunEncoder(input, input != nullptr ? inputSize : 0, *enc, w);
  delete enc;
  return HandOut(out, 1, status, output, outputLength);
}

void FreeBlock(uint8_t* block) {
  std::free(block);
}

const char* ToString(BlockStatus status) {
  switch (status) {
    case BlockOk:
      return "ok";
    case BlockOutOfMemory:
      return "out of memory";
    case BlockNoInput:
      return "no input";
    case BlockUnwritableCode:
      return "unwritable code";
    case BlockBadStream:
      return "bad stream";
  }
  return "unknown status";
}
