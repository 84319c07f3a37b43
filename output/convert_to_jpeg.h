#pragma once
#include <string>

// Result codes of ConvertToJpeg.
enum JpegResult : int {
  kJpegWritten = 1,
  kJpegBadArguments = -7,   // a path is missing, quality not 1..100 or smoothing not 0..100
  kJpegNoSource = -1,       // nothing exists at the source path
  kJpegUnreadableSource = -3,  // the source is not a picture this can read
  kJpegWriteFailed = -4,    // the target could not be written or encoding failed
};

// Reads the 24-bit bottom-up BMP at `sourcePath` and writes it to `targetPath` as a baseline
// JFIF JPEG, replacing what is there only once the new file is complete.
int ConvertToJpeg(const std::string& sourcePath, const std::string& targetPath, bool grayscale,
                  int quality, bool optimiseCoding, int smoothing);
