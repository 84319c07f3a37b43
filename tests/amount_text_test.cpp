#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "compose/amount_text.h"

namespace {

struct Normalisation {
  std::string typed;  // GBK
  std::string written;
};

// What the confirm button writes back for what the user typed.
const Normalisation kNormalisations[] = {
    {"5", "5.00"},
    {"5.5", "5.50"},
    {".5", "0.50"},
    {"5.", "5.00"},
    {"-12.5", "-12.50"},
    {"0.125", "0.13"},
    {"-0.125", "-0.13"},
    {"2.675", "2.68"},
    {"1.005", "1.01"},
    {"10000.005", "10000.00"},
    {"99.995", "100.00"},
    {"-0.004", "0.00"},
    {"  +7.1", "7.10"},
    {"\xA3\xB1\xA3\xB2\xA3\xB3.\xA3\xB4", "123.40"},        // １２３.４
    {"\xA3\xB1\xA3\xB2\xA3\xAC\xA3\xB3\xA3\xB4\xA3\xB5", "12.00"},  // １２，３４５
    {"1,234.56", "1.00"},
    {"12\xD4\xAA", "12.00"},  // 12元
    {"\xA3\xA4" "5", "0.00"},  // ￥5: the full-width yen sign folds to "$"
    {"abc", "0.00"},
    {"", "0.00"},
    {"1.2.3", "1.20"},
    {"1e3", "1000.00"},
    {"2d2", "200.00"},
    {"0x1A", "0.00"},
    {"123456789012.345", "123456789012.40"},
    {"12345678901234", "1.234567890123e+013"},
    {"10000000000000", "1e+013.00"},
    {"5.00", "5.00"},
    {"-0", "0.00"},
};

void ExpectNormalisationTable() {
  for (const auto& c : kNormalisations) {
    EXPECT_EQ(NormaliseAmountText(c.typed), c.written) << "typed: " << c.typed;
    // Confirming a second time must not change the box again.
    EXPECT_EQ(NormaliseAmountText(c.written), c.written) << "typed: " << c.typed;
  }
}

TEST(AmountText, NormalisesTypedAmounts) { ExpectNormalisationTable(); }

// Qt sets the locale from the environment; a comma locale must not change how "." reads.
TEST(AmountText, NormalisationIgnoresTheProcessLocale) {
  const char* locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};
  const char* chosen = nullptr;
  for (const char* name : locales) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no comma-decimal locale installed";
  ExpectNormalisationTable();
  EXPECT_EQ(ParseNumber("1,5"), 1.0) << chosen;
  std::setlocale(LC_ALL, "C");
}

struct Parse {
  std::string text;  // GBK
  double value;
};

