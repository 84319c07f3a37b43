#include "compose/freetype_handles.h"

#include <cstdint>

SharedFreeTypeLibrary FreeTypeLibrary() {
  static const SharedFreeTypeLibrary library = []() -> SharedFreeTypeLibrary {
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) return nullptr;
    return SharedFreeTypeLibrary(raw, [](FT_Library lib) { FT_Done_FreeType(lib); });
  }();
  return library;
}

std::string FaceSource::Key() const {
  if (data.empty()) return "file:" + path + "#" + std::to_string(index);
  // A copy of a file is known by the file: registering it again adds nothing.
  if (!path.empty()) return "copy:" + path + "#" + std::to_string(index);
  return "data:" + std::to_string(reinterpret_cast<std::uintptr_t>(data.data())) + ":" +
         std::to_string(data.size()) + "#" + std::to_string(index);
}

std::optional<OwnedFace> OpenFace(const FaceSource& source) {
  OwnedFace owned{FreeTypeLibrary(), nullptr};
  if (!owned.library) return std::nullopt;
  FT_Face raw = nullptr;
  FT_Error error;
  if (!source.data.empty()) {
    error = FT_New_Memory_Face(owned.library.get(), source.data.data(),
                               static_cast<FT_Long>(source.data.size()), source.index, &raw);
  } else {
    if (source.path.empty()) return std::nullopt;
    error = FT_New_Face(owned.library.get(), source.path.c_str(), source.index, &raw);
  }
  if (error != 0 || raw == nullptr) return std::nullopt;
  owned.face.reset(raw);
  return owned;
}
