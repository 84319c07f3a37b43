#pragma once
// The 24-bit BMP file a surface's picture travels in: a 54-byte header, then the rows bottom row
// first, each pixel blue, green, red, each row padded with zeros to a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>
#include <new>

inline constexpr std::size_t kBmpHeaderSize = 54;

// Bytes per stored row of a picture `width` pixels wide.
constexpr std::size_t BmpRowSize(std::int32_t width) {
  return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

// Bytes of the BMP file of a picture of that size.
constexpr std::size_t BmpFileSize(std::int32_t width, std::int32_t height) {
  return kBmpHeaderSize + BmpRowSize(width < 0 ? 0 : width) * static_cast<std::size_t>(height < 0 ? 0 : height);
}

// Writes the BMP file of an RGB raster (top row first) into `bmp`, BmpFileSize bytes.
void WriteBmp24(const unsigned char* rgb, std::int32_t width, std::int32_t height,
                unsigned char* bmp);

// The same into a buffer whose memory is reused; it is left empty when the memory cannot be had.
template <typename Bytes>
void WriteBmp24(const unsigned char* rgb, std::int32_t width, std::int32_t height, Bytes& bmp) {
  try {
    bmp.resize(BmpFileSize(width, height));
  } catch (const std::bad_alloc&) {
    bmp.clear();
    bmp.shrink_to_fit();
    return;
  }
  WriteBmp24(rgb, width, height, bmp.data());
}
