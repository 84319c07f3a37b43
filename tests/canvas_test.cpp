#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded_assets.h"
#include "compose/canvas.h"
#include "compose/canvas_font.h"
#include "compose/font_cache.h"
#include "tests/test_faces.h"

namespace {

using test_faces::BuiltInFonts;
using test_faces::RobotoFonts;
const char* const kSongTiGbk = "\xCB\xCE\xCC\xE5";         // 宋体
const char* const kYaHeiGbk = "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA";  // 微软雅黑
const char* const kShangWuGbk = "\xC9\xCF\xCE\xE7";         // 上午

FontRecord Record(const std::string& face, std::int32_t size, bool bold = false) {
  FontRecord record;
  record.faceName = face;
  record.size = size;
  record.bold = bold;
  return record;
}

using PixelFunction = std::function<Colour(std::int32_t, std::int32_t)>;

std::vector<unsigned char> MakePng(std::int32_t width, std::int32_t height, const PixelFunction& pixel) {
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const Colour c = pixel(x, y);
      unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(RedOf(c));
      p[1] = static_cast<unsigned char>(GreenOf(c));
      p[2] = static_cast<unsigned char>(BlueOf(c));
    }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  EXPECT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr), 0);
  std::vector<unsigned char> png(size);
  EXPECT_NE(png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr), 0);
  png.resize(size);
  return png;
}

Colour Pattern(std::int32_t x, std::int32_t y) {
  return Rgb(static_cast<unsigned>(x * 7 + y), static_cast<unsigned>(x ^ y), static_cast<unsigned>(y * 3 + 11));
}

// A white surface whose fonts come from `fonts` (Roboto Regular as the library's own face).
Canvas WhiteCanvas(std::int32_t width, std::int32_t height,
                   std::shared_ptr<FontCache> fonts = RobotoFonts()) {
  return MakeCanvas({.width = width, .height = height, .backgroundColour = Rgb(255, 255, 255)},
                    std::move(fonts));
}

