// Pictures in the web player.
//
// JPEG, GIF and BMP go to the page as stored (the page decodes them at the
// fitted size); PNG goes through the player's own decoder and is fitted here,
// so the page only paints RGBA. The fitted size is the player's one fit
// (media/picture_rules).
//
// Memory: a browser tab has far less room than the Windows player's process,
// and the decoder needs the inflated rows plus the DIB rows of a picture at
// full size (up to 8 + 4 bytes a pixel) while the fitted copy is made. So:
//  - one PNG may have at most kMaxPngPixels = 4096 x 4096 pixels (16.8 M):
//    at most ~200 MB for the worst format, ~100 MB for 8-bit RGB, held only
//    for the call; an 8192 x 8192 picture (the largest the player's decoder
//    takes) is refused with the player's decoding message, however small its
//    file. The pictures are decoded one call at a time, so a quiz of 24
//    questions sharing one such picture opens at once with each of them
//    refused, well under 300 MB.
//  - the quiz's PNGs together may have kQuizPngPixels = 400 M pixels, spent
//    in question order as the quiz opens (questions, then answer pictures of
//    each question); once spent the later ones are refused. The benchmark
//    quizzes' 96 pictures of 800 x 600 (46 M pixels even as stored at full
//    size, question and answer pictures together 92 M) stay far inside.
#include "web/core/web_media.h"

#include <cstdio>

#include "media/clip_format.h"
#include "media/picture_header.h"
#include "media/picture_rules.h"
#include "media/png_fit.h"
#include "resources/resource_ids.h"
#include "web/core/web_result.h"

namespace {

constexpr uint64_t kMaxPngPixels = uint64_t{4096} * 4096;
constexpr uint64_t kQuizPngPixels = uint64_t{400} << 20;
constexpr char kPngRefused[] = "Error: couldn't decode PNG resource";

uint16_t MediaId(int q, bool answer) {
  return static_cast<uint16_t>((answer ? ANSWER_PICTURE_BASE : QUESTION_MEDIA_BASE) + q);
}

const ResourceEntry* StoredMedia(const std::vector<ResourceEntry>& resources, int q, bool answer) {
  return FindResourceEntry(resources, ResourceName::Text(PICTURE_RESOURCE_TYPE),
                           ResourceName::Id(MediaId(q, answer)));
}

const ResourceEntry* PngMedia(const std::vector<ResourceEntry>& resources, int q, bool answer) {
  return FindResourceEntry(resources, ResourceName::Id(kResourceTypeRcData),
                           ResourceName::Id(MediaId(q, answer)));
}

std::vector<uint8_t> Unswapped(const std::vector<uint8_t>& stored, bool answer) {
  std::vector<uint8_t> bytes = stored;
  if (answer) {
    SwapNibbles(bytes.data(), bytes.size());
  }
  return bytes;
}

MediaInfo PngInfo(const std::vector<uint8_t>& bytes, PictureBudget* budget) {
  MediaInfo info;
  info.present = true;
  info.png = true;
  info.format = "png";
  uint32_t error = 0;
  const bool read = ReadPngHeader(bytes.data(), bytes.size(), &info.width, &info.height, &error);
  const uint64_t pixels = uint64_t{info.width} * info.height;
  info.refused = !read || pixels > kMaxPngPixels || pixels > budget->pixelsLeft;
  if (info.refused) {
    info.message = kPngRefused;
  } else {
    budget->pixelsLeft -= pixels;
  }
  return info;
}

void Fit(MediaInfo* info) {
  if (!info->refused && info->width > 0 && info->height > 0) {
    const FitSize fit = ShownPictureSize(info->width, info->height, info->png);
    info->fitWidth = fit.width;
    info->fitHeight = fit.height;
  }
}

}  // namespace

PictureBudget FreshPictureBudget() {
  return {kQuizPngPixels};
}

MediaInfo ReadMediaInfo(const std::vector<ResourceEntry>& resources, int q, bool answer, bool clip,
                        PictureBudget* budget) {
  MediaInfo info;
  if (const ResourceEntry* stored = StoredMedia(resources, q, answer)) {
    const std::vector<uint8_t> bytes = Unswapped(stored->data, answer);
    info.present = true;
    if (clip) {
      info.format = ClipFormatName(bytes.data(), bytes.size());
      return info;
    }
    info.format = PictureExtension(DetectPictureFormat(bytes));
    info.refused = !ReadPictureSize(bytes, &info.width, &info.height) || info.width == 0 || info.height == 0;
  } else if (const ResourceEntry* png = clip ? nullptr : PngMedia(resources, q, answer)) {
    info = PngInfo(png->data, budget);
  }
  Fit(&info);
  return info;
}

std::string PictureInfoJson(const MediaInfo& info) {
  if (!info.present) {
    return "null";
  }
  std::string out =
      "{\"format\":" + JsonString(info.format) + ",\"width\":" + std::to_string(info.width) +
      ",\"height\":" + std::to_string(info.height) + ",\"fitWidth\":" + std::to_string(info.fitWidth) +
      ",\"fitHeight\":" + std::to_string(info.fitHeight) + ",\"refused\":" + JsonBool(info.refused);
  if (!info.message.empty()) {
    out += ",\"message\":" + JsonString(info.message);
  }
  return out + "}";
}

std::string ClipInfoJson(const MediaInfo& info) {
  if (!info.present) {
    return "null";
  }
  return "{\"format\":" + JsonString(info.format) +
         ",\"mime\":" + JsonString(MediaMimeType(info.format.c_str())) + "}";
}

bool ReadMediaBody(const std::vector<ResourceEntry>& resources, int q, bool answer, const MediaInfo& info,
                   MediaBody* body) {
  if (!info.present) {
    return false;
  }
  if (info.refused && info.png) {
    body->head = "{\"format\":\"error\",\"message\":" + JsonString(info.message) + "}";
    return true;
  }
  if (!info.png) {
    const ResourceEntry* stored = StoredMedia(resources, q, answer);
    body->bytes = Unswapped(stored->data, answer);
    body->head = "{\"format\":" + JsonString(info.format) +
                 ",\"mime\":" + JsonString(MediaMimeType(info.format.c_str())) + "}";
    return true;
  }
  const ResourceEntry* png = PngMedia(resources, q, answer);
  PngFitResult fitted = DecodePngFitted(png->data.data(), png->data.size(), info.fitWidth, info.fitHeight);
  if (!fitted.ok) {
    body->head = "{\"format\":\"error\",\"message\":" + JsonString(kPngRefused) + "}";
    return true;
  }
  body->bytes = std::move(fitted.rgba);
  body->head = "{\"format\":\"rgba\",\"width\":" + std::to_string(fitted.width) +
               ",\"height\":" + std::to_string(fitted.height) + "}";
  return true;
}