TEST(AmountText, FoldsFullWidthFormsBeforeReading) {
  const Parse cases[] = {
      {"\xA3\xB0\xA3\xB9", 9.0},                       // ０９
      {"\xA3\xAD\xA3\xB5", -5.0},                      // －５
      {"\xA3\xAB" "3", 3.0},                           // ＋3
      {"1\xA3\xAE" "5", 1.5},                          // 1．5
      {"\xA3\xAE\xA3\xB2\xA3\xB5", 0.25},              // ．２５
      {"1\xA3\xAC" "5", 1.0},                          // 1，5: the comma ends the number
      {"\xA1\xA1\xA1\xA1" "7", 7.0},                   // ideographic spaces are white space
      {"\xA1\xA1-\xA3\xB2", -2.0},
      {"2\xA3\xC5" "2", 200.0},                        // full-width E is an exponent marker
      {"2\xA3\xE4\xA3\xB2", 200.0},                    // and so is full-width d
      {"\xA1\xAB" "5", 0.0},                           // ～5
      {"\xA1\xEE" "5", 0.0},                           // ☆5
      {"\xA1\xEF" "5", 0.0},                           // ★5
      {"5\xA1\xEF", 5.0},
      {"5\xA3", 5.0},                                  // a lone lead byte at the end
      {"\xA3", 0.0},
      {"\xA3\xB5\xA3", 5.0},
      {"7\x81" "5", 7.0},   // the 5 is the second byte of a character, not a digit
      {"\xB0\xA3\xB1", 0.0},  // B0 A3 is one character; B1 alone is not a full-width digit
      {"\x80" "5", 0.0},  // "€" is a character of one byte and no digit, like "￥"
      {"5\x80\xA3\xB5", 5.0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
}

TEST(AmountText, ReadsOnlyTheNumberAtTheStart) {
  const Parse cases[] = {
      {"2D-2", 0.02},  {"1E+2", 100.0},  {"1e", 1.0},       {"1e+", 1.0},
      {"1d-x", 1.0},   {"1ee2", 1.0},    {"1.5E3x", 1500.0}, {"5.e1", 50.0},
      {".e5", 0.0},    {"e5", 0.0},      {".", 0.0},         {"-.5", -0.5},
      {"+-5", 0.0},    {"- 5", 0.0},     {" \t\n\v\f\r5", 5.0}, {"inf", 0.0},
      {"nan", 0.0},    {"0x1A", 0.0},    {"00012.50", 12.5}, {"1e0001", 10.0},
      {"3.14159265358979323846264338327950288", 3.141592653589793},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
}

// Whether the whole text is the number ParseNumber reads: what the command line notes when an
// amount is drawn otherwise than it was typed.
TEST(AmountText, TellsWhetherAnAmountReadsWhole) {
  const struct {
    const char* text;
    bool whole;
  } cases[] = {
      {"12.5", true},        {" 7 ", true},        {"-0.125", true},  {"1e3", true},
      {"2d2", true},         {".5", true},         {"5.", true},      {"\xA3\xB1\xA3\xB2", true},  // １２
      {"\xA1\xA1" "5", true},  // an ideographic space, then 5
      {"1e-400", true},      {"", false},          {"abc", false},    {"1,234.5", false},
      {"12\xD4\xAA", false},  // 12元
      {"1.2.3", false},      {"1e", false},        {"0x1A", false},   {"1e400", false},
      {"5 6", false},        {".", false},         {"+", false},      {"\xA3\xA4" "5", false},  // ￥5
  };
  for (const auto& c : cases) EXPECT_EQ(AmountReadsWhole(c.text), c.whole) << c.text;
}

TEST(AmountText, ValuesBeyondADoubleSaturate) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const Parse cases[] = {
      {"1e400", kInf},
      {"-1e400", -kInf},
      {"1.8e308", kInf},
      {std::string(400, '9'), kInf},
      {"1e999999999999999999999999", kInf},
      {"0.0001e309", 1e305},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1e-400", 0.0},
      {"1000e-330", 0.0},
      {"1e-999999999999999999999999", 0.0},
      {"1" + std::string(400, '0') + "e-400", 1.0},
      {"0." + std::string(400, '0') + "1e400", 0.1},
      {"0e999999", 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.value) << c.text.substr(0, 40);
  }
  EXPECT_TRUE(std::signbit(ParseNumber("-1e-400")));
  EXPECT_GT(ParseNumber("1e-320"), 0.0);  // a subnormal is still a value
}

struct Format {
  double value;
  int decimals;
  const char* text;
};

TEST(AmountText, FormatsWithRoundingAndThirteenDigits) {
  const Format cases[] = {
      {2.675, 2, "2.68"},          // the double lies just below 2.675; the tolerance lifts it
      {1.005, 2, "1.01"},
      {10000.005, 2, "10000.00"},  // the tolerance is lost beside a scaled value this large
      {0.125, 2, "0.13"},          // an exact half goes away from zero, not to even
      {-0.125, 2, "-0.13"},
      {0.115, 2, "0.12"},
      {-0.0, 2, "0.00"},
      {-0.004, 2, "0.00"},
      {1e-5, 2, "0.00"},
      {0.5, 2, "0.50"},
      {3.14159, 4, "3.1416"},
      {9999999999999.0, 2, "9999999999999.00"},
      {9999999999999.5, 2, "1e+013.00"},
      {1e13, 2, "1e+013.00"},
      {12345678901234.0, 2, "1.234567890123e+013"},
      {1e100, 2, "1e+100.00"},
      {-1.5e300, 2, "-1.5e+300"},  // the "." already has two characters after it
      // Scaling these by 100 would overflow; they are whole numbers and stay as they are.
      {1e307, 2, "1e+307.00"},
      {std::numeric_limits<double>::max(), 2, "1.797693134862e+308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value;
  }
}

TEST(AmountText, NonFiniteValuesStillFormat) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatFixed(kInf, 2), "1.797693134862e+308");
  EXPECT_EQ(FormatFixed(-kInf, 2), "-1.797693134862e+308");
  EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 2), "0.00");
  // A typed amount out of range settles on a text that reads back to itself.
  EXPECT_EQ(NormaliseAmountText("1e400"), "1.797693134862e+308");
  EXPECT_EQ(NormaliseAmountText("1.797693134862e+308"), "1.797693134862e+308");
  EXPECT_EQ(NormaliseAmountText("-1d999"), "-1.797693134862e+308");
}

