// Pictures from the program's resources, fitted into a box.
//
// An "IMG" resource (JPEG, or anything else the system picture loader reads
// as a bitmap) goes through OLE; only when no resource of the caller's type
// exists is the id tried as an RT_RCDATA PNG through our own decoder. The
// branch is chosen by the resource's presence, never by its bytes. Answer
// pictures (ids above 10000) are stored with the two halves of every byte
// exchanged; they are put right in the private copy handed to OLE, never in
// the module's own resource image. Every bitmap made on the way is deleted
// before returning; the caller owns the one returned.
#include "media/picture_loader.h"

#include <olectl.h>

#include <cstdint>
#include <cstring>

#include "content/user_message.h"
#include "media/png_decoder.h"

namespace {

constexpr char kPictureCaption[] = "Information";
constexpr int kDibSectionTarget = 0;

unsigned char SwapNibbles(unsigned char b) {
  return static_cast<unsigned char>((b << 4) | (b >> 4));
}

// The OLE branch proper: decodes `count` bytes, exchanging the halves of
// each byte on the way into the stream's memory when `swapped`.
HBITMAP DecodeWithOle(const unsigned char* bytes, unsigned int count, bool swapped) {
  if (!bytes || count == 0)
    return nullptr;
  const HRESULT comStatus = CoInitialize(nullptr);

  HBITMAP result = nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, count);
  if (block) {
    auto* copy = static_cast<unsigned char*>(block);  // GMEM_FIXED: the handle is the address
    if (swapped) {
      for (unsigned int i = 0; i < count; ++i)
        copy[i] = SwapNibbles(bytes[i]);
    } else {
      std::memcpy(copy, bytes, count);
    }
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(block, TRUE, &stream)) && stream) {
      IPicture* picture = nullptr;
      if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(count), FALSE, IID_IPicture,
                                   reinterpret_cast<void**>(&picture))) &&
          picture) {
        SHORT kind = PICTYPE_UNINITIALIZED;
        OLE_HANDLE handle = 0;
        // Only a bitmap handle may be copied as a bitmap; an icon or a
        // metafile is a picture this loader does not show.
        if (SUCCEEDED(picture->get_Type(&kind)) && kind == PICTYPE_BITMAP &&
            SUCCEEDED(picture->get_Handle(&handle)) && handle != 0) {
          result = static_cast<HBITMAP>(
              CopyImage(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)), IMAGE_BITMAP, 0, 0, 0));
          if (!result) {
            char text[96];
            wsprintfA(text, "%s plante avec l'erreur : %d\n", "CopyImage", static_cast<int>(GetLastError()));
            ShowUserMessage(text, kPictureCaption, kMessageIconInformation);
          }
        }
        picture->Release();
      }
      stream->Release();  // frees the block
    } else {
      GlobalFree(block);
    }
  }

  if (SUCCEEDED(comStatus))
    CoUninitialize();
  return result;
}

}  // namespace

HBITMAP LoadOlePicture(const unsigned char* bytes, unsigned int count) {
  return DecodeWithOle(bytes, count, false);
}

HBITMAP LoadPngResource(HINSTANCE module, int resourceId, const char* /*type*/, int boxWidth, int boxHeight) {
  PngImage image;
  PngInit(&image);
  if (!PngLoadResource(&image, module, resourceId)) {
    PngCleanup(&image);
    return nullptr;
  }
  if (!PngDecode(&image)) {
    PngCleanup(&image);
    ShowUserMessage("Error: couldn't decode PNG resource", kPictureCaption, kMessageIconError);
    return nullptr;
  }
  HBITMAP bitmap = PngCreateBitmap(&image, nullptr, kPngDefaultFormat, kDibSectionTarget);
  PngCleanup(&image);
  if (!bitmap) {
    ShowUserMessage("Error: couldn't create bitmap", kPictureCaption, kMessageIconError);
    return nullptr;
  }
  return FitBitmap(bitmap, boxWidth, boxHeight);
}

HBITMAP LoadPictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded) {
    return FitBitmap(LoadPngResource(module, resourceId, type, boxWidth, boxHeight), boxWidth, boxHeight);
  }
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, found);
  HBITMAP picture = DecodeWithOle(bytes, size, resourceId > kSwappedPictureIdFloor);
  FreeResource(loaded);
  return FitBitmap(picture, boxWidth, boxHeight);
}

HBITMAP FitBitmap(HBITMAP source, int boxWidth, int boxHeight) {
  if (!source)
    return nullptr;
  BITMAP info = {};
  if (GetObjectA(source, sizeof info, &info) != sizeof info || info.bmWidth <= 0 || info.bmHeight == 0 ||
      boxWidth <= 0 || boxHeight <= 0) {
    DeleteObject(source);
    return nullptr;
  }
  const int64_t width = info.bmWidth;
  const int64_t height = info.bmHeight < 0 ? -int64_t{info.bmHeight} : info.bmHeight;

  // The smaller of the two ratios, worked in integers so that the side that
  // meets the box is exactly the box side and the other is truncated.
  int64_t newWidth;
  int64_t newHeight;
  if (int64_t{boxHeight} * width > int64_t{boxWidth} * height) {
    newWidth = boxWidth;
    newHeight = height * boxWidth / width;
  } else {
    newHeight = boxHeight;
    newWidth = width * boxHeight / height;
  }
  // A sliver of a picture keeps at least one pixel across.
  if (newWidth < 1)
    newWidth = 1;
  if (newHeight < 1)
    newHeight = 1;

  HBITMAP result = nullptr;
  HDC screen = GetDC(nullptr);
  HDC sourceDc = CreateCompatibleDC(screen);
  HDC targetDc = CreateCompatibleDC(screen);
  if (screen && sourceDc && targetDc) {
    HGDIOBJ oldSource = SelectObject(sourceDc, source);
    result = CreateCompatibleBitmap(screen, static_cast<int>(newWidth), static_cast<int>(newHeight));
    if (result) {
      HGDIOBJ oldTarget = SelectObject(targetDc, result);
      SetStretchBltMode(targetDc, HALFTONE);
      SetBrushOrgEx(targetDc, 0, 0, nullptr);
      StretchBlt(targetDc, 0, 0, static_cast<int>(newWidth), static_cast<int>(newHeight), sourceDc, 0, 0,
                 static_cast<int>(width), static_cast<int>(height), SRCCOPY);
      SelectObject(targetDc, oldTarget);
    }
    SelectObject(sourceDc, oldSource);
  }
  if (targetDc)
    DeleteDC(targetDc);
  if (sourceDc)
    DeleteDC(sourceDc);
  DeleteObject(source);
  if (screen)
    ReleaseDC(nullptr, screen);
  return result;
}
