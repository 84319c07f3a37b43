#include "output/save_picture.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

#include "output/atomic_file.h"
#include "output/bmp_file.h"
#include "output/convert_to_jpeg.h"
#include "output/picture_file.h"

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// The picture as a BMP file of the save's own, for the conversion to read: a PendingFile that is
// never committed, so it is created new under a name nobody else uses and, when it goes, only
// it is removed. Beside the JPEG first, where the file system is the one the JPEG goes to; the
// system's temporary folder when that folder cannot take it. The reason reported is the one
// from beside the JPEG: that is the folder the user chose.
std::optional<PendingFile> WriteTemporaryBmp(std::span<const unsigned char> bmp,
                                             const std::string& jpegPath, std::error_code& error) {
  const auto writeBeside = [&](const fs::path& place,
                               std::error_code& reason) -> std::optional<PendingFile> {
    std::optional<PendingFile> file = PendingFile::CreateBeside(place, reason);
    if (!file || !file->Write(bmp, reason)) return std::nullopt;
    if (std::fflush(file->stream()) != 0) {
      reason = LastError();
      return std::nullopt;
    }
    return file;
  };
  if (std::optional<PendingFile> file = writeBeside(jpegPath, error)) return file;
  std::error_code fallbackError;
  const fs::path systemTemporary = fs::temp_directory_path(fallbackError);
  if (fallbackError) return std::nullopt;
  return writeBeside(systemTemporary / "lumivale-save.bmp", fallbackError);
}

}  // namespace

std::string JpegPathFor(const std::string& chosenPath) {
  if (FormatFromExtension(chosenPath) == PictureFormat::kJpeg) return chosenPath;
  return chosenPath + ".jpg";
}

SaveOutcome SavePictureAsJpeg(std::span<const unsigned char> bmp, const std::string& chosenPath) {
  SaveOutcome outcome;
  if (chosenPath.empty()) {
    outcome.stage = SaveStage::kNoPath;
    outcome.error = std::make_error_code(std::errc::no_such_file_or_directory);
    return outcome;
  }
  outcome.jpegPath = JpegPathFor(chosenPath);
  if (!DecodeBmp(bmp)) {
    outcome.stage = SaveStage::kNoPicture;
    outcome.error = std::make_error_code(std::errc::invalid_argument);
    return outcome;
  }

  std::optional<PendingFile> temporary = WriteTemporaryBmp(bmp, outcome.jpegPath, outcome.error);
  if (!temporary) {
    outcome.stage = SaveStage::kTemporaryFile;
    return outcome;
  }

  std::error_code writeError;
  const std::string temporaryPath = temporary->temporaryPath().string();
  outcome.conversionCode =
      ConvertToJpeg(temporaryPath, outcome.jpegPath, {}, &writeError);
  temporary.reset();
  std::error_code ignored;
  if (fs::symlink_status(temporaryPath, ignored).type() != fs::file_type::not_found)
    outcome.temporaryLeftBehind = temporaryPath;

  if (outcome.conversionCode != kJpegWritten) {
    outcome.stage = SaveStage::kConversion;
    // -1 or -3 here means the temporary file changed under us: a reading problem.
    outcome.error = writeError ? writeError : std::make_error_code(std::errc::io_error);
    return outcome;
  }
  outcome.written = true;
  outcome.stage = SaveStage::kDone;
  outcome.error.clear();  // a first place that could not take the temporary file is no failure
  return outcome;
}
