#include "command_line.h"

#include <cstdio>
#include <cstring>

bool IsCommandLineRequest(const char* firstArgument) {
  return std::strcmp(firstArgument, "render") == 0 || std::strcmp(firstArgument, "--help") == 0 ||
         std::strcmp(firstArgument, "--version") == 0;
}

int RunCommandLine(int, char**) {
  std::fputs("lumivale: the command line is not there yet\n", stderr);
  return 2;
}
