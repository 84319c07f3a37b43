#pragma once
// Face libraries and font caches for tests, made the way the program makes them: a library of
// font data, fontconfig for every other name, and a cache over it for the surfaces of a test.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "assets/embedded_assets.h"
#include "compose/face_library.h"
#include "compose/font_cache.h"
#include "tests/file_helpers.h"

namespace test_faces {

inline const std::string kRobotoDir = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/";

// A library holding the font files at these paths, read into memory, as its own faces.
inline std::shared_ptr<FaceLibrary> LibraryOfFiles(std::initializer_list<std::string> paths) {
  auto library = std::make_shared<FaceLibrary>();
  for (const std::string& path : paths) {
    auto bytes = std::make_shared<const std::vector<unsigned char>>(file_helpers::ReadBytes(path));
    library->AddFontData(*bytes, bytes, path);
  }
  return library;
}

// A library holding the two built-in faces, from the program's own copies.
inline std::shared_ptr<FaceLibrary> BuiltInLibrary() {
  auto library = std::make_shared<FaceLibrary>();
  library->AddFontData(FontCuData());
  library->AddFontData(FontXiData());
  return library;
}

inline std::shared_ptr<FontCache> CacheOf(std::shared_ptr<const FaceLibrary> library) {
  return std::make_shared<FontCache>(std::move(library));
}

// Roboto Regular as the library's own face, for the surface tests.
inline std::shared_ptr<FontCache> RobotoFonts() {
  static const auto fonts = CacheOf(LibraryOfFiles({kRobotoDir + "Roboto-Regular.ttf"}));
  return fonts;
}

inline std::shared_ptr<FontCache> BuiltInFonts() {
  static const auto fonts = CacheOf(BuiltInLibrary());
  return fonts;
}

}  // namespace test_faces
