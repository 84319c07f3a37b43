#pragma once
// The headless command line: `lumivale render ... --out FILE`, `--help`, `--version`.

// Runs the command line; returns the process exit status.
int RunCommandLine(int argc, char** argv);
