// PNG decoder: chunk walk, raw buffer sizing, unfiltering, Adam7 and the
// converters from PNG rows to DIB rows.
//
// The PNG bytes are read in place and never copied. PngParse walks every
// chunk (IHDR first; PLTE and IDAT remembered by position; ancillary chunks
// skipped; an unknown critical chunk refused). PngDecode inflates all IDAT
// data into one buffer of filtered rows. PngConvert unfilters row by row into
// two alternating row buffers and converts each row straight into the
// caller's DIB rows (top-down, each row padded to a multiple of 4 bytes):
// 16-bit samples keep their high byte, colour becomes blue-green-red, 2-bit
// pixels widen to 4 bits. Transparency, gamma and the other ancillary chunks
// have no effect; chunk CRCs and the Adler-32 trailer are not compared.
//
// Bounds: every chunk length is compared with the bytes left before it is
// used; IHDR must hold its 13 bytes; images above kMaxPixels pixels or
// kMaxDimension in either direction are refused before any size is computed,
// so the raw and DIB sizes fit in 32 bits. A palette image without PLTE or an
// image without IDAT fails to decode.
#include "media/png_decoder.h"

#include <cstdlib>
#include <cstring>

#include "media/inflate.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kMinPngSize = 16;     // signature and the start of IHDR
constexpr uint32_t kChunkOverhead = 12;  // length, type, CRC
constexpr uint32_t kIhdrSize = 13;       // width, height, depth, type, methods

// Largest image accepted: 8192 x 8192 pixels in area and 65535 pixels on a
// side. Worst case raw size is 8 bytes per pixel plus the filter bytes, well
// below 4 GiB.
constexpr uint64_t kMaxPixels = kPngMaxPixels;
constexpr uint32_t kMaxDimension = kPngMaxSide;

// Chunk types, big-endian; the first letter's bit 5 (ancillary) is cleared
// before comparing.
constexpr uint32_t kTypeIhdr = 0x49484452;  // "IHDR"
constexpr uint32_t kTypePlte = 0x504C5445;  // "PLTE"
constexpr uint32_t kTypeIdat = 0x49444154;  // "IDAT"
constexpr uint32_t kTypeIend = 0x49454E44;  // "IEND"
constexpr uint32_t kAncillaryBit = 0x20000000;

// Colour types.
constexpr uint8_t kGrey = 0;
constexpr uint8_t kColour = 2;
constexpr uint8_t kPalette = 3;
constexpr uint8_t kGreyAlpha = 4;
constexpr uint8_t kColourAlpha = 6;

constexpr uint32_t kFormatFlag = 1;

// Converter ids (low byte of a PngFormat).
enum Converter : uint8_t {
  ConvertCopy = 0,
  ConvertFirstOfTwo = 6,
  ConvertRgb16 = 7,
  ConvertRgba16To24 = 8,
  ConvertRgba16To32 = 9,
  ConvertGreyAlpha16 = 10,
  ConvertTwoBitToFour = 11,
  ConvertRgb8 = 12,
  ConvertRgba8To24 = 13,
  ConvertRgba8To32 = 14,
};

struct FormatEntry {
  uint8_t colourType;
  uint8_t bitDepth;
  uint8_t converter;
  uint8_t outputBits;
};

// Every format a bitmap can be made in. The first entry of each colour type
// and depth is its default, except for 8- and 16-bit colour + alpha, whose
// defaults (14, 9) come before their 24-bit alternatives (13, 8).
constexpr FormatEntry kFormats[] = {
    {kGrey, 1, ConvertCopy, 1},
    {kGrey, 2, ConvertTwoBitToFour, 4},
    {kGrey, 4, ConvertCopy, 4},
    {kGrey, 8, ConvertCopy, 8},
    {kGrey, 16, ConvertFirstOfTwo, 8},
    {kColour, 8, ConvertRgb8, 24},
    {kColour, 16, ConvertRgb16, 24},
    {kPalette, 1, ConvertCopy, 1},
    {kPalette, 2, ConvertTwoBitToFour, 4},
    {kPalette, 4, ConvertCopy, 4},
    {kPalette, 8, ConvertCopy, 8},
    {kGreyAlpha, 8, ConvertFirstOfTwo, 8},
    {kGreyAlpha, 16, ConvertGreyAlpha16, 8},
    {kColourAlpha, 8, ConvertRgba8To32, 32},
    {kColourAlpha, 8, ConvertRgba8To24, 24},
    {kColourAlpha, 16, ConvertRgba16To32, 32},
    {kColourAlpha, 16, ConvertRgba16To24, 24},
};

