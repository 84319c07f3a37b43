#pragma once
#include <string>

// The window's way through a run: prepares the process, creates the program state, opens the
// main window, runs the event loop until it closes, releases the state. Returns the exit status.
int StartupSequence(int argc, char** argv);

// Why the window cannot be shown (no desktop named, or an X display that cannot be reached), or
// empty when it can; Qt would abort the process in those cases.
std::string MissingDesktop();
