// Fuzzes Inflate alone. Input: two bytes giving the output size (big-endian,
// plus one), then the zlib stream, wrapped as the one IDAT chunk of a record.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/inflate.h"
#include "media/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) {
    return 0;
  }
  uint32_t outSize = (uint32_t(data[0]) << 8 | data[1]) + 1;
  uint32_t length = uint32_t(size - 2);
  std::vector<uint8_t> chunk;
  chunk.reserve(size + 10);
  chunk.insert(chunk.end(),
               {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)});
  chunk.insert(chunk.end(), {'I', 'D', 'A', 'T'});
  chunk.insert(chunk.end(), data + 2, data + size);
  chunk.insert(chunk.end(), {0, 0, 0, 0});  // CRC

  std::vector<uint8_t> out(outSize);
  PngImage image;
  PngInit(&image);
  image.data = chunk.data();
  image.dataSize = uint32_t(chunk.size());
  image.firstIdat = chunk.data();
  image.pixels = out.data();
  image.pixelsSize = outSize;
  Inflate(&image);
  return 0;
}
