// The codecs through libjpeg-turbo's TurboJPEG interface and libspng. Both
// libraries are deterministic for one version: the same file gives the same
// pixels and the same pixels the same file.
#include "tool/picture_codec.h"

#include <spng.h>
#include <turbojpeg.h>

#include <cstdlib>

namespace {

constexpr uint64_t kMaxPixels = 1ull << 26;  // 8192 x 8192, as the picture check
constexpr int kJpegQuality = 90;
constexpr int kPngStrategyRle = 3;  // zlib's Z_RLE

struct TurboHandle {
  tjhandle handle;
  explicit TurboHandle(tjhandle h) : handle(h) {}
  ~TurboHandle() {
    if (handle) {
      tjDestroy(handle);
    }
  }
  TurboHandle(const TurboHandle&) = delete;
  TurboHandle& operator=(const TurboHandle&) = delete;
};

struct SpngContext {
  spng_ctx* context;
  explicit SpngContext(int flags) : context(spng_ctx_new(flags)) {}
  ~SpngContext() {
    if (context) {
      spng_ctx_free(context);
    }
  }
  SpngContext(const SpngContext&) = delete;
  SpngContext& operator=(const SpngContext&) = delete;
};

bool SizeAllowed(uint64_t width, uint64_t height) {
  return width != 0 && height != 0 && width * height <= kMaxPixels;
}

}  // namespace

bool PictureCodecsAvailable() {
  return true;
}

bool DecodeJpeg(const std::vector<uint8_t>& bytes, Picture* picture, uint32_t atLeastWidth,
                uint32_t atLeastHeight) {
  TurboHandle turbo(tjInitDecompress());
  if (!turbo.handle || bytes.empty() || bytes.size() > 0xFFFFFFFFu) {
    return false;
  }
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(turbo.handle, bytes.data(), static_cast<unsigned long>(bytes.size()), &width,
                          &height, &subsampling, &colourspace) != 0 ||
      !SizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height)) || colourspace == TJCS_CMYK ||
      colourspace == TJCS_YCCK) {
    return false;
  }
  // The scaled inverse DCT keeps every frequency below the smaller size's
  // own limit, so nothing the fitted picture can show is lost.
  int scaledWidth = width;
  int scaledHeight = height;
  for (int denominator = 8; denominator > 1; denominator /= 2) {
    const int w = (width + denominator - 1) / denominator;
    const int h = (height + denominator - 1) / denominator;
    if (static_cast<uint32_t>(w) >= atLeastWidth && static_cast<uint32_t>(h) >= atLeastHeight) {
      scaledWidth = w;
      scaledHeight = h;
      break;
    }
  }
  const bool grey = colourspace == TJCS_GRAY;
  picture->width = static_cast<uint32_t>(scaledWidth);
  picture->height = static_cast<uint32_t>(scaledHeight);
  picture->channels = grey ? 1 : 3;
  picture->pixels.resize(static_cast<size_t>(scaledWidth) * scaledHeight * picture->channels);
  return tjDecompress2(turbo.handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                       picture->pixels.data(), scaledWidth, 0, scaledHeight, grey ? TJPF_GRAY : TJPF_RGB,
                       0) == 0;
}

bool EncodeJpeg(const Picture& picture, std::vector<uint8_t>* bytes) {
  TurboHandle turbo(tjInitCompress());
  if (!turbo.handle || (picture.channels != 1 && picture.channels != 3)) {
    return false;
  }
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const bool grey = picture.channels == 1;
  const int status = tjCompress2(turbo.handle, picture.pixels.data(), static_cast<int>(picture.width), 0,
                                 static_cast<int>(picture.height), grey ? TJPF_GRAY : TJPF_RGB, &out, &size,
                                 grey ? TJSAMP_GRAY : TJSAMP_420, kJpegQuality, 0);
  if (status == 0) {
    bytes->assign(out, out + size);
  }
  tjFree(out);
  return status == 0;
}

bool DecodePng(const std::vector<uint8_t>& bytes, Picture* picture, bool rgbWhenOpaque) {
  SpngContext png(0);
  if (!png.context || spng_set_png_buffer(png.context, bytes.data(), bytes.size()) != 0) {
    return false;
  }
  spng_ihdr header{};
  spng_trns transparency{};
  if (spng_get_ihdr(png.context, &header) != 0 || !SizeAllowed(header.width, header.height)) {
    return false;
  }
  const bool alphaChannel = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                            header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  const bool rgb =
      rgbWhenOpaque && !alphaChannel && spng_get_trns(png.context, &transparency) == SPNG_ECHUNKAVAIL;
  const spng_format format = rgb ? SPNG_FMT_RGB8 : SPNG_FMT_RGBA8;
  size_t size = 0;
  if (spng_decoded_image_size(png.context, format, &size) != 0) {
    return false;
  }
  picture->width = header.width;
  picture->height = header.height;
  picture->channels = rgb ? 3 : 4;
  picture->pixels.resize(size);
  return spng_decode_image(png.context, picture->pixels.data(), size, format, rgb ? 0 : SPNG_DECODE_TRNS) ==
         0;
}

bool EncodePng(const Picture& picture, std::vector<uint8_t>* bytes) {
  if (picture.channels != 1 && picture.channels != 3) {
    return false;
  }
  SpngContext png(SPNG_CTX_ENCODER);
  // Run-length matches only: on filtered rows of a photograph they pack
  // as tightly as zlib's default search, at a third of its time.
  if (!png.context || spng_set_option(png.context, SPNG_ENCODE_TO_BUFFER, 1) != 0 ||
      spng_set_option(png.context, SPNG_IMG_COMPRESSION_STRATEGY, kPngStrategyRle) != 0) {
    return false;
  }
  spng_ihdr header{};
  header.width = picture.width;
  header.height = picture.height;
  header.bit_depth = 8;
  header.color_type = picture.channels == 1 ? SPNG_COLOR_TYPE_GRAYSCALE : SPNG_COLOR_TYPE_TRUECOLOR;
  if (spng_set_ihdr(png.context, &header) != 0 ||
      spng_encode_image(png.context, picture.pixels.data(), picture.pixels.size(), SPNG_FMT_PNG,
                        SPNG_ENCODE_FINALIZE) != 0) {
    return false;
  }
  size_t size = 0;
  int error = 0;
  void* out = spng_get_png_buffer(png.context, &size, &error);
  if (!out || error != 0) {
    return false;
  }
  const uint8_t* begin = static_cast<const uint8_t*>(out);
  bytes->assign(begin, begin + size);
  std::free(out);
  return true;
}
