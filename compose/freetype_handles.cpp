#include "compose/freetype_handles.h"

#include <cstdint>

SharedFreeTypeLibrary NewFreeTypeLibrary() {
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) return nullptr;
  return SharedFreeTypeLibrary(raw, [](FT_Library library) { FT_Done_FreeType(library); });
}

std::string FaceSource::Key() const {
  if (data.empty()) return "file:" + path + "#" + std::to_string(index);
  // A copy of a file is known by the file: adding it again adds nothing.
  if (!path.empty()) return "copy:" + path + "#" + std::to_string(index);
  return "data:" + std::to_string(reinterpret_cast<std::uintptr_t>(data.data())) + ":" +
         std::to_string(data.size()) + "#" + std::to_string(index);
}

std::optional<OwnedFace> OpenFace(const SharedFreeTypeLibrary& library, const FaceSource& source) {
  if (!library) return std::nullopt;
  OwnedFace owned{library, source.owner, nullptr};
  FT_Face raw = nullptr;
  FT_Error error;
  if (!source.data.empty()) {
    error = FT_New_Memory_Face(library.get(), source.data.data(),
                               static_cast<FT_Long>(source.data.size()), source.index, &raw);
  } else {
    if (source.path.empty()) return std::nullopt;
    error = FT_New_Face(library.get(), source.path.c_str(), source.index, &raw);
  }
  if (error != 0 || raw == nullptr) return std::nullopt;
  owned.face.reset(raw);
  return owned;
}
