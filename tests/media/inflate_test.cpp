// Inflater: hand-built deflate streams (one per failure, each field
// commented), IDAT chains split at every byte, zlib's own streams and the
// canonical tables.
#include "media/inflate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "media/png_decoder.h"

#ifdef TRIVO_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

// Writes a deflate stream bit by bit: fields least significant bit first,
// Huffman codes most significant bit first (RFC 1951 3.1.1).
struct BitWriter {
  Bytes bytes;
  int used = 8;  // bits used in the last byte

  void Bits(uint32_t value, int count) {
    for (int i = 0; i < count; i++) {
      if (used == 8) {
        bytes.push_back(0);
        used = 0;
      }
      bytes.back() |= uint8_t(((value >> i) & 1) << used);
      used++;
    }
  }
  void Code(uint32_t code, int length) {
    for (int i = length - 1; i >= 0; i--) {
      Bits((code >> i) & 1, 1);
    }
  }
  void Byte(uint8_t value) {
    used = 8;
    bytes.push_back(value);
  }
  void Align() { used = 8; }
};

// The fixed literal/length code of RFC 1951 3.2.6.
void FixedSymbol(BitWriter* w, int symbol) {
  if (symbol < 144) {
    w->Code(0x30 + symbol, 8);
  } else if (symbol < 256) {
    w->Code(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    w->Code(symbol - 256, 7);
  } else {
    w->Code(0xC0 + symbol - 280, 8);
  }
}

BitWriter Stream() {
  BitWriter w;
  w.Byte(0x78);  // CMF: method 8, window 2^15
  w.Byte(0x01);  // FLG: check bits, no dictionary
  return w;
}

void Trailer(BitWriter* w) {
  w->Align();
  for (int i = 0; i < 4; i++) {
    w->Byte(0);  // Adler-32, never compared
  }
}

void AddIdat(Bytes* png, const uint8_t* data, size_t size, const char* type = "IDAT") {
  uint32_t n = uint32_t(size);
  png->insert(png->end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  png->insert(png->end(), type, type + 4);
  png->insert(png->end(), data, data + size);
  png->insert(png->end(), {0, 0, 0, 0});  // CRC, never compared
}

struct Result {
  int ok;
  InflateResult reason;
  uint32_t error;
  Bytes out;
};

// Inflates `stream` cut into IDAT chunks at `cuts` (offsets into the stream)
// into a buffer of `outSize` bytes.
Result InflateChunks(const Bytes& stream, size_t outSize, const std::vector<size_t>& cuts = {},
                     const Bytes& after = {'I', 'E', 'N', 'D'}) {
  Bytes chain;
  size_t from = 0;
  for (size_t cut : cuts) {
    AddIdat(&chain, stream.data() + from, cut - from);
    from = cut;
  }
  AddIdat(&chain, stream.data() + from, stream.size() - from);
  if (!after.empty()) {
    chain.insert(chain.end(), {0, 0, 0, 0});
    chain.insert(chain.end(), after.begin(), after.end());
    chain.insert(chain.end(), {0, 0, 0, 0});
  }
  PngImage image;
  PngInit(&image);
  image.data = chain.data();
  image.dataSize = uint32_t(chain.size());
  image.firstIdat = chain.data();
  Bytes out(outSize + 16, 0xA5);
  image.pixels = out.data();
  image.pixelsSize = uint32_t(outSize);
  Result r;
  r.reason = InflateWithResult(&image);
  r.ok = r.reason == InflateOk ? 1 : 0;
  r.error = image.lastError;
  for (size_t i = outSize; i < out.size(); i++) {
    EXPECT_EQ(out[i], 0xA5) << "written past pixelsSize";
  }
  r.out.assign(out.begin(), out.begin() + long(outSize));
  return r;
}

Bytes Text(const char* s) {
  return Bytes(s, s + std::char_traits<char>::length(s));
}

// A stored-block stream of `data`.
Bytes StoredStream(const Bytes& data) {
  BitWriter w = Stream();
  w.Bits(1, 1);  // BFINAL
  w.Bits(0, 2);  // BTYPE stored
  w.Align();
  uint32_t len = uint32_t(data.size());
  w.Byte(uint8_t(len));
  w.Byte(uint8_t(len >> 8));
  w.Byte(uint8_t(~len));
  w.Byte(uint8_t(~len >> 8));
  for (uint8_t b : data) {
    w.Byte(b);
  }
  Trailer(&w);
  return w.bytes;
}

// The concatenated IDAT data of a PngSuite file.
Bytes SuiteIdat(const char* name) {
  std::string path = std::string(TRIVO_TESTDATA_DIR) + "/pngsuite/" + name + ".png";
  Bytes png;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f != nullptr) {
    int c;
    while ((c = std::fgetc(f)) != EOF) {
      png.push_back(uint8_t(c));
    }
    std::fclose(f);
  }
  Bytes idat;
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t len =
        uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    if (std::equal(png.begin() + long(at) + 4, png.begin() + long(at) + 8, "IDAT")) {
      idat.insert(idat.end(), png.begin() + long(at) + 8, png.begin() + long(at + 8 + len));
    }
    at += 12 + size_t(len);
  }
  return idat;
}

