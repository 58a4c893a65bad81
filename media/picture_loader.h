// Turns a picture stored in the program's resources into a bitmap fitted
// into a box: JPEG (and whatever else the system picture loader reads) from
// an "IMG" resource, PNG from an RT_RCDATA resource under the same id.
#pragma once

#include <windows.h>

#include <cstdint>

// A picture decoded without a word to the user: its fitted bitmap, or none
// and, when the load has something to tell, the message and its icon. Kept
// apart so that a picture decoded on another thread is told about on the
// user-interface thread, where the message box belongs.
struct PictureResult {
  HBITMAP bitmap;
  char message[96];  // empty: nothing to tell
  uint32_t messageStyle;
};

// What LoadPictureResource does, without showing anything. Safe on any
// thread; an OLE picture sets COM up for the calling thread (see
// LeavePictureApartment).
PictureResult DecodePictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth,
                                    int boxHeight);
// Shows the result's message, if it has one, and hands over its bitmap.
HBITMAP TellPictureResult(const PictureResult& result);
// Ends COM on a thread that decoded pictures and is about to end; the
// user-interface thread keeps its apartment for the life of the process.
void LeavePictureApartment();

HBITMAP LoadPictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight);
HBITMAP LoadOlePicture(const unsigned char* bytes, unsigned int count);
HBITMAP LoadPngResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight);
// Takes ownership of `source` and deletes it.
HBITMAP FitBitmap(HBITMAP source, int boxWidth, int boxHeight);
