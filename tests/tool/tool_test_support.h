// Small PE images and quiz folders made on the fly for the tool's tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tool/picture_resample.h"

// A minimal PE32+ image with one ".text" section that carries the stored
// block marker and 70 bytes behind it, and no resources.
std::vector<uint8_t> MakeBareImage();
// Appends a section after every other one (in memory and in the file), as a
// linker puts ".reloc" after ".rsrc".
void AppendPlainSection(std::vector<uint8_t>* image, const char* name, uint32_t size);

// A fresh empty folder under the system's temporary folder.
std::filesystem::path MakeTempFolder(const std::string& name);
void WriteTextFile(const std::filesystem::path& path, const std::string& text);
void WriteBinaryFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBinaryFile(const std::filesystem::path& path);

// A tiny valid PNG (RGB, 8 bits) of the given size, filled with one colour,
// made with stored deflate blocks so no compressor is needed. With `alpha`
// it is RGBA and the first pixel is half transparent.
std::vector<uint8_t> MakePng(uint32_t width, uint32_t height, bool alpha = false);
// A JPEG header carrying only a start-of-frame with the given size.
std::vector<uint8_t> MakeJpegHeader(uint32_t width, uint32_t height);

// A picture whose samples are `sample(x, y, channel)`, asked for in reading
// order (rows, then pixels, then channels), so a sample may draw on a
// running noise.
template <typename Sample>
Picture MakePicture(uint32_t width, uint32_t height, uint32_t channels, Sample sample) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = channels;
  picture.pixels.resize(static_cast<size_t>(width) * height * channels);
  uint8_t* p = picture.pixels.data();
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      for (uint32_t c = 0; c < channels; ++c) {
        *p++ = static_cast<uint8_t>(sample(x, y, c));
      }
    }
  }
  return picture;
}

// FNV-1a over the bytes: a short fingerprint for results that must not move.
uint32_t Fnv1a32(const std::vector<uint8_t>& bytes);
