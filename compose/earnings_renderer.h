#pragma once
// Composes the earnings picture: the template with the typed values drawn at their places.
#include <string>
#include <vector>

#include "compose/canvas.h"
#include "compose/program_state.h"

// The nine inputs of a render, as GBK texts, exactly as the controls hold them.
struct ScreenInputs {
  std::string clock = "10:23";
  std::string word = "\xC9\xCF\xCE\xE7";  // 上午
  std::string balance = "5.00";
  std::string thisMonth = "5.00";
  std::string lastMonth = "5.00";
  std::string settled = "5.00";
  std::string clicks = "0";
  std::string payments = "0";
  std::string transaction = "5.00";
};

// The three surfaces a render works on.
struct RenderSurfaces {
  Canvas templateSurface;   // 1080 x 1920, background: the template picture
  Canvas measuringSurface;  // 28 x 27, no raster: only measured on
  Canvas signSurface;       // 25 x 29, background: the currency sign
};

RenderSurfaces MakeRenderSurfaces();

// Renders the picture into `picture` (the bytes of a 24-bit BMP file; its memory is reused)
// and returns the clock text after its full-width colons were replaced.
std::string RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                                 const ScreenInputs& inputs, std::vector<unsigned char>& picture);

// The same without the BMP file: the picture stays on the template surface's raster.
std::string ComposeEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                                  const ScreenInputs& inputs);
