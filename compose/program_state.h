#pragma once
#include <cstdint>

#include "compose/amount_pieces.h"
#include "compose/font_record.h"

// What a run keeps between renders: the three font records and what the last render cut and placed.
struct ProgramState {
  FontRecord fineFont;   // the light digits: clock, counts, transaction income
  FontRecord wordFont;   // the time-of-day word
  FontRecord heavyFont;  // the heavy digits: balance and incomes
  AmountPieces balancePieces;
  AmountPieces thisMonthPieces;
  AmountPieces lastMonthPieces;
  AmountPieces settledPieces;
  std::int32_t thisMonthSignX = 0;
  std::int32_t lastMonthSignX = 0;
};
