#pragma once
// Where a write to a path really ends up, and whether it may go there.
#include <filesystem>
#include <optional>
#include <system_error>

struct WriteTarget {
  // The given path when it is no symbolic link; else where its links end: an absolute path whose
  // folder holds no link.
  std::filesystem::path path;
  bool exists = false;  // a regular file is there (else nothing is)
  std::filesystem::perms permissions = std::filesystem::perms::none;  // that file's
};

// Follows `requested` through its symbolic links to the path a write would end at, also when
// the last link dangles: then it is the file that link names, in the folder it names. A relative
// link text is read from the link's own folder. Gives that path when a regular file is there, or
// nothing is and its folder exists. Otherwise gives nothing and sets `error`: is_a_directory for
// a folder (or a path ending in "/"), OutputError::kNotARegularFile for a device, a FIFO or a
// socket, too_many_symbolic_link_levels for a loop (or over 40 links), no_such_file_or_directory
// or not_a_directory when the folder is missing or no folder; anything else the system says.
std::optional<WriteTarget> ResolveWriteTarget(const std::filesystem::path& requested,
                                              std::error_code& error);
