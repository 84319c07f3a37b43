#include "compose/amount_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "compose/gbk_scan.h"

// This file is compiled with -ffp-contract=off: the rounding in RoundHalfAwayFromZero must see
// the product and the sum rounded one after the other, never fused into one step.

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Full-width forms become their ASCII counterparts, the ideographic space a space, the wave dash
// "~" and both stars "*"; other characters stay. A lone lead byte at the end is dropped.
std::string FoldFullWidth(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (IsCutOffGbkLead(text, i)) break;
    const std::size_t length = GbkCharacterLength(text, i);
    if (length == 1) {
      folded += text[i++];
      continue;
    }
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded += ' ';
    } else if (lead == 0xA1 && trail == 0xAB) {
      folded += '~';
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      folded += '*';
    } else {
      folded.append(text.substr(i, length));
    }
    i += length;
  }
  return folded;
}

// Adds a decimal digit to a non-negative count without passing `limit`.
std::int64_t AccumulateSaturated(std::int64_t value, char digit, std::int64_t limit) {
  if (value > (limit - 9) / 10) return limit;
  return value * 10 + (digit - '0');
}

// Reads the decimal number at the start of an already folded text. The number is copied into
// plain ASCII (exponent marker "e") for std::from_chars, which reads "." whatever the locale.
// `end` receives where reading stopped, 0 when the text holds no number.
double ReadDecimal(std::string_view text, std::size_t& end) {
  end = 0;
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }

  std::string number;
  bool anyDigit = false;
  bool nonZeroDigit = false;
  bool seenPoint = false;
  // The place of the first significant digit (1 for units, 2 for tens, -1 for tenths), before
  // the exponent part is applied; it tells an overflow from an underflow.
  std::int64_t leadingMagnitude = 0;
  constexpr std::int64_t kMagnitudeLimit = std::int64_t{1} << 60;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      anyDigit = true;
      if (c != '0' && !nonZeroDigit) {
        nonZeroDigit = true;
        leadingMagnitude = seenPoint ? leadingMagnitude - 1 : 1;
      } else if (nonZeroDigit && !seenPoint) {
        if (leadingMagnitude < kMagnitudeLimit) ++leadingMagnitude;
      } else if (!nonZeroDigit && seenPoint) {
        if (leadingMagnitude > -kMagnitudeLimit) --leadingMagnitude;
      }
      number += c;
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
      number += c;
    } else {
      break;
    }
  }
  if (!anyDigit) return 0.0;
  end = i;

  std::int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    bool exponentNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      exponentNegative = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      number += 'e';
      for (end = j; end < text.size() && IsDigit(text[end]);) ++end;
      if (exponentNegative) number += '-';
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        number += text[j];
        exponent = AccumulateSaturated(exponent, text[j], kMagnitudeLimit);
      }
      if (exponentNegative) exponent = -exponent;
    }
  }

  double magnitude = 0.0;
  const auto [converted, error] = std::from_chars(number.data(), number.data() + number.size(),
                                                  magnitude, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    const bool overflow = nonZeroDigit && leadingMagnitude + exponent > 0;
    magnitude = overflow ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc{} || converted != number.data() + number.size()) {
    return 0.0;  // cannot happen for the text built above
  }
  return negative ? -magnitude : magnitude;
}

double PowerOfTen(int exponent) {
  double power = 1.0;
  for (int k = 0; k < exponent && std::isfinite(power); ++k) power *= 10.0;
  return power;
}

// Half away from zero at `decimals` places, with a tolerance of 1e-12 on the scaled magnitude so
// that a decimal ending in 5 whose double lies just below it still rounds up.
double RoundHalfAwayFromZero(double value, int decimals) {
  if (value == 0.0) return value;
  const bool negative = value < 0.0;
  const double magnitude = negative ? -value : value;
  const double scale = PowerOfTen(decimals);
  const double scaled = magnitude * scale;
  // A magnitude this large is a whole number already; scaling it would only overflow.
  if (!std::isfinite(scaled)) return value;
  const double nudged = scaled + 1e-12;
  double whole = std::trunc(nudged);
  const double fraction = nudged - whole;
  if (fraction >= 0.5) whole += 1.0;
  const double rounded = whole / scale;
  return negative ? -rounded : rounded;
}

