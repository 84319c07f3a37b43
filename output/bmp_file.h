#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// The pixels of a BMP file, read in place: three bytes per pixel in blue, green, red order, as
// the file stores them. Valid only as long as the file's bytes are.
struct BmpPixels {
  int width = 0;
  int height = 0;
  const std::uint8_t* bottomRow = nullptr;  // the file stores the bottom row first
  std::size_t rowBytes = 0;                 // padded to a multiple of four

  // Row y counted from the top of the picture.
  const std::uint8_t* Row(int y) const {
    return bottomRow + static_cast<std::size_t>(height - 1 - y) * rowBytes;
  }
};

// Largest width and height the reader takes.
inline constexpr int kMaxBmpSide = 32768;

// Decodes the one kind of BMP file the program writes itself: "BM", a 40-byte info header,
// one plane, 24 bits per pixel, no compression, a positive height (bottom row first), rows
// padded to four bytes and the pixel rows at the stated offset. Anything else, and any file too
// short for what its header states, gives nothing; no byte outside `file` is read.
std::optional<BmpPixels> DecodeBmp(std::span<const std::uint8_t> file);
// The pixels point into the file's bytes, so a temporary vector would leave them dangling.
std::optional<BmpPixels> DecodeBmp(std::vector<std::uint8_t>&& file) = delete;

// The whole contents of a regular file, or nothing when it cannot be read (missing, a folder,
// a device, larger than `maxBytes`; by default as large as a BMP file can be).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(
    const std::filesystem::path& path, std::uint64_t maxBytes = 0xFFFFFFFFu);
