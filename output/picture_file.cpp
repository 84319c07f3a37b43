#include "output/picture_file.h"

#include <cerrno>
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

std::vector<std::string> PictureFormatNames() {
  std::vector<std::string> names;
  for (const PictureFormat format : {PictureFormat::kJpeg, PictureFormat::kPng, PictureFormat::kBmp})
    names.emplace_back(ExtensionOf(format).substr(1));
  return names;
}

namespace {

// A PNG or BMP file of the raster, whole, in memory; empty when the memory cannot be had.
PictureBytes EncodedInMemory(std::span<const unsigned char> rgb, std::int32_t width,
                             std::int32_t height, PictureFormat format) {
  PictureBytes bytes;
  if (format == PictureFormat::kBmp) {
    WriteBmp24(rgb.data(), width, height, bytes);
  } else {
    const std::vector<unsigned char> png = EncodeRgbPng(rgb, width, height);
    bytes.assign(png.begin(), png.end());
  }
  return bytes;
}

std::error_code LastStreamError() {
  return errno != 0 ? std::error_code(errno, std::generic_category())
                    : std::make_error_code(std::errc::io_error);
}

}  // namespace

// Each format is encoded straight from the raster; only BMP makes the BMP file, so writing a
// JPEG holds no second copy of the picture.
bool WritePictureFile(std::span<const unsigned char> rgb, std::int32_t width, std::int32_t height,
                      PictureFormat format, const std::string& path, std::error_code& error,
                      Durability durability) {
  error.clear();
  if (format == PictureFormat::kJpeg) {
    const int code = ConvertRgbToJpeg(rgb, width, height, path, {}, &error, durability);
    if (code != kJpegWritten && !error) error = std::make_error_code(std::errc::invalid_argument);
    return code == kJpegWritten;
  }
  const PictureBytes bytes = EncodedInMemory(rgb, width, height, format);
  if (bytes.empty()) {
    error = std::make_error_code(std::errc::not_enough_memory);
    return false;
  }
  return WriteFileAtomically(path, bytes, error, durability);
}

bool WritePictureToStream(std::span<const unsigned char> rgb, std::int32_t width,
                          std::int32_t height, PictureFormat format, FILE* out,
                          std::error_code& error) {
  error.clear();
  errno = 0;
  if (format == PictureFormat::kJpeg) {
    if (WriteRgbJpegToStream(rgb, width, height, out, {}, &error) != kJpegWritten) {
      if (!error) error = std::make_error_code(std::errc::invalid_argument);
      return false;
    }
  } else {
    const PictureBytes bytes = EncodedInMemory(rgb, width, height, format);
    if (bytes.empty()) {
      error = std::make_error_code(std::errc::not_enough_memory);
      return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
      error = LastStreamError();
      return false;
    }
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    error = LastStreamError();
    return false;
  }
  return true;
}
