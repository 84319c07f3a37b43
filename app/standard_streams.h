#pragma once
// The command line's standard streams: kept from being taken over by files, and checked.

// A closed standard descriptor would be taken by the next file opened, and the value lines would
// end up inside the picture. Each closed one is held by /dev/null opened for reading only, so that
// writes to it fail (and are reported) instead.
void HoldClosedStandardDescriptors();

// What was printed on standard output must really have gone out: a full disk or a closed
// stream is a failure of the command, not a success with its results lost. Gives `status`, or
// 1 after a message naming what was lost.
int WithStandardOutputFlushed(int status, const char* lost);
