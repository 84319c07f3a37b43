// The earnings picture is checked by where its ink lands: a pixel is ink when the render
// changed it, and each element's ink is compared with the same text drawn alone on a scratch
// surface, so the tests follow the fonts' own bearings instead of fixed pixel counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "compose/canvas.h"
#include "compose/canvas_font.h"
#include "compose/earnings_renderer.h"
#include "compose/font_cache.h"
#include "compose/screen_inputs.h"
#include "fonts/font_provisioning.h"

namespace {

using Raster = PictureBytes;

constexpr std::int32_t kWidth = 1080;
constexpr std::int32_t kHeight = 1920;
constexpr Colour kClockColour = Rgb(255, 227, 209);
constexpr Colour kWhite = Rgb(255, 255, 255);
constexpr Colour kBodyColour = Rgb(51, 51, 51);

const char* const kHeavyFace = "lumivale_cu";
const char* const kFineFace = "lumivale_xi";
const char* const kYaHeiGbk = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA";  // 微软雅黑
const char* const kShangWuGbk = "\xC9\xCF\xCE\xE7";               // 上午
const char* const kXiaWuGbk = "\xCF\xC2\xCE\xE7";                 // 下午
const char* const kWanShangGbk = "\xCD\xED\xC9\xCF";              // 晚上

// A rectangle of pixels; right and bottom are exclusive.
struct Box {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t Height() const { return bottom - top; }
  bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << "[" << box.left << ", " << box.top << ") - [" << box.right << ", " << box.bottom
             << ")";
}

Box Shifted(const Box& box, std::int32_t dx, std::int32_t dy) {
  return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

Box ClippedToPicture(const Box& box) {
  return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, kWidth),
          std::min(box.bottom, kHeight)};
}

Colour RasterPixel(const Raster& raster, std::int32_t width, std::int32_t x, std::int32_t y) {
  const std::size_t offset = (static_cast<std::size_t>(y) * width + x) * 3;
  return Rgb(raster[offset], raster[offset + 1], raster[offset + 2]);
}

// The bounds of the pixels in `region` where two rasters of the picture's size differ.
std::optional<Box> ChangedBox(const Raster& a, const Raster& b, const Box& region) {
  std::optional<Box> found;
  const Box r = ClippedToPicture(region);
  for (std::int32_t y = r.top; y < r.bottom; ++y)
    for (std::int32_t x = r.left; x < r.right; ++x) {
      if (RasterPixel(a, kWidth, x, y) == RasterPixel(b, kWidth, x, y)) continue;
      if (!found) {
        found = Box{x, y, x + 1, y + 1};
        continue;
      }
      found->left = std::min(found->left, x);
      found->right = std::max(found->right, x + 1);
      found->bottom = y + 1;
    }
  return found;
}

FontRecord Record(const char* face, std::int32_t size, bool bold) {
  FontRecord record;
  record.faceName = face;
  record.size = size;
  record.bold = bold;
  return record;
}

FontRecord Heavy(std::int32_t size) { return Record(kHeavyFace, size, true); }
FontRecord Fine(std::int32_t size) { return Record(kFineFace, size, false); }
FontRecord Word() { return Record(kYaHeiGbk, 25, false); }

// The faces as the program gives them to a render: the built-in ones and fontconfig's match
// for the word's face.
std::shared_ptr<const FaceLibrary> Faces() {
  static const std::shared_ptr<const FaceLibrary> faces = [] {
    ProgramState state;
    return UseBuiltInFaces(state);
  }();
  return faces;
}

// The fonts of the test's own scratch surfaces, over the same faces.
std::shared_ptr<FontCache> ScratchFonts() {
  static const auto fonts = std::make_shared<FontCache>(Faces());
  return fonts;
}

std::int32_t Width(const FontRecord& record, const std::string& text) {
  Canvas measuring = MakeCanvas({.width = 28, .height = 27, .keepsRaster = false}, ScratchFonts());
  SetFont(measuring, record);
  return TextWidth(measuring, text);
}