// Adam7 pass geometry (PNG, ISO/IEC 15948, 8.2).
constexpr uint32_t kPassColumnStart[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr uint32_t kPassColumnShift[7] = {3, 3, 2, 2, 1, 1, 0};
constexpr uint32_t kPassRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr uint32_t kPassRowShift[7] = {3, 3, 3, 2, 2, 1, 1};

// The pixels one Adam7 pass holds: `columns` x `rows` of them, at columns
// firstColumn + (i << columnShift) of rows firstRow + (j << rowShift).
struct Pass {
  uint32_t columns;
  uint32_t rows;
  uint32_t firstColumn;
  uint32_t columnShift;
  uint32_t firstRow;
  uint32_t rowShift;
};

uint32_t ReadBigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t SamplesPerPixel(uint8_t colourType) {
  switch (colourType) {
    case kGrey:
    case kPalette:
      return 1;
    case kColour:
      return 3;
    case kGreyAlpha:
      return 2;
    case kColourAlpha:
      return 4;
    default:
      return 0;
  }
}

bool IsAllowedDepth(uint8_t colourType, uint8_t bitDepth) {
  switch (colourType) {
    case kGrey:
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case kPalette:
      return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case kColour:
    case kGreyAlpha:
    case kColourAlpha:
      return bitDepth == 8 || bitDepth == 16;
    default:
      return false;
  }
}

uint32_t BitsPerPixel(const PngImage* image) {
  return SamplesPerPixel(image->colourType) * image->bitDepth;
}

// Bytes of one row of `columns` pixels, without the filter byte.
uint64_t RowBytes(uint64_t columns, uint32_t bitsPerPixel) {
  return (columns * bitsPerPixel + 7) / 8;
}

uint64_t DibStride(uint64_t width, uint32_t outputBits) {
  return (RowBytes(width, outputBits) + 3) & ~uint64_t(3);
}

// The geometry of pass `index` (0..6) over a width x height image; false
// when the image is too small for the pass to hold any pixel.
bool FindPass(int index, uint32_t width, uint32_t height, Pass* pass) {
  if (width <= kPassColumnStart[index] || height <= kPassRowStart[index]) {
    return false;
  }
  pass->firstColumn = kPassColumnStart[index];
  pass->columnShift = kPassColumnShift[index];
  pass->firstRow = kPassRowStart[index];
  pass->rowShift = kPassRowShift[index];
  pass->columns = ((width - pass->firstColumn - 1) >> pass->columnShift) + 1;
  pass->rows = ((height - pass->firstRow - 1) >> pass->rowShift) + 1;
  return true;
}

// The record holds a header the decoder can size and convert.
bool HasValidHeader(const PngImage* image) {
  return image->width != 0 && image->height != 0 && image->width <= kMaxDimension &&
         image->height <= kMaxDimension && uint64_t(image->width) * image->height <= kMaxPixels &&
         IsAllowedDepth(image->colourType, image->bitDepth) && image->interlace <= 1;
}

const FormatEntry* FindFormat(uint32_t format) {
  if (((format >> 8) & 0xFF) != kFormatFlag) {
    return nullptr;
  }
  for (const FormatEntry& entry : kFormats) {
    if (entry.colourType == (format >> 24) && entry.bitDepth == ((format >> 16) & 0xFF) &&
        entry.converter == (format & 0xFF)) {
      return &entry;
    }
  }
  return nullptr;
}

uint32_t DefaultFormat(uint8_t colourType, uint8_t bitDepth) {
  uint32_t converter = 0;
  for (const FormatEntry& entry : kFormats) {
    if (entry.colourType == colourType && entry.bitDepth == bitDepth) {
      converter = entry.converter;
      break;
    }
  }
  return uint32_t(colourType) << 24 | uint32_t(bitDepth) << 16 | kFormatFlag << 8 | converter;
}

int Fail(PngImage* image, PngError error) {
  image->lastError = error;
  return 0;
}

// The Paeth predictor (PNG 9.4) in a form without its three distances:
// with t = 3c - a - b, p = a + b - c is nearest the larger of a (left) and
// b (above) when t <= min(a, b), nearest the smaller when max(a, b) <= t,
// and nearest c (above left) otherwise, ties falling as the standard orders
// them. It gives the same byte for every a, b and c, and compiles to selects
// where the three-distance form branches unpredictably.
inline uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c) {
  int threshold = 3 * int(c) - (int(a) + int(b));
  int low = a < b ? a : b;
  int high = a < b ? b : a;
  int notLow = high <= threshold ? low : c;
  return uint8_t(threshold <= low ? high : notLow);
}

