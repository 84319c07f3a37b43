#pragma once
// Owning handles for fontconfig objects.
#include <fontconfig/fontconfig.h>

#include <memory>

struct FcPatternDeleter {
  void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};
struct FcFontSetDeleter {
  void operator()(FcFontSet* set) const noexcept { FcFontSetDestroy(set); }
};

using OwnedFcPattern = std::unique_ptr<FcPattern, FcPatternDeleter>;
using OwnedFcFontSet = std::unique_ptr<FcFontSet, FcFontSetDeleter>;
