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
#include "media/picture_rules.h"
#include "media/png_decoder.h"

namespace {

constexpr char kPictureCaption[] = "Information";
constexpr int kDibSectionTarget = 0;
constexpr int kScreenBitmapTarget = 1;

// COM for the calling thread, set up at its first picture and kept: setting
// it up and tearing it down around every picture cost more than the decoding
// of a small one. A failed CoInitialize is tried again at the next picture.
thread_local bool comApartment = false;

void EnsureComApartment() {
  if (!comApartment)
    comApartment = SUCCEEDED(CoInitialize(nullptr));
}

PictureResult Picture(HBITMAP bitmap) {
  PictureResult result = {};
  result.bitmap = bitmap;
  return result;
}

PictureResult Failure(const char* message, uint32_t style) {
  PictureResult result = {};
  lstrcpynA(result.message, message, sizeof result.message);
  result.messageStyle = style;
  return result;
}

// One reference to a COM object, released at the end of the scope.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (object_)
      object_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return object_; }
  T** out() { return &object_; }
  T* operator->() const { return object_; }

 private:
  T* object_ = nullptr;
};

// A memory DC compatible with `reference` with one bitmap selected into it;
// the previous bitmap goes back in before the DC is deleted.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC reference, HBITMAP bitmap) : dc_(CreateCompatibleDC(reference)) {
    if (dc_ && bitmap)
      previous_ = SelectObject(dc_, bitmap);
  }
  ~SelectedBitmap() {
    if (!dc_)
      return;
    if (previous_)
      SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  bool ok() const { return dc_ && previous_; }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_)
      ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

bool IsFittedSize(uint32_t width, uint32_t height, int boxWidth, int boxHeight) {
  if (width == 0 || height == 0 || boxWidth <= 0 || boxHeight <= 0)
    return false;
  const FitSize size = FitPicture(width, height, uint32_t(boxWidth), uint32_t(boxHeight));
  return size.width == width && size.height == height;
}

// The screen's depth, asked once: a screen DC per picture costs more than
// handing back a picture that is already of the screen's kind.
int ScreenBitsPerPixel() {
  static const int bits = [] {
    ScreenDc screen;
    return screen.get() ? GetDeviceCaps(screen.get(), BITSPIXEL) : 0;
  }();
  return bits;
}

// A bitmap of the screen's own kind needs no copy to be shown as it is.
bool IsScreenBitmap(int objectSize, const BITMAP& info) {
  return objectSize == static_cast<int>(sizeof(BITMAP)) && info.bmPlanes == 1 &&
         info.bmBitsPixel == ScreenBitsPerPixel();
}

// Copies the bytes into a fixed global block, exchanging the halves of each
// byte on the way when `swapped`; the stream made on the block owns it.
IStream* StreamOfBytes(const unsigned char* bytes, unsigned int count, bool swapped) {
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, count);
  if (!block)
    return nullptr;
  auto* copy = static_cast<unsigned char*>(block);  // GMEM_FIXED: the handle is the address
  std::memcpy(copy, bytes, count);
  if (swapped)
    SwapNibbles(copy, count);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
    GlobalFree(block);
    return nullptr;
  }
  return stream;
}

// A copy of the picture's bitmap at its own size, or none. Only a bitmap
// handle may be copied as a bitmap; an icon or a metafile is a picture this
// loader does not show.
PictureResult CopyPictureBitmap(IPicture* picture) {
  SHORT kind = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(picture->get_Type(&kind)) || kind != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)) ||
      handle == 0) {
    return Picture(nullptr);
  }
  auto* copy = static_cast<HBITMAP>(
      CopyImage(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle)), IMAGE_BITMAP, 0, 0, 0));
  if (copy)
    return Picture(copy);
  char text[96];
  wsprintfA(text, "%s plante avec l'erreur : %d\n", "CopyImage", static_cast<int>(GetLastError()));
  return Failure(text, kMessageIconInformation);
}

// The OLE branch proper; the picture and the stream (with its block) are
// released before the result is handed back.
PictureResult DecodeWithOle(const unsigned char* bytes, unsigned int count, bool swapped) {
  if (!bytes || count == 0)
    return Picture(nullptr);
  EnsureComApartment();
  ComRef<IStream> stream;
  *stream.out() = StreamOfBytes(bytes, count, swapped);
  if (!stream.get())
    return Picture(nullptr);
  ComRef<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(count), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.out()))) ||
      !picture.get()) {
    return Picture(nullptr);
  }
  return CopyPictureBitmap(picture.get());
}

