// The built-in fonts as the program carries them: their tables read straight from the embedded
// bytes, and their character maps both from the bytes and through FreeType.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "assets/embedded_assets.h"

namespace {

using Bytes = std::span<const unsigned char>;

std::uint16_t U16(Bytes b, std::size_t at) {
  if (at + 2 > b.size()) throw std::out_of_range("read past the end of the font");
  return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}
std::int16_t S16(Bytes b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }
std::uint32_t U32(Bytes b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) << 16 | U16(b, at + 2);
}

// The sfnt table directory.
std::map<std::string, Bytes> ReadTables(Bytes font) {
  std::map<std::string, Bytes> tables;
  const std::uint16_t count = U16(font, 4);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t record = 12 + 16 * std::size_t{i};
    const std::string tag(reinterpret_cast<const char*>(font.data() + record), 4);
    const std::uint32_t offset = U32(font, record + 8);
    const std::uint32_t length = U32(font, record + 12);
    if (std::size_t{offset} + length > font.size()) throw std::out_of_range("table " + tag);
    tables[tag] = font.subspan(offset, length);
  }
  return tables;
}

// UTF-16BE (BMP only, as every name here is) to UTF-8.
std::string Utf16BeToUtf8(Bytes b) {
  std::string out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    const unsigned c = U16(b, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The name record (platform, encoding, language, id), decoded; nothing when absent.
std::optional<std::string> NameRecord(Bytes name, int platform, int encoding, int language,
                                      int id) {
  const std::uint16_t count = U16(name, 2);
  const std::uint16_t stringsAt = U16(name, 4);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t r = 6 + 12 * std::size_t{i};
    if (U16(name, r) != platform || U16(name, r + 2) != encoding ||
        U16(name, r + 4) != language || U16(name, r + 6) != id)
      continue;
    const Bytes text = name.subspan(stringsAt + U16(name, r + 10), U16(name, r + 8));
    if (platform == 3) return Utf16BeToUtf8(text);
    return std::string(text.begin(), text.end());
  }
  return std::nullopt;
}

// Every code a cmap subtable covers, with its glyph, glyph 0 included: a segment or byte-table
// entry that sends a character to glyph 0 still shows here, unlike through a font library.
std::map<std::uint32_t, int> CoveredCodes(Bytes cmap, int platform, int encoding) {
  const std::uint16_t count = U16(cmap, 2);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t r = 4 + 8 * std::size_t{i};
    if (U16(cmap, r) != platform || U16(cmap, r + 2) != encoding) continue;
    const Bytes sub = cmap.subspan(U32(cmap, r + 4));
    std::map<std::uint32_t, int> covered;
    const std::uint16_t format = U16(sub, 0);
    if (format == 0) {
      // A byte table cannot tell "to glyph 0" from "not mapped"; it lists only real glyphs.
      for (std::uint32_t c = 0; c < 256; ++c)
        if (sub[6 + c] != 0) covered[c] = sub[6 + c];
    } else if (format == 4) {
      const std::size_t segments = U16(sub, 6) / 2;
      const std::size_t ends = 14, starts = ends + 2 * segments + 2;
      const std::size_t deltas = starts + 2 * segments, rangeOffsets = deltas + 2 * segments;
      for (std::size_t s = 0; s < segments; ++s) {
        const std::uint16_t start = U16(sub, starts + 2 * s), end = U16(sub, ends + 2 * s);
        const std::uint16_t delta = U16(sub, deltas + 2 * s);
        const std::uint16_t rangeOffset = U16(sub, rangeOffsets + 2 * s);
        if (start == 0xFFFF) continue;  // the closing segment
        for (std::uint32_t c = start; c <= end; ++c) {
          std::uint16_t glyph;
          if (rangeOffset == 0) {
            glyph = static_cast<std::uint16_t>(c + delta);
          } else {
            const std::uint16_t raw =
                U16(sub, rangeOffsets + 2 * s + rangeOffset + 2 * (c - start));
            glyph = raw == 0 ? 0 : static_cast<std::uint16_t>(raw + delta);
          }
          covered[c] = glyph;
        }
      }
    } else {
      ADD_FAILURE() << "unexpected cmap format " << format;
    }
    return covered;
  }
  ADD_FAILURE() << "no cmap subtable " << platform << "/" << encoding;
  return {};
}

struct GlyphBox {
  int contours, xMin, yMin, xMax, yMax;
};

