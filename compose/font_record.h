#pragma once
#include <cstdint>
#include <string>

// "宋体" in GBK: the face a new record names.
inline constexpr const char* kDefaultFaceName = "\xCB\xCE\xCC\xE5";

// A font description, applied to a Canvas by SetFont. Plain data: a Canvas copies the values
// when the record is applied and keeps no link to it. Texts are GBK byte strings.
struct FontRecord {
  std::int32_t angle = 0;  // tenths of a degree, escapement and orientation alike
  bool bold = false;
  bool italic = false;
  bool strikeout = false;
  bool underline = false;
  std::int32_t size = 9;  // points
  std::string faceName = kDefaultFaceName;

  bool operator==(const FontRecord&) const = default;
};
