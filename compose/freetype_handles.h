#pragma once
// Owning handles for FreeType objects. Every face keeps the library it was opened from alive,
// so faces held in long-lived caches or surfaces can be released in any order at exit.
#include <ft2build.h>
#include <freetype/freetype.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

using SharedFreeTypeLibrary = std::shared_ptr<FT_LibraryRec_>;

// The process's FreeType library, created on first use. Null when FreeType cannot start.
SharedFreeTypeLibrary FreeTypeLibrary();

struct FreeTypeFaceDeleter {
  void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};

struct OwnedFace {
  SharedFreeTypeLibrary library;  // declared first: released after the face
  std::unique_ptr<FT_FaceRec_, FreeTypeFaceDeleter> face;
};

// Where a face's bytes are: font data in memory, or a file. Data is opened in preference to the
// path; with data, `path` only tells where the bytes were read from.
struct FaceSource {
  std::span<const unsigned char> data;
  std::shared_ptr<const std::vector<unsigned char>> ownedData;  // keeps `data` alive, if not static
  std::string path;
  std::int32_t index = 0;  // the face inside a collection (.ttc)

  // Identifies the source in caches.
  std::string Key() const;
};

std::optional<OwnedFace> OpenFace(const FaceSource& source);
