#pragma once
// Owning handles for FreeType objects. Every face keeps the FreeType instance it was opened from
// alive, so faces held in caches or surfaces can be released in any order.
#include <ft2build.h>
#include <freetype/freetype.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// A FreeType instance of its own: FreeType allows one thread at a time in an instance and its
// faces, so every render context opens its faces in an instance it does not share.
using SharedFreeTypeLibrary = std::shared_ptr<FT_LibraryRec_>;

// A new instance; null when FreeType cannot start.
SharedFreeTypeLibrary NewFreeTypeLibrary();

struct FreeTypeFaceDeleter {
  void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};

// Where a face's bytes are: font data in memory, or a file. Data is opened in preference to the
// path; with data, `path` only tells where the bytes were read from.
struct FaceSource {
  std::span<const unsigned char> data;
  std::shared_ptr<const void> owner;  // keeps `data` alive; null for data that is never freed
  std::string path;
  std::int32_t index = 0;  // the face inside a collection (.ttc)

  // Identifies the source in caches.
  std::string Key() const;
};

struct OwnedFace {
  SharedFreeTypeLibrary library;      // declared first: released after the face
  std::shared_ptr<const void> bytes;  // the data a face opened from memory reads
  std::unique_ptr<FT_FaceRec_, FreeTypeFaceDeleter> face;
};

// Opens the face in `library`; nothing when it cannot be opened.
std::optional<OwnedFace> OpenFace(const SharedFreeTypeLibrary& library, const FaceSource& source);
