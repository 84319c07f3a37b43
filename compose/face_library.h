#pragma once
// The faces renders draw with: the program's own, added as font data, and fontconfig's match
// for every other family name. A library is filled first and then shared as read-only data:
// any number of renders, on any threads, may look faces up in one library at once.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/freetype_handles.h"

struct FoundFace {
  FaceSource source;
  bool own = false;  // one of the library's own faces, not fontconfig's match
};

class FaceLibrary {
 public:
  FaceLibrary();
  ~FaceLibrary();
  FaceLibrary(const FaceLibrary&) = delete;
  FaceLibrary& operator=(const FaceLibrary&) = delete;

  // Adds every face the font data holds (several in a collection), under the family names each
  // gives itself. `owner` keeps the bytes alive (null for data that is never freed); `origin`
  // tells where they were read from. False when FreeType cannot open them.
  bool AddFontData(std::span<const unsigned char> data, std::shared_ptr<const void> owner = {},
                   std::string origin = {});

  // Asks fontconfig now for its face for the family in that style, so that looking it up later
  // asks nothing.
  void MatchWithFontconfig(std::string_view utf8Family, bool bold, bool italic);

  // Whether one of the library's own faces has that family name (UTF-8, ASCII case ignored).
  bool HasFamily(std::string_view utf8Family) const;

  // The face for a family name (UTF-8): of the library's own faces of that family the one whose
  // style comes closest, else fontconfig's match (asked once for each name and style, under
  // fontconfig's lock). An empty name asks fontconfig for its default choice.
  std::optional<FoundFace> Find(std::string_view utf8Family, bool bold, bool italic) const;

 private:
  struct OwnFace {
    FaceSource source;
    std::vector<std::string> familyNames;  // UTF-8, every family name record
    bool bold = false;
    bool italic = false;
  };

  std::optional<FoundFace> Matched(const std::string& key, std::string_view utf8Family, bool bold,
                                   bool italic) const;

  std::vector<OwnFace> own_;
  mutable std::mutex matchedLock_;
  mutable std::map<std::string, std::optional<FoundFace>> matched_;
};

// Every family name a face gives itself (UTF-8): name record 1 in every platform and language
// it carries, plus the name FreeType reports.
std::vector<std::string> FaceFamilyNames(FT_Face face);
