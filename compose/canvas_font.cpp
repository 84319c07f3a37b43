#include "compose/canvas_font.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

#include <freetype/ftadvanc.h>
#include <freetype/ftoutln.h>
#include <freetype/tttables.h>

#include "compose/face_registry_lookup.h"
#include "compose/fontconfig_handles.h"
#include "compose/freetype_handles.h"
#include "compose/gbk_text.h"

// One FreeType face opened at one em height. Faces are shared by every style of a family at
// that height; the style (emboldening, shear, rotation) is applied per glyph.
struct SizedFace {
  OwnedFace owned;
  std::int32_t em = 0;
  std::int32_t unitsPerEm = 0;
  std::int32_t ascent = 0;
  std::int32_t cellHeight = 0;
  DecorationLine underline;
  DecorationLine strikeout;

  FT_Face face() const { return owned.face.get(); }
};

namespace {

// value / divisor rounded to the nearest whole number, halves away from zero; divisor > 0.
std::int32_t RoundDiv(std::int64_t value, std::int64_t divisor) {
  if (value >= 0) return static_cast<std::int32_t>((2 * value + divisor) / (2 * divisor));
  return -static_cast<std::int32_t>((-2 * value + divisor) / (2 * divisor));
}

struct ResolvedFace {
  FaceSource source;
  bool registered = false;
};

std::optional<ResolvedFace> MatchWithFontconfig(const std::string& utf8Family, bool bold,
                                                bool italic) {
  static const bool initialised = FcInit() != FcFalse;
  if (!initialised) return std::nullopt;
  OwnedFcPattern pattern(FcPatternCreate());
  if (!pattern) return std::nullopt;
  if (!utf8Family.empty())
    FcPatternAddString(pattern.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(utf8Family.c_str()));
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  if (bold) FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_BOLD);
  if (italic) FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ITALIC);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  OwnedFcPattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match) return std::nullopt;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr)
    return std::nullopt;
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  ResolvedFace resolved;
  resolved.source.path = reinterpret_cast<const char*>(file);
  resolved.source.index = index;
  return resolved;
}

std::optional<SizedFace> OpenSizedFace(const FaceSource& source, std::int32_t em) {
  auto owned = OpenFace(source);
  if (!owned) return std::nullopt;
  FT_Face face = owned->face.get();
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em)) != 0) return std::nullopt;
  SizedFace sized;
  sized.em = em;
  sized.unitsPerEm = face->units_per_EM;
  const std::int64_t upem = face->units_per_EM;
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

// Every font cache of the program; the surfaces are used on one thread only.
struct FontCache {
  std::uint64_t registryGeneration = 0;
  std::unordered_map<std::string, std::shared_ptr<const CanvasFont>> byRecord;
  std::unordered_map<std::string, std::optional<ResolvedFace>> byFamily;
  std::unordered_map<std::string, std::shared_ptr<SizedFace>> sizedFaces;
  std::shared_ptr<const CanvasFont> defaultUiFont;
  bool defaultUiFontTried = false;
};

FontCache& TheFontCache() {
  static FontCache cache;
  // A newly registered face may be the answer to a name that fell back before.
  if (cache.registryGeneration != FaceRegistryGeneration()) {
    cache.registryGeneration = FaceRegistryGeneration();
    cache.byRecord.clear();
    cache.byFamily.clear();
    cache.defaultUiFont.reset();
    cache.defaultUiFontTried = false;
  }
  return cache;
}

std::optional<ResolvedFace> ResolveFamily(FontCache& cache, const std::string& utf8Family,
                                          bool bold, bool italic) {
  std::string key = utf8Family;
  key += bold ? "|b" : "|-";
  key += italic ? "i" : "-";
  if (auto found = cache.byFamily.find(key); found != cache.byFamily.end()) return found->second;
  std::optional<ResolvedFace> resolved;
  if (!utf8Family.empty()) {
    if (auto registered = FindRegisteredFace(utf8Family, bold, italic))
      resolved = ResolvedFace{registered->source, true};
  }
  if (!resolved) resolved = MatchWithFontconfig(utf8Family, bold, italic);
  cache.byFamily.emplace(std::move(key), resolved);
  return resolved;
}

