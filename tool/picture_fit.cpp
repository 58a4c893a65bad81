// A picture larger than the size the player's fit gives it is scaled down
// to exactly that size, so the player has nothing left to enlarge or
// shrink; one already at or below it is left byte for byte as it is, which
// is what keeps a build of an unpacked quiz identical to the original (a
// fitted picture fits to its own size). A PNG with transparent pixels is
// composited over the background colour even when small enough, since the
// player would show the colour stored under the transparency. GIF and BMP
// pictures are stored as given.
#include "tool/picture_fit.h"

#include <utility>

#include "media/picture_rules.h"
#include "tool/picture_check.h"
#include "tool/picture_codec.h"
#include "tool/picture_resample.h"

namespace {

// The size to store a width x height picture at: its fitted size when that
// is smaller, else its own.
void StoredSize(uint32_t width, uint32_t height, uint32_t* storedWidth, uint32_t* storedHeight) {
  const FitSize fitted = FitPicture(width, height, kPictureBox, kPictureBox);
  *storedWidth = fitted.width;
  *storedHeight = fitted.height;
  if (*storedWidth >= width || *storedHeight >= height) {
    *storedWidth = width;
    *storedHeight = height;
  }
}

PictureFitResult FitJpeg(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* stored) {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t storedWidth = UINT32_MAX;  // a full-size decode when the header gives no size
  uint32_t storedHeight = UINT32_MAX;
  const bool sized = ReadPictureSize(bytes, &width, &height);
  if (sized) {
    StoredSize(width, height, &storedWidth, &storedHeight);
    if (storedWidth == width && storedHeight == height) {
      return PictureFitResult::Unchanged;
    }
  }
  Picture picture;
  if (!DecodeJpeg(bytes, &picture, storedWidth, storedHeight)) {
    return PictureFitResult::Undecodable;
  }
  if (!sized || picture.width < storedWidth || picture.height < storedHeight) {
    // The decoder found another size than the header: fit what it gives.
    if (sized && !DecodeJpeg(bytes, &picture)) {
      return PictureFitResult::Undecodable;
    }
    StoredSize(picture.width, picture.height, &storedWidth, &storedHeight);
    if (storedWidth == picture.width && storedHeight == picture.height) {
      return PictureFitResult::Unchanged;
    }
  }
  if (picture.width != storedWidth || picture.height != storedHeight) {
    picture = ScaleDown(picture, storedWidth, storedHeight);
  }
  return EncodeJpeg(picture, stored) ? PictureFitResult::Fitted : PictureFitResult::Undecodable;
}

PictureFitResult FitPng(const std::vector<uint8_t>& bytes, uint8_t red, uint8_t green, uint8_t blue,
                        std::vector<uint8_t>* stored, bool* transparent) {
  Picture picture;
  if (!DecodePng(bytes, &picture, true)) {
    return PictureFitResult::Undecodable;
  }
  uint32_t storedWidth = 0;
  uint32_t storedHeight = 0;
  StoredSize(picture.width, picture.height, &storedWidth, &storedHeight);
  const bool smaller = storedWidth != picture.width || storedHeight != picture.height;
  *transparent = HasTransparency(picture);
  if (!smaller && !*transparent) {
    return PictureFitResult::Unchanged;
  }
  // Composited first, so no colour from under the transparency is blurred
  // into the picture.
  Picture opaque = picture.channels == 4 ? OverBackground(picture, red, green, blue) : std::move(picture);
  picture = Picture();
  if (smaller) {
    opaque = ScaleDown(opaque, storedWidth, storedHeight);
  }
  return EncodePng(opaque, stored) ? PictureFitResult::Fitted : PictureFitResult::Undecodable;
}

}  // namespace

PictureFitResult FitPictureForPlayer(const std::vector<uint8_t>& bytes, uint8_t red, uint8_t green,
                                     uint8_t blue, std::vector<uint8_t>* stored, bool* transparent) {
  bool anyTransparent = false;
  if (!transparent) {
    transparent = &anyTransparent;
  }
  *transparent = false;
  if (!PictureCodecsAvailable()) {
    return PictureFitResult::Undecodable;
  }
  switch (DetectPictureFormat(bytes)) {
    case PictureFormat::Jpeg:
      return FitJpeg(bytes, stored);
    case PictureFormat::Png:
      return FitPng(bytes, red, green, blue, stored, transparent);
    case PictureFormat::Gif:
    case PictureFormat::Bmp:
    case PictureFormat::Unknown:
      break;
  }
  return PictureFitResult::Unchanged;
}
