#pragma once
// The faces this program has registered itself. SetFont looks a family name up here first and
// asks fontconfig only for names not found here.
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Registers the font held in `fontData`, under the family name the font itself gives (name
// record 1). The bytes are not copied: they must stay alive for the rest of the run (embedded
// data does). False when the data is not a font FreeType can open.
bool RegisterFaceData(std::span<const unsigned char> fontData);

// Registers a copy of a font file's bytes, which the registry keeps for the rest of the run, so
// the file itself is never mapped and may change or vanish without harm. With an `origin` (the
// file's path) the file is also added to fontconfig's application fonts, which reads it once
// there and then. False when the bytes are not a font FreeType can open.
bool RegisterFaceCopy(std::vector<unsigned char> fontData, const std::string& origin = {});

// Whether a face of that family (GBK or ASCII name) is in this registry.
bool IsFaceRegistered(std::string_view familyName);
