// Clip recognition: the media player picks its decoder from the file's
// extension, so a clip written out from the resources is named after the
// container its first bytes announce. Only bytes 0, 1 and 8 are looked at:
//
//   ID3 tag ('I')              MP3        ASF header ('0')     WMV
//   RIFF ('R'), byte 8 'A'     AVI        byte 8 'W'           WAV
//   MPEG audio 0xFF 0xF3       MP3        0xFF 0x00            MPG
//   0x00 with byte 8 'A'/'W'   AVI        other 0x00           MPG
//
// Everything else is "XXX", a name no decoder claims. Bytes past the end of
// a short clip read as 0, so a truncated header never matches a letter test.
#include "media/clip_format.h"

#include <cstring>

namespace {

// The one reader of the clip's bytes: 0 outside the buffer.
uint8_t ByteAt(const uint8_t* bytes, size_t size, size_t index) {
  return bytes != nullptr && index < size ? bytes[index] : 0;
}

}  // namespace

const char* ClipExtension(const uint8_t* bytes, size_t size) {
  // An empty clip has no first byte to recognise.
  if (bytes == nullptr || size == 0) {
    return "XXX";
  }
  const uint8_t b0 = ByteAt(bytes, size, 0);
  const uint8_t b1 = ByteAt(bytes, size, 1);
  const uint8_t b8 = ByteAt(bytes, size, 8);
  switch (b0) {
    case 'I':
      return "MP3";
    case '0':
      return "WMV";
    case 'R':
      if (b8 == 'A') {
        return "AVI";
      }
      return b8 == 'W' ? "WAV" : "XXX";
    case 0xFF:
      if (b1 == 0xF3) {
        return "MP3";
      }
      return b1 == 0x00 ? "MPG" : "XXX";
    case 0x00:
      return b8 == 'A' || b8 == 'W' ? "AVI" : "MPG";
    default:
      return "XXX";
  }
}

const char* ClipFormatName(const uint8_t* bytes, size_t size) {
  static const char* const kNames[][2] = {
      {"MP3", "mp3"}, {"WMV", "wmv"}, {"AVI", "avi"}, {"WAV", "wav"}, {"MPG", "mpg"}};
  const char* extension = ClipExtension(bytes, size);
  for (const auto& name : kNames) {
    if (std::strcmp(extension, name[0]) == 0) {
      return name[1];
    }
  }
  return "xxx";
}

namespace {

bool SameNameIgnoringCase(const char* a, const char* lower) {
  for (; *a != '\0' && *lower != '\0'; ++a, ++lower) {
    const char c = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
    if (c != *lower) {
      return false;
    }
  }
  return *a == *lower;
}

}  // namespace

const char* MediaMimeType(const char* extension) {
  struct Mime {
    const char* extension;
    const char* type;
  };
  static const Mime kMimeTypes[] = {
      {"mp3", "audio/mpeg"},      {"wav", "audio/wav"},  {"wmv", "video/x-ms-wmv"},
      {"avi", "video/x-msvideo"}, {"mpg", "video/mpeg"}, {"jpg", "image/jpeg"},
      {"gif", "image/gif"},       {"bmp", "image/bmp"},  {"png", "image/png"},
  };
  for (const Mime& mime : kMimeTypes) {
    if (extension != nullptr && SameNameIgnoringCase(extension, mime.extension)) {
      return mime.type;
    }
  }
  return "application/octet-stream";
}
