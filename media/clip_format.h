// Recognises a clip's container from its first bytes, to name the file the
// media player is given.
#pragma once

#include <cstddef>
#include <cstdint>

// "MP3", "WMV", "AVI", "WAV", "MPG" or "XXX".
const char* ClipExtension(const uint8_t* bytes, size_t size);
