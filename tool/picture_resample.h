// Plain pixel pictures and the resampling the tool does before storing a
// picture: the player's own fit into its box, a high-quality scale down and
// compositing over a background. Integer arithmetic only, so every build of
// the tool gives the same pixels.
#pragma once

#include <cstdint>
#include <vector>

// Top-down rows, no padding: 1 (grey), 3 (RGB) or 4 (RGBA) bytes a pixel.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 3;
  std::vector<uint8_t> pixels;
};

// A copy at width x height (each at most the source's, at least 1) through
// a separable Lanczos-3 filter in light of gamma 2; alpha, when present, is
// filtered as it is.
Picture ScaleDown(const Picture& source, uint32_t width, uint32_t height);

// Whether some pixel of an RGBA picture is not fully opaque.
bool HasTransparency(const Picture& picture);
// An RGB picture: an RGBA one composited over the colour, any other copied.
Picture OverBackground(const Picture& picture, uint8_t red, uint8_t green, uint8_t blue);
