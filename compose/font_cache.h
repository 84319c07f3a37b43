#pragma once
// What one render context has opened of a face library: faces at their sizes and the glyphs
// they have rendered, so that applying a record again opens nothing and renders nothing twice.
// A cache belongs to one thread at a time (FreeType's rule for an instance and its faces); each
// render context, with its surfaces, has its own, over a library they may all share.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "compose/face_library.h"
#include "compose/font_record.h"
#include "compose/freetype_handles.h"

class CanvasFont;
struct SizedFace;

class FontCache {
 public:
  explicit FontCache(std::shared_ptr<const FaceLibrary> library);
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // The font a record describes, shared with every surface that applied the same values. When no
  // face can be had for it, the default UI font; null only when there is no font at all.
  std::shared_ptr<const CanvasFont> FontFor(const FontRecord& record);

  // The font of a surface before its first SetFont: fontconfig's sans-serif for Chinese, 12 px.
  std::shared_ptr<const CanvasFont> DefaultUiFont();

  const FaceLibrary& Library() const { return *library_; }

 private:
  struct Request;
  std::shared_ptr<const CanvasFont> Build(const Request& request);
  std::shared_ptr<SizedFace> SizedFaceFor(const FaceSource& source, std::int32_t em);

  std::shared_ptr<const FaceLibrary> library_;
  SharedFreeTypeLibrary freetype_;
  std::unordered_map<std::string, std::shared_ptr<const CanvasFont>> byRecord_;
  std::unordered_map<std::string, std::shared_ptr<SizedFace>> sizedFaces_;
  std::shared_ptr<const CanvasFont> defaultUiFont_;
  bool defaultUiFontTried_ = false;
};
