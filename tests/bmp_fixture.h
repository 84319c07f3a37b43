#pragma once
// Small BMP files for tests, laid out as the drawing surface writes them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace bmp_fixture {

using Bytes = std::vector<std::uint8_t>;
struct Rgb {
  std::uint8_t r, g, b;
};
using PixelAt = std::function<Rgb(int x, int y)>;  // y counted from the top

inline void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = (v >> 8) & 0xFF;
}
inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A 24-bit bottom-up BMP of `pixel`; `gap` extra bytes between the headers and the pixel rows,
// and each row's padding filled with `padding`.
inline Bytes MakeBmp(int width, int height, const PixelAt& pixel, std::size_t gap = 0,
                     std::uint8_t padding = 0) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t offset = 54 + gap;
  Bytes b(offset + rowBytes * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  Put32(b, 34, static_cast<std::uint32_t>(rowBytes * height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.data() + offset + rowBytes * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const Rgb c = pixel(x, y);
      row[x * 3] = c.b;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.r;
    }
    for (std::size_t pad = static_cast<std::size_t>(width) * 3; pad < rowBytes; ++pad)
      row[pad] = padding;
  }
  return b;
}

}  // namespace bmp_fixture
