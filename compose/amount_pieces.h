#pragma once
#include <string>

// An amount text cut at its last ".": what stands before it and what stands after it.
struct AmountPieces {
  std::string integerPart;
  std::string fractionPart;

  bool operator==(const AmountPieces&) const = default;
};
