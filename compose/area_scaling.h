#pragma once
// Shrinking or stretching a picture for display: each target pixel takes the average of the
// source pixels it covers, weighted by how much of each it covers, as a halftone stretch does.
// One pass over the source with a row of sums, so shrinking the 1080 x 1920 picture to the
// preview's size needs no picture-sized buffer of its own.
#include <cstddef>
#include <cstdint>
#include <vector>

// 8-bit pixels of three bytes, in rows `rowStep` bytes apart (negative for a picture stored
// bottom row first, as a BMP file is).
struct RasterView {
  const unsigned char* topRow = nullptr;
  std::ptrdiff_t rowStep = 0;
  int width = 0;
  int height = 0;
  bool bgr = false;  // blue, green, red, as a BMP stores them; else red, green, blue
};

// The picture at width x height as 0xFFRRGGBB pixels, top row first; empty for an empty
// source or target.
std::vector<std::uint32_t> AreaScaled(const RasterView& source, int width, int height);
