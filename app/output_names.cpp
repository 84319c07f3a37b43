#include "app/output_names.h"

namespace {

// Longer names than this no Linux file system holds (NAME_MAX).
constexpr std::size_t kMostNameBytes = 255;

std::string Padded(std::size_t number, std::size_t width) {
  std::string digits = std::to_string(number);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::optional<NamePattern> NamePattern::Parse(std::string_view pattern,
                                              const ScreenDescription& screen, std::string& error) {
  NamePattern parsed;
  std::string text;
  const auto flushText = [&] {
    if (!text.empty()) parsed.pieces_.push_back({Piece::Kind::kText, std::move(text), 0});
    text.clear();
  };
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if ((c == '{' || c == '}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
      text += c;
      ++i;
      continue;
    }
    if (c == '}') {
      error = "a \"}\" with no \"{\" before it (write \"}}\" for a brace)";
      return std::nullopt;
    }
    if (c != '{') {
      text += c;
      continue;
    }
    const std::size_t close = pattern.find('}', i);
    if (close == std::string_view::npos) {
      error = "\"{\" is never closed (write \"{{\" for a brace)";
      return std::nullopt;
    }
    const std::string_view name = pattern.substr(i + 1, close - i - 1);
    flushText();
    if (name == "row") {
      parsed.pieces_.push_back({Piece::Kind::kRow, {}, 0});
    } else if (name.starts_with("row:") && name.size() > 4 && name.size() <= 6 &&
               name.substr(4).find_first_not_of("0123456789") == std::string_view::npos) {
      parsed.pieces_.push_back({Piece::Kind::kRow, {}, std::stoul(std::string(name.substr(4)))});
    } else if (const auto field = FieldIndex(screen, name)) {
      parsed.pieces_.push_back({Piece::Kind::kField, {}, *field});
    } else {
      error = std::string(1, '{').append(name).append("} is neither {row} nor a field");
      return std::nullopt;
    }
    i = close;
  }
  flushText();
  return parsed;
}

std::string NamePattern::Expand(std::size_t number, std::size_t rowCount,
                                const std::vector<std::string>& utf8Texts) const {
  std::string name;
  for (const Piece& piece : pieces_) {
    switch (piece.kind) {
      case Piece::Kind::kText: name += piece.text; break;
      case Piece::Kind::kRow: {
        const std::size_t tableWidth = rowCount == 0 ? 0 : std::to_string(rowCount).size();
        name += Padded(number, piece.value != 0 ? piece.value : tableWidth);
        break;
      }
      case Piece::Kind::kField: name += utf8Texts.at(piece.value); break;
    }
  }
  return name;
}

std::string WithExtension(std::string name, PictureFormat format) {
  if (FormatFromExtension(name) == format) return name;
  return name + std::string(ExtensionOf(format));
}

std::string WhyNotAFileName(std::string_view name) {
  if (name.empty()) return "the name is empty";
  if (name == "." || name == "..") return std::string(1, '"').append(name).append("\" names a folder");
  if (name.find('/') != std::string_view::npos) return "the name holds a \"/\": it would leave the folder";
  if (name.find('\0') != std::string_view::npos) return "the name holds a NUL byte";
  if (name.size() > kMostNameBytes)
    return "the name is " + std::to_string(name.size()) + " bytes long, more than a file name may be";
  return {};
}
