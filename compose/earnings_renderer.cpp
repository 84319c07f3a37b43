#include "compose/earnings_renderer.h"

#include <cmath>

#include "assets/embedded_assets.h"
#include "compose/amount_text.h"

namespace {

constexpr Colour kClockColour = Rgb(255, 227, 209);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kBodyColour = Rgb(51, 51, 51);
constexpr const char* kWordFaceName = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA";  // 微软雅黑

constexpr std::int32_t kSurfaceWidth = 1080;
constexpr std::int32_t kIntegerSize = 45;
constexpr std::int32_t kFractionSize = 28;
constexpr std::int32_t kSettledFractionSize = 31;

// Positions are computed in double precision, truncated toward zero to 64 bits, and the low
// 32 bits are kept: so -1.5 becomes -1, not -2.
std::int32_t Truncate(double value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(
      static_cast<std::uint64_t>(static_cast<std::int64_t>(std::trunc(value)))));
}

// Integer sums wrap to 32 bits the same way.
std::int32_t Wrap(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

void SetSizeAndBold(FontRecord& record, std::int32_t size, bool bold) {
  record.size = size;
  record.bold = bold;
}

std::string WithPoint(const std::string& fractionPart) { return "." + fractionPart; }

// Both surfaces take the heavy face at size 45, bold, and the amount is cut at its point.
AmountPieces StartAmount(ProgramState& state, RenderSurfaces& surfaces, const std::string& text) {
  SetSizeAndBold(state.heavyFont, kIntegerSize, true);
  SetFont(surfaces.measuringSurface, state.heavyFont);
  SetFont(surfaces.templateSurface, state.heavyFont);
  return SplitAmount(text);
}

// An amount at a fixed place: the integer part at (x, y) in the heavy face at size 45, bold,
// then "." and the fraction part at `fractionSize`, from where the integer part ends at size 45:
// the measuring surface keeps size 45 while the template surface takes the smaller one.
void DrawPlacedAmount(ProgramState& state, RenderSurfaces& surfaces, AmountPieces& pieces,
                      const std::string& text, std::int32_t x, std::int32_t y,
                      std::int32_t fractionY, std::int32_t fractionSize) {
  Canvas& t = surfaces.templateSurface;
  Canvas& m = surfaces.measuringSurface;
  pieces = StartAmount(state, surfaces, text);
  WriteAt(t, x, y, pieces.integerPart);
  state.heavyFont.size = fractionSize;
  SetFont(t, state.heavyFont);
  const std::int32_t width = TextWidth(m, pieces.integerPart);
  WriteAt(t, Wrap(std::int64_t{x} + width), fractionY, WithPoint(pieces.fractionPart));
}

// A monthly income: the sign, the integer part centred on signBase - 8, the fraction behind it.
std::int32_t DrawMonthlyIncome(ProgramState& state, RenderSurfaces& surfaces,
                               AmountPieces& pieces, const std::string& text, double signBase) {
  Canvas& t = surfaces.templateSurface;
  Canvas& m = surfaces.measuringSurface;
  pieces = StartAmount(state, surfaces, text);
  const std::int32_t width = TextWidth(m, pieces.integerPart);
  const std::int32_t signX = Truncate(signBase - width / 2.0 - 38.0);
  CopyTo(surfaces.signSurface, t, signX, 586);
  WriteAt(t, Wrap(std::int64_t{signX} + 30), 556, pieces.integerPart);
  state.heavyFont.size = kFractionSize;
  SetFont(t, state.heavyFont);
  WriteAt(t, Wrap(std::int64_t{signX} + width + 30), 578, WithPoint(pieces.fractionPart));
  return signX;
}

}  // namespace

RenderSurfaces MakeRenderSurfaces() {
  CanvasSettings templateSettings;
  templateSettings.width = kSurfaceWidth;
  templateSettings.height = 1920;
  templateSettings.backgroundPng = TemplatePictureData();

  CanvasSettings measuringSettings;
  measuringSettings.width = 28;
  measuringSettings.height = 27;
  measuringSettings.keepsRaster = false;

  CanvasSettings signSettings;
  signSettings.width = 25;
  signSettings.height = 29;
  signSettings.backgroundPng = CurrencySignPictureData();

  return {MakeCanvas(templateSettings), MakeCanvas(measuringSettings), MakeCanvas(signSettings)};
}

std::string ComposeEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                                  const ScreenInputs& inputs) {
  Canvas& t = surfaces.templateSurface;
  Canvas& m = surfaces.measuringSurface;

  Clear(t);
  std::string clock = NormaliseClockText(inputs.clock);

  // The clock ends 24 px from the right edge; the word starts 72 px left of the clock. Both
  // use the clock's width, measured while the measuring surface holds the clock's font.
  SetSizeAndBold(state.fineFont, 25, false);
  SetFont(m, state.fineFont);
  SetFont(t, state.fineFont);
  SetTextColor(t, kClockColour);
  const std::int32_t clockWidth = TextWidth(m, clock);
  WriteAt(t, Wrap(std::int64_t{kSurfaceWidth} - clockWidth - 24), 18, clock);

  state.wordFont.faceName = kWordFaceName;
  SetSizeAndBold(state.wordFont, 25, false);
  SetFont(t, state.wordFont);
  WriteAt(t, Wrap(std::int64_t{kSurfaceWidth} - clockWidth - 96), 14, inputs.word);

  SetTextColor(t, kWhite);
  DrawPlacedAmount(state, surfaces, state.balancePieces, inputs.balance, 132, 354, 376,
                   kFractionSize);

  SetTextColor(t, kBodyColour);
  state.thisMonthSignX =
      DrawMonthlyIncome(state, surfaces, state.thisMonthPieces, inputs.thisMonth, 270.0);
  state.lastMonthSignX =
      DrawMonthlyIncome(state, surfaces, state.lastMonthPieces, inputs.lastMonth, 810.0);

  DrawPlacedAmount(state, surfaces, state.settledPieces, inputs.settled, 400, 969, 987,
                   kSettledFractionSize);

  SetSizeAndBold(state.fineFont, 32, false);
  SetFont(t, state.fineFont);
  WriteAt(t, 96, 1144, inputs.clicks);
  WriteAt(t, 424, 1144, inputs.payments);
  WriteAt(t, 794, 1144, inputs.transaction);
  return clock;
}

std::string RenderEarningsScreen(ProgramState& state, RenderSurfaces& surfaces,
                                 const ScreenInputs& inputs, std::vector<unsigned char>& picture) {
  std::string clock = ComposeEarningsScreen(state, surfaces, inputs);
  GetPictureInto(surfaces.templateSurface, picture);
  return clock;
}
