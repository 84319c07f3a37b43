#pragma once
// The file names `lumivale batch` gives its pictures: a row's `file` cell, or the --name
// pattern with {row} and {FIELD} filled in; the extension follows the picture format.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/screen_inputs.h"
#include "output/picture_file.h"

// A parsed --name pattern. {row} is the row's 1-based number, zero-padded to the width of the
// table's row count, {row:N} pads it to N digits, {FIELD} is the field's text as the table has
// it (or its initial text), "{{" and "}}" are braces.
class NamePattern {
 public:
  // Nothing, with the reason in `error`, for a pattern with an unknown or unclosed placeholder.
  static std::optional<NamePattern> Parse(std::string_view pattern, const ScreenDescription& screen,
                                          std::string& error);

  // The name for row `number` of a table of `rowCount` rows (0 when the count is not known:
  // then {row} is not padded), whose typed texts are `utf8Texts`, one for each field.
  std::string Expand(std::size_t number, std::size_t rowCount,
                     const std::vector<std::string>& utf8Texts) const;

 private:
  struct Piece {
    enum class Kind { kText, kRow, kField } kind;
    std::string text;        // kText
    std::size_t value = 0;   // kRow: the width asked for (0: the table's); kField: the field
  };
  std::vector<Piece> pieces_;
};

// The name with the format's extension, unless it already ends in it (".jpeg" counts for JPEG).
std::string WithExtension(std::string name, PictureFormat format);

// Why `name` cannot be a picture's name in the output folder: empty, "." or "..", holding a
// "/" or a NUL byte, or longer than a file name may be; empty when it can.
std::string WhyNotAFileName(std::string_view name);