TEST(Inflate, ZlibHeaderChecks) {
  const struct {
    uint8_t cmf, flg;
    bool ok;
  } kCases[] = {
      {0x78, 0x01, true},   // window 32K, fastest
      {0x78, 0xDA, true},   // window 32K, maximum compression
      {0x08, 0x1D, true},   // window 256 bytes
      {0x78, 0x00, true},   // FCHECK wrong: not tested
      {0x77, 0x01, false},  // method 7
      {0x88, 0x01, false},  // window field 8
      {0x78, 0x20, false},  // preset dictionary
  };
  for (const auto& c : kCases) {
    Bytes stream = StoredStream(Text("ok"));
    stream[0] = c.cmf;
    stream[1] = c.flg;
    Result r = InflateChunks(stream, 2);
    EXPECT_EQ(r.ok, c.ok ? 1 : 0) << std::hex << int(c.cmf) << " " << int(c.flg);
    EXPECT_EQ(r.error, c.ok ? 0u : uint32_t(PngErrorBadData));
  }
}

TEST(Inflate, StoredBlocks) {
  BitWriter w = Stream();
  w.Bits(0, 1);  // BFINAL 0
  w.Bits(0, 2);  // stored
  w.Align();
  for (int b : {0x00, 0x00, 0xFF, 0xFF}) {
    w.Byte(uint8_t(b));  // LEN 0, NLEN 0xFFFF: writes nothing
  }
  w.Bits(1, 1);  // BFINAL
  w.Bits(0, 2);  // stored
  w.Align();
  for (int b : {0x03, 0x00, 0xFC, 0xFF, 0x61, 0x62, 0x63}) {
    w.Byte(uint8_t(b));  // LEN 3, NLEN, "abc"
  }
  Trailer(&w);
  Result r = InflateChunks(w.bytes, 3);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.out, Text("abc"));

  Bytes bad = w.bytes;
  bad[2 + 1 + 3] = 0xFE;  // first NLEN 0xFFFE: not the complement of 0
  EXPECT_EQ(InflateChunks(bad, 3).ok, 0);
}

TEST(Inflate, LengthTwoFiftyEightAtDistanceOne) {
  BitWriter w = Stream();
  w.Bits(1, 1);          // BFINAL
  w.Bits(1, 2);          // fixed Huffman
  FixedSymbol(&w, 'z');  // literal
  FixedSymbol(&w, 285);  // length 258, no extra bits
  w.Code(0, 5);          // distance code 0: distance 1
  FixedSymbol(&w, 256);  // end of block
  Trailer(&w);
  Result r = InflateChunks(w.bytes, 259);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.out, Bytes(259, 'z'));
}

