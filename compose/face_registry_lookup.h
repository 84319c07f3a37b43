#pragma once
// The registry as the font lookup of the surfaces sees it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/freetype_handles.h"

struct RegisteredFaceMatch {
  FaceSource source;
  std::string familyName;  // UTF-8, as the face names itself
};

// The registered face of that family (UTF-8, compared without regard to ASCII case) whose style
// comes closest to the one asked for; nothing when no face of that family is registered.
std::optional<RegisteredFaceMatch> FindRegisteredFace(std::string_view utf8Family, bool bold,
                                                      bool italic);

// Every family name a face gives itself (UTF-8): name record 1 in every platform and language
// it carries, plus the name FreeType reports.
std::vector<std::string> FaceFamilyNames(FT_Face face);

// Goes up with every registration, so that cached name lookups can tell they are out of date.
std::uint64_t FaceRegistryGeneration();