std::int32_t CellHeight(const FontRecord& record) {
  Canvas canvas = MakeCanvas({.width = 1, .height = 1, .keepsRaster = false}, ScratchFonts());
  SetFont(canvas, record);
  return DescribeFont(canvas).cellHeight;
}

// Where the ink of `text` lies relative to the top-left corner of its cell: drawn in white on
// black, every pixel a glyph covers at all changes, as it does over the template (each element
// differs from the template behind it by more than half the range in some channel).
std::optional<Box> InkOfText(const FontRecord& record, const std::string& text) {
  constexpr std::int32_t kOriginX = 200, kOriginY = 60;
  const CanvasSettings settings{.width = 2000, .height = 240, .backgroundColour = Rgb(0, 0, 0)};
  Canvas scratch = MakeCanvas(settings, ScratchFonts());
  SetFont(scratch, record);
  SetTextColor(scratch, kWhite);
  WriteAt(scratch, kOriginX, kOriginY, text);
  std::optional<Box> found;
  for (std::int32_t y = 0; y < settings.height; ++y)
    for (std::int32_t x = 0; x < settings.width; ++x) {
      if (RasterPixel(scratch.raster, settings.width, x, y) == 0) continue;
      const Box pixel{x - kOriginX, y - kOriginY, x - kOriginX + 1, y - kOriginY + 1};
      if (!found) {
        found = pixel;
        continue;
      }
      found->left = std::min(found->left, pixel.left);
      found->right = std::max(found->right, pixel.right);
      found->bottom = pixel.bottom;
    }
  return found;
}

// The ink `text` makes when its cell starts at (x, y), clipped to the picture.
std::optional<Box> ExpectedInk(const FontRecord& record, const std::string& text, std::int32_t x,
                               std::int32_t y) {
  const std::optional<Box> ink = InkOfText(record, text);
  if (!ink) return std::nullopt;
  return ClippedToPicture(Shifted(*ink, x, y));
}

ScreenInputs BlankInputs() {
  ScreenInputs inputs;
  for (std::size_t field = 0; field < inputs.Texts().size(); ++field) inputs.Set(field, "");
  return inputs;
}

ProgramState FreshState() {
  ProgramState state;
  state.heavyFont.faceName = kHeavyFace;
  state.fineFont.faceName = kFineFace;
  return state;
}

const Raster& TemplateRaster() {
  static const Raster raster = MakeRenderSurfaces(Faces()).templateSurface.raster;
  return raster;
}

class EarningsRendererTest : public testing::Test {
 protected:
  Raster Render(const ScreenInputs& inputs) {
    RenderEarningsScreen(state_, surfaces_, inputs, picture_);
    return surfaces_.templateSurface.raster;
  }

  ProgramState state_ = FreshState();
  RenderSurfaces surfaces_ = MakeRenderSurfaces(Faces());
  std::vector<unsigned char> picture_;
};

// The band of rows the top line (clock and word) may ink.
const Box kTopBand{0, 0, kWidth, 120};

TEST_F(EarningsRendererTest, ClockEndsAt1056WhateverItsLength) {
  const std::string longClock(60, '1');  // wider than 1056 pixels: it starts left of the picture
  for (const std::string clock : {"10:23", "110:23", "0", longClock.c_str()}) {
    SCOPED_TRACE(clock);
    ScreenInputs inputs = BlankInputs();
    inputs.Set("clock", clock);
    const std::optional<Box> ink = ChangedBox(Render(inputs), TemplateRaster(), kTopBand);
    ASSERT_TRUE(ink);
    EXPECT_EQ(*ink, ExpectedInk(Fine(25), clock, 1056 - Width(Fine(25), clock), 18));
    EXPECT_LE(ink->right, 1056);
  }
}

