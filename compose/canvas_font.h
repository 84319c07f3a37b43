#pragma once
// The font a surface measures and draws with: a FreeType face at a pixel size, with the style of
// a FontRecord, and the glyphs it has rendered so far. Fonts come from a FontCache
// (font_cache.h) and are shared by the surfaces of one render context.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compose/font_record.h"
#include "compose/sized_face.h"

// Every surface draws at 96 pixels per inch, whatever the display's scaling.
inline constexpr std::int32_t kPixelsPerInch = 96;
// The em height of size 9, used when a record leaves the height to the font system.
inline constexpr std::int32_t kDefaultEmHeight = 12;
// Larger em heights are drawn at this one: a bigger glyph could not fit on any surface here.
inline constexpr std::int32_t kMaxEmHeight = 4096;
// The family of the default UI font, as fontconfig knows it.
inline constexpr const char* kDefaultUiFamily = "sans-serif";

// `size` points at 96 pixels per inch, rounded half away from zero; 0 for a negative size.
std::int32_t EmHeightForSize(std::int32_t size);

// The face name a record asks for: a name of 32 bytes or more becomes "宋体" (GBK).
std::string EffectiveFaceName(const std::string& faceName);

struct GlyphImage {
  std::uint32_t glyphIndex = 0;
  std::int32_t advance = 0;  // whole pixels along the writing direction
  bool rendered = false;
  std::int32_t left = 0;  // the bitmap's left column, right of the pen
  std::int32_t top = 0;   // the bitmap's top row, above the baseline
  std::int32_t width = 0;
  std::int32_t rows = 0;
  std::vector<unsigned char> coverage;  // width x rows, 0 (none) to 255 (full)
};

// What a surface's font turned out to be, for diagnostics and tests.
struct FontDescription {
  std::string requestedFamily;  // UTF-8, after the face-name rule; empty: the system's choice
  std::string family;           // UTF-8, the family of the face in use
  std::string style;            // the face's own style name, e.g. "Bold"
  bool own = false;             // the face is one of the library's own, not fontconfig's match
  std::int32_t em = 0;
  std::int32_t ascent = 0;      // cell top to baseline
  std::int32_t cellHeight = 0;
  bool boldAsked = false;
  bool emboldened = false;      // bold asked of a face that is not bold itself
  bool italicAsked = false;
  bool sheared = false;         // italic asked of a face that is not italic itself
  bool underline = false;
  bool strikeout = false;
  std::int32_t angle = 0;       // tenths of a degree, counter-clockwise
};

class CanvasFont {
 public:
  CanvasFont(std::shared_ptr<SizedFace> face, FontDescription description);
  ~CanvasFont();
  CanvasFont(const CanvasFont&) = delete;
  CanvasFont& operator=(const CanvasFont&) = delete;

  const FontDescription& Description() const { return description_; }
  std::int32_t Ascent() const { return description_.ascent; }
  std::int32_t CellHeight() const { return description_.cellHeight; }
  double AngleRadians() const { return angleRadians_; }
  bool Rotated() const { return description_.angle != 0; }
  DecorationLine Underline() const { return underline_; }
  DecorationLine Strikeout() const { return strikeout_; }

  // The glyph drawn for a character (glyph 0 when the face does not map it): its advance is
  // always known; `rendered` says whether its bitmap has been made.
  const GlyphImage& Measure(char32_t character) const;
  // The same glyph with its bitmap.
  const GlyphImage& Render(char32_t character) const;
  bool MapsCharacter(char32_t character) const;

 private:
  GlyphImage& Entry(char32_t character) const;
  GlyphImage& EntryForGlyph(std::uint32_t glyphIndex) const;
  void Rasterise(GlyphImage& glyph) const;

  std::shared_ptr<SizedFace> face_;
  FontDescription description_;
  std::int32_t emboldenPixels_ = 0;
  double angleRadians_ = 0;
  DecorationLine underline_;
  DecorationLine strikeout_;
  mutable std::array<GlyphImage*, 128> asciiGlyphs_{};
  mutable std::unordered_map<char32_t, GlyphImage*> otherGlyphs_;
  mutable std::unordered_map<std::uint32_t, GlyphImage> glyphs_;
};
