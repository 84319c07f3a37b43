#pragma once
// ASCII-only case folding: family names, file extensions and option values compare this way,
// whatever the locale; bytes of 0x80 and above (GBK, UTF-8) are left as they are.
#include <algorithm>
#include <string>
#include <string_view>

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return LowerAscii(c); });
  return lower;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         EqualIgnoringAsciiCase(text.substr(text.size() - ending.size()), ending);
}
