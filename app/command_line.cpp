#include "app/command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "compose/screen_inputs.h"
#include "fonts/font_provisioning.h"
#include "output/picture_file.h"

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

struct RenderRequest {
  std::vector<std::string> utf8Texts;  // as typed, one for each field of the screen
  bool raw = false;
  std::string out;
  PictureFormat format = PictureFormat::kJpeg;
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

// Parses the arguments after "render". Returns -1 when rendering should go on, else the exit
// status (after printing what was asked for or what was wrong).
int ParseRenderArguments(int argc, char** argv, RenderRequest& request) {
  const auto fields = EarningsScreen().fields;
  for (const ScreenField& field : fields) request.utf8Texts.push_back(GbkToUtf8(field.initialText));
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
      for (std::size_t f = 0; f < fields.size(); ++f)
        if (argument.size() > 2 && argument.compare(2, std::string::npos, fields[f].name) == 0)
          target = &request.utf8Texts[f];
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
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (fields[f].words.empty()) continue;
    const std::string gbk = Utf8ToGbk(request.utf8Texts[f]);
    if (std::find(fields[f].words.begin(), fields[f].words.end(), gbk) != fields[f].words.end())
      continue;
    std::string words;
    for (std::string_view word : fields[f].words) words += (words.empty() ? "" : ", ") + GbkToUtf8(word);
    return UsageError("--" + std::string(fields[f].name) + " must be one of " + words + ", not \"" +
                      request.utf8Texts[f] + "\"");
  }
  if (request.out.empty()) return UsageError("--out FILE is required");
  const std::optional<PictureFormat> format = FormatFromExtension(request.out);
  if (!format)
    return UsageError("cannot write \"" + request.out +
                      "\": the file name must end in .jpg, .jpeg, .bmp or .png");
  request.format = *format;
  return -1;
}

int Render(const RenderRequest& request) {
  ScreenInputs typed;
  for (std::size_t f = 0; f < request.utf8Texts.size(); ++f)
    typed.Set(f, Utf8ToGbk(request.utf8Texts[f]));
  const ScreenInputs drawn =
      NormaliseScreenInputs(typed, request.raw ? AmountTexts::kAsTyped : AmountTexts::kNormalised);

  ProgramState state;
  RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
  ComposeEarningsScreen(state, surfaces, drawn);

  const Canvas& picture = surfaces.templateSurface;
  std::error_code error;
  if (!WritePictureFile(picture.raster, picture.settings.width, picture.settings.height,
                        request.format, request.out, error)) {
    std::fprintf(stderr, "lumivale: cannot write %s: %s\n", request.out.c_str(),
                 error.message().c_str());
    return 1;
  }
  const auto fields = drawn.Screen().fields;
  for (std::size_t f = 0; f < fields.size(); ++f)
    std::printf("%.*s=%s\n", static_cast<int>(fields[f].name.size()), fields[f].name.data(),
                GbkToUtf8(drawn.Text(f)).c_str());
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
