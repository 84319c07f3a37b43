#pragma once
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>

// How a file takes its place. On its own it is synced to disk first, so an earlier file there
// survives a crash whole or gives way to the whole new one, and old temporary files of the same
// target that a killed run left behind are removed after. As one of a batch of many in one
// folder it is neither: the batch syncs the folder's file system and sweeps it for such
// leftovers once, at the end (SweepStaleTemporaryFiles).
enum class Durability { kSynced, kBatched };

// A file that is being written beside its final place and only replaces what is at the target
// once it is complete. The target is the path where the given path's symbolic links end
// (ResolveWriteTarget); only a regular file there is ever replaced, or a new one made. The
// temporary file is created exclusively in the target's folder, named
// ".<target name>.<random>.tmp" (temporary_name.h), so it never overwrites anything, and a
// rename puts it in place: readers of the target see either the old file or the whole new one,
// never a part.
//
// Until Commit succeeds the destructor removes the temporary file and nothing else.
class PendingFile {
 public:
  // Creates the temporary file for `target` (mode 0644 less the umask; when a regular file is
  // already at the target, the temporary file takes over its permission bits). Symbolic links
  // at the target are followed, so the file they lead to is written and the links stay; a link
  // that dangles gets its file made where it points. Gives nothing and sets `error` (as
  // ResolveWriteTarget does) when no regular file may be written there: a folder, a device, a
  // FIFO, a socket, a link loop, a missing folder; or when the folder cannot take a new file.
  static std::optional<PendingFile> CreateBeside(const std::filesystem::path& target,
                                                 std::error_code& error);

  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  // The stream to write the contents to; null once committed.
  FILE* stream() const { return stream_; }
  const std::filesystem::path& temporaryPath() const { return temporaryPath_; }

  // Writes all of `bytes` to the stream; on failure keeps the reason for Commit as well.
  bool Write(std::span<const unsigned char> bytes, std::error_code& error);

  // Flushes, syncs to disk (unless batched), closes and renames the temporary file over the
  // target. On failure
  // the temporary file is removed, the target is left as it was and `error` says why. Only what
  // CreateBeside found at the target gives way: when something else came there meanwhile (a
  // file where there was none: file_exists; a folder, a FIFO... where a file was), it stays.
  // Once the file is in place, old temporary files of this target that a killed run left in
  // its folder are removed (regular files under exactly this target's temporary-name pattern,
  // last changed over a minute ago).
  bool Commit(std::error_code& error, Durability durability = Durability::kSynced);

 private:
  PendingFile(FILE* stream, std::filesystem::path temporaryPath, std::filesystem::path target,
              bool replacesFile);
  void Discard() noexcept;

  FILE* stream_ = nullptr;
  std::filesystem::path temporaryPath_;
  std::filesystem::path target_;
  bool replacesFile_ = false;  // a regular file was at the target when this was created
  std::error_code firstWriteError_;
};

// Writes `bytes` as the whole contents of `target` through a PendingFile.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const unsigned char> bytes,
                         std::error_code& error, Durability durability = Durability::kSynced);

// Removes from `folder` what killed runs left while writing files that are now there whole:
// regular files under a temporary-name pattern whose target is a regular file in the folder,
// last changed over a minute ago. Nothing else is touched. For a batch, after its last file.
void SweepStaleTemporaryFiles(const std::filesystem::path& folder);
