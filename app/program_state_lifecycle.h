#pragma once
// The run's program state and the routines that create it and release it at the end.
#include <optional>

#include "compose/program_state.h"

// Alive from InitialiseProgramState to ReleaseProgramState.
extern std::optional<ProgramState> programState;

// Creates the three font records (each as a new FontRecord: size 9, "宋体", no style), empty
// pieces and sign positions 0.
void InitialiseProgramState();
// Releases the records and the pieces.
void ReleaseProgramState();

// The process's list of exit routines: each is kept once, and they run in the order of
// registration when the program ends normally.
using ExitRoutine = void (*)();
void RegisterExitRoutine(ExitRoutine routine);
void RunExitRoutines();      // runs them and empties the list
void DiscardExitRoutines();  // empties the list without running them (the fatal path)

// Ends the process after a failure it cannot continue from: the message goes to the user, the
// exit routines are discarded and the exit status is -1 (255).
[[noreturn]] void EndWithFatalError(const char* what);
// Where EndWithFatalError shows its message; stderr until the start-up sets the window's error
// box. The window is given EndWithFatalError as the way its failed handlers end the program.
using FatalErrorPresenter = void (*)(const char* what);
void SetFatalErrorPresenter(FatalErrorPresenter presenter);
