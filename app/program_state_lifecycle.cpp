#include "app/program_state_lifecycle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

std::optional<ProgramState> programState;

namespace {

std::vector<ExitRoutine>& ExitRoutines() {
  static std::vector<ExitRoutine> routines;
  return routines;
}

void PrintFatalError(const char* what) { std::fprintf(stderr, "lumivale: %s\n", what); }

FatalErrorPresenter fatalErrorPresenter = PrintFatalError;

}  // namespace

void InitialiseProgramState() {
  programState.emplace();
}

void ReleaseProgramState() { programState.reset(); }

void RegisterExitRoutine(ExitRoutine routine) {
  auto& routines = ExitRoutines();
  if (std::find(routines.begin(), routines.end(), routine) == routines.end())
    routines.push_back(routine);
}

void RunExitRoutines() {
  auto routines = std::move(ExitRoutines());
  ExitRoutines().clear();
  for (ExitRoutine routine : routines) routine();
}

void DiscardExitRoutines() { ExitRoutines().clear(); }

void SetFatalErrorPresenter(FatalErrorPresenter presenter) {
  fatalErrorPresenter = presenter ? presenter : PrintFatalError;
}

void EndWithFatalError(const char* what) {
  fatalErrorPresenter(what);
  DiscardExitRoutines();
  std::exit(-1);
}