GlyphBox ReadGlyphBox(const std::map<std::string, Bytes>& tables, int glyph) {
  const bool longOffsets = S16(tables.at("head"), 50) == 1;
  const Bytes loca = tables.at("loca");
  const std::size_t offset = longOffsets ? U32(loca, 4 * glyph) : 2 * std::size_t{U16(loca, 2 * glyph)};
  const Bytes g = tables.at("glyf").subspan(offset);
  return {S16(g, 0), S16(g, 2), S16(g, 4), S16(g, 6), S16(g, 8)};
}

// (advance, left side bearing) from hmtx.
std::pair<int, int> HorizontalMetrics(const std::map<std::string, Bytes>& tables, int glyph) {
  const int longMetrics = U16(tables.at("hhea"), 34);
  const Bytes hmtx = tables.at("hmtx");
  if (glyph < longMetrics) return {U16(hmtx, 4 * glyph), S16(hmtx, 4 * glyph + 2)};
  return {U16(hmtx, 4 * (longMetrics - 1)), S16(hmtx, 4 * longMetrics + 2 * (glyph - longMetrics))};
}

struct FontExpectations {
  const char* label;
  Bytes (*data)();
  int unitsPerEm;
  bool bold;
  int numGlyphs;
  int winAscent, winDescent;
  int ascender, descender, lineGap;
  const char* names[7];  // records 1 to 6 at [1] .. [6]
};
// Test names and failure messages show the label, not the struct's bytes.
void PrintTo(const FontExpectations& font, std::ostream* out) { *out << font.label; }

const FontExpectations kCu{
    "cu", FontCuData, 2048, true, 31, 1946, 512, 1900, -500, 0,
    {nullptr, "lumivale_cu", "Regular", "lumivale_cu 粗体:Version 1.00", "lumivale_cu 粗体",
     "Version 1.00 September 8, 2017, initial release", "lumivale_cu-"}};
const FontExpectations kXi{
    "xi", FontXiData, 1000, false, 11, 949, 342, 949, -342, 90,
    {nullptr, "lumivale_xi", "Regular", "lumivale_xi 常规:Version 1.00", "lumivale_xi 常规",
     "Version 1.00 March 26, 2013, initial release", "lumivale_xi-"}};

class FontTables : public testing::TestWithParam<FontExpectations> {
 protected:
  Bytes font() const { return GetParam().data(); }
};

TEST_P(FontTables, HeaderMetricsAndStyle) {
  const FontExpectations& want = GetParam();
  ASSERT_GT(font().size(), 12u) << "the embedded font is empty";
  EXPECT_EQ(U32(font(), 0), 0x00010000u);
  const auto tables = ReadTables(font());
  for (const char* tag : {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name", "OS/2",
                          "post"})
    EXPECT_TRUE(tables.contains(tag)) << tag;
  for (const char* tag : {"GSUB", "GPOS", "kern", "fpgm", "prep", "cvt "})
    EXPECT_FALSE(tables.contains(tag)) << tag;

  const Bytes head = tables.at("head");
  EXPECT_EQ(U16(head, 18), want.unitsPerEm);
  EXPECT_EQ((U16(head, 44) & 1) != 0, want.bold) << "macStyle bold bit";

  EXPECT_EQ(U16(tables.at("maxp"), 4), want.numGlyphs);

  const Bytes os2 = tables.at("OS/2");
  EXPECT_EQ(U16(os2, 0), 4) << "OS/2 version";
  EXPECT_EQ(U16(os2, 4), 400) << "usWeightClass";
  const std::uint16_t fsSelection = U16(os2, 62);
  EXPECT_EQ((fsSelection & (1 << 5)) != 0, want.bold) << "fsSelection bold";
  EXPECT_EQ((fsSelection & (1 << 6)) != 0, !want.bold) << "fsSelection regular";
  EXPECT_EQ(U16(os2, 74), want.winAscent);
  EXPECT_EQ(U16(os2, 76), want.winDescent);

  const Bytes hhea = tables.at("hhea");
  EXPECT_EQ(S16(hhea, 4), want.ascender);
  EXPECT_EQ(S16(hhea, 6), want.descender);
  EXPECT_EQ(S16(hhea, 8), want.lineGap);
}

