#include "output/convert_to_jpeg.h"

#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <optional>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "output/atomic_file.h"
#include "output/bmp_file.h"
#include "output/jpeg_coefficient_memory.h"

namespace {

// Rows for the compressor: the top row and the step to the next one (negative for a bottom-up
// BMP), in the colour order libjpeg-turbo is told.
struct JpegSource {
  int width;
  int height;
  const std::uint8_t* topRow;
  std::ptrdiff_t rowStep;
  J_COLOR_SPACE colourSpace;
};

JpegSource SourceOf(const BmpPixels& picture) {
  // libjpeg-turbo reads the file's blue-green-red rows as they are: no copy, no reordering.
  return {picture.width, picture.height, picture.Row(0),
          -static_cast<std::ptrdiff_t>(picture.rowBytes), JCS_EXT_BGR};
}

bool SettingsValid(const std::string& targetPath, const JpegSettings& settings) {
  return !targetPath.empty() && settings.quality >= 1 && settings.quality <= 100 &&
         settings.smoothing >= 0 && settings.smoothing <= 100;
}

// Where a reason goes when the caller wants none.
std::error_code& ReasonSink(std::error_code* writeError, std::error_code& unused) {
  std::error_code& sink = writeError ? *writeError : unused;
  sink.clear();
  return sink;
}

// libjpeg reports a fatal error through error_exit, which must not return. Ours jumps back to
// the setjmp in Compress; the error manager is the first member so libjpeg's pointer to it
// leads back to the whole trap.
struct ErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  int messageCode;
  int writeErrno;
};

[[noreturn]] void JumpOutOfLibjpeg(j_common_ptr cinfo) {
  const int savedErrno = errno;  // the reason a failed fwrite left behind
  auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
  trap->messageCode = cinfo->err->msg_code;
  trap->writeErrno = savedErrno;
  std::longjmp(trap->jump, 1);
}

void KeepQuiet(j_common_ptr) {}

