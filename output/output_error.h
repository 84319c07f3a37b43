#pragma once
// Reasons of the program's own why an output file could not be written, for what no errno says.
#include <system_error>
#include <type_traits>

enum class OutputError {
  kNotARegularFile = 1,  // a device, a FIFO or a socket is where the file would go
};

const std::error_category& OutputErrorCategory();
std::error_code make_error_code(OutputError error);

template <>
struct std::is_error_code_enum<OutputError> : std::true_type {};