TEST_P(FontTables, NameRecords) {
  const FontExpectations& want = GetParam();
  const Bytes name = ReadTables(font()).at("name");
  for (int id = 1; id <= 6; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(NameRecord(name, 3, 1, 0x409, id), want.names[id]);
    const std::string text = want.names[id];
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // The Macintosh platform carries what Mac Roman can hold; the Chinese full names are
    // Windows only.
    if (ascii)
      EXPECT_EQ(NameRecord(name, 1, 0, 0, id), text);
    else
      EXPECT_EQ(NameRecord(name, 1, 0, 0, id), std::nullopt);
    EXPECT_EQ(text.find("Roboto"), std::string::npos);
  }
  // The outlines' origin and licence travel with the font.
  EXPECT_NE(NameRecord(name, 3, 1, 0x409, 0).value_or("").find("Copyright 2011 Google Inc."),
            std::string::npos);
  const std::string licence = NameRecord(name, 3, 1, 0x409, 13).value_or("");
  EXPECT_NE(licence.find("Roboto"), std::string::npos);
  EXPECT_NE(licence.find("Apache License, Version 2.0"), std::string::npos);
}

TEST_P(FontTables, EveryGlyphStartsItsBearingAtItsInk) {
  const auto tables = ReadTables(font());
  for (int glyph = 0; glyph < GetParam().numGlyphs; ++glyph) {
    const GlyphBox box = ReadGlyphBox(tables, glyph);
    EXPECT_GT(box.contours, 0) << "glyph " << glyph << " is empty or composite";
    EXPECT_EQ(HorizontalMetrics(tables, glyph).second, box.xMin) << "glyph " << glyph;
  }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, FontTables, testing::Values(kCu, kXi),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(FontGlyphZero, CuIsAStraightDoubleQuoteAtTheTop) {
  const auto tables = ReadTables(FontCuData());
  const GlyphBox box = ReadGlyphBox(tables, 0);
  EXPECT_EQ(box.contours, 2);
  EXPECT_GT(box.yMin, 728);  // in the upper half of the capitals (cap height 1456)
  EXPECT_LE(box.yMax, 1900);
  EXPECT_EQ(HorizontalMetrics(tables, 0).first, 657);
}

TEST(FontGlyphZero, XiIsAFullStopOnTheBaseline) {
  const auto tables = ReadTables(FontXiData());
  const GlyphBox box = ReadGlyphBox(tables, 0);
  EXPECT_EQ(box.contours, 1);
  EXPECT_LE(box.yMin, 0);
  EXPECT_LT(box.yMax, 150);
  EXPECT_LE(box.xMax, 238);
  EXPECT_EQ(HorizontalMetrics(tables, 0).first, 238);
}

// Advance of each character U+0022 to U+0040; 0 in xi means drawn with glyph 0 (238).
struct AdvanceRow {
  char32_t ch;
  int cu;
  int xi;
};
const AdvanceRow kAdvances[] = {
    {'"', 657, 0},   {'#', 1220, 0},  {'$', 1175, 0}, {'%', 1512, 0}, {'&', 1344, 0},
    {'\'', 331, 0},  {'(', 719, 0},   {')', 722, 0},  {'*', 928, 0},  {'+', 1118, 0},
    {',', 500, 0},   {'-', 794, 0},   {'.', 595, 238}, {'/', 765, 0}, {'0', 1175, 562},
    {'1', 1175, 562}, {'2', 1175, 562}, {'3', 1175, 562}, {'4', 1175, 562}, {'5', 1175, 562},
    {'6', 1174, 562}, {'7', 1175, 562}, {'8', 1175, 562}, {'9', 1175, 562}, {':', 578, 0},
    {';', 537, 0},   {'<', 1042, 0},  {'=', 1172, 0}, {'>', 1058, 0}, {'?', 1019, 0},
    {'@', 1833, 0},
};

// The glyph each character must reach through the Unicode and Windows maps (-1: not mapped).
int CuGlyph(char32_t c) { return c >= 0x22 && c <= 0x40 ? static_cast<int>(c - 0x22) : -1; }
int XiGlyph(char32_t c) {
  if (c == '.') return 0;
  return c >= '0' && c <= '9' ? static_cast<int>(c - '0' + 1) : -1;
}

struct FtLibraryDeleter {
  void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
struct FtFaceDeleter {
  void operator()(FT_Face f) const { FT_Done_Face(f); }
};
using FtLibrary = std::unique_ptr<std::remove_pointer_t<FT_Library>, FtLibraryDeleter>;
using FtFace = std::unique_ptr<std::remove_pointer_t<FT_Face>, FtFaceDeleter>;

class FontCharacterMaps : public testing::Test {
 protected:
  void SetUp() override {
    FT_Library raw = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&raw), 0);
    library_.reset(raw);
  }
  FtFace Open(Bytes data) {
    FT_Face face = nullptr;
    EXPECT_EQ(FT_New_Memory_Face(library_.get(), data.data(), static_cast<FT_Long>(data.size()),
                                 0, &face),
              0);
    return FtFace(face);
  }
  static bool UseCharmap(FT_Face face, int platform, int encoding) {
    for (int i = 0; i < face->num_charmaps; ++i) {
      FT_CharMap map = face->charmaps[i];
      if (map->platform_id == platform && map->encoding_id == encoding)
        return FT_Set_Charmap(face, map) == 0;
    }
    return false;
  }
  FtLibrary library_;
};

