#pragma once
// Owning handles for fontconfig objects, and the one lock every fontconfig call is made under:
// fontconfig's configuration is the process's, whichever render or thread asks.
#include <fontconfig/fontconfig.h>

#include <memory>
#include <mutex>

struct FcPatternDeleter {
  void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};

using OwnedFcPattern = std::unique_ptr<FcPattern, FcPatternDeleter>;

std::mutex& FontconfigLock();