// The four predicting filters (PNG, ISO/IEC 15948, 9.2). Each undoes one row
// of `length` bytes from `raw` into `row`; `previous` is the row above, null
// on the first row of an image or pass, where every byte above counts as 0.
// `left` is the count of leading bytes with no pixel to their left.

void UnfilterSub(const uint8_t* raw, uint8_t* row, uint32_t length, uint32_t left, uint32_t bytesPerPixel) {
  std::memcpy(row, raw, left);
  for (uint32_t i = left; i < length; i++) {
    row[i] = uint8_t(raw[i] + row[i - bytesPerPixel]);
  }
}

void UnfilterUp(const uint8_t* raw, uint8_t* row, const uint8_t* previous, uint32_t length) {
  if (previous == nullptr) {
    std::memcpy(row, raw, length);
    return;
  }
  for (uint32_t i = 0; i < length; i++) {
    row[i] = uint8_t(raw[i] + previous[i]);
  }
}

void UnfilterAverage(const uint8_t* raw, uint8_t* row, const uint8_t* previous, uint32_t length,
                     uint32_t left, uint32_t bytesPerPixel) {
  if (previous == nullptr) {
    std::memcpy(row, raw, left);
    for (uint32_t i = left; i < length; i++) {
      row[i] = uint8_t(raw[i] + (row[i - bytesPerPixel] >> 1));
    }
    return;
  }
  for (uint32_t i = 0; i < left; i++) {
    row[i] = uint8_t(raw[i] + (previous[i] >> 1));
  }
  for (uint32_t i = left; i < length; i++) {
    row[i] = uint8_t(raw[i] + ((uint32_t(row[i - bytesPerPixel]) + previous[i]) >> 1));
  }
}

void UnfilterPaeth(const uint8_t* raw, uint8_t* row, const uint8_t* previous, uint32_t length, uint32_t left,
                   uint32_t bytesPerPixel) {
  // With no row above, Paeth always predicts the left byte.
  if (previous == nullptr) {
    UnfilterSub(raw, row, length, left, bytesPerPixel);
    return;
  }
  for (uint32_t i = 0; i < left; i++) {
    row[i] = uint8_t(raw[i] + previous[i]);
  }
  for (uint32_t i = left; i < length; i++) {
    row[i] = uint8_t(raw[i] + Paeth(row[i - bytesPerPixel], previous[i], previous[i - bytesPerPixel]));
  }
}

// Undoes one row's filter from `raw` into `row`. False for an unknown filter
// type.
bool Unfilter(uint8_t filter, const uint8_t* raw, uint8_t* row, const uint8_t* previous, uint32_t length,
              uint32_t bytesPerPixel) {
  uint32_t left = bytesPerPixel < length ? bytesPerPixel : length;
  switch (filter) {
    case 0:
      std::memcpy(row, raw, length);
      return true;
    case 1:
      UnfilterSub(raw, row, length, left, bytesPerPixel);
      return true;
    case 2:
      UnfilterUp(raw, row, previous, length);
      return true;
    case 3:
      UnfilterAverage(raw, row, previous, length, left, bytesPerPixel);
      return true;
    case 4:
      UnfilterPaeth(raw, row, previous, length, left, bytesPerPixel);
      return true;
    default:
      return false;
  }
}

