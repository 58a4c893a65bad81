// What a picture's header says, without decoding it: its format and its
// size, as the tool checks pictures and the web player lays them out.
#pragma once

#include <cstdint>
#include <vector>

enum class PictureFormat { Unknown, Jpeg, Gif, Bmp, Png };

PictureFormat DetectPictureFormat(const std::vector<uint8_t>& bytes);
const char* PictureExtension(PictureFormat format);  // "jpg", "gif", "bmp", "png", "bin"

// Width and height from the file's header; false when they can't be found.
bool ReadPictureSize(const std::vector<uint8_t>& bytes, uint32_t* width, uint32_t* height);

// Whether the PNG carries a tRNS chunk (a transparent colour or palette
// alpha).
bool PngHasTrnsChunk(const std::vector<uint8_t>& bytes);
// Whether a PNG's header or chunks alone make CheckPng report transparency
// (grey with alpha, or a tRNS chunk); RGBA pictures depend on their pixels.
bool PngDeclaresTransparency(const std::vector<uint8_t>& bytes);
