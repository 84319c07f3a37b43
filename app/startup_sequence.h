#pragma once
// The window's way through a run: prepares the process, creates the program state, opens the
// main window, runs the event loop until it closes, releases the state. Returns the exit status.
int StartupSequence(int argc, char** argv);

// Whether a desktop is there to show the window on (or Qt has been told which platform to use).
bool HasDesktop();