TEST_F(FontCharacterMaps, AdvanceOfEveryCharacter) {
  const auto cuTables = ReadTables(FontCuData());
  const auto xiTables = ReadTables(FontXiData());
  FtFace cu = Open(FontCuData());
  FtFace xi = Open(FontXiData());
  ASSERT_TRUE(cu && xi);
  ASSERT_TRUE(UseCharmap(cu.get(), 3, 1));
  ASSERT_TRUE(UseCharmap(xi.get(), 3, 1));
  for (const AdvanceRow& row : kAdvances) {
    SCOPED_TRACE(static_cast<char>(row.ch));
    const int cuGlyph = static_cast<int>(FT_Get_Char_Index(cu.get(), row.ch));
    EXPECT_EQ(cuGlyph, CuGlyph(row.ch));
    EXPECT_EQ(HorizontalMetrics(cuTables, cuGlyph).first, row.cu);
    const int xiGlyph = static_cast<int>(FT_Get_Char_Index(xi.get(), row.ch));
    EXPECT_EQ(HorizontalMetrics(xiTables, xiGlyph).first, row.xi == 0 ? 238 : row.xi);
  }
}

struct CmapCase {
  const char* label;
  Bytes (*data)();
  int platform, encoding;
  int (*glyphOf)(char32_t);  // -1: not in this map (so drawn with glyph 0)
};
void PrintTo(const CmapCase& map, std::ostream* out) { *out << map.label; }

int CuMacGlyph(char32_t c) { return c == '"' ? -1 : CuGlyph(c); }
int XiMacGlyph(char32_t c) { return c >= '0' && c <= '9' ? XiGlyph(c) : -1; }

class FontCharacterMap : public FontCharacterMaps,
                         public testing::WithParamInterface<CmapCase> {};

TEST_P(FontCharacterMap, MapsExactlyTheListedCharacters) {
  const CmapCase& want = GetParam();
  FtFace face = Open(want.data());
  ASSERT_TRUE(face);
  ASSERT_TRUE(UseCharmap(face.get(), want.platform, want.encoding));
  const bool mac = want.platform == 1;
  std::vector<char32_t> probes;
  for (char32_t c = 0; c < (mac ? 0x100 : 0x180); ++c) probes.push_back(c);
  if (!mac) probes.insert(probes.end(), {0xA5, 0xFFE5, 0x4E00, 0x7C97, 0xFFFF});
  for (char32_t c : probes) {
    const int expected = want.glyphOf(c);
    EXPECT_EQ(static_cast<int>(FT_Get_Char_Index(face.get(), c)), expected < 0 ? 0 : expected)
        << "U+" << std::hex << static_cast<unsigned>(c);
  }

  // Through a font library an entry to glyph 0 looks unmapped; the subtable itself must hold it.
  std::map<std::uint32_t, int> expectedCovered;
  for (char32_t c = 0; c < 0x10000; ++c)
    if (want.glyphOf(c) >= 0) expectedCovered[c] = want.glyphOf(c);
  EXPECT_EQ(CoveredCodes(ReadTables(want.data()).at("cmap"), want.platform, want.encoding),
            expectedCovered);
}

INSTANTIATE_TEST_SUITE_P(
    BuiltIn, FontCharacterMap,
    testing::Values(CmapCase{"cu_unicode", FontCuData, 0, 3, CuGlyph},
                    CmapCase{"cu_windows", FontCuData, 3, 1, CuGlyph},
                    CmapCase{"cu_mac", FontCuData, 1, 0, CuMacGlyph},
                    CmapCase{"xi_unicode", FontXiData, 0, 3, XiGlyph},
                    CmapCase{"xi_windows", FontXiData, 3, 1, XiGlyph},
                    CmapCase{"xi_mac", FontXiData, 1, 0, XiMacGlyph}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
