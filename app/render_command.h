#pragma once
// `lumivale render`: one picture without a window.
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

struct RenderOptions {
  std::vector<std::optional<std::string>> utf8Texts;  // one for each field of the screen
  bool raw = false;
  bool strict = false;
  std::string out;
  std::string format;  // jpg, png or bmp; empty: from the file name
};

// Adds the command and its options (one for each field of the screen) to `app`.
void AddRenderCommand(CLI::App& app, RenderOptions& options);

// Runs it once the command line has been parsed; gives the exit status.
int RunRender(RenderOptions& options);
