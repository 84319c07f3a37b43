#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

// Long enough to be recognisable, short enough that the temporary name stays within NAME_MAX.
constexpr std::size_t kKeptNameBytes = 100;
constexpr int kNameAttempts = 100;

std::string RandomSuffix() {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937_64 generator{(static_cast<std::uint64_t>(std::random_device{}()) << 32) ^
                                         static_cast<std::uint64_t>(::getpid())};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string suffix(8, 'x');
  for (char& c : suffix) c = kAlphabet[pick(generator)];
  return suffix;
}

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

}  // namespace

PendingFile::PendingFile(FILE* stream, fs::path temporaryPath, fs::path target)
    : stream_(stream), temporaryPath_(std::move(temporaryPath)), target_(std::move(target)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      temporaryPath_(std::exchange(other.temporaryPath_, {})),
      target_(std::move(other.target_)),
      firstWriteError_(other.firstWriteError_) {}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    Discard();
    stream_ = std::exchange(other.stream_, nullptr);
    temporaryPath_ = std::exchange(other.temporaryPath_, {});
    target_ = std::move(other.target_);
    firstWriteError_ = other.firstWriteError_;
  }
  return *this;
}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() noexcept {
  if (stream_) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}

std::optional<PendingFile> PendingFile::CreateBeside(const fs::path& requestedTarget,
                                                     std::error_code& error) {
  error.clear();
  if (requestedTarget.empty()) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return std::nullopt;
  }
  fs::path target = requestedTarget;
  std::error_code ignored;
  if (fs::is_symlink(fs::symlink_status(target, ignored))) {
    fs::path resolved = fs::weakly_canonical(target, ignored);
    if (!ignored) target = resolved;
  }
  if (!target.has_filename()) {
    error = std::make_error_code(std::errc::is_a_directory);
    return std::nullopt;
  }

  mode_t mode = 0644;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      error = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    }
    if (S_ISREG(existing.st_mode)) mode = existing.st_mode & 0777;
  }

  const std::string name = target.filename().string();
  const std::string kept = name.substr(0, kKeptNameBytes);
  const fs::path folder = FolderOf(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    fs::path candidate = folder / ("." + kept + "." + RandomSuffix() + ".tmp");
    // The kernel applies the umask to a new file; an inherited mode is set exactly below.
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = LastError();
      return std::nullopt;
    }
    if (mode != 0644 && ::fchmod(fd, mode) != 0) {
      error = LastError();
      ::close(fd);
      ::unlink(candidate.c_str());
      return std::nullopt;
    }
    FILE* stream = ::fdopen(fd, "wb");
    if (!stream) {
      error = LastError();
      ::close(fd);
      ::unlink(candidate.c_str());
      return std::nullopt;
    }
    return PendingFile(stream, std::move(candidate), std::move(target));
  }
  error = std::make_error_code(std::errc::file_exists);
  return std::nullopt;
}

bool PendingFile::Write(std::span<const unsigned char> bytes, std::error_code& error) {
  error.clear();
  if (!stream_) {
    error = std::make_error_code(std::errc::bad_file_descriptor);
    return false;
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
    error = LastError();
    if (!error) error = std::make_error_code(std::errc::io_error);
    if (!firstWriteError_) firstWriteError_ = error;
    return false;
  }
  return true;
}

bool PendingFile::Commit(std::error_code& error) {
  error.clear();
  if (!stream_) {
    error = std::make_error_code(std::errc::bad_file_descriptor);
    return false;
  }
  auto fail = [&](std::error_code reason) {
    error = reason ? reason : std::make_error_code(std::errc::io_error);
    Discard();
    return false;
  };
  if (firstWriteError_) return fail(firstWriteError_);
  if (std::fflush(stream_) != 0) return fail(LastError());
  if (std::ferror(stream_)) return fail(std::make_error_code(std::errc::io_error));
  if (::fsync(::fileno(stream_)) != 0) return fail(LastError());
  FILE* stream = std::exchange(stream_, nullptr);
  if (std::fclose(stream) != 0) return fail(LastError());
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) return fail(LastError());
  // The folder itself is not synced: should the rename be lost in a crash, the earlier file
  // is still there whole, which is all a save promises.
  temporaryPath_.clear();
  return true;
}

bool WriteFileAtomically(const fs::path& target, std::span<const unsigned char> bytes,
                         std::error_code& error) {
  std::optional<PendingFile> file = PendingFile::CreateBeside(target, error);
  if (!file) return false;
  if (!file->Write(bytes, error)) return false;  // the destructor removes the temporary file
  return file->Commit(error);
}