// The converters from one unfiltered PNG row of `count` pixels to DIB
// pixels. Samples of 16 bits keep their high (first) byte; colour is
// written blue, green, red as a DIB holds it.

// One byte of every `kPixelBytes`: grey + alpha at 8 bits (the grey), grey
// at 16 bits and grey + alpha at 16 bits (the high byte of the grey).
template <uint32_t kPixelBytes>
void PickFirstByte(const uint8_t* row, uint32_t count, uint8_t* out) {
  for (uint32_t i = 0; i < count; i++) {
    out[i] = row[kPixelBytes * i];
  }
}

// Red, green, blue (and any alpha, dropped) to blue, green, red; samples of
// `kSampleBytes` bytes.
template <uint32_t kPixelBytes, uint32_t kSampleBytes>
void ToBgr(const uint8_t* row, uint32_t count, uint8_t* out) {
  for (uint32_t i = 0; i < count; i++) {
    const uint8_t* p = row + kPixelBytes * i;
    out[3 * i] = p[2 * kSampleBytes];
    out[3 * i + 1] = p[kSampleBytes];
    out[3 * i + 2] = p[0];
  }
}

// Red, green, blue, alpha to blue, green, red, alpha.
template <uint32_t kSampleBytes>
void ToBgra(const uint8_t* row, uint32_t count, uint8_t* out) {
  for (uint32_t i = 0; i < count; i++) {
    const uint8_t* p = row + 4 * kSampleBytes * i;
    out[4 * i] = p[2 * kSampleBytes];
    out[4 * i + 1] = p[kSampleBytes];
    out[4 * i + 2] = p[0];
    out[4 * i + 3] = p[3 * kSampleBytes];
  }
}

// A DIB has no 2-bit pixels: each becomes a 4-bit one of the same value,
// four pixels of a `length`-byte row into two bytes.
void TwoBitToFour(const uint8_t* row, uint32_t length, uint8_t* out) {
  for (uint32_t i = 0; i < length; i++) {
    uint8_t b = row[i];
    out[2 * i] = uint8_t(((b >> 6) & 3) << 4 | ((b >> 4) & 3));
    out[2 * i + 1] = uint8_t(((b >> 2) & 3) << 4 | (b & 3));
  }
}

// Converts one unfiltered row of `count` pixels (`length` bytes).
void ConvertRow(uint8_t converter, const uint8_t* row, uint32_t length, uint32_t count, uint8_t* out) {
  switch (converter) {
    case ConvertCopy:
      std::memcpy(out, row, length);
      break;
    case ConvertFirstOfTwo:
      PickFirstByte<2>(row, count, out);
      break;
    case ConvertGreyAlpha16:
      PickFirstByte<4>(row, count, out);
      break;
    case ConvertRgb8:
      ToBgr<3, 1>(row, count, out);
      break;
    case ConvertRgba8To24:
      ToBgr<4, 1>(row, count, out);
      break;
    case ConvertRgb16:
      ToBgr<6, 2>(row, count, out);
      break;
    case ConvertRgba16To24:
      ToBgr<8, 2>(row, count, out);
      break;
    case ConvertRgba8To32:
      ToBgra<1>(row, count, out);
      break;
    case ConvertRgba16To32:
      ToBgra<2>(row, count, out);
      break;
    case ConvertTwoBitToFour:
      TwoBitToFour(row, length, out);
      break;
  }
}

// Walks the filtered rows of one image or pass held in `raw`.
struct RowWalk {
  const uint8_t* raw;
  uint32_t rawLeft;
  uint8_t* current;
  uint8_t* previous;  // null before the first row
  uint8_t* spare;
  uint32_t length;
  uint32_t bytesPerPixel;
};

