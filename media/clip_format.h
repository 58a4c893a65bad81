// Recognises a clip's container from its first bytes, to name the file the
// media player is given.
#pragma once

#include <cstddef>
#include <cstdint>

// "MP3", "WMV", "AVI", "WAV", "MPG" or "XXX".
const char* ClipExtension(const uint8_t* bytes, size_t size);
// The same name in lower case ("mp3" ... "xxx"), as unpacked files and the
// web pages name a clip's format.
const char* ClipFormatName(const uint8_t* bytes, size_t size);

// The MIME type a browser plays a clip (by its ClipExtension name) or a
// picture (by "jpg", "gif", "bmp", "png") under; "application/octet-stream"
// for anything else. Case does not matter.
const char* MediaMimeType(const char* extension);