TEST(Inflate, LengthAndDistanceExtraBits) {
  BitWriter w = Stream();
  w.Bits(1, 1);
  w.Bits(1, 2);
  for (uint8_t c = 0; c < 100; c++) {
    FixedSymbol(&w, c);
  }
  FixedSymbol(&w, 269);  // lengths 19-22: 2 extra bits
  w.Bits(2, 2);          // length 21
  w.Code(12, 5);         // distance code 12: 65-96, 5 extra bits
  w.Bits(3, 5);          // distance 68
  FixedSymbol(&w, 256);
  Trailer(&w);
  Result r = InflateChunks(w.bytes, 121);
  ASSERT_EQ(r.ok, 1);
  for (int i = 0; i < 21; i++) {
    EXPECT_EQ(r.out[100 + i], 100 - 68 + i);
  }
}

// A dynamic block whose repeat code 16 runs from the literal/length lengths
// into the distance lengths.
BitWriter DynamicRepeatAcrossBoundary(int hdist) {
  BitWriter w = Stream();
  w.Bits(1, 1);          // BFINAL
  w.Bits(2, 2);          // dynamic Huffman
  w.Bits(258 - 257, 5);  // HLIT 258: literals, end of block, length symbol 257
  w.Bits(hdist - 1, 5);  // HDIST
  w.Bits(16 - 4, 4);     // HCLEN 16: through code-length symbol 2
  // Code-length code lengths in RFC order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2:
  // symbols 0, 2, 16 and 18 get 2 bits (codes 00, 01, 10, 11).
  const int kOrderLengths[16] = {2, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  for (int length : kOrderLengths) {
    w.Bits(length, 3);
  }
  w.Code(3, 2);  // 18: zeros for symbols 0-64
  w.Bits(65 - 11, 7);
  w.Code(1, 2);  // 'A' length 2
  w.Code(1, 2);  // 'B' length 2
  w.Code(3, 2);  // 18: 138 zeros, 67-204
  w.Bits(127, 7);
  w.Code(3, 2);  // 18: 51 zeros, 205-255
  w.Bits(51 - 11, 7);
  w.Code(1, 2);  // 256 length 2
  w.Code(1, 2);  // 257 length 2
  w.Code(2, 2);  // 16: repeat 2 three times: distance codes 0-2
  w.Bits(0, 2);
  // Literal/length code: 'A' 00, 'B' 01, 256 10, 257 11.
  // Distance code: 0 00, 1 01, 2 10.
  w.Code(0, 2);  // 'A'
  w.Code(1, 2);  // 'B'
  w.Code(3, 2);  // 257: length 3
  w.Code(1, 2);  // distance code 1: distance 2
  w.Code(2, 2);  // end of block
  Trailer(&w);
  return w;
}

TEST(Inflate, DynamicBlockRepeatCrossesIntoDistanceLengths) {
  Result r = InflateChunks(DynamicRepeatAcrossBoundary(3).bytes, 5);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.out, Text("ABABA"));
  // With two distance lengths the same repeat runs past HLIT + HDIST.
  EXPECT_EQ(InflateChunks(DynamicRepeatAcrossBoundary(2).bytes, 5).reason, InflateBadData);
}

TEST(Inflate, SplitIdatDecodesTheSame) {
  for (const Bytes& stream :
       {SuiteIdat("basn2c08"), SuiteIdat("f02n0g08"), StoredStream(Text("stored data"))}) {
    ASSERT_GT(stream.size(), 10u);
    Result whole = InflateChunks(stream, 4096);
    ASSERT_EQ(whole.ok, 1);
    for (size_t cut = 0; cut <= stream.size(); cut++) {
      Result r = InflateChunks(stream, 4096, {cut});
      ASSERT_EQ(r.ok, 1) << cut;
      EXPECT_EQ(r.out, whole.out) << cut;
    }
    // Three pieces with an empty chunk in the middle.
    size_t half = stream.size() / 2;
    EXPECT_EQ(InflateChunks(stream, 4096, {half, half}).out, whole.out);
    // One byte per chunk.
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < stream.size(); i++) {
      everyByte.push_back(i);
    }
    EXPECT_EQ(InflateChunks(stream, 4096, everyByte).out, whole.out);
  }
}

