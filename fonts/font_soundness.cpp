#include "fonts/font_soundness.h"

#include <algorithm>
#include <string_view>

#include "compose/ascii_text.h"
#include "compose/face_library.h"
#include "compose/freetype_handles.h"

namespace {

// The glyph loads unscaled as an outline with at least one contour.
bool HasInk(FT_Face face, FT_UInt glyphIndex) {
  if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
    return false;
  const FT_GlyphSlot slot = face->glyph;
  return slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_contours > 0 &&
         slot->outline.n_points > 0;
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

  if (!HasInk(face, 0)) return "glyph 0 is damaged or empty";

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
    if (!HasInk(face, glyph)) return "the glyph of " + HexOf(c) + " is damaged or empty";
  }
  return {};
}
