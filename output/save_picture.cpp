#include "save_picture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string_view>

#include "bmp_file.h"
#include "convert_to_jpeg.h"

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

bool EndsWithIgnoringCase(std::string_view text, std::string_view ending) {
  if (text.size() < ending.size()) return false;
  const std::string_view tail = text.substr(text.size() - ending.size());
  for (std::size_t i = 0; i < ending.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != ending[i]) return false;
  }
  return true;
}

std::string RandomPart() {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                         static_cast<std::uint64_t>(::getpid())};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string part(10, 'x');
  for (char& c : part) c = kAlphabet[pick(generator)];
  return part;
}

// Long enough to recognise the save it belongs to, short enough to stay within NAME_MAX.
constexpr std::size_t kKeptNameBytes = 100;
constexpr int kNameAttempts = 100;

// A BMP file of the save's own: created new under a name nobody else uses, so that it never
// replaces anything, and removed again by whoever holds it, nothing but this one file.
class TemporaryBmp {
 public:
  TemporaryBmp() = default;
  TemporaryBmp(const TemporaryBmp&) = delete;
  TemporaryBmp& operator=(const TemporaryBmp&) = delete;
  ~TemporaryBmp() {
    std::error_code ignored;
    Remove(ignored);
  }

  const std::string& path() const { return path_; }

  // Creates "<folder>/<prefix>.<random>.bmp" and writes all of `bytes` into it; on failure
  // nothing of it is left.
  bool WriteIn(const fs::path& folder, const std::string& prefix, std::span<const unsigned char> bytes,
               std::error_code& error) {
    int fd = -1;
    for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
      path_ = (folder / (prefix + "." + RandomPart() + ".bmp")).string();
      fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      error = errno == EEXIST ? std::make_error_code(std::errc::file_exists) : LastError();
      path_.clear();
      return false;
    }
    error.clear();
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? LastError() : std::make_error_code(std::errc::no_space_on_device);
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && !error) error = LastError();
    if (error) {
      std::error_code ignored;
      Remove(ignored);
      return false;
    }
    return true;
  }

  bool Remove(std::error_code& error) {
    error.clear();
    if (path_.empty()) return true;
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
      error = LastError();
      return false;
    }
    path_.clear();
    return true;
  }

 private:
  std::string path_;
};

fs::path FolderOf(const std::string& file) {
  fs::path folder = fs::path(file).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// Beside the JPEG first, where the file system is the one the JPEG goes to; the system's
// temporary folder when that folder cannot take the file. The reason reported is the one from
// beside the JPEG: that is the folder the user chose.
bool WriteTemporaryBmp(TemporaryBmp& file, std::span<const unsigned char> bmp,
                       const std::string& jpegPath, std::error_code& error) {
  std::string prefix = ".";
  prefix.append(fs::path(jpegPath).filename().string(), 0, kKeptNameBytes);
  if (file.WriteIn(FolderOf(jpegPath), prefix, bmp, error)) return true;
  std::error_code fallbackError;
  const fs::path systemTemporary = fs::temp_directory_path(fallbackError);
  return !fallbackError && file.WriteIn(systemTemporary, "lumivale-save", bmp, fallbackError);
}

}  // namespace

std::string JpegPathFor(const std::string& chosenPath) {
  if (EndsWithIgnoringCase(chosenPath, ".jpg") || EndsWithIgnoringCase(chosenPath, ".jpeg"))
    return chosenPath;
  return chosenPath + ".jpg";
}

SaveOutcome SavePictureAsJpeg(std::span<const unsigned char> bmp, const std::string& chosenPath) {
  SaveOutcome outcome;
  if (chosenPath.empty()) {
    outcome.stage = SaveStage::kConversion;
    outcome.error = std::make_error_code(std::errc::no_such_file_or_directory);
    return outcome;
  }
  outcome.jpegPath = JpegPathFor(chosenPath);
  if (!DecodeBmp(bmp)) {
    outcome.stage = SaveStage::kNoPicture;
    outcome.error = std::make_error_code(std::errc::invalid_argument);
    return outcome;
  }

  TemporaryBmp temporary;
  if (!WriteTemporaryBmp(temporary, bmp, outcome.jpegPath, outcome.error)) {
    outcome.stage = SaveStage::kTemporaryFile;
    return outcome;
  }

  std::error_code writeError;
  outcome.conversionCode =
      ConvertToJpeg(temporary.path(), outcome.jpegPath, false, 100, true, 0, writeError);
  const std::string temporaryPath = temporary.path();
  std::error_code removeError;
  if (!temporary.Remove(removeError)) outcome.temporaryLeftBehind = temporaryPath;

  if (outcome.conversionCode != kJpegWritten) {
    outcome.stage = SaveStage::kConversion;
    // -1 or -3 here means the temporary file changed under us: a reading problem.
    outcome.error = writeError ? writeError : std::make_error_code(std::errc::io_error);
    return outcome;
  }
  outcome.written = true;
  outcome.stage = SaveStage::kDone;
  return outcome;
}
