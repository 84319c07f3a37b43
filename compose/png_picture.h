#pragma once
// Decoding of the built-in PNG pictures into plain RGB pixels.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "colour.h"

struct RgbPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<unsigned char> pixels;  // width x height x 3 bytes, R G B, top row first
};

// Decodes a PNG file held in memory to 8-bit RGB. Translucent pixels are composed over `matte`.
// Nothing when the bytes are not a PNG libpng can read, or the picture is unreasonably large.
std::optional<RgbPicture> DecodePngToRgb(std::span<const unsigned char> png, Colour matte);
