#include "media/png_decoder.h"

#include <cstdlib>
#include <cstring>

void* PngAlloc(size_t size) {
  return std::malloc(size);
}
void PngFree(void* block) {
  std::free(block);
}

int PngInit(PngImage* image) {
  std::memset(image, 0, sizeof *image);
  return 1;
}
int PngLoadMemory(PngImage* image, const uint8_t*, uint32_t) {
  image->lastError = PngErrorBadData;
  return 0;
}
int PngParse(PngImage* image) {
  image->lastError = PngErrorBadData;
  return 0;
}
int PngReadChunk(PngImage*, ChunkInfo*) {
  return 0;
}
uint32_t PngRawSize(const PngImage*) {
  return 0;
}
int PngDecode(PngImage* image) {
  image->lastError = PngErrorWrongStage;
  return 0;
}
int PngFillBitmapInfo(const PngImage*, PngBitmapInfo*, uint32_t*) {
  return 0;
}
uint32_t PngOutputBits(uint32_t) {
  return 0;
}
int PngConvert(PngImage*, uint8_t*, uint32_t) {
  return 0;
}
int PngCleanup(PngImage* image) {
  return PngInit(image);
}
const char* ToString(PngError) {
  return "PNG error";
}