struct Split {
  std::string text;  // GBK
  AmountPieces pieces;
};

TEST(AmountText, SplitsAtTheLastPoint) {
  const Split cases[] = {
      {"5.00", {"5", "00"}},
      {"1234.56", {"1234", "56"}},
      {"-3.50", {"-3", "50"}},
      {"1.2.3", {"1.2", "3"}},
      {"5.", {"5", ""}},
      {".5", {"", "5"}},
      {"5", {"", "5"}},
      {"", {"", ""}},
      {".", {"", ""}},
      {"1e+013.00", {"1e+013", "00"}},
      {"1.234567890123e+013", {"1", "234567890123e+013"}},
      // A "." that is the second byte of a character (81 2E) is not a point.
      {"1.5\x81.", {"1", "5\x81."}},
      {"\xA3\xAE" "5", {"", "\xA3\xAE" "5"}},  // nor is the full-width point
      {"12\xD4\xAA.5", {"12\xD4\xAA", "5"}},
      {"9.\xA3", {"9", "\xA3"}},
      // "€" (80) and the byte FF are characters of one byte: a "." after them is a point.
      {"\x80.5", {"\x80", "5"}},
      {"12\x80.50", {"12\x80", "50"}},
      {"\xFF.5", {"\xFF", "5"}},
      {"\x80\x80.5", {"\x80\x80", "5"}},
      {"\xCB\x80.5", {"\xCB\x80", "5"}},  // 0x80 as a second byte
  };
  for (const auto& c : cases) EXPECT_EQ(SplitAmount(c.text), c.pieces) << c.text;
}

TEST(AmountText, ReplacesFullWidthColonsInTheClock) {
  const Normalisation cases[] = {
      {"10\xA3\xBA" "23", "10:23"},
      {"\xA3\xB1\xA3\xB0\xA3\xBA\xA3\xB2\xA3\xB3", "\xA3\xB1\xA3\xB0:\xA3\xB2\xA3\xB3"},  // １０：２３
      {"\xA3\xBA\xA3\xBA" "1\xA3\xBA", "::1:"},
      {"10:23", "10:23"},
      {"", ""},
      {"\xB0\xA3\xBA\xC3", "\xB0\xA3\xBA\xC3"},  // 埃好: A3 BA spans two characters
      {"\xA3", "\xA3"},
      {"1\xA3\xBA\xA3", "1:\xA3"},
      {"\x80\xA3\xBA" "23", "\x80:23"},  // "€" is one byte; the colon after it begins a character
      {"\x80" "10\xA3\xBA" "23", "\x80" "10:23"},
      {"\xFF\xA3\xBA", "\xFF:"},
      {"\xA3\x80\xA3\xBA", "\xA3\x80:"},  // A3 80 is one unit, whatever it holds
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseClockText(c.typed), c.written) << c.typed;
}

}  // namespace
