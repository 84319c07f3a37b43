#include "compose/face_library.h"

#include <algorithm>

#include <freetype/ftsnames.h>
#include <freetype/ttnameid.h>

#include "compose/ascii_text.h"
#include "compose/fontconfig_handles.h"
#include "compose/gbk_text.h"

namespace {

std::string Utf16BeToUtf8(const FT_Byte* bytes, FT_UInt length) {
  std::string out;
  for (FT_UInt i = 0; i + 1 < length; i += 2) {
    char32_t unit = static_cast<char32_t>(bytes[i] << 8 | bytes[i + 1]);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < length) {
      const char32_t low = static_cast<char32_t>(bytes[i + 2] << 8 | bytes[i + 3]);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::string MatchKey(std::string_view utf8Family, bool bold, bool italic) {
  std::string key(utf8Family);
  key += bold ? "|b" : "|-";
  key += italic ? "i" : "-";
  return key;
}

// fontconfig's best face for the family with the language zh-cn, as the program's texts are
// Chinese; nothing when fontconfig has none. Called under fontconfig's lock.
std::optional<FoundFace> AskFontconfig(std::string_view utf8Family, bool bold, bool italic) {
  static const bool initialised = FcInit() != FcFalse;
  if (!initialised) return std::nullopt;
  OwnedFcPattern pattern(FcPatternCreate());
  if (!pattern) return std::nullopt;
  const std::string family(utf8Family);
  if (!family.empty())
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
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
  FoundFace found;
  found.source.path = reinterpret_cast<const char*>(file);
  found.source.index = index;
  return found;
}

}  // namespace

std::mutex& FontconfigLock() {
  static std::mutex lock;
  return lock;
}

std::vector<std::string> FaceFamilyNames(FT_Face face) {
  std::vector<std::string> names;
  auto add = [&names](std::string name) {
    if (name.empty()) return;
    for (const auto& known : names)
      if (EqualIgnoringAsciiCase(known, name)) return;
    names.push_back(std::move(name));
  };
  if (face->family_name != nullptr) add(face->family_name);
  const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName name;
    if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != TT_NAME_ID_FONT_FAMILY) continue;
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
      add(Utf16BeToUtf8(name.string, name.string_len));
    } else if (name.platform_id == TT_PLATFORM_MACINTOSH && name.encoding_id == TT_MAC_ID_ROMAN) {
      std::string ascii;
      for (FT_UInt k = 0; k < name.string_len; ++k)
        if (name.string[k] < 0x80) ascii += static_cast<char>(name.string[k]);
      add(ascii);
    }
  }
  return names;
}

FaceLibrary::FaceLibrary() = default;
FaceLibrary::~FaceLibrary() = default;

bool FaceLibrary::AddFontData(std::span<const unsigned char> data, std::shared_ptr<const void> owner,
                              std::string origin) {
  if (data.empty()) return false;
  const SharedFreeTypeLibrary freetype = NewFreeTypeLibrary();
  FaceSource source{data, std::move(owner), std::move(origin), 0};
  auto first = OpenFace(freetype, source);
  if (!first) return false;
  const FT_Long faceCount = std::max<FT_Long>(1, first->face->num_faces);
  for (FT_Long index = 0; index < faceCount; ++index) {
    source.index = static_cast<std::int32_t>(index);
    const std::string key = source.Key();
    const bool known = std::any_of(own_.begin(), own_.end(),
                                   [&key](const OwnFace& f) { return f.source.Key() == key; });
    if (known) continue;
    auto opened = index == 0 ? std::move(first) : OpenFace(freetype, source);
    if (!opened) continue;
    const FT_Face face = opened->face.get();
    OwnFace entry{source, FaceFamilyNames(face), (face->style_flags & FT_STYLE_FLAG_BOLD) != 0,
                  (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0};
    if (!entry.familyNames.empty()) own_.push_back(std::move(entry));
  }
  return true;
}

void FaceLibrary::MatchWithFontconfig(std::string_view utf8Family, bool bold, bool italic) {
  Matched(MatchKey(utf8Family, bold, italic), utf8Family, bold, italic);
}

bool FaceLibrary::HasFamily(std::string_view utf8Family) const {
  return std::any_of(own_.begin(), own_.end(), [&](const OwnFace& face) {
    return std::any_of(face.familyNames.begin(), face.familyNames.end(),
                       [&](const std::string& name) { return EqualIgnoringAsciiCase(name, utf8Family); });
  });
}

std::optional<FoundFace> FaceLibrary::Find(std::string_view utf8Family, bool bold, bool italic) const {
  const OwnFace* best = nullptr;
  int bestScore = 0;
  if (!utf8Family.empty()) {
    for (const OwnFace& face : own_) {
      const bool named = std::any_of(face.familyNames.begin(), face.familyNames.end(),
                                     [&](const std::string& n) { return EqualIgnoringAsciiCase(n, utf8Family); });
      if (!named) continue;
      const int score = (face.bold == bold ? 0 : 2) + (face.italic == italic ? 0 : 1);
      if (best == nullptr || score < bestScore) {
        best = &face;
        bestScore = score;
      }
    }
  }
  if (best != nullptr) return FoundFace{best->source, true};
  return Matched(MatchKey(utf8Family, bold, italic), utf8Family, bold, italic);
}

std::optional<FoundFace> FaceLibrary::Matched(const std::string& key, std::string_view utf8Family,
                                              bool bold, bool italic) const {
  {
    const std::lock_guard<std::mutex> guard(matchedLock_);
    if (auto found = matched_.find(key); found != matched_.end()) return found->second;
  }
  std::optional<FoundFace> match;
  {
    const std::lock_guard<std::mutex> guard(FontconfigLock());
    match = AskFontconfig(utf8Family, bold, italic);
  }
  const std::lock_guard<std::mutex> guard(matchedLock_);
  return matched_.emplace(key, std::move(match)).first->second;
}
