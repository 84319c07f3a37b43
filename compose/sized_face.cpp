#include "compose/sized_face.h"

#include <algorithm>

#include <freetype/tttables.h>

std::int32_t RoundDiv(std::int64_t value, std::int64_t divisor) {
  if (value >= 0) return static_cast<std::int32_t>((2 * value + divisor) / (2 * divisor));
  return -static_cast<std::int32_t>((-2 * value + divisor) / (2 * divisor));
}

std::optional<SizedFace> OpenSizedFace(const SharedFreeTypeLibrary& library,
                                       const FaceSource& source, std::int32_t em) {
  auto owned = OpenFace(library, source);
  if (!owned) return std::nullopt;
  FT_Face face = owned->face.get();
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0) return std::nullopt;
  SizedFace sized;
  sized.em = em;
  sized.unitsPerEm = face->units_per_EM;
  const std::int64_t upem = face->units_per_EM;
  // The cell follows the OS/2 table's Windows ascent and descent, as a GDI font's does.
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFFu) {
    sized.ascent = RoundDiv(std::int64_t{os2->usWinAscent} * em, upem);
    sized.cellHeight =
        RoundDiv((std::int64_t{os2->usWinAscent} + os2->usWinDescent) * em, upem);
    sized.strikeout.offset = -RoundDiv(std::int64_t{os2->yStrikeoutPosition} * em, upem);
    sized.strikeout.thickness = std::max(1, RoundDiv(std::int64_t{os2->yStrikeoutSize} * em, upem));
  } else {
    const FT_Size_Metrics& metrics = face->size->metrics;
    sized.ascent = static_cast<std::int32_t>((metrics.ascender + 32) >> 6);
    sized.cellHeight = static_cast<std::int32_t>((metrics.ascender - metrics.descender + 32) >> 6);
    sized.strikeout.offset = -RoundDiv(std::int64_t{sized.ascent} * 3, 10);
    sized.strikeout.thickness = std::max(1, RoundDiv(em, 20));
  }
  if (face->underline_thickness > 0) {
    sized.underline.offset = -RoundDiv(std::int64_t{face->underline_position} * em, upem);
    sized.underline.thickness =
        std::max(1, RoundDiv(std::int64_t{face->underline_thickness} * em, upem));
  } else {
    sized.underline.offset = std::max(1, RoundDiv(em, 10));
    sized.underline.thickness = std::max(1, RoundDiv(em, 20));
  }
  sized.owned = std::move(*owned);
  return sized;
}
