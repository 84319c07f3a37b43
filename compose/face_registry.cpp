#include "compose/face_registry.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <vector>

#include <freetype/ftsnames.h>
#include <freetype/ttnameid.h>

#include "compose/face_registry_lookup.h"
#include "compose/gbk_text.h"

namespace {

struct RegisteredFace {
  FaceSource source;
  std::vector<std::string> familyNames;  // UTF-8: every family name record, in every language
  std::string primaryFamily;
  bool bold = false;
  bool italic = false;
};

struct Registry {
  std::vector<RegisteredFace> faces;
  std::uint64_t generation = 0;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameFamily(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

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

// Registers every face that `source` holds (one, or several in a collection). False when its
// first face cannot be opened.
bool RegisterSource(FaceSource source) {
  auto first = OpenFace(source);
  if (!first) return false;
  Registry& registry = TheRegistry();
  const FT_Long faceCount = std::max<FT_Long>(1, first->face->num_faces);
  for (FT_Long index = 0; index < faceCount; ++index) {
    source.index = static_cast<std::int32_t>(index);
    const std::string key = source.Key();
    const bool known = std::any_of(registry.faces.begin(), registry.faces.end(),
                                   [&key](const RegisteredFace& f) { return f.source.Key() == key; });
    if (known) continue;
    auto opened = index == 0 ? std::move(first) : OpenFace(source);
    if (!opened) continue;
    const FT_Face face = opened->face.get();
    RegisteredFace entry;
    entry.source = source;
    entry.familyNames = FaceFamilyNames(face);
    entry.primaryFamily = entry.familyNames.empty() ? std::string() : entry.familyNames.front();
    entry.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    entry.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    if (!entry.familyNames.empty()) registry.faces.push_back(std::move(entry));
  }
  ++registry.generation;
  return true;
}

}  // namespace

// Name record 1 (the family) in every platform and language the font carries, plus the name
// FreeType reports.
std::vector<std::string> FaceFamilyNames(FT_Face face) {
  std::vector<std::string> names;
  auto add = [&names](std::string name) {
    if (name.empty()) return;
    for (const auto& known : names)
      if (SameFamily(known, name)) return;
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

bool RegisterFaceData(std::span<const unsigned char> fontData) {
  if (fontData.empty()) return false;
  FaceSource source;
  source.data = fontData;
  return RegisterSource(std::move(source));
}

bool RegisterFaceCopy(std::vector<unsigned char> fontData, const std::string& origin) {
  if (fontData.empty()) return false;
  FaceSource source;
  source.ownedData = std::make_shared<const std::vector<unsigned char>>(std::move(fontData));
  source.data = *source.ownedData;
  source.path = origin;
  if (!RegisterSource(std::move(source))) return false;
  if (!origin.empty())
    FcConfigAppFontAddFile(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(origin.c_str()));
  return true;
}

bool IsFaceRegistered(std::string_view familyName) {
  return FindRegisteredFace(GbkToUtf8(familyName), false, false).has_value();
}

std::optional<RegisteredFaceMatch> FindRegisteredFace(std::string_view utf8Family, bool bold,
                                                      bool italic) {
  const RegisteredFace* best = nullptr;
  int bestScore = 0;
  for (const auto& face : TheRegistry().faces) {
    const bool named = std::any_of(face.familyNames.begin(), face.familyNames.end(),
                                   [&](const std::string& n) { return SameFamily(n, utf8Family); });
    if (!named) continue;
    const int score = (face.bold == bold ? 0 : 2) + (face.italic == italic ? 0 : 1);
    if (best == nullptr || score < bestScore) {
      best = &face;
      bestScore = score;
    }
  }
  if (best == nullptr) return std::nullopt;
  return RegisteredFaceMatch{best->source, best->primaryFamily};
}

std::uint64_t FaceRegistryGeneration() { return TheRegistry().generation; }
