#pragma once
// PNG pictures: the built-in ones decoded into plain RGB pixels, and a raster written as one.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "compose/colour.h"
#include "compose/picture_memory.h"

struct RgbPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  PictureBytes pixels;  // width x height x 3 bytes, R G B, top row first
};

// Decodes a PNG file held in memory to 8-bit RGB. Translucent pixels are composed over `matte`.
// Nothing when the bytes are not a PNG libpng can read, or the picture is unreasonably large.
std::optional<RgbPicture> DecodePngToRgb(std::span<const unsigned char> png, Colour matte);

// An 8-bit RGB raster (top row first, no row padding) as the bytes of a lossless PNG file.
// Empty when the raster does not match the size or libpng fails.
std::vector<unsigned char> EncodeRgbPng(std::span<const unsigned char> rgb, std::int32_t width,
                                        std::int32_t height);