// Unfilters the next row into walk->current; false on a missing row or an
// unknown filter.
bool NextRow(RowWalk* walk) {
  if (walk->rawLeft < walk->length + 1) {
    return false;
  }
  uint8_t filter = walk->raw[0];
  if (!Unfilter(filter, walk->raw + 1, walk->current, walk->previous, walk->length, walk->bytesPerPixel)) {
    return false;
  }
  walk->raw += walk->length + 1;
  walk->rawLeft -= walk->length + 1;
  return true;
}

void SwapRows(RowWalk* walk) {
  uint8_t* done = walk->current;
  walk->current = walk->previous != nullptr ? walk->previous : walk->spare;
  walk->previous = done;
}

// A walk over the image's first row, `rowLength` bytes, in `rows` (room for
// two).
RowWalk StartWalk(const PngImage* image, uint8_t* rows, uint32_t rowLength) {
  uint32_t bitsPerPixel = BitsPerPixel(image);
  return RowWalk{image->pixels,
                 image->pixelsSize,
                 rows,
                 nullptr,
                 rows + rowLength,
                 rowLength,
                 bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1};
}

bool ConvertProgressive(PngImage* image, uint8_t* destination, const FormatEntry* format, uint8_t* rows,
                        uint32_t rowLength) {
  uint32_t stride = uint32_t(DibStride(image->width, format->outputBits));
  RowWalk walk = StartWalk(image, rows, rowLength);
  for (uint32_t y = 0; y < image->height; y++) {
    if (!NextRow(&walk)) {
      return false;
    }
    ConvertRow(format->converter, walk.current, rowLength, image->width, destination);
    destination += stride;
    SwapRows(&walk);
  }
  return true;
}

// Places the `count` converted pixels of one pass row at columns x, x + step,
// ... of a DIB row: whole bytes copied, 4- and 1-bit pixels ORed into rows
// that start blank.
void ScatterBytes(const uint8_t* from, uint32_t count, uint32_t pixelBytes, uint32_t x, uint32_t step,
                  uint8_t* target) {
  for (uint32_t j = 0; j < count; j++, x += step) {
    std::memcpy(target + size_t(x) * pixelBytes, from + size_t(j) * pixelBytes, pixelBytes);
  }
}

void ScatterNibbles(const uint8_t* from, uint32_t count, uint32_t x, uint32_t step, uint8_t* target) {
  for (uint32_t j = 0; j < count; j++, x += step) {
    uint8_t value = (from[j / 2] >> ((j & 1) ? 0 : 4)) & 0x0F;
    target[x / 2] |= uint8_t(value << ((x & 1) ? 0 : 4));
  }
}

void ScatterBits(const uint8_t* from, uint32_t count, uint32_t x, uint32_t step, uint8_t* target) {
  for (uint32_t j = 0; j < count; j++, x += step) {
    uint8_t value = (from[j / 8] >> (7 - (j & 7))) & 1;
    target[x / 8] |= uint8_t(value << (7 - (x & 7)));
  }
}

void ScatterRow(const uint8_t* from, const Pass& pass, uint32_t outputBits, uint8_t* target) {
  uint32_t step = 1u << pass.columnShift;
  if (step == 1) {
    // The last pass fills whole rows.
    std::memcpy(target, from, RowBytes(pass.columns, outputBits));
  } else if (outputBits >= 8) {
    ScatterBytes(from, pass.columns, outputBits / 8, pass.firstColumn, step, target);
  } else if (outputBits == 4) {
    ScatterNibbles(from, pass.columns, pass.firstColumn, step, target);
  } else {
    ScatterBits(from, pass.columns, pass.firstColumn, step, target);
  }
}

// Unfilters and converts the rows of one pass into `passRow`, then scatters
// each into its DIB row; false on a missing row or an unknown filter.
bool ConvertPass(RowWalk* walk, const Pass& pass, const FormatEntry* format, uint8_t* passRow,
                 uint8_t* destination, uint32_t stride) {
  for (uint32_t r = 0; r < pass.rows; r++) {
    if (!NextRow(walk)) {
      return false;
    }
    ConvertRow(format->converter, walk->current, walk->length, pass.columns, passRow);
    SwapRows(walk);
    uint32_t y = pass.firstRow + (r << pass.rowShift);
    ScatterRow(passRow, pass, format->outputBits, destination + size_t(y) * stride);
  }
  return true;
}

