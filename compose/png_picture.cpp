#include "compose/png_picture.h"

#include <png.h>

#include <cstring>
#include <limits>

namespace {

// Owns the libpng state behind a png_image for as long as a decode or an encode runs.
class PngImageState {
 public:
  PngImageState() {
    std::memset(&image_, 0, sizeof image_);
    image_.version = PNG_IMAGE_VERSION;
  }
  ~PngImageState() { png_image_free(&image_); }
  PngImageState(const PngImageState&) = delete;
  PngImageState& operator=(const PngImageState&) = delete;

  png_image& image() { return image_; }

 private:
  png_image image_;
};

// Far more than any picture of this program; it keeps a corrupt header from asking for gigabytes.
constexpr std::uint64_t kMaxPixels = 64u * 1024u * 1024u;

}  // namespace

std::optional<RgbPicture> DecodePngToRgb(std::span<const unsigned char> png, Colour matte) {
  if (png.empty()) return std::nullopt;
  PngImageState reader;
  png_image& image = reader.image();
  if (png_image_begin_read_from_memory(&image, png.data(), png.size()) == 0) return std::nullopt;
  const std::uint64_t pixelCount = std::uint64_t{image.width} * image.height;
  if (image.width == 0 || image.height == 0 || pixelCount > kMaxPixels ||
      image.width > static_cast<png_uint_32>(std::numeric_limits<std::int32_t>::max() / 3))
    return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  RgbPicture picture;
  picture.width = static_cast<std::int32_t>(image.width);
  picture.height = static_cast<std::int32_t>(image.height);
  picture.pixels.resize(PNG_IMAGE_SIZE(image));
  png_color background;
  background.red = static_cast<png_byte>(RedOf(matte));
  background.green = static_cast<png_byte>(GreenOf(matte));
  background.blue = static_cast<png_byte>(BlueOf(matte));
  const png_int_32 rowStride = static_cast<png_int_32>(image.width * 3);
  if (png_image_finish_read(&image, &background, picture.pixels.data(), rowStride, nullptr) == 0)
    return std::nullopt;
  return picture;
}

std::vector<unsigned char> EncodeRgbPng(std::span<const unsigned char> rgb, std::int32_t width,
                                        std::int32_t height) {
  if (width <= 0 || height <= 0 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
    return {};
  PngImageState writer;
  png_image& image = writer.image();
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const png_int_32 rowStride = width * 3;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), rowStride, nullptr))
    return {};
  std::vector<unsigned char> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), rowStride, nullptr))
    return {};
  bytes.resize(size);
  return bytes;
}
