#include "media/png_decoder.h"

int PngLoadResource(PngImage* image, HINSTANCE, int) {
  image->lastError = PngErrorNoResource;
  return 0;
}
HBITMAP PngCreateBitmap(PngImage* image, HWND, uint32_t, int) {
  image->lastError = PngErrorWrongStage;
  return nullptr;
}