bool ConvertInterlaced(PngImage* image, uint8_t* destination, const FormatEntry* format, uint8_t* rows,
                       uint32_t rowLength) {
  uint32_t stride = uint32_t(DibStride(image->width, format->outputBits));
  uint8_t* passRow = static_cast<uint8_t*>(PngAlloc(size_t(stride) + 16));
  if (passRow == nullptr) {
    image->lastError = PngErrorOutOfMemory;
    return false;
  }
  if (format->outputBits < 8) {
    std::memset(destination, 0, size_t(stride) * image->height);
  }
  uint32_t bitsPerPixel = BitsPerPixel(image);
  RowWalk walk = StartWalk(image, rows, rowLength);
  bool ok = true;
  Pass pass;
  for (int index = 0; index < 7 && ok; index++) {
    if (FindPass(index, image->width, image->height, &pass)) {
      // Each pass is a small image of its own: its first row has none above.
      walk.length = uint32_t(RowBytes(pass.columns, bitsPerPixel));
      walk.previous = nullptr;
      walk.current = rows;
      ok = ConvertPass(&walk, pass, format, passRow, destination, stride);
    }
  }
  PngFree(passRow);
  return ok;
}

}  // namespace

#ifndef _WIN32
void* PngAlloc(size_t size) {
  return std::malloc(size);
}
void PngFree(void* block) {
  std::free(block);
}
#endif

int PngInit(PngImage* image) {
  std::memset(image, 0, sizeof *image);
  return 1;
}

int PngLoadMemory(PngImage* image, const uint8_t* bytes, uint32_t size) {
  if (image->stage != 0 || image->source != 0) {
    return Fail(image, PngErrorRecordInUse);
  }
  image->lastError = PngErrorNone;
  if (bytes == nullptr || size == 0) {
    return Fail(image, PngErrorResourceUnloadable);
  }
  image->data = bytes;
  image->dataSize = size;
  image->source = 2;
  if (!PngParse(image)) {
    uint32_t error = image->lastError;
    PngInit(image);
    image->lastError = error;
    return 0;
  }
  image->stage = 1;
  return 1;
}

int PngReadChunk(PngImage* image, ChunkInfo* chunk) {
  const uint8_t* end = image->data + image->dataSize;
  const uint8_t* at = image->cursor;
  if (image->data == nullptr || at == nullptr || at < image->data || at >= end) {
    return 0;
  }
  size_t left = size_t(end - at);
  if (left < kChunkOverhead) {
    return 0;
  }
  uint32_t length = ReadBigEndian32(at);
  // The CRC must start no later than end - 4.
  if (uint64_t(length) > left - kChunkOverhead) {
    return 0;
  }
  uint32_t type = ReadBigEndian32(at + 4);
  uint32_t upper = type & ~kAncillaryBit;
  if (upper == kTypeIhdr) {
    chunk->kind = ChunkIhdr;
  } else if (upper == kTypePlte) {
    chunk->kind = ChunkPlte;
  } else if (upper == kTypeIdat) {
    chunk->kind = ChunkIdat;
  } else if (upper == kTypeIend) {
    chunk->kind = ChunkIend;
  } else {
    chunk->kind = (type & kAncillaryBit) != 0 ? ChunkAncillary : ChunkUnknownCritical;
  }
  chunk->length = length;
  chunk->crc = ReadBigEndian32(at + 8 + length);
  return 1;
}

