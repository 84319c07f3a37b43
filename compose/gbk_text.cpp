#include "compose/gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "compose/gbk_scan.h"

namespace {

// One iconv conversion descriptor, closed with its owner.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of `in`; returns false (with `out` unchanged in meaning) when any byte of it
  // could not be converted.
  bool Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[64];
    while (srcLeft > 0) {
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& Utf8ToGbkConverter() {
  static thread_local Converter converter("GBK", "UTF-8");
  return converter;
}
Converter& GbkToUtf32Converter() {
  static thread_local Converter converter("UTF-32LE", "GBK");
  return converter;
}

// The length of the well-formed UTF-8 character that starts at `at`, or 0 when the bytes there
// do not make one: a continuation byte without a lead, a lead that can never start a character
// (C0, C1, F5 to FF), a missing continuation byte, an overlong form, a surrogate or a code point
// above U+10FFFF. The last three show in the second byte's range, as iconv rejects them.
std::size_t WellFormedUtf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;   // below it: overlong
    if (lead == 0xED) secondHigh = 0x9F;  // above it: surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;   // below it: overlong
    if (lead == 0xF4) secondHigh = 0x8F;  // above it: beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  if (byte(1) < secondLow || byte(1) > secondHigh) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {  // ASCII is the same in both
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    // Convert one character at a time so that one that GBK lacks costs only itself. A byte that
    // does not start a well-formed character is one "?" on its own, and the scan goes on with
    // the byte after it, so a broken sequence never takes a good character with it.
    const std::size_t length = WellFormedUtf8Length(utf8, i);
    std::string converted;
    if (length > 0 && Utf8ToGbkConverter().Convert(utf8.substr(i, length), converted) &&
        !converted.empty()) {
      out += converted;
    } else {
      out += '?';
    }
    i += length > 0 ? length : 1;
  }
  return out;
}

std::u32string GbkToCodePoints(std::string_view gbk) {
  std::u32string out;
  out.reserve(gbk.size());
  for (std::size_t i = 0; i < gbk.size();) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    if (byte < 0x80) {
      out += static_cast<char32_t>(byte);
      ++i;
      continue;
    }
    const std::size_t length = GbkCharacterLength(gbk, i);
    std::string utf32;
    if (!IsCutOffGbkLead(gbk, i) && GbkToUtf32Converter().Convert(gbk.substr(i, length), utf32) &&
        utf32.size() == 4) {
      const auto* b = reinterpret_cast<const unsigned char*>(utf32.data());
      out += static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24));
    } else {
      out += U'\uFFFD';
    }
    i += length;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (char32_t c : GbkToCodePoints(gbk)) AppendUtf8(out, c);
  return out;
}
