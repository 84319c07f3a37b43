#include "app/render_command.h"

#include <unistd.h>

#include <cstdio>

#include <CLI/CLI.hpp>

#include "app/picture_values.h"
#include "app/standard_streams.h"
#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "fonts/font_provisioning.h"
#include "output/picture_file.h"

namespace {

std::optional<PictureFormat> FormatNamed(const std::string& name) {
  return FormatFromExtension("." + name);
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "lumivale render: %s\nRun 'lumivale render --help' for more information.\n",
               message.c_str());
  return 2;
}

// The help of a field's option: what it is, how it is drawn and what the window starts with.
std::string FieldHelp(const ScreenField& field) {
  std::string help(field.description);
  switch (field.kind) {
    case FieldKind::kClock: help += "; a full-width colon is drawn as \":\""; break;
    case FieldKind::kWord: break;
    case FieldKind::kAmount: help += ", written with two decimals unless --raw"; break;
    case FieldKind::kCount: help += ", drawn as typed"; break;
  }
  return help + " (default " + GbkToUtf8(field.initialText) + ")";
}

}  // namespace

void AddRenderCommand(CLI::App& app, RenderOptions& options) {
  CLI::App* render = app.add_subcommand(
      "render",
      "Renders the earnings picture without a window and prints the values drawn, a "
      "field=value line each. Values not given take the window's initial contents.");
  const auto fields = EarningsScreen().fields;
  options.utf8Texts.assign(fields.size(), std::nullopt);
  for (std::size_t f = 0; f < fields.size(); ++f) {
    CLI::Option* option = render->add_option_function<std::string>(
        "--" + std::string(fields[f].name),
        [&options, f](const std::string& text) { options.utf8Texts[f] = text; }, FieldHelp(fields[f]));
    option->type_name("TEXT");
    if (!fields[f].words.empty()) {
      std::vector<std::string> words;
      for (std::string_view word : fields[f].words) words.push_back(GbkToUtf8(word));
      option->check(CLI::IsMember(words));
    }
  }
  render->add_flag("--raw", options.raw, "draw the amounts exactly as given, not normalised");
  render->add_flag("--strict",
                   options.strict,
                   "refuse amounts the normalisation cannot read whole (abc, 1,234.5, 12元) "
                   "instead of drawing them as the confirm button would");
  render
      ->add_option("--out", options.out,
                   "the picture: .jpg or .jpeg (JPEG, quality 100), .png or .bmp; - for standard "
                   "output (the value lines then go to standard error)")
      ->type_name("FILE|-")
      ->required();
  render
      ->add_option("--format", options.format,
                   "the picture's format when FILE does not say it (standard output: jpg)")
      ->check(CLI::IsMember(PictureFormatNames()));
}

int RunRender(RenderOptions& options) {
  const bool toStandardOutput = options.out == "-";
  std::optional<PictureFormat> format;
  if (!options.format.empty()) format = FormatNamed(options.format);
  if (toStandardOutput) {
    if (!format) format = PictureFormat::kJpeg;
    if (::isatty(STDOUT_FILENO))
      return UsageError("will not write a picture to a terminal; redirect standard output");
  } else if (const auto named = FormatFromExtension(options.out)) {
    if (format && *format != *named)
      return UsageError("--format " + options.format + " but \"" + options.out +
                        "\" names another format");
    format = named;
  } else if (!format) {
    return UsageError("cannot tell the format of \"" + options.out +
                      "\": end the name in .jpg, .jpeg, .png or .bmp, or give --format");
  }

  std::string error;
  const std::optional<PictureValues> values = PictureValuesFrom(
      options.utf8Texts, options.raw ? AmountTexts::kAsTyped : AmountTexts::kNormalised, error);
  if (!values) return UsageError(error);
  for (const std::string& note : values->unreadAmounts)
    std::fprintf(stderr, "lumivale render: %s%s\n", options.strict ? "" : "note: ", note.c_str());
  if (options.strict && !values->unreadAmounts.empty())
    return UsageError("amounts that do not read whole are refused with --strict; nothing written");

  ProgramState state;
  RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
  ComposeEarningsScreen(state, surfaces, values->drawn);

  const Canvas& picture = surfaces.templateSurface;
  std::error_code writeError;
  const bool written =
      toStandardOutput
          ? WritePictureToStream(picture.raster, picture.settings.width, picture.settings.height,
                                 *format, stdout, writeError)
          : WritePictureFile(picture.raster, picture.settings.width, picture.settings.height,
                             *format, options.out, writeError);
  if (!written) {
    std::fprintf(stderr, "lumivale render: cannot write %s: %s\n",
                 toStandardOutput ? "the picture to standard output" : options.out.c_str(),
                 writeError.message().c_str());
    return 1;
  }

  FILE* lines = toStandardOutput ? stderr : stdout;
  const auto fields = values->drawn.Screen().fields;
  for (std::size_t f = 0; f < fields.size(); ++f)
    std::fprintf(lines, "%.*s=%s\n", static_cast<int>(fields[f].name.size()), fields[f].name.data(),
                 GbkToUtf8(values->drawn.Text(f)).c_str());
  if (toStandardOutput) return 0;
  return WithStandardOutputFlushed(0, "the picture was written, but the values drawn");
}
