// Turns a picture stored in the program's resources into a bitmap fitted
// into a box: JPEG (and whatever else the system picture loader reads) from
// an "IMG" resource, PNG from an RT_RCDATA resource under the same id.
#pragma once

#include <windows.h>

// Ids above this one are stored with the two halves of every byte exchanged.
constexpr int kSwappedPictureIdFloor = 10000;

HBITMAP LoadPictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight);
HBITMAP LoadOlePicture(const unsigned char* bytes, unsigned int count);
HBITMAP LoadPngResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight);
// Takes ownership of `source` and deletes it.
HBITMAP FitBitmap(HBITMAP source, int boxWidth, int boxHeight);
