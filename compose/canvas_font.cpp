#include "compose/canvas_font.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <freetype/ftadvanc.h>
#include <freetype/ftoutln.h>

std::int32_t EmHeightForSize(std::int32_t size) {
  if (size < 0) return 0;
  return RoundDiv(std::int64_t{size} * kPixelsPerInch, 72);
}

std::string EffectiveFaceName(const std::string& faceName) {
  return faceName.size() >= 32 ? std::string(kDefaultFaceName) : faceName;
}

CanvasFont::CanvasFont(std::shared_ptr<SizedFace> face, FontDescription description)
    : face_(std::move(face)), description_(std::move(description)) {
  if (description_.emboldened) emboldenPixels_ = std::max(1, RoundDiv(description_.em, 24));
  angleRadians_ = description_.angle / 10.0 * std::numbers::pi / 180.0;
  underline_ = face_->underline;
  strikeout_ = face_->strikeout;
}

CanvasFont::~CanvasFont() = default;

GlyphImage& CanvasFont::EntryForGlyph(std::uint32_t glyphIndex) const {
  auto [slot, inserted] = glyphs_.try_emplace(glyphIndex);
  GlyphImage& glyph = slot->second;
  if (inserted) {
    glyph.glyphIndex = glyphIndex;
    FT_Fixed units = 0;
    if (FT_Get_Advance(face_->face(), glyphIndex, FT_LOAD_NO_SCALE, &units) != 0) units = 0;
    glyph.advance = RoundDiv(std::int64_t{units} * face_->em, face_->unitsPerEm) + emboldenPixels_;
  }
  return glyph;
}

GlyphImage& CanvasFont::Entry(char32_t character) const {
  if (character < asciiGlyphs_.size()) {
    GlyphImage*& cached = asciiGlyphs_[character];
    if (cached == nullptr) cached = &EntryForGlyph(FT_Get_Char_Index(face_->face(), character));
    return *cached;
  }
  auto [slot, inserted] = otherGlyphs_.try_emplace(character, nullptr);
  if (inserted) slot->second = &EntryForGlyph(FT_Get_Char_Index(face_->face(), character));
  return *slot->second;
}

const GlyphImage& CanvasFont::Measure(char32_t character) const { return Entry(character); }

const GlyphImage& CanvasFont::Render(char32_t character) const {
  GlyphImage& glyph = Entry(character);
  if (!glyph.rendered) Rasterise(glyph);
  return glyph;
}

bool CanvasFont::MapsCharacter(char32_t character) const {
  return FT_Get_Char_Index(face_->face(), character) != 0;
}

void CanvasFont::Rasterise(GlyphImage& glyph) const {
  glyph.rendered = true;  // a glyph that cannot be rendered stays without ink
  const FT_Face face = face_->face();
  if (FT_Load_Glyph(face, glyph.glyphIndex, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline* outline = &slot->outline;
    if (emboldenPixels_ > 0) {
      // Grows the glyph by whole pixels to the right and upwards, keeping its left edge and its
      // foot in place; the advance has grown by the same amount.
      const FT_Pos strength = FT_Pos{emboldenPixels_} * 64;
      FT_Outline_EmboldenXY(outline, strength, strength);
    }
    if (description_.sheared) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(outline, &shear);
    }
    if (Rotated()) {
      const FT_Fixed c = static_cast<FT_Fixed>(std::lround(std::cos(angleRadians_) * 65536.0));
      const FT_Fixed s = static_cast<FT_Fixed>(std::lround(std::sin(angleRadians_) * 65536.0));
      FT_Matrix rotation{c, -s, s, c};
      FT_Outline_Transform(outline, &rotation);
    }
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<std::int32_t>(bitmap.width);
  glyph.rows = static_cast<std::int32_t>(bitmap.rows);
  glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
  const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
  for (std::int32_t row = 0; row < glyph.rows; ++row) {
    const unsigned char* in = bitmap.pitch >= 0
                                  ? bitmap.buffer + std::ptrdiff_t{row} * bitmap.pitch
                                  : bitmap.buffer + std::ptrdiff_t{glyph.rows - 1 - row} * -bitmap.pitch;
    unsigned char* out = glyph.coverage.data() + std::size_t(row) * glyph.width;
    for (std::int32_t col = 0; col < glyph.width; ++col) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        out[col] = (in[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
      else
        out[col] = levels == 255 ? in[col] : static_cast<unsigned char>(in[col] * 255 / levels);
    }
  }
}
