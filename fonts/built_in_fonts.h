#pragma once
// The two built-in faces, "lumivale_cu" (heavy) and "lumivale_xi" (light).
#include <span>
#include <string_view>

struct BuiltInFont {
  std::string_view familyName;  // the face name drawing asks for
  std::string_view fileName;    // the file name in the documents folder
  std::span<const unsigned char> data;
};

BuiltInFont HeavyBuiltInFont();  // lumivale_cu
BuiltInFont FineBuiltInFont();   // lumivale_xi
