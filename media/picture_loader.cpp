// Pictures from the program's resources, fitted into a box.
#include "media/picture_loader.h"

HBITMAP LoadPictureResource(HINSTANCE, int, const char*, int, int) {
  return nullptr;
}

HBITMAP LoadOlePicture(const unsigned char*, unsigned int) {
  return nullptr;
}

HBITMAP LoadPngResource(HINSTANCE, int, const char*, int, int) {
  return nullptr;
}

HBITMAP FitBitmap(HBITMAP source, int, int) {
  if (source)
    DeleteObject(source);
  return nullptr;
}
