#include "png_picture.h"

#include <png.h>

#include <cstring>
#include <limits>

namespace {

// Owns the libpng state behind a png_image for as long as a decode runs.
class PngImageReader {
 public:
  PngImageReader() {
    std::memset(&image_, 0, sizeof image_);
    image_.version = PNG_IMAGE_VERSION;
  }
  ~PngImageReader() { png_image_free(&image_); }
  PngImageReader(const PngImageReader&) = delete;
  PngImageReader& operator=(const PngImageReader&) = delete;

  png_image& image() { return image_; }

 private:
  png_image image_;
};

// Far more than any picture of this program; it keeps a corrupt header from asking for gigabytes.
constexpr std::uint64_t kMaxPixels = 64u * 1024u * 1024u;

}  // namespace

std::optional<RgbPicture> DecodePngToRgb(std::span<const unsigned char> png, Colour matte) {
  if (png.empty()) return std::nullopt;
  PngImageReader reader;
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
