// Any bytes as the BMP file the save converts: ConvertToJpeg either puts a whole JPEG of the
// BMP's size at the target or leaves the earlier file there byte for byte, and it never leaves
// a temporary file behind.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>

extern "C" {
#include <jpeglib.h>
}

#include "output/bmp_file.h"
#include "output/convert_to_jpeg.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kEarlierFile = "an earlier picture, kept whole by a failed conversion";

void Require(bool condition, const char* what, std::size_t size) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s (input of %zu bytes)\n", what, size);
  std::abort();
}

// The fuzzer's own folder, made once and removed when it exits.
const fs::path& Folder() {
  static const TemporaryFolder folder("bmp_to_jpeg_fuzz");
  return folder.path();
}

void WriteWhole(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  Require(out.good(), "a fixture file could not be written", bytes.size());
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// The width and height a BMP's info header states, read here rather than by the code tested.
std::int32_t Int32At(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[at]) |
                                   static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
                                   static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
                                   static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// libjpeg's fatal errors come back here by longjmp; the error manager is the first member so
// libjpeg's pointer to it leads to the whole trap.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

void KeepQuiet(j_common_ptr) {}

class Decompressor {
 public:
  Decompressor() {
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpBack;
    trap.manager.output_message = KeepQuiet;
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }

  jpeg_decompress_struct cinfo{};
  ErrorTrap trap{};
};

struct JpegHeader {
  JDIMENSION width = 0;
  JDIMENSION height = 0;
  int components = 0;
};

// Reads the header of the JPEG in `file` with libjpeg's decompressor; false when libjpeg
// refuses it. Left by longjmp on an error, so it holds no object with a destructor.
bool ReadJpegHeader(Decompressor& decompressor, const std::string& file, JpegHeader& header) {
  jpeg_decompress_struct& cinfo = decompressor.cinfo;
  if (setjmp(decompressor.trap.jump) != 0) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()),
               static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  header = {cinfo.image_width, cinfo.image_height, cinfo.num_components};
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  const fs::path source = Folder() / "source.bmp";
  const fs::path target = Folder() / "target.jpg";
  WriteWhole(source, std::string_view(reinterpret_cast<const char*>(data), size));
  WriteWhole(target, kEarlierFile);

  const int result = ConvertToJpeg(source.string(), target.string());
  Require(result == kJpegWritten || result == kJpegUnreadableSource,
          "the conversion gave a code other than written or unreadable", size);
  Require(Entries(Folder()) == std::set<std::string>{"source.bmp", "target.jpg"},
          "the folder holds more than the source and the target", size);
  Require((result == kJpegWritten) == DecodeBmp(input).has_value(),
          "the conversion and the BMP reader disagree on whether this is a picture", size);

  const std::string written = ReadWhole(target);
  if (result != kJpegWritten) {
    Require(written == kEarlierFile, "a failed conversion changed the earlier file", size);
    return 0;
  }
  Decompressor decompressor;
  JpegHeader header;
  Require(ReadJpegHeader(decompressor, written, header), "libjpeg cannot read the JPEG's header",
          size);
  Require(header.width == static_cast<JDIMENSION>(Int32At(input, 18)) &&
              header.height == static_cast<JDIMENSION>(Int32At(input, 22)),
          "the JPEG is not the BMP's size", size);
  Require(header.components == 3, "the JPEG does not have three components", size);
  return 0;
}
