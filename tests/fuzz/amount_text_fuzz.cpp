// Random bytes through the amount and clock texts: none of them may crash, and the texts they
// give must keep their shape.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compose/amount_text.h"
#include "compose/gbk_scan.h"

namespace {

void Require(bool condition, const char* what, std::string_view text) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s (input of %zu bytes)\n", what, text.size());
  std::abort();
}

// Whether a "." begins a character somewhere in the GBK text.
bool HasPoint(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += GbkCharacterLength(text, i)) {
    if (text[i] == '.') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double value = ParseNumber(text);
  Require(!std::isnan(value), "ParseNumber gave not-a-number", text);
  const std::string formatted = FormatFixed(value, 2);
  const auto point = formatted.find('.');
  Require(point != std::string::npos, "FormatFixed wrote no point", text);
  if (std::isfinite(value)) {
    Require(formatted.size() - point - 1 >= 2, "FormatFixed wrote under two decimals", text);
  }
  Require(NormaliseAmountText(formatted) == formatted, "normalising twice changed the text",
          text);

  const AmountPieces pieces = SplitAmount(text);
  Require(pieces.integerPart.size() <= size && pieces.fractionPart.size() <= size,
          "SplitAmount made a part longer than the text", text);
  if (HasPoint(text)) {
    Require(pieces.integerPart + "." + pieces.fractionPart == text,
            "SplitAmount parts do not rejoin", text);
  } else {
    Require(pieces.integerPart.empty() && pieces.fractionPart == text,
            "SplitAmount without a point must give the whole text as fraction", text);
  }

  const std::string clock = NormaliseClockText(text);
  Require(clock.size() <= size, "NormaliseClockText made the text longer", text);

  // "€" (0x80) and the byte 0xFF are characters of one byte: put before any text, they must
  // leave every character of it where it was.
  for (const std::string_view single : {"\x80", "\xFF"}) {
    const std::string prefixed = std::string(single) + std::string(text);
    Require(NormaliseClockText(prefixed) == std::string(single) + clock,
            "a one-byte character changed the clock text after it", text);
    const AmountPieces prefixedPieces = SplitAmount(prefixed);
    const AmountPieces expected =
        HasPoint(text) ? AmountPieces{std::string(single) + pieces.integerPart, pieces.fractionPart}
                       : AmountPieces{"", prefixed};
    Require(prefixedPieces == expected, "a one-byte character moved the point after it", text);
  }
  return 0;
}