TEST_F(EarningsRendererTest, ALongerClockStartsFurtherLeftAndEndsAtTheSamePlace) {
  // Same first and last glyphs, so the same bearings at both ends.
  ScreenInputs inputs = BlankInputs();
  inputs.Set("clock", "10:23");
  const std::optional<Box> shorter = ChangedBox(Render(inputs), TemplateRaster(), kTopBand);
  inputs.Set("clock", "110:23");
  const std::optional<Box> longer = ChangedBox(Render(inputs), TemplateRaster(), kTopBand);
  ASSERT_TRUE(shorter && longer);
  EXPECT_EQ(longer->right, shorter->right);
  EXPECT_EQ(shorter->left - longer->left, Width(Fine(25), "110:23") - Width(Fine(25), "10:23"));
}

TEST_F(EarningsRendererTest, WordStarts72PixelsLeftOfTheClockWhateverTheWord) {
  for (const char* clock : {"10:23", "110:23"}) {
    const std::int32_t clockStart = kWidth - Width(Fine(25), clock) - 24;
    ScreenInputs withoutWord = BlankInputs();
    withoutWord.Set("clock", clock);
    const Raster clockOnly = Render(withoutWord);
    for (const char* word : {kShangWuGbk, kXiaWuGbk, kWanShangGbk, "x"}) {
      SCOPED_TRACE(std::string(clock) + " / " + word);
      ScreenInputs inputs = withoutWord;
      inputs.Set("word", word);
      const std::optional<Box> ink = ChangedBox(Render(inputs), clockOnly, kTopBand);
      ASSERT_TRUE(ink);
      EXPECT_EQ(*ink, ExpectedInk(Word(), word, clockStart - 72, 14));
    }
  }
}

// An amount element of the picture: where its integer part goes and how large its fraction is.
struct AmountElement {
  const char* name;
  const char* field;
  std::int32_t integerY;
  std::int32_t fractionY;
  std::int32_t fractionSize;
  Colour colour;
};

const AmountElement kAmountElements[] = {
    {"balance", "balance", 354, 376, 28, kWhite},
    {"this month", "this-month", 556, 578, 28, kBodyColour},
    {"last month", "last-month", 556, 578, 28, kBodyColour},
    {"settled", "settled", 969, 987, 31, kBodyColour},
};

// Where an element's integer part starts in the last render: fixed, or behind its sign.
std::int32_t IntegerX(const AmountElement& element, const ProgramState& state) {
  if (std::string_view(element.field) == "balance") return 132;
  if (std::string_view(element.field) == "settled") return 400;
  if (std::string_view(element.field) == "this-month") return state.thisMonthSignX + 30;
  return state.lastMonthSignX + 30;
}

// The horizontal span an element may ink: monthly incomes share their rows, so each is bounded
// by the signs (which are excluded, being pictures, not ink).
Box ElementBand(const AmountElement& element, const ProgramState& state) {
  const std::int32_t top = element.integerY - 10, bottom = element.integerY + 90;
  if (std::string_view(element.field) == "this-month")
    return {state.thisMonthSignX + 25, top, state.lastMonthSignX, bottom};
  if (std::string_view(element.field) == "last-month")
    return {state.lastMonthSignX + 25, top, kWidth, bottom};
  return {0, top, kWidth, bottom};
}

AmountPieces PiecesOf(const AmountElement& element, const ProgramState& state) {
  if (std::string_view(element.field) == "balance") return state.balancePieces;
  if (std::string_view(element.field) == "this-month") return state.thisMonthPieces;
  if (std::string_view(element.field) == "last-month") return state.lastMonthPieces;
  return state.settledPieces;
}

