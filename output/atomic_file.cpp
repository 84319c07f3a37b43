#include "output/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "output/output_error.h"
#include "output/temporary_name.h"
#include "output/write_target.h"

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

constexpr int kNameAttempts = 100;
// A temporary file unchanged for this long belongs to no writer that is still at work: each
// write touches the file, and a whole save takes about a second.
constexpr time_t kStaleAfterSeconds = 60;

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// Puts `from` at `to` where nothing was: a file that came there meanwhile stays (file_exists).
std::error_code RenameWithoutReplacing(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return LastError();
  // A file system that cannot refuse to replace: look, then rename. The window is a moment.
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) return std::make_error_code(std::errc::file_exists);
  if (errno != ENOENT) return LastError();
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
  return {};
}

// Puts `from` at `to` over the regular file that was there, as long as it still is one.
std::error_code RenameOverFile(const fs::path& from, const fs::path& to) {
  struct stat info {};
  if (::lstat(to.c_str(), &info) != 0) {
    if (errno == ENOENT) return RenameWithoutReplacing(from, to);
    return LastError();
  }
  if (S_ISDIR(info.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(info.st_mode)) return OutputError::kNotARegularFile;
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
  return {};
}

// Removes the regular files of `folder` unchanged for over a minute whose names `isLeftover`
// accepts, given the folder's descriptor. A failure here is no failure of any write.
void RemoveStaleFiles(const fs::path& folder,
                      const std::function<bool(int folderFd, const char* name)>& isLeftover) {
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
  if (!listing) return;
  timespec now {};
  if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return;
  const int folderFd = ::dirfd(listing.get());
  while (const dirent* entry = ::readdir(listing.get())) {
    if (!isLeftover(folderFd, entry->d_name)) continue;
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || now.tv_sec - info.st_mtim.tv_sec <= kStaleAfterSeconds) continue;
    ::unlinkat(folderFd, entry->d_name, 0);
  }
}

// Removes what a run killed while writing `target` left beside it: old regular files under
// exactly the target's temporary-name pattern.
void RemoveStaleTemporaryFiles(const fs::path& target) {
  const std::string targetName = target.filename().string();
  RemoveStaleFiles(FolderOf(target), [&](int, const char* name) {
    return IsTemporaryNameOf(name, targetName);
  });
}

}  // namespace

PendingFile::PendingFile(FILE* stream, fs::path temporaryPath, fs::path target, bool replacesFile)
    : stream_(stream),
      temporaryPath_(std::move(temporaryPath)),
      target_(std::move(target)),
      replacesFile_(replacesFile) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      temporaryPath_(std::exchange(other.temporaryPath_, {})),
      target_(std::move(other.target_)),
      replacesFile_(other.replacesFile_),
      firstWriteError_(other.firstWriteError_) {}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    Discard();
    stream_ = std::exchange(other.stream_, nullptr);
    temporaryPath_ = std::exchange(other.temporaryPath_, {});
    target_ = std::move(other.target_);
    replacesFile_ = other.replacesFile_;
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
  std::optional<WriteTarget> target = ResolveWriteTarget(requestedTarget, error);
  if (!target) return std::nullopt;

  const std::string name = target->path.filename().string();
  const fs::path folder = FolderOf(target->path);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    fs::path candidate = folder / NewTemporaryName(name);
    // The kernel applies the umask to a new file; a replaced file's mode is set exactly below,
    // whatever the umask (0644 too).
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error = LastError();
      return std::nullopt;
    }
    if (target->exists && ::fchmod(fd, static_cast<mode_t>(target->permissions)) != 0) {
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
    return PendingFile(stream, std::move(candidate), std::move(target->path), target->exists);
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

bool PendingFile::Commit(std::error_code& error, Durability durability) {
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
  if (durability == Durability::kSynced && ::fsync(::fileno(stream_)) != 0)
    return fail(LastError());
  FILE* stream = std::exchange(stream_, nullptr);
  if (std::fclose(stream) != 0) return fail(LastError());
  const std::error_code placed = replacesFile_ ? RenameOverFile(temporaryPath_, target_)
                                               : RenameWithoutReplacing(temporaryPath_, target_);
  if (placed) return fail(placed);
  // The folder itself is not synced: should the rename be lost in a crash, the earlier file
  // is still there whole, which is all a save promises.
  temporaryPath_.clear();
  if (durability == Durability::kSynced) RemoveStaleTemporaryFiles(target_);
  return true;
}

bool WriteFileAtomically(const fs::path& target, std::span<const unsigned char> bytes,
                         std::error_code& error, Durability durability) {
  std::optional<PendingFile> file = PendingFile::CreateBeside(target, error);
  if (!file) return false;
  if (!file->Write(bytes, error)) return false;  // the destructor removes the temporary file
  return file->Commit(error, durability);
}

void SweepStaleTemporaryFiles(const fs::path& folder) {
  RemoveStaleFiles(folder, [](int folderFd, const char* name) {
    const std::optional<std::string> target = TargetOfTemporaryName(name);
    struct stat targetInfo {};
    return target && ::fstatat(folderFd, target->c_str(), &targetInfo, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(targetInfo.st_mode);
  });
}