#ifdef TRIVO_HAVE_ZLIB
// Data whose literal frequencies halve from symbol to symbol, with matches at
// spread-out distances: zlib gives its rare literals and distances codes
// longer than any lookup table holds.
Bytes SkewedData(size_t size, uint32_t seed) {
  Bytes data;
  uint32_t state = seed;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
  while (data.size() < size) {
    uint32_t r = next();
    if (r % 16 == 0 && data.size() > 40000) {
      size_t distance = 1 + next() % 32768;
      size_t length = 3 + next() % 40;
      for (size_t i = 0; i < length && data.size() < size; i++) {
        data.push_back(data[data.size() - distance]);
      }
      continue;
    }
    uint8_t symbol = 0;
    while (symbol < 40 && (next() & 1) != 0) {
      symbol++;
    }
    data.push_back(uint8_t(symbol * 5));
  }
  return data;
}

// zlib's output with the level switched between pieces, so that stored
// blocks follow Huffman blocks at any bit position.
Bytes ZlibStream(const Bytes& data, const std::vector<int>& levels, int strategy) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, levels[0], Z_DEFLATED, 15, 9, strategy), Z_OK);
  Bytes out(deflateBound(&z, uLong(data.size())) + 1024 * levels.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  size_t piece = data.size() / levels.size() + 1;
  for (size_t i = 0; i < levels.size(); i++) {
    if (i > 0) {
      EXPECT_EQ(deflateParams(&z, levels[i], strategy), Z_OK);
    }
    size_t from = std::min(data.size(), i * piece);
    z.next_in = const_cast<uint8_t*>(data.data() + from);
    z.avail_in = uInt(std::min(data.size(), from + piece) - from);
    EXPECT_EQ(deflate(&z, i + 1 == levels.size() ? Z_FINISH : Z_NO_FLUSH),
              i + 1 == levels.size() ? Z_STREAM_END : Z_OK);
  }
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(Inflate, AgreesWithZlibOnEveryStrategyAndChunking) {
  Bytes data = SkewedData(200000, 7);
  for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
    for (const std::vector<int>& levels : {std::vector<int>{1}, {9}, {9, 0, 6, 0, 1}, {0, 9}}) {
      Bytes stream = ZlibStream(data, levels, strategy);
      SCOPED_TRACE(testing::Message() << "strategy " << strategy << ", first level " << levels[0]);
      Result whole = InflateChunks(stream, data.size());
      ASSERT_EQ(whole.reason, InflateOk);
      EXPECT_TRUE(whole.out == data);
      // Chunks of a few bytes and of odd sizes, as encoders split IDAT data.
      for (size_t step : {size_t(5), size_t(4093)}) {
        std::vector<size_t> cuts;
        for (size_t at = step; at < stream.size(); at += step) {
          cuts.push_back(at);
        }
        Result split = InflateChunks(stream, data.size(), cuts);
        ASSERT_EQ(split.reason, InflateOk) << step;
        EXPECT_TRUE(split.out == data) << step;
      }
      // Cut anywhere before its last 8 bytes (the final block's end and the
      // trailer), the stream needs bytes it does not have.
      for (size_t cut = 2; cut + 8 < stream.size(); cut += stream.size() / 7) {
        EXPECT_EQ(InflateChunks(Bytes(stream.begin(), stream.begin() + long(cut)), data.size()).reason,
                  InflateInputEnded)
            << cut;
      }
    }
  }
}
#endif

TEST(Inflate, NotFailures) {
  Bytes stream = StoredStream(Text("abc"));
  // Wrong Adler-32.
  Bytes wrong = stream;
  wrong.back() ^= 0xFF;
  EXPECT_EQ(InflateChunks(wrong, 3).out, Text("abc"));
  // Adler-32 missing altogether.
  Bytes cut(stream.begin(), stream.end() - 4);
  EXPECT_EQ(InflateChunks(cut, 3).ok, 1);
  // Data after the final block.
  Bytes extra = stream;
  extra.insert(extra.end(), {1, 2, 3});
  EXPECT_EQ(InflateChunks(extra, 3).ok, 1);
  // A stream shorter than the buffer leaves zeros behind it.
  Result r = InflateChunks(stream, 6);
  EXPECT_EQ(r.ok, 1);
  EXPECT_EQ(r.out, (Bytes{'a', 'b', 'c', 0, 0, 0}));
}