namespace {

// Checks the signature and the IHDR chunk that must follow it, and takes the
// image size from it; leaves image->cursor on IHDR.
bool ReadImageHeader(PngImage* image, ChunkInfo* chunk) {
  if (image->data == nullptr || image->dataSize < kMinPngSize ||
      std::memcmp(image->data, kSignature, sizeof kSignature) != 0) {
    return false;
  }
  image->cursor = image->data + sizeof kSignature;
  if (!PngReadChunk(image, chunk) || chunk->kind != ChunkIhdr || chunk->length < kIhdrSize) {
    return false;
  }
  image->header = image->cursor + 8;
  image->width = ReadBigEndian32(image->header);
  image->height = ReadBigEndian32(image->header + 4);
  return image->width != 0 && image->height != 0;
}

// Walks the chunks after IHDR to the end of the data, remembering the first
// PLTE and the first IDAT; false on an unknown critical chunk.
bool WalkChunks(PngImage* image, ChunkInfo chunk) {
  for (;;) {
    image->cursor += chunk.length + kChunkOverhead;
    if (!PngReadChunk(image, &chunk)) {
      return true;
    }
    if (chunk.kind == ChunkUnknownCritical) {
      return false;
    }
    if (chunk.kind == ChunkPlte && image->palette == nullptr) {
      image->palette = image->cursor + 8;
      image->paletteCount = chunk.length / 3;
    } else if (chunk.kind == ChunkIdat && image->firstIdat == nullptr) {
      image->firstIdat = image->cursor;
    }
  }
}

// Takes the depth, colour type and interlace method from IHDR; false for a
// combination the decoder does not handle, or an image too large to decode
// safely.
bool ReadPixelFormat(PngImage* image) {
  image->bitDepth = image->header[8];
  image->colourType = image->header[9];
  image->interlace = image->header[12];
  return IsAllowedDepth(image->colourType, image->bitDepth) && image->header[10] == 0 &&
         image->header[11] == 0 && HasValidHeader(image);
}

}  // namespace

int PngParse(PngImage* image) {
  image->cursor = nullptr;
  image->header = nullptr;
  image->firstIdat = nullptr;
  image->palette = nullptr;
  image->paletteCount = 0;
  image->lastError = PngErrorNone;
  ChunkInfo chunk;
  if (!ReadImageHeader(image, &chunk)) {
    return Fail(image, PngErrorBadData);
  }
  if (!WalkChunks(image, chunk) || !ReadPixelFormat(image)) {
    return Fail(image, PngErrorUnsupported);
  }
  return 1;
}

uint32_t PngRawSize(const PngImage* image) {
  if (!HasValidHeader(image)) {
    return 0;
  }
  uint32_t bitsPerPixel = BitsPerPixel(image);
  uint64_t size = 0;
  if (image->interlace == 0) {
    size = (RowBytes(image->width, bitsPerPixel) + 1) * image->height;
  } else {
    Pass pass;
    for (int index = 0; index < 7; index++) {
      if (FindPass(index, image->width, image->height, &pass)) {
        size += (RowBytes(pass.columns, bitsPerPixel) + 1) * pass.rows;
      }
    }
  }
  return size > UINT32_MAX ? 0 : uint32_t(size);
}

int PngDecode(PngImage* image) {
  if (image->stage != 1) {
    return Fail(image, PngErrorWrongStage);
  }
  image->lastError = PngErrorNone;
  // Nothing to inflate, or indices with no colours: refuse rather than show
  // garbage.
  if (image->firstIdat == nullptr || (image->colourType == kPalette && image->palette == nullptr)) {
    return Fail(image, PngErrorBadData);
  }
  uint32_t size = PngRawSize(image);
  if (size == 0) {
    return Fail(image, PngErrorUnsupported);
  }
  image->pixels = static_cast<uint8_t*>(PngAlloc(size));
  if (image->pixels == nullptr) {
    return Fail(image, PngErrorOutOfMemory);
  }
  image->pixelsSize = size;
  if (!Inflate(image)) {
    PngFree(image->pixels);
    image->pixels = nullptr;
    image->pixelsSize = 0;
    return 0;
  }
  image->stage = 2;
  return 1;
}