std::shared_ptr<SizedFace> SizedFaceFor(FontCache& cache, const FaceSource& source,
                                        std::int32_t em) {
  std::string key = source.Key() + "@" + std::to_string(em);
  if (auto found = cache.sizedFaces.find(key); found != cache.sizedFaces.end())
    return found->second;
  std::shared_ptr<SizedFace> sized;
  if (auto opened = OpenSizedFace(source, em))
    sized = std::make_shared<SizedFace>(std::move(*opened));
  cache.sizedFaces.emplace(std::move(key), sized);
  return sized;
}

struct FontRequest {
  std::string utf8Family;
  std::int32_t em = kDefaultEmHeight;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  std::int32_t angle = 0;
};

std::shared_ptr<const CanvasFont> BuildFont(FontCache& cache, const FontRequest& request) {
  auto resolved = ResolveFamily(cache, request.utf8Family, request.bold, request.italic);
  if (!resolved) return nullptr;
  auto sized = SizedFaceFor(cache, resolved->source, request.em);
  if (!sized) return nullptr;
  const FT_Face face = sized->face();
  FontDescription description;
  description.requestedFamily = request.utf8Family;
  description.family = face->family_name != nullptr ? face->family_name : "";
  description.style = face->style_name != nullptr ? face->style_name : "";
  description.registered = resolved->registered;
  description.em = sized->em;
  description.ascent = sized->ascent;
  description.cellHeight = sized->cellHeight;
  description.boldAsked = request.bold;
  description.emboldened = request.bold && (face->style_flags & FT_STYLE_FLAG_BOLD) == 0;
  description.italicAsked = request.italic;
  description.sheared = request.italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
  description.underline = request.underline;
  description.strikeout = request.strikeout;
  description.angle = request.angle;
  return std::make_shared<const CanvasFont>(std::move(sized), std::move(description));
}

std::string RecordKey(const FontRequest& request) {
  std::string key = std::to_string(request.em);
  key += '|';
  key += std::to_string(request.angle);
  key += request.bold ? 'b' : '-';
  key += request.italic ? 'i' : '-';
  key += request.underline ? 'u' : '-';
  key += request.strikeout ? 's' : '-';
  key += request.utf8Family;
  return key;
}

}  // namespace

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

std::shared_ptr<const CanvasFont> FontForRecord(const FontRecord& record) {
  FontCache& cache = TheFontCache();
  FontRequest request;
  request.utf8Family = GbkToUtf8(EffectiveFaceName(record.faceName));
  const std::int32_t em = EmHeightForSize(record.size);
  request.em = em == 0 ? kDefaultEmHeight : std::min(em, kMaxEmHeight);
  request.bold = record.bold;
  request.italic = record.italic;
  request.underline = record.underline;
  request.strikeout = record.strikeout;
  request.angle = record.angle % 3600;
  std::string key = RecordKey(request);
  if (auto found = cache.byRecord.find(key); found != cache.byRecord.end()) return found->second;
  auto font = BuildFont(cache, request);
  if (!font) font = DefaultUiFont();
  cache.byRecord.emplace(std::move(key), font);
  return font;
}

std::shared_ptr<const CanvasFont> DefaultUiFont() {
  FontCache& cache = TheFontCache();
  if (!cache.defaultUiFontTried) {
    cache.defaultUiFontTried = true;
    FontRequest request;
    request.utf8Family = "sans-serif";
    cache.defaultUiFont = BuildFont(cache, request);
  }
  return cache.defaultUiFont;
}

std::shared_ptr<const CanvasFont> CurrentFont(const Canvas& canvas) {
  return canvas.font ? canvas.font : DefaultUiFont();
}

FontDescription DescribeFont(const Canvas& canvas) {
  const auto font = CurrentFont(canvas);
  return font != nullptr ? font->Description() : FontDescription{};
}

bool FontMapsCharacter(const Canvas& canvas, char32_t character) {
  const auto font = CurrentFont(canvas);
  return font != nullptr && font->MapsCharacter(character);
}
