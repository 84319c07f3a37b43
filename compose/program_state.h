#pragma once
#include <cstdint>
#include <string_view>

#include "compose/amount_pieces.h"
#include "compose/earnings_screen.h"
#include "compose/font_record.h"

// What a run keeps between renders: the three font records and what the last render cut and
// placed.
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

// The record a face role draws with.
FontRecord& RecordFor(ProgramState& state, FaceRole role);
const FontRecord& RecordFor(const ProgramState& state, FaceRole role);

// Where the state keeps what a render cut of an amount field, or where it placed that field's
// currency sign; null for a field whose pieces or sign the state does not keep.
AmountPieces* PiecesKeptFor(ProgramState& state, std::string_view field);
std::int32_t* SignXKeptFor(ProgramState& state, std::string_view field);
