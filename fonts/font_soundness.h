#pragma once
// Whether a font file found in the documents folder can stand in for a built-in face.
#include <span>
#include <string>

#include "fonts/built_in_fonts.h"

// Empty when `candidate` is sound for everything the picture draws with `font`: FreeType opens
// it, one of its family names is the built-in face's, and glyph 0 and the glyph of every
// character the built-in face maps load as outlines with ink and advances of at most two ems.
// Otherwise a short English reason. A file with intact names but damaged glyphs would otherwise
// make every figure vanish, or pile them up.
std::string WhyUnfitFor(std::span<const unsigned char> candidate, const BuiltInFont& font);