TEST_F(EarningsRendererTest, AmountsDrawTheIntegerPartLargeAndTheFractionBehindIt) {
  struct Case {
    const char* text;
    AmountPieces pieces;
  };
  const Case cases[] = {
      {"12.34", {"12", "34"}},
      {"1.2.3", {"1.2", "3"}},  // cut at the last point: "1.2" large, ".3" small
      {"5", {"", "5"}},         // no point: ".5" at the fraction position only
      {"", {"", ""}},           // a lone "."
      {"987.", {"987", ""}},
  };
  for (const Case& c : cases) {
    ScreenInputs inputs = BlankInputs();
    for (const AmountElement& element : kAmountElements) inputs.Set(element.field, c.text);
    const Raster picture = Render(inputs);
    for (const AmountElement& element : kAmountElements) {
      SCOPED_TRACE(std::string(element.name) + " \"" + c.text + "\"");
      const AmountPieces pieces = PiecesOf(element, state_);
      EXPECT_EQ(pieces, c.pieces);

      const std::int32_t integerX = IntegerX(element, state_);
      // Measured in the integer's font, not the fraction's.
      const std::int32_t fractionX = integerX + Width(Heavy(45), pieces.integerPart);
      const Box band = ElementBand(element, state_);
      const std::string fraction = "." + pieces.fractionPart;

      EXPECT_EQ(ChangedBox(picture, TemplateRaster(), {band.left, band.top, fractionX, band.bottom}),
                ExpectedInk(Heavy(45), pieces.integerPart, integerX, element.integerY));
      EXPECT_EQ(ChangedBox(picture, TemplateRaster(), {fractionX, band.top, band.right, band.bottom}),
                ExpectedInk(Heavy(element.fractionSize), fraction, fractionX, element.fractionY));
    }
  }
}

TEST_F(EarningsRendererTest, SettledFractionIsDrawnLargerThanTheOthers) {
  ScreenInputs inputs = BlankInputs();
  inputs.Set("balance", "5");
  inputs.Set("settled", "5");  // only the fraction ".5" is drawn
  const Raster picture = Render(inputs);
  const std::optional<Box> balance = ChangedBox(picture, TemplateRaster(), {0, 340, kWidth, 450});
  const std::optional<Box> settled = ChangedBox(picture, TemplateRaster(), {0, 950, kWidth, 1060});
  ASSERT_TRUE(balance && settled);
  EXPECT_EQ(balance->Height(), InkOfText(Heavy(28), ".5")->Height());
  EXPECT_EQ(settled->Height(), InkOfText(Heavy(31), ".5")->Height());
  EXPECT_GT(settled->Height(), balance->Height());
}

TEST_F(EarningsRendererTest, SignsAreCentredOnTheIntegerPartsTruncatingTowardZero) {
  struct Case {
    const char* amount;
    std::int32_t integerWidth;  // of the integer part, 45 bold: checked first
    std::int32_t thisMonthSignX;
    std::int32_t lastMonthSignX;
  };
  const Case cases[] = {
      {"5", 0, 232, 772},
      {"12.00", 68, 198, 738},
      {"1.2.3", 85, 189, 729},                       // 189.5 and 729.5
      {"1234567890123-.00", 465, 0, 539},            // -0.5 truncates to 0
      {"123456789-------.00", 467, -1, 538},         // -1.5 truncates to -1, not -2
      {"12345678901234567890.00", 680, -108, 432},
  };
  const Canvas& sign = surfaces_.signSurface;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    ScreenInputs inputs = BlankInputs();
    inputs.Set("this-month", c.amount);
    inputs.Set("last-month", c.amount);
    const Raster picture = Render(inputs);
    ASSERT_EQ(Width(Heavy(45), state_.thisMonthPieces.integerPart), c.integerWidth);
    EXPECT_EQ(state_.thisMonthSignX, c.thisMonthSignX);
    EXPECT_EQ(state_.lastMonthSignX, c.lastMonthSignX);

    // The whole sign picture, its white included, as far as it lies on the picture.
    for (const std::int32_t signX : {state_.thisMonthSignX, state_.lastMonthSignX}) {
      std::int32_t mismatches = 0;
      for (std::int32_t y = 0; y < 29; ++y)
        for (std::int32_t x = std::max(0, -signX); x < 25; ++x)
          if (RasterPixel(picture, kWidth, signX + x, 586 + y) != PixelAt(sign, x, y)) ++mismatches;
      EXPECT_EQ(mismatches, 0) << "sign at " << signX;
    }
  }
}

