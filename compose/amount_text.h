#pragma once
// The amount texts of the earnings screen: read as numbers, written with two decimals, cut at
// their last point; and the clock text's full-width colons. All texts are GBK byte strings, and
// every scan steps over a two-byte character as gbk_scan.h cuts them (a lead byte, 0x81 to
// 0xFE, and the byte after it; "€", 0x80, is a character of one byte).
#include <string>
#include <string_view>

#include "compose/amount_pieces.h"

// The number at the start of the text after folding full-width forms; 0 when there is none.
double ParseNumber(std::string_view text);

// The value rounded half away from zero to `decimals` places and written as "%.13g" would
// (with a three-digit exponent), then padded with zeros to `decimals` places after the ".".
std::string FormatFixed(double value, int decimals);

// The text cut at its last "."; without one, the whole text is the fraction part.
AmountPieces SplitAmount(std::string_view text);

// Whether ParseNumber reads the whole text as one finite number (white space around it
// allowed): "12.5", "１２３.４" and " 7 " do, "abc", "1,234.5", "12元", "" and "1e400" do not.
bool AmountReadsWhole(std::string_view text);

// What the confirm button writes back into an amount box: FormatFixed(ParseNumber(text), 2).
std::string NormaliseAmountText(std::string_view text);

// The clock text with every full-width colon that begins a character replaced by ":".
std::string NormaliseClockText(std::string_view text);
