#include "app/command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "compose/amount_text.h"
#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "compose/png_picture.h"
#include "fonts/font_provisioning.h"
#include "output/atomic_file.h"
#include "output/convert_to_jpeg.h"

namespace {

constexpr const char* kUsage =
    "usage: lumivale render [--clock TEXT] [--word 上午|下午|早上|中午|晚上] [--balance TEXT]\n"
    "                       [--this-month TEXT] [--last-month TEXT] [--settled TEXT]\n"
    "                       [--clicks TEXT] [--payments TEXT] [--transaction TEXT] [--raw]\n"
    "                       --out FILE\n"
    "       lumivale --help | --version\n"
    "\n"
    "Renders the earnings picture without a window. Values not given take the window's initial\n"
    "contents. The five amounts are written with two decimals, as the confirm button does,\n"
    "unless --raw is given. FILE ends in .jpg or .jpeg (JPEG, quality 100), .bmp (the picture's\n"
    "24-bit BMP) or .png (lossless). Prints the values drawn, one field=value line each.\n";

constexpr std::string_view kWords[] = {"上午", "下午", "早上", "中午", "晚上"};

enum class OutputKind { kJpeg, kBmp, kPng };

// The nine values as typed (UTF-8), under their command-line names, in the order they print.
struct Field {
  std::string_view name;
  std::string ScreenInputs::*member;
  bool isAmount;
};
constexpr Field kFields[] = {
    {"clock", &ScreenInputs::clock, false},
    {"word", &ScreenInputs::word, false},
    {"balance", &ScreenInputs::balance, true},
    {"this-month", &ScreenInputs::thisMonth, true},
    {"last-month", &ScreenInputs::lastMonth, true},
    {"settled", &ScreenInputs::settled, true},
    {"clicks", &ScreenInputs::clicks, false},
    {"payments", &ScreenInputs::payments, false},
    {"transaction", &ScreenInputs::transaction, true},
};

struct RenderRequest {
  ScreenInputs inputs;  // UTF-8 while parsing
  bool raw = false;
  std::string out;
  OutputKind kind = OutputKind::kJpeg;
};

// A closed standard descriptor would be taken by the next file opened, and the value lines would
// end up inside the picture. Each closed one is held by /dev/null opened for reading only, so that
// writes to it fail (and are reported) instead.
void HoldClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (held >= 0 && held != fd) ::close(held);  // fd was taken meanwhile: nothing to hold
  }
}

// What was printed on standard output must really have gone out: a full disk or a closed
// stream is a failure of the command, not a success with its results lost.
int WithStandardOutputFlushed(int status, const char* lost) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int reason = errno;
  std::fprintf(stderr, "lumivale: %s could not be written to standard output: %s\n", lost,
               std::strerror(reason != 0 ? reason : EIO));
  return 1;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "lumivale: %s\n\n%s", message.c_str(), kUsage);
  return 2;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  });
  return text;
}

bool KindFromExtension(const std::string& path, OutputKind& kind) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return false;
  const std::string extension = Lowercase(path.substr(dot));
  if (extension == ".jpg" || extension == ".jpeg") kind = OutputKind::kJpeg;
  else if (extension == ".bmp") kind = OutputKind::kBmp;
  else if (extension == ".png") kind = OutputKind::kPng;
  else return false;
  return true;
}

ScreenInputs InitialInputsInUtf8() {
  ScreenInputs inputs;
  for (const Field& field : kFields) inputs.*field.member = GbkToUtf8(inputs.*field.member);
  return inputs;
}

