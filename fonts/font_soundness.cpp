#include "fonts/font_soundness.h"

#include <algorithm>
#include <string_view>

#include "compose/ascii_text.h"
#include "compose/face_library.h"
#include "compose/freetype_handles.h"

namespace {

// The glyph loads unscaled as an outline with at least one contour, and moves the pen forward
// by more than nothing and at most two ems: no digit or mark is wider. Damaged metrics would
// draw every figure on top of the one before, or far apart.
std::string_view WhyGlyphUnfit(FT_Face face, FT_UInt glyphIndex) {
  if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
    return "does not load";
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0 ||
      slot->outline.n_points <= 0)
    return "is damaged or empty";
  const FT_Pos advance = slot->metrics.horiAdvance;
  if (advance <= 0 || advance > 2 * FT_Pos{face->units_per_EM}) return "has a damaged advance";
  return {};
}

std::string HexOf(FT_ULong character) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 12; shift >= 0; shift -= 4) hex += kDigits[(character >> shift) & 0xF];
  return "U+" + hex;
}

}  // namespace

std::string WhyUnfitFor(std::span<const unsigned char> candidate, const BuiltInFont& font) {
  if (candidate.empty()) return "the file is empty";
  const SharedFreeTypeLibrary freetype = NewFreeTypeLibrary();
  FaceSource candidateSource;
  candidateSource.data = candidate;
  const auto opened = OpenFace(freetype, candidateSource);
  if (!opened || !FT_IS_SCALABLE(opened->face.get())) return "not a font that can be read";
  const FT_Face face = opened->face.get();

  const std::vector<std::string> families = FaceFamilyNames(face);
  const bool named = std::any_of(families.begin(), families.end(), [&](const std::string& name) {
    return EqualIgnoringAsciiCase(name, font.familyName);
  });
  if (!named) return "its family is not " + std::string(font.familyName);

  if (const std::string_view why = WhyGlyphUnfit(face, 0); !why.empty())
    return "glyph 0 " + std::string(why);

  FaceSource builtInSource;
  builtInSource.data = font.data;
  const auto builtIn = OpenFace(freetype, builtInSource);
  if (!builtIn) return {};  // nothing to compare with; cannot happen for the embedded fonts
  const FT_Face reference = builtIn->face.get();
  FT_UInt referenceGlyph = 0;
  for (FT_ULong c = FT_Get_First_Char(reference, &referenceGlyph); referenceGlyph != 0;
       c = FT_Get_Next_Char(reference, c, &referenceGlyph)) {
    const FT_UInt glyph = FT_Get_Char_Index(face, c);
    if (glyph == 0) return "it lacks the character " + HexOf(c);
    if (const std::string_view why = WhyGlyphUnfit(face, glyph); !why.empty())
      return "the glyph of " + HexOf(c) + " " + std::string(why);
  }
  return {};
}
