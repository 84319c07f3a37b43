#pragma once
// The headless command line: `lumivale render ... --out FILE`, `--help`, `--version`.

// Whether the first argument asks for the command line rather than the window.
bool IsCommandLineRequest(const char* firstArgument);

// Runs the command line; returns the process exit status.
int RunCommandLine(int argc, char** argv);
