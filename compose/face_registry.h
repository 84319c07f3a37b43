#pragma once
// The faces this program has registered itself. SetFont looks a family name up here first and
// asks fontconfig only for names not found here.
#include <span>
#include <string>
#include <string_view>

// Registers the font held in `fontData`, under the family name the font itself gives (name
// record 1). The bytes are not copied: they must stay alive for the rest of the run (embedded
// data does). False when the data is not a font FreeType can open.
bool RegisterFaceData(std::span<const unsigned char> fontData);

// Registers the font file at `path` in this registry and with fontconfig's application fonts,
// so that the family is found by name for the rest of the run. False when the file cannot be
// read or is not a font.
bool RegisterFaceFile(const std::string& path);

// Whether a face of that family (GBK or ASCII name) is in this registry.
bool IsFaceRegistered(std::string_view familyName);
