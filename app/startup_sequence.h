#pragma once
#include <string>

// The window's way through a run: prepares the process, creates the program state, opens the
// main window, runs the event loop until it closes, releases the state. Returns the exit status.
int StartupSequence(int argc, char** argv);

// Why the window cannot be shown because no desktop is named at all, or empty when one is.
// A display that is named but cannot be opened is found when Qt tries it.
std::string MissingDesktop();
