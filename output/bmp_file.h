#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// A picture decoded from a BMP file: rows from the top down, three bytes per pixel in red,
// green, blue order, no padding.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes

  const std::uint8_t* Row(int y) const { return rgb.data() + static_cast<std::size_t>(y) * width * 3; }
};

// Largest width and height the reader takes.
inline constexpr int kMaxBmpSide = 32768;

// Decodes the one kind of BMP file the program writes itself: "BM", a 40-byte info header,
// one plane, 24 bits per pixel, no compression, a positive height (bottom row first), rows
// padded to four bytes and the pixel rows at the stated offset. Anything else, and any file too
// short for what its header states, gives nothing; no byte outside `file` is read.
std::optional<RgbPicture> DecodeBmp(std::span<const std::uint8_t> file);

// The whole contents of a regular file, or nothing when it cannot be read (missing, a folder,
// a device, larger than a BMP file can be).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);
