#include <csignal>

#include "app/command_line.h"
#ifdef LUMIVALE_WITH_WINDOW
#include "app/startup_sequence.h"
#endif

// With arguments the program is the command line (`render`, `--help`, `--version`, or a usage
// error); without, it opens the window.
int main(int argc, char** argv) {
  // A write past a file-size limit then fails with EFBIG and is cleaned up, not killed halfway.
  std::signal(SIGXFSZ, SIG_IGN);
#ifdef LUMIVALE_WITH_WINDOW
  if (argc <= 1) return StartupSequence(argc, argv);
#endif
  return RunCommandLine(argc, argv);
}