PictureResult DecodePng(HINSTANCE module, int resourceId, int boxWidth, int boxHeight) {
  PngImage image;
  PngInit(&image);
  if (!PngLoadResource(&image, module, resourceId)) {
    PngCleanup(&image);
    return Picture(nullptr);
  }
  if (!PngDecode(&image)) {
    PngCleanup(&image);
    return Failure("Error: couldn't decode PNG resource", kMessageIconError);
  }
  // A picture stored at its fitted size is made straight into a bitmap of
  // the screen's kind, which the fit then hands back untouched.
  const bool fitted = IsFittedSize(image.width, image.height, boxWidth, boxHeight);
  HBITMAP bitmap =
      PngCreateBitmap(&image, nullptr, kPngDefaultFormat, fitted ? kScreenBitmapTarget : kDibSectionTarget);
  PngCleanup(&image);
  if (!bitmap)
    return Failure("Error: couldn't create bitmap", kMessageIconError);
  return Picture(fitted ? bitmap : FitBitmap(bitmap, boxWidth, boxHeight));
}

}  // namespace

PictureResult DecodePictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth,
                                    int boxHeight) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  if (!loaded)
    return DecodePng(module, resourceId, boxWidth, boxHeight);  // fitted already
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, found);
  PictureResult result = DecodeWithOle(bytes, size, IsSwappedPictureId(resourceId));
  FreeResource(loaded);
  result.bitmap = FitBitmap(result.bitmap, boxWidth, boxHeight);
  return result;
}

HBITMAP TellPictureResult(const PictureResult& result) {
  if (result.message[0] != '\0')
    ShowUserMessage(result.message, kPictureCaption, result.messageStyle);
  return result.bitmap;
}

void LeavePictureApartment() {
  if (comApartment) {
    CoUninitialize();
    comApartment = false;
  }
}

HBITMAP LoadOlePicture(const unsigned char* bytes, unsigned int count) {
  return TellPictureResult(DecodeWithOle(bytes, count, false));
}

HBITMAP LoadPngResource(HINSTANCE module, int resourceId, const char* /*type*/, int boxWidth, int boxHeight) {
  return TellPictureResult(DecodePng(module, resourceId, boxWidth, boxHeight));
}

HBITMAP LoadPictureResource(HINSTANCE module, int resourceId, const char* type, int boxWidth, int boxHeight) {
  return TellPictureResult(DecodePictureResource(module, resourceId, type, boxWidth, boxHeight));
}

HBITMAP FitBitmap(HBITMAP source, int boxWidth, int boxHeight) {
  if (!source)
    return nullptr;
  DIBSECTION section = {};
  const int objectSize = GetObjectA(source, sizeof section, &section);
  const BITMAP& info = section.dsBm;
  if (objectSize == 0 || info.bmWidth <= 0 || info.bmHeight == 0 || boxWidth <= 0 || boxHeight <= 0) {
    DeleteObject(source);
    return nullptr;
  }
  const int64_t width = info.bmWidth;
  const int64_t height = info.bmHeight < 0 ? -int64_t{info.bmHeight} : info.bmHeight;
  const FitSize fitted =
      FitPicture(uint32_t(width), uint32_t(height), uint32_t(boxWidth), uint32_t(boxHeight));
  const int newWidth = static_cast<int>(fitted.width);
  const int newHeight = static_cast<int>(fitted.height);

  // Pictures are stored at the size they are shown: a screen bitmap that
  // already has it would only be copied pixel for pixel.
  if (newWidth == width && newHeight == height && IsScreenBitmap(objectSize, info))
    return source;
  HBITMAP result = nullptr;
  {
    ScreenDc screen;
    SelectedBitmap from(screen.get(), source);
    result = screen.get() && from.ok() ? CreateCompatibleBitmap(screen.get(), newWidth, newHeight) : nullptr;
    if (result) {
      SelectedBitmap to(screen.get(), result);
      if (to.ok()) {
        SetStretchBltMode(to.dc(), HALFTONE);
        SetBrushOrgEx(to.dc(), 0, 0, nullptr);
        StretchBlt(to.dc(), 0, 0, newWidth, newHeight, from.dc(), 0, 0, static_cast<int>(width),
                   static_cast<int>(height), SRCCOPY);
      } else {
        DeleteObject(result);
        result = nullptr;
      }
    }
  }  // both DCs let go of their bitmaps before the source is deleted
  DeleteObject(source);
  return result;
}