TEST(Inflate, EachBrokenStreamFails) {
  struct Case {
    const char* what;
    Bytes stream;
    size_t outSize;
    InflateResult reason;
  };
  std::vector<Case> cases;
  {
    BitWriter w = Stream();
    w.Bits(1, 1);  // BFINAL
    w.Bits(3, 2);  // BTYPE 3: reserved
    Trailer(&w);
    cases.push_back({"block type 3", w.bytes, 4, InflateBadData});
  }
  cases.push_back({"stored block past the buffer", StoredStream(Text("abcd")), 3, InflateOutputFull});
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);          // fixed
    FixedSymbol(&w, 'x');  // one byte fits
    FixedSymbol(&w, 'y');  // the second does not
    FixedSymbol(&w, 256);
    Trailer(&w);
    cases.push_back({"literal past the buffer", w.bytes, 1, InflateOutputFull});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, 'x');
    FixedSymbol(&w, 257);  // length 3
    w.Code(0, 5);          // distance 1
    FixedSymbol(&w, 256);
    Trailer(&w);
    cases.push_back({"copy past the buffer", w.bytes, 3, InflateOutputFull});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, 'x');
    FixedSymbol(&w, 257);  // length 3
    w.Code(1, 5);          // distance 2, only one byte written
    FixedSymbol(&w, 256);
    Trailer(&w);
    cases.push_back({"distance before the start", w.bytes, 8, InflateBadData});
  }
  for (int symbol : {286, 287}) {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, symbol);  // in the fixed code, but no length
    w.Code(0, 5);
    FixedSymbol(&w, 256);
    Trailer(&w);
    cases.push_back({"length symbol 286/287", w.bytes, 8, InflateBadData});
  }
  for (int code : {30, 31}) {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, 'x');
    FixedSymbol(&w, 257);
    w.Code(code, 5);  // distance code with no distance
    FixedSymbol(&w, 256);
    Trailer(&w);
    cases.push_back({"distance code 30/31", w.bytes, 8, InflateBadData});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(2, 2);  // dynamic
    w.Bits(0, 5);  // HLIT 257
    w.Bits(0, 5);  // HDIST 1
    w.Bits(0, 4);  // HCLEN 4: symbols 16 17 18 0
    w.Bits(1, 3);  // 16: 1 bit (code 1)
    w.Bits(0, 3);  // 17: none
    w.Bits(0, 3);  // 18: none
    w.Bits(1, 3);  // 0: 1 bit (code 0)
    w.Code(1, 1);  // 16 (code 1; 0 has code 0) as the very first length
    w.Bits(0, 2);
    Trailer(&w);
    cases.push_back({"repeat 16 first", w.bytes, 8, InflateBadData});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(2, 2);  // dynamic
    w.Bits(0, 5);  // HLIT 257
    w.Bits(0, 5);  // HDIST 1
    w.Bits(0, 4);  // HCLEN 4: symbols 16 17 18 0
    w.Bits(0, 3);  // 16: none
    w.Bits(0, 3);  // 17: none
    w.Bits(2, 3);  // 18: 2 bits (code 00), the only code: 01, 10, 11 match nothing
    w.Bits(0, 3);  // 0: none
    w.Code(3, 2);  // a bit sequence that matches no code
    Trailer(&w);
    cases.push_back({"code matching nothing", w.bytes, 8, InflateBadData});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(2, 2);  // dynamic
    w.Bits(0, 5);  // HLIT 257
    w.Bits(0, 5);  // HDIST 1
    w.Bits(0, 4);  // HCLEN 4
    w.Bits(1, 3);  // 16: 1 bit
    w.Bits(1, 3);  // 17: 1 bit
    w.Bits(1, 3);  // 18: 1 bit: three codes of one bit, oversubscribed
    w.Bits(0, 3);
    Trailer(&w);
    cases.push_back({"oversubscribed code", w.bytes, 8, InflateBadData});
  }
  {
    BitWriter w = Stream();
    w.Bits(1, 1);
    w.Bits(1, 2);
    FixedSymbol(&w, 'x');  // stream ends here, no end of block
    cases.push_back({"truncated inside a block", w.bytes, 8, InflateInputEnded});
  }
  {
    BitWriter w = Stream();
    w.Bits(0, 1);  // BFINAL 0: another block should follow
    w.Bits(1, 2);
    FixedSymbol(&w, 'x');
    FixedSymbol(&w, 256);
    cases.push_back({"final block missing", w.bytes, 8, InflateInputEnded});
  }
  for (const Case& c : cases) {
    Result r = InflateChunks(c.stream, c.outSize);
    EXPECT_EQ(r.ok, 0) << c.what;
    EXPECT_EQ(r.reason, c.reason) << c.what << ": " << ToString(r.reason);
    EXPECT_EQ(r.error, uint32_t(PngErrorBadData)) << c.what;
  }
}

