#include "png_file.h"

#include <png.h>

#include <cstring>

namespace {

// Frees what libpng allocated for the image on every path.
struct PngImage {
  png_image image;
  PngImage() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

std::vector<unsigned char> EncodeRgbPng(std::span<const unsigned char> rgb, std::int32_t width,
                                        std::int32_t height) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
    return {};
  PngImage png;
  png.image.width = static_cast<png_uint_32>(width);
  png.image.height = static_cast<png_uint_32>(height);
  png.image.format = PNG_FORMAT_RGB;
  const png_int_32 rowStride = width * 3;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, rgb.data(), rowStride, nullptr))
    return {};
  std::vector<unsigned char> bytes(size);
  if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, rgb.data(), rowStride,
                                 nullptr))
    return {};
  bytes.resize(size);
  return bytes;
}
