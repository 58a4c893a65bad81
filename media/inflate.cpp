#include "media/inflate.h"

#include "media/png_decoder.h"

void IdatReaderStart(IdatReader* reader, const PngImage* image) {
  reader->position = nullptr;
  reader->left = 0;
  reader->dataEnd = image->data + image->dataSize;
  reader->ended = true;
  reader->overrun = 0;
}

uint8_t IdatReaderNext(IdatReader* reader) {
  reader->overrun++;
  return 0;
}

bool BuildHuffmanTable(HuffmanTable*, const uint8_t*, const uint16_t*, int, int) {
  return false;
}

int Inflate(PngImage* image) {
  image->lastError = PngErrorBadData;
  return 0;
}