std::uint32_t Read32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t{bytes[at + 3]} << 24;
}
std::uint16_t Read16(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Rows from the top that hold any non-white pixel.
std::vector<std::int32_t> InkRows(const Canvas& canvas) {
  std::vector<std::int32_t> rows;
  for (std::int32_t y = 0; y < canvas.settings.height; ++y)
    for (std::int32_t x = 0; x < canvas.settings.width; ++x)
      if (PixelAt(canvas, x, y) != Rgb(255, 255, 255)) {
        rows.push_back(y);
        break;
      }
  return rows;
}

std::int64_t InkAmount(const Canvas& canvas) {
  std::int64_t ink = 0;
  for (std::size_t i = 0; i < canvas.raster.size(); ++i) ink += 255 - canvas.raster[i];
  return ink;
}

struct InkBox {
  std::int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
};

InkBox InkBoxOf(const Canvas& canvas) {
  InkBox box;
  for (std::int32_t y = 0; y < canvas.settings.height; ++y)
    for (std::int32_t x = 0; x < canvas.settings.width; ++x)
      if (PixelAt(canvas, x, y) != Rgb(255, 255, 255)) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
  return box;
}

// --- Fonts ------------------------------------------------------------------------------------

TEST(CanvasFont, EmHeightsAtNinetySixPixelsPerInch) {
  const struct { std::int32_t size, em; } cases[] = {
      {9, 12}, {25, 33}, {28, 37}, {31, 41}, {32, 43}, {45, 60}, {0, 0}, {-1, 0}, {-45, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(EmHeightForSize(c.size), c.em) << c.size;
}

TEST(CanvasFont, SurfaceUsesTheEmHeightAndADefaultForNoHeight) {
  Canvas canvas = WhiteCanvas(10, 10);
  const struct { std::int32_t size, em; } cases[] = {{25, 33}, {45, 60}, {-3, 12}, {0, 12}};
  for (const auto& c : cases) {
    SetFont(canvas, Record("Roboto", c.size));
    EXPECT_EQ(DescribeFont(canvas).em, c.em) << c.size;
  }
}

TEST(CanvasFont, BeforeTheFirstSetFontTheDefaultUiFontAtTwelvePixels) {
  Canvas canvas = WhiteCanvas(10, 10);
  EXPECT_EQ(DescribeFont(canvas).em, 12);
  EXPECT_TRUE(FontMapsCharacter(canvas, U'上'));
  EXPECT_GT(TextWidth(canvas, kShangWuGbk), 0);
}

TEST(CanvasFont, SetFontCopiesTheRecordsValues) {
  Canvas first = WhiteCanvas(10, 10), second = WhiteCanvas(10, 10);
  FontRecord record = Record("Roboto", 45);
  SetFont(first, record);
  const std::int32_t wide = TextWidth(first, "1234");
  record.size = 9;
  SetFont(second, record);
  EXPECT_EQ(TextWidth(first, "1234"), wide);
  EXPECT_LT(TextWidth(second, "1234"), wide);
  EXPECT_EQ(DescribeFont(first).em, 60);
  EXPECT_EQ(DescribeFont(second).em, 12);
}

TEST(CanvasFont, FaceNameRules) {
  Canvas canvas = WhiteCanvas(10, 10);
  const std::string thirtyOne = "Roboto" + std::string(25, ' ');
  const struct { std::string face; std::string requested; } cases[] = {
      {std::string(32, 'x'), "宋体"},
      {std::string(40, 'R'), "宋体"},
      {thirtyOne, thirtyOne},
      {"Roboto", "Roboto"},
      {kYaHeiGbk, "微软雅黑"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SetFont(canvas, Record(c.face, 9));
    EXPECT_EQ(DescribeFont(canvas).requestedFamily, c.requested) << c.face;
  }
}

TEST(CanvasFont, MissingAndEmptyFacesFallBackToAFaceWithChineseGlyphs) {
  Canvas canvas = WhiteCanvas(10, 10);
  for (const std::string& face : {std::string(kYaHeiGbk), std::string(kSongTiGbk),
                                 std::string("NoSuchFamilyAnywhere"), std::string()}) {
    SetFont(canvas, Record(face, 25));
    EXPECT_TRUE(FontMapsCharacter(canvas, U'上')) << face;
    EXPECT_FALSE(DescribeFont(canvas).own);
    EXPECT_EQ(DescribeFont(canvas).em, 33);
  }
}

TEST(CanvasFont, TheLibrarysOwnFacesComeBeforeFontconfig) {
  Canvas canvas = WhiteCanvas(10, 10);
  SetFont(canvas, Record("roboto", 9));  // names compare without regard to case
  EXPECT_TRUE(DescribeFont(canvas).own);
  EXPECT_EQ(DescribeFont(canvas).family, "Roboto");
}

TEST(CanvasFont, BoldAsksFontconfigForWeight700) {
  Canvas canvas = WhiteCanvas(10, 10);
  for (const char* family : {"DejaVu Sans", "Noto Sans CJK SC"}) {
    SetFont(canvas, Record(family, 9, true));
    EXPECT_EQ(DescribeFont(canvas).style, "Bold") << family;
    EXPECT_FALSE(DescribeFont(canvas).emboldened) << family;
    SetFont(canvas, Record(family, 9, false));
    EXPECT_NE(DescribeFont(canvas).style, "Bold") << family;
  }
}

TEST(CanvasFont, BoldEmboldensAFaceThatIsNotBoldItself) {
  Canvas regular = WhiteCanvas(200, 80), bold = WhiteCanvas(200, 80);
  SetFont(regular, Record("Roboto", 45));
  SetFont(bold, Record("Roboto", 45, true));
  ASSERT_EQ(DescribeFont(bold).style, "Regular");
  EXPECT_TRUE(DescribeFont(bold).emboldened);
  // Two extra pixels per glyph at 60 px, in measuring and in drawing alike.
  EXPECT_EQ(TextWidth(bold, "11"), TextWidth(regular, "11") + 2 * 3);
  WriteAt(regular, 0, 0, "11");
  WriteAt(bold, 0, 0, "11");
  EXPECT_GT(InkAmount(bold), InkAmount(regular) * 11 / 10);
  // The strokes grow to the right and upwards: the glyphs keep their left edge and their foot.
  Canvas regularH = WhiteCanvas(100, 80), boldH = WhiteCanvas(100, 80);
  SetFont(regularH, Record("Roboto", 45));
  SetFont(boldH, Record("Roboto", 45, true));
  WriteAt(regularH, 10, 0, "H");
  WriteAt(boldH, 10, 0, "H");
  const InkBox thin = InkBoxOf(regularH), thick = InkBoxOf(boldH);
  EXPECT_EQ(thick.left, thin.left);
  EXPECT_EQ(thick.bottom, thin.bottom);
  EXPECT_EQ(thick.right, thin.right + 3);
  EXPECT_EQ(thick.top, thin.top - 3);
}

TEST(CanvasFont, BoldPicksABoldFaceOfTheLibraryWithoutEmboldening) {
  const auto fonts = test_faces::CacheOf(test_faces::LibraryOfFiles(
      {test_faces::kRobotoDir + "Roboto-Regular.ttf", test_faces::kRobotoDir + "Roboto-Bold.ttf"}));
  Canvas canvas = WhiteCanvas(10, 10, fonts);
  SetFont(canvas, Record("Roboto", 45, true));
  EXPECT_EQ(DescribeFont(canvas).style, "Bold");
  EXPECT_FALSE(DescribeFont(canvas).emboldened);
  SetFont(canvas, Record("Roboto", 45, false));
  EXPECT_EQ(DescribeFont(canvas).style, "Regular");
}

TEST(CanvasFont, FourthFieldIsStrikeOutFifthUnderline) {
  FontRecord struck{0, false, false, true, false, 45, "Roboto"};
  FontRecord underlined{0, false, false, false, true, 45, "Roboto"};
  EXPECT_TRUE(struck.strikeout);
  EXPECT_FALSE(struck.underline);
  // Spaces leave no ink of their own: what shows is the line alone.
  Canvas a = WhiteCanvas(200, 90), b = WhiteCanvas(200, 90);
  SetFont(a, struck);
  SetFont(b, underlined);
  WriteAt(a, 0, 0, "    ");
  WriteAt(b, 0, 0, "    ");
  const std::int32_t baseline = DescribeFont(a).ascent;
  const auto struckRows = InkRows(a), underlinedRows = InkRows(b);
  ASSERT_FALSE(struckRows.empty());
  ASSERT_FALSE(underlinedRows.empty());
  EXPECT_LT(struckRows.back(), baseline);
  EXPECT_GE(underlinedRows.front(), baseline);
  // The lines run the text's whole advance, not a pixel further.
  const std::int32_t width = TextWidth(a, "    ");
  EXPECT_NE(PixelAt(a, 0, struckRows.front()), Rgb(255, 255, 255));
  EXPECT_NE(PixelAt(a, width - 1, struckRows.front()), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(a, width, struckRows.front()), Rgb(255, 255, 255));
}

TEST(CanvasFont, ItalicShearsAFaceThatIsNotItalicAndKeepsItsAdvances) {
  Canvas upright = WhiteCanvas(200, 80), slanted = WhiteCanvas(200, 80);
  SetFont(upright, Record("Roboto", 45));
  FontRecord italic = Record("Roboto", 45);
  italic.italic = true;
  SetFont(slanted, italic);
  EXPECT_TRUE(DescribeFont(slanted).sheared);
  EXPECT_EQ(TextWidth(slanted, "111"), TextWidth(upright, "111"));
  WriteAt(upright, 10, 0, "1");
  WriteAt(slanted, 10, 0, "1");
  // The top of the stroke leans right of the upright one; the foot stays on the baseline.
  EXPECT_GT(InkBoxOf(slanted).right, InkBoxOf(upright).right + 3);
  EXPECT_EQ(InkBoxOf(slanted).bottom, InkBoxOf(upright).bottom);
}

TEST(CanvasFont, AngleTurnsTheTextCounterClockwise) {
  Canvas canvas = WhiteCanvas(200, 200);
  FontRecord record = Record("Roboto", 25);
  record.angle = 900;
  SetFont(canvas, record);
  const std::int32_t width = TextWidth(canvas, "1111");
  WriteAt(canvas, 50, 150, "1111");
  const InkBox box = InkBoxOf(canvas);
  // Written upwards from (50, 150): the cell's top edge is now its left edge.
  EXPECT_GE(box.left, 50);
  EXPECT_LE(box.bottom, 150);
  EXPECT_GT(box.bottom - box.top, width * 3 / 4);
  EXPECT_LT(box.right - box.left, width / 2);
}

// --- Measuring and writing ---------------------------------------------------------------------

TEST(Canvas, TextWidthChainsExactly) {
  for (const bool bold : {false, true}) {
    Canvas whole = WhiteCanvas(400, 80), pieces = WhiteCanvas(400, 80);
    SetFont(whole, Record("Roboto", 45, bold));
    SetFont(pieces, Record("Roboto", 45, bold));
    EXPECT_EQ(TextWidth(whole, "1234.56"), TextWidth(whole, "1234") + TextWidth(whole, ".56"));
    WriteAt(whole, 3, 2, "1234.56");
    WriteAt(pieces, 3, 2, "1234");
    WriteAt(pieces, 3 + TextWidth(pieces, "1234"), 2, ".56");
    EXPECT_EQ(whole.raster, pieces.raster) << bold;
  }
}

TEST(Canvas, EmptyTextMeasuresZeroAndDrawsNothing) {
  Canvas canvas = WhiteCanvas(50, 50);
  SetFont(canvas, Record("Roboto", 25));
  const auto before = canvas.raster;
  EXPECT_EQ(TextWidth(canvas, ""), 0);
  WriteAt(canvas, 0, 0, "");
  EXPECT_EQ(canvas.raster, before);
}

TEST(Canvas, TextWidthOnASurfaceWithoutRaster) {
  Canvas measuring = MakeCanvas({.width = 28, .height = 27, .keepsRaster = false}, RobotoFonts());
  Canvas drawing = WhiteCanvas(28, 27);
  EXPECT_TRUE(measuring.raster.empty());
  SetFont(measuring, Record("Roboto", 45, true));
  SetFont(drawing, Record("Roboto", 45, true));
  EXPECT_GT(TextWidth(measuring, "5.00"), 28);  // wider than the surface itself
  EXPECT_EQ(TextWidth(measuring, "5.00"), TextWidth(drawing, "5.00"));
  WriteAt(measuring, 0, 0, "5");
  CopyTo(drawing, measuring, 0, 0);
  Clear(measuring);
  EXPECT_TRUE(measuring.raster.empty());
  EXPECT_TRUE(GetPicture(measuring).empty());
}

TEST(Canvas, TransparentWriteChangesOnlyGlyphPixels) {
  const auto png = MakePng(120, 70, Pattern);
  Canvas patterned = MakeCanvas({.width = 120, .height = 70, .backgroundPng = png}, RobotoFonts());
  Canvas reference = WhiteCanvas(120, 70);
  for (Canvas* canvas : {&patterned, &reference}) SetFont(*canvas, Record("Roboto", 32));
  SetTextColor(patterned, Rgb(10, 200, 30));
  WriteAt(patterned, 5, 4, "2:07");
  WriteAt(reference, 5, 4, "2:07");
  std::int32_t changed = 0, full = 0;
  for (std::int32_t y = 0; y < 70; ++y)
    for (std::int32_t x = 0; x < 120; ++x) {
      const Colour was = Pattern(x, y), now = PixelAt(patterned, x, y), ink = PixelAt(reference, x, y);
      if (ink == Rgb(255, 255, 255)) {
        EXPECT_EQ(now, was) << x << "," << y;
      } else if (ink == Rgb(0, 0, 0)) {
        EXPECT_EQ(now, Rgb(10, 200, 30)) << x << "," << y;
        ++full;
      }
      changed += now != was;
    }
  EXPECT_GT(changed, 100);
  EXPECT_GT(full, 50);
}

TEST(Canvas, BlendsPartialCoverageInTheTextColour) {
  Canvas canvas = WhiteCanvas(60, 40);
  SetFont(canvas, Record("Roboto", 25));
  SetTextColor(canvas, Rgb(0, 0, 255));
  WriteAt(canvas, 2, 2, "8");
  std::int32_t partial = 0;
  for (std::int32_t y = 0; y < 40; ++y)
    for (std::int32_t x = 0; x < 60; ++x) {
      const Colour c = PixelAt(canvas, x, y);
      EXPECT_EQ(BlueOf(c), 255u);               // blue on white keeps blue at 255
      EXPECT_EQ(RedOf(c), GreenOf(c));          // and fades red and green together
      partial += RedOf(c) > 0 && RedOf(c) < 255;
    }
  EXPECT_GT(partial, 10);  // anti-aliased edges
}

TEST(Canvas, OpaqueTextBackgroundFillsTheCell) {
  Canvas canvas = MakeCanvas(
      {.width = 100, .height = 60, .backgroundColour = Rgb(255, 255, 255), .textBackground = Rgb(200, 0, 0)},
      RobotoFonts());
  SetFont(canvas, Record("Roboto", 25));
  WriteAt(canvas, 10, 5, "1");
  const std::int32_t width = TextWidth(canvas, "1"), cell = DescribeFont(canvas).cellHeight;
  EXPECT_EQ(PixelAt(canvas, 10, 5), Rgb(200, 0, 0));
  EXPECT_EQ(PixelAt(canvas, 10 + width - 1, 5 + cell - 1), Rgb(200, 0, 0));
  EXPECT_EQ(PixelAt(canvas, 10 + width, 5), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(canvas, 10, 5 + cell), Rgb(255, 255, 255));
  EXPECT_EQ(PixelAt(canvas, 9, 5), Rgb(255, 255, 255));
}

TEST(Canvas, LinesBreakAtCrLfAndCrLf) {
  FontRecord record = Record("Roboto", 25);
  Canvas probe = WhiteCanvas(1, 1);
  SetFont(probe, record);
  const std::int32_t step = DescribeFont(probe).cellHeight + 2;
  const struct { const char* text; std::int32_t secondLineRow; } cases[] = {
      {"1\n2", 1}, {"1\r2", 1}, {"1\r\n2", 1}, {"1\n\n2", 2}, {"1\n\r2", 2}, {"1\r\r\n2", 2},
  };
  for (const auto& c : cases) {
    Canvas split = WhiteCanvas(60, 150), expected = WhiteCanvas(60, 150);
    SetFont(split, record);
    SetFont(expected, record);
    WriteAt(split, 4, 3, c.text);
    WriteAt(expected, 4, 3, "1");
    WriteAt(expected, 4, 3 + c.secondLineRow * step, "2");
    EXPECT_EQ(split.raster, expected.raster) << c.text;
  }
  EXPECT_EQ(TextWidth(probe, "1\n2222"), TextWidth(probe, "2222"));
}

TEST(Canvas, GbkLeadByteDoesNotSwallowLaterCharacters) {
  // A lead byte takes the byte after it; the line break after that pair still counts.
  Canvas canvas = WhiteCanvas(100, 100);
  SetFont(canvas, Record("", 25));
  EXPECT_EQ(TextWidth(canvas, std::string(kShangWuGbk) + "\n1"), TextWidth(canvas, kShangWuGbk));
}

TEST(Canvas, BytesOutsideTheLeadRangeAreCharactersOfOneByte) {
  // "€" is the byte 0x80 and 0xFF a byte of its own: each is measured and drawn as one
  // character, and the digit or line break after it stays a character too.
  const struct { const char* text; const char* head; const char* tail; } cases[] = {
      {"\x80" "12", "\x80", "12"},
      {"5\x80" "5", "5\x80", "5"},
      {"\x80\x80" "1", "\x80\x80", "1"},
      {"\xFF" "12", "\xFF", "12"},
      {"\xCB\x80" "1", "\xCB\x80", "1"},  // after a lead byte, 0x80 is its second byte
  };
  for (const auto& c : cases) {
    Canvas whole = WhiteCanvas(200, 50), pieces = WhiteCanvas(200, 50);
    SetFont(whole, Record("Roboto", 25));
    SetFont(pieces, Record("Roboto", 25));
    const std::int32_t headWidth = TextWidth(pieces, c.head);
    EXPECT_EQ(TextWidth(whole, c.text), headWidth + TextWidth(pieces, c.tail)) << c.text;
    WriteAt(whole, 3, 2, c.text);
    WriteAt(pieces, 3, 2, c.head);
    WriteAt(pieces, 3 + headWidth, 2, c.tail);
    EXPECT_EQ(whole.raster, pieces.raster) << c.text;
  }
  Canvas probe = WhiteCanvas(1, 1);
  SetFont(probe, Record("Roboto", 25));
  EXPECT_EQ(TextWidth(probe, "\x80\n" "1111"), TextWidth(probe, "1111"));
  EXPECT_EQ(TextWidth(probe, "\xFF\r\n" "1111"), TextWidth(probe, "1111"));
}

TEST(Canvas, TextsOutsideTheSurfaceAreClipped) {
  Canvas canvas = WhiteCanvas(30, 30);
  SetFont(canvas, Record("Roboto", 45));
  for (auto [x, y] : {std::pair{-20, -30}, {25, 20}, {-1000000, 5}, {5, 2000000000},
                      {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}})
    WriteAt(canvas, x, y, "8888");
  WriteAt(canvas, -20, -30, "8");
  EXPECT_NE(InkAmount(canvas), 0);
}

// --- Background, copying, pictures ---------------------------------------------------------------

TEST(Canvas, ClearRestoresTheTemplatePixelForPixel) {
  const auto png = MakePng(1080, 1920, Pattern);
  Canvas canvas = MakeCanvas({.width = 1080, .height = 1920, .backgroundPng = png}, RobotoFonts());
  const auto fresh = canvas.raster;
  for (std::int32_t y = 0; y < 1920; y += 97)
    for (std::int32_t x = 0; x < 1080; x += 89) ASSERT_EQ(PixelAt(canvas, x, y), Pattern(x, y));
  const unsigned char* rasterMemory = canvas.raster.data();
  SetFont(canvas, Record("Roboto", 45, true));
  WriteAt(canvas, 100, 400, "1234.56");
  Canvas other = WhiteCanvas(25, 29);
  CopyTo(other, canvas, 500, 600);
  ASSERT_NE(canvas.raster, fresh);
  Clear(canvas);
  EXPECT_EQ(canvas.raster, fresh);
  EXPECT_EQ(canvas.raster.data(), rasterMemory);
}

TEST(Canvas, SmallPicturesTileFromTheTopLeft) {
  const auto png = MakePng(7, 5, Pattern);
  Canvas canvas = MakeCanvas({.width = 23, .height = 12, .backgroundPng = png}, RobotoFonts());
  for (std::int32_t y = 0; y < 12; ++y)
    for (std::int32_t x = 0; x < 23; ++x) ASSERT_EQ(PixelAt(canvas, x, y), Pattern(x % 7, y % 5));
}

TEST(Canvas, WithoutAPictureTheBackgroundColourFills) {
  const unsigned char notPng[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
  const struct { std::span<const unsigned char> png; Colour colour, expected; } cases[] = {
      {{}, kSystemColourMarker, kButtonFaceColour},
      {{}, Rgb(1, 2, 3), Rgb(1, 2, 3)},
      {notPng, Rgb(9, 8, 7), Rgb(9, 8, 7)},
  };
  for (const auto& c : cases) {
    Canvas canvas = MakeCanvas(
        {.width = 5, .height = 4, .backgroundPng = c.png, .backgroundColour = c.colour},
        RobotoFonts());
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(canvas, x, y), c.expected);
  }
  EXPECT_EQ(kButtonFaceColour, Rgb(240, 240, 240));
}

TEST(Canvas, CopyToCopiesEveryPixelAndDropsWhatFallsOutside) {
  // A dark sign on white, as the currency-sign surface holds.
  const auto sign = MakePng(25, 29, [](std::int32_t x, std::int32_t y) {
    return (x > 8 && x < 16 && y > 4 && y < 24) ? Rgb(51, 51, 51) : Rgb(255, 255, 255);
  });
  const Canvas source = MakeCanvas(
      {.width = 25, .height = 29, .backgroundPng = sign}, RobotoFonts());
  const struct { std::int32_t x, y; } places[] = {
      {0, 0}, {10, 12}, {-5, -7}, {-24, 3}, {50, 40}, {-25, 0}, {60, 0}, {0, -29}, {INT32_MIN, INT32_MAX},
  };
  for (const auto& p : places) {
    Canvas target = MakeCanvas(
        {.width = 60, .height = 50, .backgroundColour = Rgb(0, 0, 0)}, RobotoFonts());
    CopyTo(source, target, p.x, p.y);
    for (std::int32_t y = 0; y < 50; ++y)
      for (std::int32_t x = 0; x < 60; ++x) {
        const std::int64_t sx = std::int64_t{x} - p.x, sy = std::int64_t{y} - p.y;
        const bool covered = sx >= 0 && sx < 25 && sy >= 0 && sy < 29;
        const Colour expected =
            covered ? PixelAt(source, std::int32_t(sx), std::int32_t(sy)) : Rgb(0, 0, 0);
        ASSERT_EQ(PixelAt(target, x, y), expected) << p.x << "," << p.y << " at " << x << "," << y;
      }
  }
}

TEST(Canvas, CopyOntoItselfReadsTheSourceBeforeWriting) {
  const auto png = MakePng(20, 20, Pattern);
  Canvas canvas = MakeCanvas({.width = 20, .height = 20, .backgroundPng = png}, RobotoFonts());
  CopyTo(canvas, canvas, 3, 4);
  for (std::int32_t y = 4; y < 20; ++y)
    for (std::int32_t x = 3; x < 20; ++x) ASSERT_EQ(PixelAt(canvas, x, y), Pattern(x - 3, y - 4));
}

TEST(Canvas, PictureOfTheTemplateSurface) {
  Canvas canvas = MakeCanvas(
      {.width = 1080, .height = 1920, .backgroundColour = Rgb(255, 255, 255)}, RobotoFonts());
  canvas.raster[0] = 10;  // top-left pixel: R 10, G 20, B 30
  canvas.raster[1] = 20;
  canvas.raster[2] = 30;
  const auto bmp = GetPicture(canvas);
  ASSERT_EQ(bmp.size(), 6220854u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  const struct { std::size_t at; std::uint32_t value; } fields32[] = {
      {2, 6220854}, {6, 0}, {10, 54}, {14, 40}, {18, 1080}, {22, 1920},
      {30, 0}, {34, 6220800}, {38, 0}, {42, 0}, {46, 0}, {50, 0},
  };
  for (const auto& f : fields32) EXPECT_EQ(Read32(bmp, f.at), f.value) << f.at;
  EXPECT_EQ(Read16(bmp, 26), 1);
  EXPECT_EQ(Read16(bmp, 28), 24);
  // The top row is stored last, blue first.
  const std::size_t topRow = 54 + 1919u * 3240u;
  EXPECT_EQ(bmp[topRow], 30);
  EXPECT_EQ(bmp[topRow + 1], 20);
  EXPECT_EQ(bmp[topRow + 2], 10);
  EXPECT_EQ(bmp[54], 255);
}

TEST(Canvas, PictureRowsArePaddedToFourBytes) {
  const auto png = MakePng(25, 29, Pattern);
  Canvas canvas = MakeCanvas({.width = 25, .height = 29, .backgroundPng = png}, RobotoFonts());
  std::vector<unsigned char> bmp(5000, 0xEE);
  GetPictureInto(canvas, bmp);
  ASSERT_EQ(bmp.size(), 54u + 76u * 29u);
  EXPECT_EQ(Read32(bmp, 2), 54u + 76u * 29u);
  EXPECT_EQ(Read32(bmp, 34), 76u * 29u);
  EXPECT_EQ(Read32(bmp, 18), 25u);
  EXPECT_EQ(Read32(bmp, 22), 29u);
  for (std::int32_t row = 0; row < 29; ++row) {
    const std::size_t start = 54 + static_cast<std::size_t>(row) * 76;
    const std::int32_t y = 28 - row;
    for (std::int32_t x = 0; x < 25; ++x) {
      const Colour c = Pattern(x, y);
      ASSERT_EQ(bmp[start + x * 3], BlueOf(c));
      ASSERT_EQ(bmp[start + x * 3 + 1], GreenOf(c));
      ASSERT_EQ(bmp[start + x * 3 + 2], RedOf(c));
    }
    EXPECT_EQ(bmp[start + 75], 0);  // the padding byte
  }
}

TEST(Canvas, GetPictureIntoReusesTheCallersMemory) {
  Canvas canvas = WhiteCanvas(1080, 1920);
  std::vector<unsigned char> bmp;
  GetPictureInto(canvas, bmp);
  const unsigned char* memory = bmp.data();
  canvas.raster[0] = 1;
  GetPictureInto(canvas, bmp);
  EXPECT_EQ(bmp.data(), memory);
  EXPECT_EQ(bmp[54 + 1919u * 3240u + 2], 1);
}

// --- The built-in faces ------------------------------------------------------------------------

std::int32_t Scaled(std::int32_t units, std::int32_t em, std::int32_t unitsPerEm) {
  return (2 * units * em + unitsPerEm) / (2 * unitsPerEm);
}

TEST(BuiltInFaces, UnmappedCharactersUseGlyphZero) {
  // As the picture uses them: the light face regular, the heavy one bold.
  const struct { const char* face; bool bold; const char* glyphZero; const char* unmapped; std::int32_t units, unitsPerEm; } cases[] = {
      {"lumivale_xi", false, ".", ":", 238, 1000},
      {"lumivale_xi", false, ".", " ", 238, 1000},
      {"lumivale_xi", false, ".", "-", 238, 1000},
      {"lumivale_cu", true, "\"", " ", 657, 2048},
      {"lumivale_cu", true, "\"", "A", 657, 2048},
      {"lumivale_cu", true, "\"", "\xA3\xA4", 657, 2048},  // ￥
  };
  for (const auto& c : cases) {
    for (const std::int32_t size : {25, 28, 45}) {
      Canvas drawn = WhiteCanvas(80, 80, BuiltInFonts()), expected = WhiteCanvas(80, 80, BuiltInFonts());
      SetFont(drawn, Record(c.face, size, c.bold));
      SetFont(expected, Record(c.face, size, c.bold));
      const std::int32_t em = EmHeightForSize(size);
      EXPECT_EQ(TextWidth(drawn, c.unmapped), Scaled(c.units, em, c.unitsPerEm)) << c.face << size;
      WriteAt(drawn, 5, 5, c.unmapped);
      WriteAt(expected, 5, 5, c.glyphZero);
      EXPECT_EQ(drawn.raster, expected.raster) << c.face << " " << c.unmapped;
    }
  }
}

TEST(BuiltInFaces, HeavyFaceIsBoldItselfAndKeepsItsAdvances) {
  Canvas canvas = WhiteCanvas(10, 10, BuiltInFonts());
  SetFont(canvas, Record("lumivale_cu", 45, true));
  EXPECT_TRUE(DescribeFont(canvas).own);
  EXPECT_FALSE(DescribeFont(canvas).emboldened);
  EXPECT_EQ(TextWidth(canvas, "1234"), 4 * Scaled(1175, 60, 2048));
  EXPECT_EQ(TextWidth(canvas, "6"), Scaled(1174, 60, 2048));
}

TEST(BuiltInFaces, AscentsPutAFractionOnTheIntegersBaseline) {
  Canvas canvas = WhiteCanvas(10, 10, BuiltInFonts());
  const struct { std::int32_t size, ascent, cell; } cases[] = {{45, 57, 72}, {28, 35, 44}};
  for (const auto& c : cases) {
    SetFont(canvas, Record("lumivale_cu", c.size, true));
    EXPECT_EQ(DescribeFont(canvas).ascent, c.ascent) << c.size;
    EXPECT_EQ(DescribeFont(canvas).cellHeight, c.cell) << c.size;
  }
}

}  // namespace