void StripTrailingZeros(std::string& text) {
  const auto point = text.find('.');
  if (point == std::string::npos) return;
  auto last = text.find_last_not_of('0');
  if (last == point) --last;
  text.erase(last + 1);
}

// The value as the C format "%.13g" writes it, with an exponent of at least three digits.
std::string FormatThirteenDigits(double value) {
  if (value == 0.0) return "0";
  constexpr int kDigits = 13;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific, kDigits - 1);
  const std::string_view scientific(buffer, static_cast<std::size_t>(result.ptr - buffer));
  // scientific is "d.dddddddddddde[+-]xx".
  const auto e = scientific.find('e');
  int exponent = 0;
  std::from_chars(scientific.data() + e + 2, scientific.data() + scientific.size(), exponent);
  if (scientific[e + 1] == '-') exponent = -exponent;

  std::string digits;
  digits += scientific[0];
  digits.append(scientific.substr(2, e - 2));

  std::string text = value < 0.0 ? "-" : "";
  if (exponent >= -4 && exponent < kDigits) {
    std::string plain;
    if (exponent >= 0) {
      plain = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
      plain += '.';
      plain += digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
      plain = "0.";
      plain.append(static_cast<std::size_t>(-exponent - 1), '0');
      plain += digits;
    }
    StripTrailingZeros(plain);
    text += plain;
  } else {
    std::string mantissa = digits.substr(0, 1) + "." + digits.substr(1);
    StripTrailingZeros(mantissa);
    text += mantissa;
    text += exponent < 0 ? "e-" : "e+";
    const std::string exponentDigits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (exponentDigits.size() < 3) text.append(3 - exponentDigits.size(), '0');
    text += exponentDigits;
  }
  return text;
}

}  // namespace

double ParseNumber(std::string_view text) {
  std::size_t end = 0;
  return ReadDecimal(FoldFullWidth(text), end);
}

bool AmountReadsWhole(std::string_view text) {
  const std::string folded = FoldFullWidth(text);
  std::size_t end = 0;
  const double value = ReadDecimal(folded, end);
  if (end == 0 || !std::isfinite(value)) return false;
  while (end < folded.size() && IsSpace(folded[end])) ++end;
  return end == folded.size();
}

std::string FormatFixed(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  // Not a number cannot come from ParseNumber; treat it like a text that holds no number.
  if (std::isnan(value)) value = 0.0;
  // An amount too large for a double is written as the largest one: the text stays a number
  // that reads back to the same text, and it has a "." like every other amount.
  if (std::isinf(value)) {
    value = value < 0.0 ? std::numeric_limits<double>::lowest()
                        : std::numeric_limits<double>::max();
  }

  std::string text = FormatThirteenDigits(RoundHalfAwayFromZero(value, decimals));

  const auto point = text.find('.');
  if (point == std::string::npos) {
    text += '.';
    text.append(static_cast<std::size_t>(decimals), '0');
  } else {
    const std::size_t after = text.size() - point - 1;
    if (after < static_cast<std::size_t>(decimals)) {
      text.append(static_cast<std::size_t>(decimals) - after, '0');
    }
  }
  return text;
}

AmountPieces SplitAmount(std::string_view text) {
  std::size_t lastPoint = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); i += GbkCharacterLength(text, i)) {
    if (text[i] == '.') lastPoint = i;
  }
  if (lastPoint == std::string_view::npos) return {"", std::string(text)};
  return {std::string(text.substr(0, lastPoint)), std::string(text.substr(lastPoint + 1))};
}

std::string NormaliseAmountText(std::string_view text) {
  return FormatFixed(ParseNumber(text), 2);
}

std::string NormaliseClockText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view character = text.substr(i, GbkCharacterLength(text, i));
    if (character == "\xA3\xBA") {
      result += ':';
    } else {
      result.append(character);
    }
    i += character.size();
  }
  return result;
}
