#pragma once
// Picture files of the composed raster: the formats a file name asks for by its extension, and
// writing a raster as one, atomically.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "output/atomic_file.h"

enum class PictureFormat {
  kJpeg,  // baseline JFIF, the save's settings (quality 100)
  kPng,   // lossless
  kBmp,   // the picture's 24-bit BMP file, as the preview holds it
};

// The format a path's extension names: .jpg or .jpeg, .png, .bmp, in any case; nothing for
// another extension or none.
std::optional<PictureFormat> FormatFromExtension(std::string_view path);

// The extension a file of the format is given: ".jpg", ".png", ".bmp".
std::string_view ExtensionOf(PictureFormat format);

// Every format by the name the command line gives it, its extension without the dot.
std::vector<std::string> PictureFormatNames();

// Writes an 8-bit RGB raster (top row first, no padding) as a file of `format` at `path`,
// replacing what is there only once the new file is complete. False with the reason in `error`
// when it could not be written; then whatever was at the path is as it was.
bool WritePictureFile(std::span<const unsigned char> rgb, std::int32_t width, std::int32_t height,
                      PictureFormat format, const std::string& path, std::error_code& error,
                      Durability durability = Durability::kSynced);

// The same picture file written to an open stream (standard output), flushed. False with the
// reason in `error` when the stream failed.
bool WritePictureToStream(std::span<const unsigned char> rgb, std::int32_t width,
                          std::int32_t height, PictureFormat format, FILE* out,
                          std::error_code& error);
