// The decoder reports a bare PngError; the author needs to know which part
// of the file it stopped at. The file is parsed again into a record that is
// kept after the failure (PngLoadMemory clears it), and the record's header
// fields and cursor tell the cases of one code apart. Only refused pictures
// come here, so the second parse costs nothing that matters.
#include "tool/png_error_text.h"

#include <algorithm>
#include <cstring>

#include "media/png_decoder.h"

namespace {

constexpr char kPngSignature[] = "\x89PNG\r\n\x1A\n";  // PNG 5.2
constexpr uint8_t kPaletteColourType = 3;

std::string Size(const PngImage& image) {
  return std::to_string(image.width) + " x " + std::to_string(image.height) + " pixels";
}

// A chunk type as its four letters, when they are letters.
std::string ChunkName(const uint8_t* type) {
  std::string name;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(type[i]);
    name += (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '?';
  }
  return name;
}

// PngErrorUnsupported, from PngParse: an unknown critical chunk, a size
// above the limits, or a header field PNG does not define.
std::string UnsupportedText(PngImage& image) {
  ChunkInfo chunk;
  if (PngReadChunk(&image, &chunk) && chunk.kind == ChunkUnknownCritical) {
    return "it holds a chunk '" + ChunkName(image.cursor + 4) +
           "' that the player must understand to show it and does not";
  }
  if (image.width > kPngMaxSide || image.height > kPngMaxSide) {
    return "it is " + Size(image) + "; the player takes at most " + std::to_string(kPngMaxSide) +
           " pixels on a side";
  }
  const uint64_t pixels = static_cast<uint64_t>(image.width) * image.height;
  if (pixels > kPngMaxPixels) {
    return "it is " + Size(image) + ", " + std::to_string(pixels) + " in all; the player takes at most " +
           std::to_string(kPngMaxPixels) + " (8192 x 8192)";
  }
  const uint8_t* header = image.header;
  if (header != nullptr && header[10] != 0) {
    return "its compression method is " + std::to_string(header[10]) + "; PNG defines only 0";
  }
  if (header != nullptr && header[11] != 0) {
    return "its filter method is " + std::to_string(header[11]) + "; PNG defines only 0";
  }
  if (image.interlace > 1) {
    return "its interlace method is " + std::to_string(image.interlace) + "; PNG defines 0 and 1";
  }
  return "its colour type " + std::to_string(image.colourType) + " with " + std::to_string(image.bitDepth) +
         " bits per sample is not one PNG defines";
}

// PngErrorBadData: from PngParse the file's start, else the image data.
std::string BadDataText(PngImage& image, bool parsed) {
  if (!parsed) {
    if (image.dataSize < 8 || std::memcmp(image.data, kPngSignature, 8) != 0) {
      return "it does not start with the PNG signature (it is no PNG, or a damaged one)";
    }
    if (image.header != nullptr && (image.width == 0 || image.height == 0)) {
      return "its header gives it " + Size(image) + "; a picture needs at least one of each";
    }
    return "its first chunk is not a complete IHDR header";
  }
  if (image.firstIdat == nullptr) {
    return "it holds no image data (no IDAT chunk)";
  }
  if (image.colourType == kPaletteColourType && image.palette == nullptr) {
    return "it is a palette picture without its palette (no PLTE chunk)";
  }
  return "its image data is damaged: the compressed rows cannot be inflated";
}

}  // namespace

std::string PngErrorText(uint32_t error, const std::vector<uint8_t>& png) {
  PngImage image;
  PngInit(&image);
  image.data = png.data();
  image.dataSize = static_cast<uint32_t>(std::min<size_t>(png.size(), UINT32_MAX));
  image.source = 2;
  const bool parsed = PngParse(&image) != 0;
  std::string text;
  if (error == PngErrorUnsupported && !parsed) {
    text = UnsupportedText(image);
  } else if (error == PngErrorBadData) {
    text = BadDataText(image, parsed);
  } else if (error == PngErrorOutOfMemory) {
    text = "decoding its " + Size(image) + " needs more memory than could be had";
  } else {
    text = ToString(static_cast<PngError>(error));
  }
  return text;  // PngParse allocates nothing: the record holds no memory of its own
}
