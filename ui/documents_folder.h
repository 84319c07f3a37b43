#pragma once
#include <string>

// The user's documents folder as a local 8-bit path; empty when it is unknown.
std::string DocumentsFolder();