TEST_F(EarningsRendererTest, CountsAndTransactionIncomeAreDrawnWholeInTheFineFont) {
  ScreenInputs inputs = BlankInputs();
  inputs.Set("clicks", "0");
  inputs.Set("payments", "12");
  inputs.Set("transaction", "5.00");
  for (const char* transaction : {"5.00", "1.2.3", "123"}) {
    SCOPED_TRACE(transaction);
    inputs.Set("transaction", transaction);
    const Raster picture = Render(inputs);
    const Box row{0, 1130, kWidth, 1230};
    EXPECT_EQ(ChangedBox(picture, TemplateRaster(), {row.left, row.top, 424, row.bottom}),
              ExpectedInk(Fine(32), inputs.Text("clicks"), 96, 1144));
    EXPECT_EQ(ChangedBox(picture, TemplateRaster(), {424, row.top, 794, row.bottom}),
              ExpectedInk(Fine(32), inputs.Text("payments"), 424, 1144));
    EXPECT_EQ(ChangedBox(picture, TemplateRaster(), {794, row.top, kWidth, row.bottom}),
              ExpectedInk(Fine(32), transaction, 794, 1144));
  }
}

TEST_F(EarningsRendererTest, EachElementInksInItsOwnColour) {
  ScreenInputs inputs;
  inputs.Set("balance", "88.88");
  inputs.Set("this-month", "88.88");
  inputs.Set("last-month", "88.88");
  inputs.Set("settled", "88.88");
  inputs.Set("clicks", "88");
  inputs.Set("payments", "88");
  inputs.Set("transaction", "88.88");
  const Raster picture = Render(inputs);

  const std::int32_t clockWidth = Width(Fine(25), inputs.Text("clock"));
  const std::int32_t integerWidth = Width(Heavy(45), "88");
  const auto cell = [](const FontRecord& record, const std::string& text, std::int32_t x,
                       std::int32_t y) {
    return Box{x, y, x + Width(record, text), y + CellHeight(record)};
  };
  const std::int32_t xt = state_.thisMonthSignX + 30, xl = state_.lastMonthSignX + 30;
  struct Element {
    const char* name;
    Box cell;
    Colour colour;
  };
  const Element elements[] = {
      {"clock", cell(Fine(25), inputs.Text("clock"), 1056 - clockWidth, 18), kClockColour},
      {"word", cell(Word(), inputs.Text("word"), 1080 - clockWidth - 96, 14), kClockColour},
      {"balance integer", cell(Heavy(45), "88", 132, 354), kWhite},
      {"balance fraction", cell(Heavy(28), ".88", 132 + integerWidth, 376), kWhite},
      {"this month integer", cell(Heavy(45), "88", xt, 556), kBodyColour},
      {"this month fraction", cell(Heavy(28), ".88", xt + integerWidth, 578), kBodyColour},
      {"last month integer", cell(Heavy(45), "88", xl, 556), kBodyColour},
      {"last month fraction", cell(Heavy(28), ".88", xl + integerWidth, 578), kBodyColour},
      {"settled integer", cell(Heavy(45), "88", 400, 969), kBodyColour},
      {"settled fraction", cell(Heavy(31), ".88", 400 + integerWidth, 987), kBodyColour},
      {"clicks", cell(Fine(32), "88", 96, 1144), kBodyColour},
      {"payments", cell(Fine(32), "88", 424, 1144), kBodyColour},
      {"transaction", cell(Fine(32), "88.88", 794, 1144), kBodyColour},
  };
  // The pixel the ink changed most is one the glyph covers fully: the element's own colour.
  for (const Element& element : elements) {
    SCOPED_TRACE(element.name);
    int strongest = 0;
    Colour strongestColour = 0;
    for (std::int32_t y = element.cell.top; y < element.cell.bottom; ++y)
      for (std::int32_t x = element.cell.left; x < element.cell.right; ++x) {
        const Colour now = RasterPixel(picture, kWidth, x, y);
        const Colour before = RasterPixel(TemplateRaster(), kWidth, x, y);
        const int change = std::abs(int(RedOf(now)) - int(RedOf(before))) +
                           std::abs(int(GreenOf(now)) - int(GreenOf(before))) +
                           std::abs(int(BlueOf(now)) - int(BlueOf(before)));
        if (change > strongest) {
          strongest = change;
          strongestColour = now;
        }
      }
    EXPECT_GT(strongest, 0);
    EXPECT_EQ(strongestColour, element.colour);
  }
}

