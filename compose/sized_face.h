#pragma once
// One FreeType face opened at one em height, with the metrics a surface lays text out by. Faces
// are shared by every style of a family at that height; the style (emboldening, shear,
// rotation) is applied per glyph.
#include <cstdint>
#include <optional>

#include "compose/freetype_handles.h"

// A horizontal line drawn with a text: `offset` pixels below the baseline (negative: above).
struct DecorationLine {
  std::int32_t offset = 0;
  std::int32_t thickness = 1;
};

struct SizedFace {
  OwnedFace owned;
  std::int32_t em = 0;
  std::int32_t unitsPerEm = 0;
  std::int32_t ascent = 0;      // cell top to baseline: the Windows ascent, scaled and rounded
  std::int32_t cellHeight = 0;  // Windows ascent plus descent, scaled and rounded
  DecorationLine underline;
  DecorationLine strikeout;

  FT_Face face() const { return owned.face.get(); }
};

// value / divisor rounded to the nearest whole number, halves away from zero; divisor > 0.
std::int32_t RoundDiv(std::int64_t value, std::int64_t divisor);

// The face at `em` pixels, opened in `library`; nothing for a face that cannot be opened or
// scaled.
std::optional<SizedFace> OpenSizedFace(const SharedFreeTypeLibrary& library,
                                       const FaceSource& source, std::int32_t em);
