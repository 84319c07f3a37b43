#include <cstdio>

#include "program_state_lifecycle.h"

int main() {
  InitialiseProgramState();
  RegisterExitRoutine(ReleaseProgramState);
  std::puts("lumivale: the picture core is built; the window and the command line are not there yet.");
  RunExitRoutines();
  return 0;
}
