#pragma once
#include <cstdint>

// A colour: red in the low byte, then green, then blue; the top byte is 0.
using Colour = std::uint32_t;

constexpr Colour Rgb(unsigned red, unsigned green, unsigned blue) {
  return (red & 0xFFu) + (green & 0xFFu) * 256u + (blue & 0xFFu) * 65536u;
}
constexpr unsigned RedOf(Colour c) { return c & 0xFFu; }
constexpr unsigned GreenOf(Colour c) { return (c >> 8) & 0xFFu; }
constexpr unsigned BlueOf(Colour c) { return (c >> 16) & 0xFFu; }

// Not a colour: as a background colour it stands for the button-face grey,
// as a text background for "transparent".
constexpr Colour kSystemColourMarker = 0xFF000000u;
constexpr Colour kButtonFaceColour = Rgb(240, 240, 240);
