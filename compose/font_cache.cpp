#include "compose/font_cache.h"

#include <algorithm>

#include "compose/canvas_font.h"
#include "compose/gbk_text.h"
#include "compose/sized_face.h"

struct FontCache::Request {
  std::string utf8Family;
  std::int32_t em = kDefaultEmHeight;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  std::int32_t angle = 0;

  std::string Key() const {
    std::string key = std::to_string(em);
    key += '|';
    key += std::to_string(angle);
    key += bold ? 'b' : '-';
    key += italic ? 'i' : '-';
    key += underline ? 'u' : '-';
    key += strikeout ? 's' : '-';
    key += utf8Family;
    return key;
  }
};

FontCache::FontCache(std::shared_ptr<const FaceLibrary> library)
    : library_(std::move(library)), freetype_(NewFreeTypeLibrary()) {}

FontCache::~FontCache() = default;

std::shared_ptr<SizedFace> FontCache::SizedFaceFor(const FaceSource& source, std::int32_t em) {
  std::string key = source.Key() + "@" + std::to_string(em);
  if (auto found = sizedFaces_.find(key); found != sizedFaces_.end()) return found->second;
  std::shared_ptr<SizedFace> sized;
  if (auto opened = OpenSizedFace(freetype_, source, em))
    sized = std::make_shared<SizedFace>(std::move(*opened));
  sizedFaces_.emplace(std::move(key), sized);
  return sized;
}

std::shared_ptr<const CanvasFont> FontCache::Build(const Request& request) {
  if (!library_) return nullptr;
  auto found = library_->Find(request.utf8Family, request.bold, request.italic);
  if (!found) return nullptr;
  auto sized = SizedFaceFor(found->source, request.em);
  if (!sized) return nullptr;
  const FT_Face face = sized->face();
  FontDescription description;
  description.requestedFamily = request.utf8Family;
  description.family = face->family_name != nullptr ? face->family_name : "";
  description.style = face->style_name != nullptr ? face->style_name : "";
  description.own = found->own;
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

std::shared_ptr<const CanvasFont> FontCache::FontFor(const FontRecord& record) {
  Request request;
  request.utf8Family = GbkToUtf8(EffectiveFaceName(record.faceName));
  const std::int32_t em = EmHeightForSize(record.size);
  request.em = em == 0 ? kDefaultEmHeight : std::min(em, kMaxEmHeight);
  request.bold = record.bold;
  request.italic = record.italic;
  request.underline = record.underline;
  request.strikeout = record.strikeout;
  request.angle = record.angle % 3600;
  std::string key = request.Key();
  if (auto found = byRecord_.find(key); found != byRecord_.end()) return found->second;
  auto font = Build(request);
  if (!font) font = DefaultUiFont();
  byRecord_.emplace(std::move(key), font);
  return font;
}

std::shared_ptr<const CanvasFont> FontCache::DefaultUiFont() {
  if (!defaultUiFontTried_) {
    defaultUiFontTried_ = true;
    Request request;
    request.utf8Family = kDefaultUiFamily;
    defaultUiFont_ = Build(request);
  }
  return defaultUiFont_;
}
