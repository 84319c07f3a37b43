#include "output/bmp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "compose/bmp_layout.h"

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8;
}
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}
std::int32_t S32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<BmpPixels> DecodeBmp(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderBytes + kInfoHeaderBytes) return std::nullopt;
  if (file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t pixelOffset = U32(file, 10);
  const std::uint32_t infoSize = U32(file, 14);
  const std::int32_t width = S32(file, 18);
  const std::int32_t height = S32(file, 22);
  const std::uint32_t planes = U16(file, 26);
  const std::uint32_t bitsPerPixel = U16(file, 28);
  const std::uint32_t compression = U32(file, 30);
  if (infoSize != kInfoHeaderBytes || planes != 1 || bitsPerPixel != 24 || compression != 0)
    return std::nullopt;
  // A negative height would mean rows stored top row first; the program never writes that.
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide) return std::nullopt;
  if (pixelOffset < kFileHeaderBytes + kInfoHeaderBytes || pixelOffset > file.size())
    return std::nullopt;

  // With both sides capped at 32768 these products fit easily in 64 bits.
  const std::uint64_t rowBytes = BmpRowSize(width);
  const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(height);
  if (pixelBytes > file.size() - pixelOffset) return std::nullopt;

  BmpPixels pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.bottomRow = file.data() + pixelOffset;
  pixels.rowBytes = static_cast<std::size_t>(rowBytes);
  return pixels;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::uint64_t maxBytes) {
  // O_NONBLOCK keeps a FIFO at the path from blocking the open; only regular files are read.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) return std::nullopt;

  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    ssize_t got = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;  // the file shrank while being read
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}
