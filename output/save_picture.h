#pragma once
// Saving the composed picture as a JPEG at a path the user chose: the picture goes through a
// temporary BMP file of its own and ConvertToJpeg, and the outcome says exactly what happened.
#include <span>
#include <string>
#include <system_error>

// The path the JPEG goes to: the chosen path, with ".jpg" appended unless its name already
// ends in ".jpg" or ".jpeg" (in any case). Paths are bytes; nothing else is changed.
std::string JpegPathFor(const std::string& chosenPath);

enum class SaveStage {
  kNoPath,         // no path was chosen; nothing was touched
  kNoPicture,      // the bytes are no picture the conversion can read; nothing was touched
  kTemporaryFile,  // the temporary BMP could be created or written nowhere
  kConversion,     // the JPEG could not be written; an earlier file there is as it was
  kDone,           // the JPEG is in place
};

struct SaveOutcome {
  bool written = false;
  std::string jpegPath;
  SaveStage stage = SaveStage::kNoPicture;
  std::error_code error;  // why, when not written
  int conversionCode = 0;  // ConvertToJpeg's result, once it ran
  // A temporary BMP that could not be removed after the save; empty normally.
  std::string temporaryLeftBehind;
};

// Writes `bmp` to a new, exclusively created temporary file beside the JPEG (or in the system's
// temporary folder when the JPEG's folder cannot take it), converts it with ConvertToJpeg at
// quality 100, optimised coding, no smoothing, in colour, and removes that temporary file, and
// only that one. No existing file is changed unless the JPEG was written completely.
SaveOutcome SavePictureAsJpeg(std::span<const unsigned char> bmp, const std::string& chosenPath);
