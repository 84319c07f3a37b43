#include "write_target.h"

#include <sys/stat.h>

#include <cerrno>

#include "output_error.h"

namespace fs = std::filesystem;

namespace {

// As many links as the kernel follows in one path.
constexpr int kMostLinks = 40;

std::error_code LastError() { return {errno, std::generic_category()}; }

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// The end of a chain of links, spelled without links or "..": easier to read in a question.
fs::path Tidied(const fs::path& path) {
  std::error_code ignored;
  fs::path folder = fs::canonical(FolderOf(path), ignored);
  return ignored ? path : folder / path.filename();
}

}  // namespace

std::optional<WriteTarget> ResolveWriteTarget(const fs::path& requested, std::error_code& error) {
  error.clear();
  if (requested.empty()) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return std::nullopt;
  }
  fs::path path = requested;
  for (int links = 0;; ++links) {
    if (!path.has_filename()) {
      error = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    }
    const auto resolved = [&](bool exists, mode_t mode) {
      WriteTarget target{links == 0 ? path : Tidied(path), exists,
                         static_cast<fs::perms>(mode & 0777)};
      return std::optional<WriteTarget>(std::move(target));
    };

    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        error = LastError();
        return std::nullopt;
      }
      // Nothing at the name: a new file can go there if its folder is one.
      struct stat folder {};
      if (::stat(FolderOf(path).c_str(), &folder) != 0) {
        error = LastError();
        return std::nullopt;
      }
      if (!S_ISDIR(folder.st_mode)) {
        error = std::make_error_code(std::errc::not_a_directory);
        return std::nullopt;
      }
      return resolved(false, 0);
    }
    if (S_ISREG(info.st_mode)) return resolved(true, info.st_mode);
    if (S_ISDIR(info.st_mode)) {
      error = std::make_error_code(std::errc::is_a_directory);
      return std::nullopt;
    }
    if (!S_ISLNK(info.st_mode)) {
      error = OutputError::kNotARegularFile;
      return std::nullopt;
    }
    if (links == kMostLinks) {
      error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
      return std::nullopt;
    }
    const fs::path text = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    path = text.is_absolute() ? text : FolderOf(path) / text;
  }
}