TEST_F(EarningsRendererTest, AFullWidthColonOfTheClockIsDrawnAsAColon) {
  ScreenInputs inputs;
  inputs.Set("clock", "10:23");
  const Raster plain = Render(inputs);
  inputs.Set("clock", "10\xA3\xBA" "23");  // 10：23
  const ScreenInputs drawn = NormaliseScreenInputs(inputs, AmountTexts::kAsTyped);
  EXPECT_EQ(drawn.Text("clock"), "10:23");
  EXPECT_TRUE(Render(drawn) == plain);
}

TEST_F(EarningsRendererTest, ARenderDependsOnlyOnItsInputs) {
  ScreenInputs first = BlankInputs();
  first.Set("clock", "1110:23");
  first.Set("word", kWanShangGbk);
  first.Set("balance", "123456789.99");
  first.Set("this-month", "123456789.99");
  first.Set("last-month", "123456789.99");
  first.Set("settled", "123456789.99");
  first.Set("clicks", "99999");
  first.Set("payments", "99999");
  first.Set("transaction", "99999");
  const ScreenInputs second;  // the window's initial texts

  Render(first);
  const Raster reused = Render(second);
  const std::vector<unsigned char> reusedPicture = picture_;
  Render(second);
  EXPECT_TRUE(picture_ == reusedPicture) << "two renders of the same inputs differ";

  ProgramState freshState = FreshState();
  RenderSurfaces freshSurfaces = MakeRenderSurfaces(Faces());
  std::vector<unsigned char> freshPicture;
  RenderEarningsScreen(freshState, freshSurfaces, second, freshPicture);
  EXPECT_TRUE(freshSurfaces.templateSurface.raster == reused) << "an earlier render shows through";
  EXPECT_TRUE(freshPicture == reusedPicture);
}

TEST_F(EarningsRendererTest, LeavesThePiecesAndTheFontRecordsOfTheLastRender) {
  // Records holding other values first: the renderer sets what it uses.
  state_.fineFont.size = 90;
  state_.fineFont.bold = true;
  state_.wordFont.size = 7;
  state_.wordFont.bold = true;
  state_.heavyFont.size = 12;
  state_.heavyFont.bold = false;
  ScreenInputs inputs;
  inputs.Set("balance", "1.50");
  inputs.Set("this-month", "22.");
  inputs.Set("last-month", "7");
  inputs.Set("settled", "4.4.4");
  Render(inputs);

  EXPECT_EQ(state_.balancePieces, (AmountPieces{"1", "50"}));
  EXPECT_EQ(state_.thisMonthPieces, (AmountPieces{"22", ""}));
  EXPECT_EQ(state_.lastMonthPieces, (AmountPieces{"", "7"}));
  EXPECT_EQ(state_.settledPieces, (AmountPieces{"4.4", "4"}));
  EXPECT_EQ(state_.fineFont, (Record(kFineFace, 32, false)));
  EXPECT_EQ(state_.wordFont, (Record(kYaHeiGbk, 25, false)));
  EXPECT_EQ(state_.heavyFont, (Record(kHeavyFace, 31, true)));
}

std::uint32_t LittleEndian(const std::vector<unsigned char>& bytes, std::size_t offset,
                           std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | bytes[offset + i];
  return value;
}

