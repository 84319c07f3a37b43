#pragma once
// Composes the earnings picture: the template with the typed values drawn at their places, as
// the screen's description lays them out.
#include <memory>
#include <vector>

#include "compose/canvas.h"
#include "compose/earnings_screen.h"
#include "compose/program_state.h"
#include "compose/screen_inputs.h"

class FaceLibrary;
class FontCache;

// The three surfaces a render works on, with the fonts they share. Each render context (the
// window, a worker of a batch) has its own; they may share one face library.
struct RenderSurfaces {
  std::shared_ptr<FontCache> fonts;
  Canvas templateSurface;   // the picture's size, background: the template picture
  Canvas measuringSurface;  // 28 x 27, no raster: only measured on
  Canvas signSurface;       // the sign's size, background: the currency sign
};

// The screen's two pictures decoded once, to be shared by the surfaces of many render contexts
// (the workers of a batch) instead of each decoding its own.
struct ScreenPictures {
  std::shared_ptr<const RgbPicture> templatePicture;
  std::shared_ptr<const RgbPicture> signPicture;
};
ScreenPictures DecodeScreenPictures(const ScreenDescription& screen = EarningsScreen());

RenderSurfaces MakeRenderSurfaces(std::shared_ptr<const FaceLibrary> faces,
                                  const ScreenDescription& screen = EarningsScreen());
RenderSurfaces MakeRenderSurfaces(std::shared_ptr<const FaceLibrary> faces,
                                  const ScreenPictures& pictures,
                                  const ScreenDescription& screen = EarningsScreen());

// Gives the surfaces fonts from another library (the window makes its surfaces before the
// faces are known); no font applied so far stays.
void UseFaces(RenderSurfaces& surfaces, std::shared_ptr<const FaceLibrary> faces);

// Draws `inputs` exactly as they are (NormaliseScreenInputs first for what the user typed) on
// the template surface, which is cleared to the template first. The state's records keep the
// last face values and its pieces and sign positions what this render cut and placed.
void ComposeEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                           const ScreenInputs& inputs);

// The same, then the picture as the bytes of a 24-bit BMP file in `picture`, reusing its memory.
void RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                          const ScreenInputs& inputs, std::vector<unsigned char>& picture);
void RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                          const ScreenInputs& inputs, PictureBytes& picture);
