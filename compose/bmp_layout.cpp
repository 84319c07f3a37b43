#include "compose/bmp_layout.h"

#include <cstring>

namespace {

void Put16(unsigned char* at, std::uint32_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, std::uint32_t value) {
  Put16(at, value);
  Put16(at + 2, value >> 16);
}

}  // namespace

void WriteBmp24(const unsigned char* rgb, std::int32_t width, std::int32_t height,
                unsigned char* bmp) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const std::size_t rowSize = BmpRowSize(width);
  const std::size_t imageSize = rowSize * static_cast<std::size_t>(height);
  unsigned char* header = bmp;
  std::memset(header, 0, kBmpHeaderSize);
  header[0] = 'B';
  header[1] = 'M';
  Put32(header + 2, static_cast<std::uint32_t>(kBmpHeaderSize + imageSize));
  Put32(header + 10, static_cast<std::uint32_t>(kBmpHeaderSize));
  Put32(header + 14, 40);
  Put32(header + 18, static_cast<std::uint32_t>(width));
  Put32(header + 22, static_cast<std::uint32_t>(height));
  Put16(header + 26, 1);
  Put16(header + 28, 24);
  Put32(header + 34, static_cast<std::uint32_t>(imageSize));

  const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
  unsigned char* out = header + kBmpHeaderSize;
  for (std::int32_t row = height - 1; row >= 0; --row) {
    const unsigned char* in = rgb + static_cast<std::size_t>(row) * pixelBytes;
    for (std::size_t i = 0; i < pixelBytes; i += 3) {
      out[i] = in[i + 2];
      out[i + 1] = in[i + 1];
      out[i + 2] = in[i];
    }
    std::memset(out + pixelBytes, 0, rowSize - pixelBytes);
    out += rowSize;
  }
}
