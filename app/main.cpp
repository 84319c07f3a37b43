#include <cstring>

#include "command_line.h"
#ifdef LUMIVALE_WITH_WINDOW
#include "startup_sequence.h"
#endif

int main(int argc, char** argv) {
  if (argc > 1 && IsCommandLineRequest(argv[1])) return RunCommandLine(argc, argv);
#ifdef LUMIVALE_WITH_WINDOW
  return StartupSequence(argc, argv);
#else
  return RunCommandLine(argc, argv);
#endif
}
