#pragma once
// How a GBK byte string is cut into characters. Every scan of the picture core's texts steps by
// these lengths, so a byte is only ever matched where a character begins.
//
// The byte-level rule, as glibc's iconv reads GBK: 0x81 to 0xFE lead a two-byte character and
// take the byte after them, whatever it is (a pair that is no GBK character is still one unit).
// Every other byte is one unit of its own: below 0x80 ASCII, 0x80 the euro sign "€", and 0xFF a
// byte that is no character at all. A lead byte that ends the text has nothing to take and
// stands alone.
#include <cstddef>
#include <string_view>

constexpr bool IsGbkLeadByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return value >= 0x81 && value <= 0xFE;
}

// The length in bytes (1 or 2) of the character that starts at `at`, never reaching past the
// end of the text. `at` must be inside the text.
constexpr std::size_t GbkCharacterLength(std::string_view text, std::size_t at) {
  return IsGbkLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
}

// Whether the character at `at` is a lead byte cut off by the end of the text.
constexpr bool IsCutOffGbkLead(std::string_view text, std::size_t at) {
  return at + 1 == text.size() && IsGbkLeadByte(text[at]);
}
