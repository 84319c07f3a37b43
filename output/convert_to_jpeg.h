#pragma once
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <system_error>

#include "output/atomic_file.h"

// Result codes of ConvertToJpeg.
enum JpegResult : int {
  kJpegWritten = 1,
  kJpegBadArguments = -7,   // a path is missing, quality not 1..100 or smoothing not 0..100
  kJpegNoSource = -1,       // nothing exists at the source path
  kJpegUnreadableSource = -3,  // the source is not a picture this can read (a folder included)
  kJpegWriteFailed = -4,    // the target could not be written or encoding failed
};

// How the JPEG is made; the defaults are the save's: colour, quality 100 on libjpeg's 1..100
// scale with baseline tables forced, optimised Huffman tables, no smoothing (libjpeg's smoothing
// factor, 0..100).
struct JpegSettings {
  bool grayscale = false;
  int quality = 100;
  bool optimiseCoding = true;
  int smoothing = 0;
};

// Reads the 24-bit bottom-up BMP at `sourcePath` and writes it to `targetPath` as a baseline
// JFIF JPEG, replacing what is there only once the new file is complete. A failure leaves an
// earlier file at the target as it was and no partial file behind.
//
// Checks in this order: arguments (-7, nothing touched), the source's existence (-1), its
// contents (-3), then the writing (-4, with the reason in `writeError` when one is given).
int ConvertToJpeg(const std::string& sourcePath, const std::string& targetPath,
                  const JpegSettings& settings = {}, std::error_code* writeError = nullptr);

// The same for a BMP file already in memory; the codes are those above except -1.
int ConvertBmpBytesToJpeg(std::span<const unsigned char> bmp, const std::string& targetPath,
                          const JpegSettings& settings = {}, std::error_code* writeError = nullptr);

// The same for an 8-bit RGB raster (top row first, no padding), as the drawing surface keeps
// it: the bytes written are those the conversion of that raster's BMP file gives. -3 when the
// raster does not match the size.
int ConvertRgbToJpeg(std::span<const unsigned char> rgb, int width, int height,
                     const std::string& targetPath, const JpegSettings& settings = {},
                     std::error_code* writeError = nullptr,
                     Durability durability = Durability::kSynced);

// The same raster's JPEG written to an open stream (standard output), as it is encoded; -4
// when the stream fails. The caller flushes and checks the stream.
int WriteRgbJpegToStream(std::span<const unsigned char> rgb, int width, int height, FILE* out,
                         const JpegSettings& settings = {}, std::error_code* writeError = nullptr);
