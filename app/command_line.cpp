#include "app/command_line.h"

#include <cstdio>
#include <iostream>
#include <sstream>

#include <CLI/CLI.hpp>

#include "app/batch_command.h"
#include "app/render_command.h"
#include "app/standard_streams.h"

namespace {

// Usage errors are one line and a pointer to the help, with exit status 2.
std::string UsageMessage(const CLI::App* app, const CLI::Error& error) {
  std::string command = app->get_name();
  for (const CLI::App* sub : app->get_subcommands()) command += " " + sub->get_name();
  return command + ": " + error.what() + "\nRun '" + command + " --help' for more information.\n";
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  HoldClosedStandardDescriptors();
  CLI::App app("Makes the Lumivale earnings picture without a window: one with `render`, many "
               "from a table with `batch`. Without arguments the program opens its window.",
               "lumivale");
  app.set_version_flag("--version", "lumivale " LUMIVALE_VERSION, "print the version and exit");
  app.require_subcommand(1);
  app.failure_message(UsageMessage);
  RenderOptions render;
  AddRenderCommand(app, render);
  BatchOptions batch;
  AddBatchCommand(app, batch);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // CLI11 reports a missing command before a word it does not know: name the word instead.
    if (argc > 1 && app.get_subcommands().empty() &&
        dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
      std::fprintf(stderr,
                   "lumivale: \"%s\" is neither a command nor an option (the commands are render "
                   "and batch)\nRun 'lumivale --help' for more information.\n",
                   argv[1]);
      return 2;
    }
    const int status = app.exit(error, std::cout, std::cerr);
    if (status == 0) return WithStandardOutputFlushed(0, "the help");
    return 2;
  }
  if (app.got_subcommand("render")) return RunRender(render);
  return RunBatch(batch);
}
