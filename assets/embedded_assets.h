#pragma once
// The data the program carries inside itself: the two built-in fonts and the pictures.
#include <span>

std::span<const unsigned char> FontCuData();          // lumivale_cu.ttf
std::span<const unsigned char> FontXiData();          // lumivale_xi.ttf
std::span<const unsigned char> TemplatePictureData(); // template.png, 1080 x 1920
std::span<const unsigned char> CurrencySignPictureData(); // currency_sign.png, 25 x 29
std::span<const unsigned char> ProgramIconData();     // icon.png, 128 x 128