int PngFillBitmapInfo(const PngImage* image, PngBitmapInfo* info, uint32_t* defaultFormat) {
  if (!HasValidHeader(image)) {
    return 0;
  }
  std::memset(info, 0, sizeof *info);
  info->header.biSize = 40;
  info->header.biWidth = int32_t(image->width);
  info->header.biHeight = -int32_t(image->height);
  info->header.biPlanes = 1;
  info->header.biCompression = 0;  // BI_RGB
  uint32_t rampSize = 0;
  uint8_t type = image->colourType;
  uint8_t depth = image->bitDepth;
  if (type == kGrey || type == kPalette) {
    info->header.biBitCount = uint16_t(depth == 2 ? 4 : depth == 16 ? 8 : depth);
    if (type == kGrey) {
      rampSize = depth == 16 ? 256 : 1u << depth;
    }
  } else if (type == kColour) {
    info->header.biBitCount = 24;
  } else if (type == kGreyAlpha) {
    info->header.biBitCount = 8;
    rampSize = 256;
  } else {
    info->header.biBitCount = 32;
  }
  if (rampSize != 0) {
    for (uint32_t i = 0; i < rampSize; i++) {
      uint8_t level = uint8_t(i * 255 / (rampSize - 1));
      info->colours[i] = {level, level, level, 0};
    }
    info->header.biClrUsed = rampSize;
  }
  if (type == kPalette && image->palette != nullptr) {
    uint32_t count = image->paletteCount < 256 ? image->paletteCount : 256;
    for (uint32_t i = 0; i < count; i++) {
      const uint8_t* rgb = image->palette + 3 * i;
      info->colours[i] = {rgb[2], rgb[1], rgb[0], 0};
    }
  }
  if (defaultFormat != nullptr) {
    *defaultFormat = DefaultFormat(type, depth);
  }
  return 1;
}

uint32_t PngOutputBits(uint32_t format) {
  const FormatEntry* entry = FindFormat(format);
  return entry != nullptr ? entry->outputBits : 0;
}

int PngConvert(PngImage* image, uint8_t* destination, uint32_t format) {
  if (image->stage != 2 || image->pixels == nullptr) {
    return Fail(image, PngErrorWrongStage);
  }
  image->lastError = PngErrorNone;
  if (format == kPngDefaultFormat) {
    format = DefaultFormat(image->colourType, image->bitDepth);
  }
  // The converter reads rows laid out for the image's own type and depth.
  const FormatEntry* entry = FindFormat(format);
  if (entry == nullptr || entry->colourType != image->colourType || entry->bitDepth != image->bitDepth ||
      destination == nullptr) {
    return Fail(image, PngErrorFormatMismatch);
  }
  uint32_t rowLength = uint32_t(RowBytes(image->width, BitsPerPixel(image)));
  uint8_t* rows = static_cast<uint8_t*>(PngAlloc(size_t(rowLength) * 2));
  if (rows == nullptr) {
    return Fail(image, PngErrorOutOfMemory);
  }
  bool ok = image->interlace == 0 ? ConvertProgressive(image, destination, entry, rows, rowLength)
                                  : ConvertInterlaced(image, destination, entry, rows, rowLength);
  PngFree(rows);
  if (!ok) {
    // An unknown filter type is broken data; memory failures set their own code.
    if (image->lastError == PngErrorNone) {
      image->lastError = PngErrorBadData;
    }
    return 0;
  }
  return 1;
}

int PngCleanup(PngImage* image) {
  if (image->stage == 2 && image->pixels != nullptr) {
    PngFree(image->pixels);
  }
  return PngInit(image);
}

const char* ToString(PngError error) {
  switch (error) {
    case PngErrorNone:
      return "no error";
    case PngErrorOutOfMemory:
      return "out of memory";
    case PngErrorRecordInUse:
      return "record not empty";
    case PngErrorBadData:
      return "not a PNG, or broken";
    case PngErrorUnsupported:
      return "unsupported PNG";
    case PngErrorFormatMismatch:
      return "format does not fit the image";
    case PngErrorWrongStage:
      return "called in the wrong stage";
    case PngErrorBitmapFailed:
      return "bitmap creation failed";
    case PngErrorNoResource:
      return "resource not found";
    case PngErrorResourceUnloadable:
      return "resource cannot be loaded or is empty";
  }
  return "unknown error";
}