class Compressor {
 public:
  Compressor() {
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = JumpOutOfLibjpeg;
    trap.manager.output_message = KeepQuiet;
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
  // Safe also when creation failed half-way: libjpeg frees only what it allocated.
  ~Compressor() { jpeg_destroy_compress(&cinfo); }

  jpeg_compress_struct cinfo{};
  ErrorTrap trap{};
  JpegCoefficientMemory coefficients;
};

// An error inside libjpeg leaves this function by longjmp, so it must hold no object with a
// destructor of its own.
bool Compress(Compressor& compressor, const JpegSource& picture, FILE* out,
              const JpegSettings& settings) {
  jpeg_compress_struct& cinfo = compressor.cinfo;
  if (setjmp(compressor.trap.jump) != 0) return false;

  jpeg_create_compress(&cinfo);
  compressor.coefficients.Install(cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = picture.colourSpace;

  // The defaults come first: they would overwrite the settings below.
  jpeg_set_defaults(&cinfo);
  if (settings.grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  cinfo.optimize_coding = settings.optimiseCoding ? TRUE : FALSE;
  cinfo.smoothing_factor = settings.smoothing;
  jpeg_set_quality(&cinfo, settings.quality, TRUE);

  // What the defaults give already, stated so that the file's layout does not rest on them.
  cinfo.dct_method = JDCT_ISLOW;
  if (!settings.grayscale) {
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
      cinfo.comp_info[c].h_samp_factor = 1;
      cinfo.comp_info[c].v_samp_factor = 1;
    }
  }
  cinfo.write_JFIF_header = TRUE;
  cinfo.JFIF_major_version = 1;
  cinfo.JFIF_minor_version = 1;
  cinfo.density_unit = 0;
  cinfo.X_density = 1;
  cinfo.Y_density = 1;
  cinfo.write_Adobe_marker = FALSE;
  cinfo.restart_interval = 0;
  cinfo.restart_in_rows = 0;
  cinfo.arith_code = FALSE;
  cinfo.scan_info = nullptr;
  cinfo.num_scans = 0;

  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(picture.topRow + picture.rowStep * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

std::error_code ReasonOf(const ErrorTrap& trap) {
  if (trap.messageCode == JERR_FILE_WRITE && trap.writeErrno != 0)
    return {trap.writeErrno, std::generic_category()};
  if (trap.messageCode == JERR_OUT_OF_MEMORY) return std::make_error_code(std::errc::not_enough_memory);
  return std::make_error_code(std::errc::io_error);
}

int WriteJpeg(const JpegSource& picture, const std::string& targetPath, const JpegSettings& settings,
              std::error_code& writeError, Durability durability = Durability::kSynced) {
  std::optional<PendingFile> file = PendingFile::CreateBeside(targetPath, writeError);
  if (!file) return kJpegWriteFailed;
  Compressor compressor;
  if (!Compress(compressor, picture, file->stream(), settings)) {
    writeError = ReasonOf(compressor.trap);
    return kJpegWriteFailed;  // the PendingFile removes its temporary file
  }
  if (!file->Commit(writeError, durability)) return kJpegWriteFailed;
  return kJpegWritten;
}

std::optional<JpegSource> RgbSource(std::span<const unsigned char> rgb, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxBmpSide || height > kMaxBmpSide ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
    return std::nullopt;
  return JpegSource{width, height, rgb.data(), static_cast<std::ptrdiff_t>(width) * 3, JCS_RGB};
}

}  // namespace

int ConvertBmpBytesToJpeg(std::span<const unsigned char> bmp, const std::string& targetPath,
                          const JpegSettings& settings, std::error_code* writeError) {
  std::error_code unused;
  std::error_code& reason = ReasonSink(writeError, unused);
  if (!SettingsValid(targetPath, settings)) return kJpegBadArguments;
  std::optional<BmpPixels> picture = DecodeBmp(bmp);
  if (!picture) return kJpegUnreadableSource;
  return WriteJpeg(SourceOf(*picture), targetPath, settings, reason);
}

int ConvertRgbToJpeg(std::span<const unsigned char> rgb, int width, int height,
                     const std::string& targetPath, const JpegSettings& settings,
                     std::error_code* writeError, Durability durability) {
  std::error_code unused;
  std::error_code& reason = ReasonSink(writeError, unused);
  if (!SettingsValid(targetPath, settings)) return kJpegBadArguments;
  const std::optional<JpegSource> source = RgbSource(rgb, width, height);
  if (!source) return kJpegUnreadableSource;
  return WriteJpeg(*source, targetPath, settings, reason, durability);
}

int WriteRgbJpegToStream(std::span<const unsigned char> rgb, int width, int height, FILE* out,
                         const JpegSettings& settings, std::error_code* writeError) {
  std::error_code unused;
  std::error_code& reason = ReasonSink(writeError, unused);
  if (out == nullptr || !SettingsValid("-", settings)) return kJpegBadArguments;
  const std::optional<JpegSource> source = RgbSource(rgb, width, height);
  if (!source) return kJpegUnreadableSource;
  Compressor compressor;
  if (!Compress(compressor, *source, out, settings)) {
    reason = ReasonOf(compressor.trap);
    return kJpegWriteFailed;
  }
  return kJpegWritten;
}

int ConvertToJpeg(const std::string& sourcePath, const std::string& targetPath,
                  const JpegSettings& settings, std::error_code* writeError) {
  std::error_code unused;
  ReasonSink(writeError, unused);
  if (sourcePath.empty() || !SettingsValid(targetPath, settings)) return kJpegBadArguments;
  struct stat info {};
  if (::stat(sourcePath.c_str(), &info) != 0)
    return errno == ENOENT || errno == ENOTDIR ? kJpegNoSource : kJpegUnreadableSource;
  // A folder, a device or a file that cannot be opened is there but is no picture: -3.
  std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(sourcePath);
  if (!bytes) return kJpegUnreadableSource;
  return ConvertBmpBytesToJpeg(*bytes, targetPath, settings, writeError);
}
