#include "output/write_target.h"

#include <sys/stat.h>

#include <cerrno>

#include "output/output_error.h"

namespace fs = std::filesystem;

namespace {

// As many links as the kernel follows in one path.
constexpr int kMostLinks = 40;

std::error_code LastError() { return {errno, std::generic_category()}; }

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// Where the links led, spelled without links or "..": easier to read in a question. A path
// reached without following a link is given back as it is.
fs::path Spelled(const fs::path& path, bool followedLinks) {
  if (!followedLinks) return path;
  std::error_code ignored;
  fs::path folder = fs::canonical(FolderOf(path), ignored);
  return ignored ? path : folder / path.filename();
}

// Why a new file cannot be made in `folder`, as far as what is there tells.
std::error_code FolderRefusal(const fs::path& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return LastError();
  if (!S_ISDIR(info.st_mode)) return std::make_error_code(std::errc::not_a_directory);
  return {};
}

}  // namespace

std::optional<WriteTarget> ResolveWriteTarget(const fs::path& requested, std::error_code& error) {
  const auto refuse = [&](std::error_code reason) {
    error = reason;
    return std::optional<WriteTarget>();
  };
  error.clear();
  if (requested.empty()) return refuse(std::make_error_code(std::errc::no_such_file_or_directory));
  fs::path path = requested;
  for (int links = 0;; ++links) {
    if (!path.has_filename()) return refuse(std::make_error_code(std::errc::is_a_directory));
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) return refuse(LastError());
      if (const std::error_code reason = FolderRefusal(FolderOf(path))) return refuse(reason);
      return WriteTarget{Spelled(path, links > 0), false, fs::perms::none};
    }
    if (S_ISREG(info.st_mode))
      return WriteTarget{Spelled(path, links > 0), true, static_cast<fs::perms>(info.st_mode & 0777)};
    if (S_ISDIR(info.st_mode)) return refuse(std::make_error_code(std::errc::is_a_directory));
    if (!S_ISLNK(info.st_mode)) return refuse(OutputError::kNotARegularFile);
    if (links == kMostLinks)
      return refuse(std::make_error_code(std::errc::too_many_symbolic_link_levels));
    const fs::path text = fs::read_symlink(path, error);
    if (error) return std::nullopt;
    path = text.is_absolute() ? text : FolderOf(path) / text;
  }
}
