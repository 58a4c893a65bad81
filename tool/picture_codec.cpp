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

bool DecodeJpeg(const std::vector<uint8_t>& bytes, Picture* picture) {
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
  const bool grey = colourspace == TJCS_GRAY;
  picture->width = static_cast<uint32_t>(width);
  picture->height = static_cast<uint32_t>(height);
  picture->channels = grey ? 1 : 3;
  picture->pixels.resize(static_cast<size_t>(width) * height * picture->channels);
  return tjDecompress2(turbo.handle, bytes.data(), static_cast<unsigned long>(bytes.size()),
                       picture->pixels.data(), width, 0, height, grey ? TJPF_GRAY : TJPF_RGB, 0) == 0;
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

bool DecodePng(const std::vector<uint8_t>& bytes, Picture* picture) {
  SpngContext png(0);
  if (!png.context || spng_set_png_buffer(png.context, bytes.data(), bytes.size()) != 0) {
    return false;
  }
  spng_ihdr header{};
  size_t size = 0;
  if (spng_get_ihdr(png.context, &header) != 0 || !SizeAllowed(header.width, header.height) ||
      spng_decoded_image_size(png.context, SPNG_FMT_RGBA8, &size) != 0) {
    return false;
  }
  picture->width = header.width;
  picture->height = header.height;
  picture->channels = 4;
  picture->pixels.resize(size);
  return spng_decode_image(png.context, picture->pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) == 0;
}

bool EncodePng(const Picture& picture, std::vector<uint8_t>* bytes) {
  if (picture.channels != 1 && picture.channels != 3) {
    return false;
  }
  SpngContext png(SPNG_CTX_ENCODER);
  if (!png.context || spng_set_option(png.context, SPNG_ENCODE_TO_BUFFER, 1) != 0) {
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