TEST_F(EarningsRendererTest, HandsOverTheTemplateSurfaceAsABottomUpBmp) {
  picture_.assign(7'000'000, 0xAB);  // a buffer from an earlier use is replaced, not appended to
  const Raster raster = Render(ScreenInputs{});
  ASSERT_EQ(picture_.size(), 6'220'854u);
  EXPECT_EQ(picture_[0], 'B');
  EXPECT_EQ(picture_[1], 'M');
  EXPECT_EQ(LittleEndian(picture_, 2, 4), 6'220'854u);
  EXPECT_EQ(LittleEndian(picture_, 10, 4), 54u);
  EXPECT_EQ(LittleEndian(picture_, 18, 4), 1080u);
  EXPECT_EQ(LittleEndian(picture_, 22, 4), 1920u);
  EXPECT_EQ(LittleEndian(picture_, 28, 2), 24u);

  // Rows through the drawn elements and the picture's edges, stored bottom row first as B G R.
  for (const std::int32_t y : {0, 30, 380, 600, 1000, 1170, 1919}) {
    SCOPED_TRACE(y);
    const std::size_t rowStart = 54 + static_cast<std::size_t>(kHeight - 1 - y) * 3240;
    std::int32_t mismatches = 0;
    for (std::int32_t x = 0; x < kWidth; ++x) {
      const std::size_t at = rowStart + static_cast<std::size_t>(x) * 3;
      if (Rgb(picture_[at + 2], picture_[at + 1], picture_[at]) != RasterPixel(raster, kWidth, x, y))
        ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
  }
}

// The template keeps each field's area plain for its value (tools/build_pictures.py checks it);
// that only helps if what is drawn of the field stays inside it, for values of any sensible
// length: up to eight figures before the point, five-figure counts, every word.
TEST_F(EarningsRendererTest, EachFieldIsDrawnInsideTheAreaTheTemplateKeepsClear) {
  const ScreenInputs blank = BlankInputs();
  const Raster blankPicture = Render(blank);
  const Box wholePicture{0, 0, kWidth, kHeight};
  for (const ScreenField& field : EarningsScreen().fields) {
    std::vector<std::string> values;
    switch (field.kind) {
      case FieldKind::kClock: values = {"10:23", "23:59", "8:00"}; break;
      case FieldKind::kWord: values.assign(field.words.begin(), field.words.end()); break;
      case FieldKind::kAmount: values = {"0.00", "88888888.88", "-1234567.89"}; break;
      case FieldKind::kCount: values = {"0", "88888"}; break;
    }
    for (const std::string& value : values) {
      SCOPED_TRACE(std::string(field.name) + " = " + value);
      ScreenInputs inputs = blank;
      inputs.Set(field.name, value);
      if (field.kind == FieldKind::kWord) inputs.Set("clock", "10:23");
      const std::optional<Box> ink = ChangedBox(Render(inputs), blankPicture, wholePicture);
      ASSERT_TRUE(ink);
      const PixelBox& clear = field.keepClear;
      EXPECT_GE(ink->left, clear.left);
      EXPECT_GE(ink->top, clear.top);
      EXPECT_LE(ink->right, clear.right);
      EXPECT_LE(ink->bottom, clear.bottom);
    }
  }
}

// Renders share nothing but the faces: two at once on two threads give exactly the pictures
// they give one after the other.
TEST(EarningsRendererThreads, TwoRendersAtOnceShareOnlyTheFaces) {
  const auto faces = Faces();
  std::vector<ScreenInputs> inputs(2);
  inputs[0].Set("balance", "1234.56");
  inputs[0].Set("word", kWanShangGbk);
  inputs[1].Set("this-month", "99999.99");
  inputs[1].Set("clicks", "777");
  const auto renderAll = [&](std::size_t which, std::vector<unsigned char>& picture) {
    ProgramState state = FreshState();
    RenderSurfaces surfaces = MakeRenderSurfaces(faces);
    for (int round = 0; round < 3; ++round) RenderEarningsScreen(state, surfaces, inputs[which], picture);
  };
  std::vector<std::vector<unsigned char>> alone(2), together(2);
  renderAll(0, alone[0]);
  renderAll(1, alone[1]);
  {
    std::thread first(renderAll, 0, std::ref(together[0]));
    std::thread second(renderAll, 1, std::ref(together[1]));
    first.join();
    second.join();
  }
  EXPECT_TRUE(together[0] == alone[0]);
  EXPECT_TRUE(together[1] == alone[1]);
  EXPECT_FALSE(alone[0] == alone[1]);
}

}  // namespace
