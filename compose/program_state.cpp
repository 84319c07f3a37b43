#include "compose/program_state.h"

FontRecord& RecordFor(ProgramState& state, FaceRole role) {
  switch (role) {
    case FaceRole::kFineFace: return state.fineFont;
    case FaceRole::kWordFace: return state.wordFont;
    case FaceRole::kHeavyFace: break;
  }
  return state.heavyFont;
}

const FontRecord& RecordFor(const ProgramState& state, FaceRole role) {
  return RecordFor(const_cast<ProgramState&>(state), role);
}

AmountPieces* PiecesKeptFor(ProgramState& state, std::string_view field) {
  if (field == "balance") return &state.balancePieces;
  if (field == "this-month") return &state.thisMonthPieces;
  if (field == "last-month") return &state.lastMonthPieces;
  if (field == "settled") return &state.settledPieces;
  return nullptr;
}

std::int32_t* SignXKeptFor(ProgramState& state, std::string_view field) {
  if (field == "this-month") return &state.thisMonthSignX;
  if (field == "last-month") return &state.lastMonthSignX;
  return nullptr;
}