// The zlib header and a dynamic block header whose literal/length code gives
// literal 0 the one-bit code 0, and nothing after it: the stream's padding
// (zero bits) reads as a run of literals.
Bytes DynamicHeaderOnly() {
  BitWriter w = Stream();
  w.Bits(1, 1);       // BFINAL
  w.Bits(2, 2);       // dynamic Huffman
  w.Bits(0, 5);       // HLIT 257
  w.Bits(0, 5);       // HDIST 1
  w.Bits(18 - 4, 4);  // HCLEN 18: through code-length symbol 1
  // RFC order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1: symbol 1 gets
  // 1 bit (code 0), symbols 0 and 18 get 2 bits (codes 10 and 11).
  const int kOrderLengths[18] = {0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  for (int length : kOrderLengths) {
    w.Bits(length, 3);
  }
  w.Code(0, 1);  // literal 0: length 1
  w.Code(3, 2);  // 18: 138 zeros, 1-138
  w.Bits(127, 7);
  w.Code(3, 2);  // 18: 117 zeros, 139-255
  w.Bits(117 - 11, 7);
  w.Code(0, 1);  // 256: length 1
  w.Code(0, 1);  // distance code 0: length 1
  return w.bytes;
}

TEST(Inflate, PaddingIsNeverDecodedAsData) {
  const Bytes header = DynamicHeaderOnly();
  ASSERT_EQ(header.size(), 14u);  // in a PNG of 71 bytes with IHDR and IEND
  const size_t outSize = 1 << 20;
  Result r = InflateChunks(header, outSize);
  EXPECT_EQ(r.reason, InflateInputEnded) << ToString(r.reason);
  // The first zero byte after the data is one byte of padding, worth eight
  // literals at most; before it the stream decoded none.
  size_t written = 0;
  for (uint8_t byte : r.out) {
    written += byte != 0xA5 ? 1 : 0;
  }
  EXPECT_LE(written, 8u);

  // The same header with literals and an end of block decodes, split
  // anywhere.
  BitWriter w;
  w.bytes = header;
  w.used = 4;  // 92 bits of header
  for (int i = 0; i < 20; i++) {
    w.Code(0, 1);  // literal 0
  }
  w.Code(1, 1);  // end of block
  Trailer(&w);
  for (size_t cut = 0; cut <= w.bytes.size(); cut++) {
    Result ok = InflateChunks(w.bytes, 20, {cut});
    ASSERT_EQ(ok.reason, InflateOk) << cut;
    EXPECT_EQ(ok.out, Bytes(20, 0)) << cut;
  }
}

TEST(Inflate, IdatChainRules) {
  Bytes stream = StoredStream(Text("abcdef"));
  PngImage image;
  PngInit(&image);
  uint8_t out[6];
  image.pixels = out;
  image.pixelsSize = sizeof out;
  // The chain ends at a chunk of another type: its bytes are not data.
  Bytes split;
  AddIdat(&split, stream.data(), 10);
  AddIdat(&split, stream.data() + 10, stream.size() - 10, "tEXt");
  image.data = split.data();
  image.dataSize = uint32_t(split.size());
  image.firstIdat = split.data();
  EXPECT_EQ(InflateWithResult(&image), InflateInputEnded);
  // An IDAT whose length runs past the end of the PNG bytes.
  Bytes chain;
  AddIdat(&chain, stream.data(), 10);
  AddIdat(&chain, stream.data() + 10, stream.size() - 10);
  chain.resize(chain.size() - 6);
  image.data = chain.data();
  image.dataSize = uint32_t(chain.size());
  image.firstIdat = chain.data();
  EXPECT_EQ(InflateWithResult(&image), InflateBrokenChunk);
  EXPECT_EQ(image.lastError, uint32_t(PngErrorBadData));
  // The fourth letter of the type may be lower case; not the first.
  Bytes lower;
  AddIdat(&lower, stream.data(), stream.size(), "IDAt");
  image.data = lower.data();
  image.dataSize = uint32_t(lower.size());
  image.firstIdat = lower.data();
  EXPECT_EQ(Inflate(&image), 1);
  lower[4] = 'i';
  EXPECT_EQ(InflateWithResult(&image), InflateInputEnded);
  // No IDAT at all.
  image.firstIdat = nullptr;
  EXPECT_EQ(InflateWithResult(&image), InflateInputEnded);
}

TEST(Inflate, IdatReaderReadsAcrossChunksThenZeros) {
  Bytes chain;
  const uint8_t a[] = {1, 2};
  const uint8_t b[] = {3};
  AddIdat(&chain, a, 2);
  AddIdat(&chain, a, 0);
  AddIdat(&chain, b, 1);
  PngImage image;
  PngInit(&image);
  image.data = chain.data();
  image.dataSize = uint32_t(chain.size());
  image.firstIdat = chain.data();
  IdatReader reader;
  IdatReaderStart(&reader, &image);
  EXPECT_EQ(IdatReaderNext(&reader), 1);
  EXPECT_EQ(IdatReaderNext(&reader), 2);
  EXPECT_EQ(IdatReaderNext(&reader), 3);
  EXPECT_EQ(IdatReaderNext(&reader), 0);
  EXPECT_EQ(IdatReaderNext(&reader), 0);
  EXPECT_TRUE(reader.ended);
  EXPECT_FALSE(reader.broken);
  EXPECT_EQ(reader.overrun, 2u);
}

TEST(HuffmanTable, CanonicalCodeWithSymbolsInDescendingOrder) {
  // RFC 1951 3.2.2 example: A-H with lengths 3 3 3 3 3 2 4 4.
  const uint8_t lengths[8] = {3, 3, 3, 3, 3, 2, 4, 4};
  const uint16_t counts[kMaxCodeBits + 1] = {0, 0, 1, 5, 2};
  HuffmanTable table;
  ASSERT_TRUE(BuildHuffmanTable(&table, lengths, counts, 8, 4));
  // F = 00; A-E = 010-110; G, H = 1110, 1111.
  EXPECT_EQ(table.limit[2], 1);
  EXPECT_EQ(table.limit[3], 7);
  EXPECT_EQ(table.limit[4], 16);
  // Entry (limit - 1 - code): the last code of each length is the first entry.
  EXPECT_EQ(table.symbols[table.start[3]], 4);      // E = 110
  EXPECT_EQ(table.symbols[table.start[3] + 4], 0);  // A = 010
  EXPECT_EQ(table.symbols[table.start[4]], 7);      // H = 1111
  EXPECT_EQ(table.symbols[table.start[2]], 5);      // F = 00

  const uint16_t wrongCounts[kMaxCodeBits + 1] = {0, 0, 1, 4, 2};  // disagrees with the lengths
  EXPECT_FALSE(BuildHuffmanTable(&table, lengths, wrongCounts, 8, 4));
  EXPECT_FALSE(BuildHuffmanTable(&table, lengths, counts, 8, 3));  // a length above the maximum
}

}  // namespace
