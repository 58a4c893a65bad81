// Why the player's PNG decoder refuses a picture, in words for the author.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What is wrong with `png`, which the decoder refused with `error` (a
// PngError): the limit it passes, the chunk or header field at fault. For
// example "it is 70000 x 10 pixels; the player takes at most 65535 pixels
// on a side".
std::string PngErrorText(uint32_t error, const std::vector<uint8_t>& png);
