#include "output/picture_file.h"

#include <vector>

#include "compose/ascii_text.h"
#include "compose/bmp_layout.h"
#include "compose/png_picture.h"
#include "output/atomic_file.h"
#include "output/convert_to_jpeg.h"

std::optional<PictureFormat> FormatFromExtension(std::string_view path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string_view::npos || path[dot] != '.') return std::nullopt;
  const std::string extension = LowerAscii(path.substr(dot));
  if (extension == ".jpg" || extension == ".jpeg") return PictureFormat::kJpeg;
  if (extension == ".png") return PictureFormat::kPng;
  if (extension == ".bmp") return PictureFormat::kBmp;
  return std::nullopt;
}

std::string_view ExtensionOf(PictureFormat format) {
  switch (format) {
    case PictureFormat::kJpeg: return ".jpg";
    case PictureFormat::kPng: return ".png";
    case PictureFormat::kBmp: break;
  }
  return ".bmp";
}

// Each format is encoded straight from the raster; only BMP makes the BMP file, so writing a
// JPEG holds no second copy of the picture.
bool WritePictureFile(std::span<const unsigned char> rgb, std::int32_t width, std::int32_t height,
                      PictureFormat format, const std::string& path, std::error_code& error) {
  error.clear();
  switch (format) {
    case PictureFormat::kBmp: {
      std::vector<unsigned char> bmp;
      WriteBmp24(rgb.data(), width, height, bmp);
      if (bmp.empty()) {
        error = std::make_error_code(std::errc::not_enough_memory);
        return false;
      }
      return WriteFileAtomically(path, bmp, error);
    }
    case PictureFormat::kPng: {
      const std::vector<unsigned char> png = EncodeRgbPng(rgb, width, height);
      if (png.empty()) {
        error = std::make_error_code(std::errc::not_enough_memory);
        return false;
      }
      return WriteFileAtomically(path, png, error);
    }
    case PictureFormat::kJpeg: break;
  }
  const int code = ConvertRgbToJpeg(rgb, width, height, path, {}, &error);
  if (code != kJpegWritten && !error) error = std::make_error_code(std::errc::invalid_argument);
  return code == kJpegWritten;
}