// Parses the arguments after "render". Returns -1 when rendering should go on, else the exit
// status (after printing what was asked for or what was wrong).
int ParseRenderArguments(int argc, char** argv, RenderRequest& request) {
  request.inputs = InitialInputsInUtf8();
  for (int i = 2; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--help") {
      std::fputs(kUsage, stdout);
      return WithStandardOutputFlushed(0, "the help");
    }
    if (argument == "--raw") {
      request.raw = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (const std::size_t equals = argument.find('='); equals != std::string::npos &&
                                                       argument.rfind("--", 0) == 0) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      hasValue = true;
    }
    std::string* target = nullptr;
    if (argument == "--out") {
      target = &request.out;
    } else {
      for (const Field& field : kFields)
        if (argument.size() > 2 && argument.compare(2, std::string::npos, field.name) == 0)
          target = &(request.inputs.*field.member);
    }
    if (target == nullptr) {
      return UsageError(argument.rfind("--", 0) == 0 ? "unknown option " + argument
                                                      : "unexpected argument " + argument);
    }
    if (!hasValue) {
      if (i + 1 >= argc) return UsageError(argument + " needs a value");
      value = argv[++i];
    }
    *target = value;
  }
  if (std::find(std::begin(kWords), std::end(kWords), request.inputs.word) == std::end(kWords))
    return UsageError("--word must be one of 上午, 下午, 早上, 中午, 晚上, not \"" +
                      request.inputs.word + "\"");
  if (request.out.empty()) return UsageError("--out FILE is required");
  if (!KindFromExtension(request.out, request.kind))
    return UsageError("cannot write \"" + request.out +
                      "\": the file name must end in .jpg, .jpeg, .bmp or .png");
  return -1;
}

// Each kind is encoded straight from the composed raster; only .bmp makes the BMP file, so
// the one-shot render holds no second copy of the picture.
bool WriteOutput(const RenderRequest& request, const Canvas& picture, std::error_code& error) {
  const std::int32_t width = picture.settings.width;
  const std::int32_t height = picture.settings.height;
  switch (request.kind) {
    case OutputKind::kBmp:
      return WriteFileAtomically(request.out, GetPicture(picture), error);
    case OutputKind::kPng: {
      const std::vector<unsigned char> png = EncodeRgbPng(picture.raster, width, height);
      if (png.empty()) {
        error = std::make_error_code(std::errc::not_enough_memory);
        return false;
      }
      return WriteFileAtomically(request.out, png, error);
    }
    case OutputKind::kJpeg:
      return ConvertRgbToJpeg(picture.raster, width, height, request.out, false, 100, true, 0,
                              error) == kJpegWritten;
  }
  return false;
}

int Render(RenderRequest& request) {
  ScreenInputs gbk;
  for (const Field& field : kFields) {
    std::string text = Utf8ToGbk(request.inputs.*field.member);
    if (field.isAmount && !request.raw) text = NormaliseAmountText(text);
    gbk.*field.member = std::move(text);
  }

  ProgramState state;
  UseBuiltInFaces(state);
  RenderSurfaces surfaces = MakeRenderSurfaces();
  gbk.clock = ComposeEarningsScreen(state, surfaces, gbk);

  std::error_code error;
  if (!WriteOutput(request, surfaces.templateSurface, error)) {
    std::fprintf(stderr, "lumivale: cannot write %s: %s\n", request.out.c_str(),
                 error ? error.message().c_str() : "the picture could not be encoded");
    return 1;
  }
  for (const Field& field : kFields)
    std::printf("%.*s=%s\n", static_cast<int>(field.name.size()), field.name.data(),
                GbkToUtf8(gbk.*field.member).c_str());
  return WithStandardOutputFlushed(0, "the picture was written, but the values drawn");
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  HoldClosedStandardDescriptors();
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help") {
    std::fputs(kUsage, stdout);
    return WithStandardOutputFlushed(0, "the help");
  }
  if (command == "--version") {
    std::printf("lumivale %s\n", LUMIVALE_VERSION);
    return WithStandardOutputFlushed(0, "the version");
  }
  if (command != "render") return UsageError(command.empty() ? "no command given"
                                                              : "unknown command " + command);
  RenderRequest request;
  if (const int status = ParseRenderArguments(argc, argv, request); status >= 0) return status;
  return Render(request);
}
