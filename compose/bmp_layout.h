#pragma once
// The 24-bit BMP file a surface's picture travels in: a 54-byte header, then the rows bottom row
// first, each pixel blue, green, red, each row padded with zeros to a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kBmpHeaderSize = 54;

// Bytes per stored row of a picture `width` pixels wide.
constexpr std::size_t BmpRowSize(std::int32_t width) {
  return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

// Writes the BMP file of an RGB raster (top row first) into `bmp`, reusing its memory.
// `bmp` is left empty when the memory cannot be had.
void WriteBmp24(const unsigned char* rgb, std::int32_t width, std::int32_t height,
                std::vector<unsigned char>& bmp);
