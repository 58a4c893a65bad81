// The player's own PNG decoder: walks the chunks in place, inflates the IDAT
// data into one buffer, then unfilters, de-interlaces and converts the rows
// straight into DIB rows. Portable except for PngLoadResource and
// PngCreateBitmap, which exist in the Windows build only.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest image PngParse accepts: 8192 x 8192 pixels in area and 65535
// pixels on a side.
constexpr uint64_t kPngMaxPixels = uint64_t(1) << 26;
constexpr uint32_t kPngMaxSide = 65535;

// Error codes left in PngImage::lastError.
enum PngError : uint32_t {
  PngErrorNone = 0,
  PngErrorOutOfMemory = 0x1001,
  PngErrorRecordInUse = 0x1002,     // PngLoadResource on a record that is not empty
  PngErrorBadData = 0x2000,         // not a PNG, or broken (inflate failures too)
  PngErrorUnsupported = 0x2001,     // unknown critical chunk, bad type/depth, methods
  PngErrorFormatMismatch = 0x2002,  // requested format does not fit the image
  PngErrorWrongStage = 0x2003,
  PngErrorBitmapFailed = 0x2006,  // CreateDIBSection or CreateDIBitmap failed
  PngErrorNoResource = 0x3001,
  PngErrorResourceUnloadable = 0x3002,
};

struct PngImage {
  uint32_t width;
  uint32_t height;
  uint32_t lastError;
  uint32_t paletteCount;
  uint8_t colourType;
  uint8_t bitDepth;
  uint8_t interlace;
  const uint8_t* data;
  uint32_t dataSize;
  const uint8_t* cursor;
  uint8_t* pixels;
  uint32_t pixelsSize;
  const uint8_t* palette;
  uint32_t source;  // 0 none, 2 attached bytes (a module resource, or memory)
  const uint8_t* header;
  const uint8_t* firstIdat;
  uint32_t stage;  // 0 empty, 1 parsed, 2 decoded
};

enum ChunkKind : uint32_t {
  ChunkAncillary = 0,
  ChunkIhdr = 1,
  ChunkPlte = 2,
  ChunkIdat = 3,
  ChunkIend = 4,
  ChunkUnknownCritical = 5,
};

struct ChunkInfo {
  uint32_t kind;
  uint32_t length;
  uint32_t crc;
};

// A BITMAPINFO with room for 256 colours, laid out as in wingdi.h.
struct PngBitmapInfo {
  struct {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
  } header;
  struct {
    uint8_t blue, green, red, reserved;
  } colours[256];
};

// PngFormat: colour type << 24 | bit depth << 16 | 1 << 8 | converter id.
constexpr uint32_t kPngDefaultFormat = 0xFFFFFFFFu;

// The process heap on Windows, malloc elsewhere.
void* PngAlloc(size_t size);
void PngFree(void* block);

// Every operation returns 1 on success, or 0 with a PngError in lastError.

int PngInit(PngImage* image);
// Attaches PNG bytes held in memory and parses them (the portable twin of
// PngLoadResource; the bytes must outlive the record). Stage 0 -> 1.
int PngLoadMemory(PngImage* image, const uint8_t* bytes, uint32_t size);
// Walks the chunks of image->data: IHDR first, PLTE and IDAT remembered.
// Images above 2^26 pixels or 65535 pixels on a side are refused (0x2001).
int PngParse(PngImage* image);
// Reads the chunk header at image->cursor; 0 (no code) when the chunk does not
// fit in the data.
int PngReadChunk(PngImage* image, ChunkInfo* chunk);
// Bytes of the inflated, still filtered rows (all Adam7 passes); 0 for a
// header the decoder cannot size.
uint32_t PngRawSize(const PngImage* image);
// Inflates the IDAT data into image->pixels. Stage 1 -> 2.
int PngDecode(PngImage* image);
// The DIB header and colour table of the default format, and that format.
int PngFillBitmapInfo(const PngImage* image, PngBitmapInfo* info, uint32_t* defaultFormat);
// Bits per pixel of the DIB rows a format produces, 0 for an invalid format.
uint32_t PngOutputBits(uint32_t format);
// Writes the decoded image as top-down DIB rows into destination, which must
// hold stride x height bytes, stride = ceil(width x PngOutputBits / 8) rounded
// up to a multiple of 4. Row padding is left as it was. A format that is not
// valid for the image's colour type and depth fails with 0x2002.
int PngConvert(PngImage* image, uint8_t* destination, uint32_t format);
// Frees what the record owns and zeroes it, from any stage.
int PngCleanup(PngImage* image);

const char* ToString(PngError error);

#ifdef _WIN32
#include <windows.h>
// Attaches the RT_RCDATA resource `resourceId` of `module` and parses it.
int PngLoadResource(PngImage* image, HINSTANCE module, int resourceId);
// A bitmap of the decoded image owned by the caller, or null with lastError
// set (left 0 for a format that fits the image's colour type and depth but
// names no converter). Target kind 0: a top-down DIB section; otherwise a
// device-dependent bitmap made with CreateDIBitmap. Format: a PngFormat or
// kPngDefaultFormat.
HBITMAP PngCreateBitmap(PngImage* image, HWND window, uint32_t format, int targetKind);
#endif
