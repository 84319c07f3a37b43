#include <gtest/gtest.h>

#include <clocale>

#include "compose/gbk_text.h"

namespace {

struct Conversion {
  const char* utf8;
  const char* gbk;
};

TEST(GbkText, ConvertsBothWays) {
  const Conversion cases[] = {
      {"", ""},
      {"10:23", "10:23"},
      {"宋体", "\xCB\xCE\xCC\xE5"},
      {"上午", "\xC9\xCF\xCE\xE7"},
      {"１０：２３", "\xA3\xB1\xA3\xB0\xA3\xBA\xA3\xB2\xA3\xB3"},
      {"12元", "12\xD4\xAA"},
      {"€", "\x80"},  // GBK's one character of a single byte above ASCII
      {"€5", "\x80" "5"},
      {"€10：23", "\x80" "10\xA3\xBA" "23"},
      {"€€宋", "\x80\x80\xCB\xCE"},
      {"藔1", "\xCB\x80" "1"},  // after a lead byte, 0x80 is a second byte like any other
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
  }
}

TEST(GbkText, CharactersGbkLacksBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToGbk("한"), "?");  // Hangul syllables are not in GBK
  EXPECT_EQ(Utf8ToGbk("x\xFFy"), "x?y");   // not UTF-8 at all
  EXPECT_EQ(Utf8ToGbk("x\xE4\xB8"), "x??");  // a cut-off sequence: each stray byte
}

TEST(GbkText, DecodesByTwoByteUnits) {
  // B0 A3 BA C3 is 埃 followed by 好: the scan must pair B0 with A3, not A3 with BA.
  EXPECT_EQ(GbkToCodePoints("\xB0\xA3\xBA\xC3"), U"埃好");
  EXPECT_EQ(GbkToCodePoints("5\xA3"), U"5\uFFFD");  // a lone lead byte at the end
}

// 0x80 is "€" and 0xFF is a byte that is no character: each is one unit of its own and never
// takes the byte after it. Lead bytes are 0x81 to 0xFE; they take the next byte whatever it is.
TEST(GbkText, BytesOutsideTheLeadRangeStandAlone) {
  const struct {
    std::string gbk;
    std::u32string codePoints;
  } cases[] = {
      {"\x80", U"€"},
      {"\x80" "5", U"€5"},
      {"5\x80", U"5€"},
      {"\x80\n", U"€\n"},
      {"\x80\xA3\xBA", U"€："},
      {"\xFF", U"\uFFFD"},
      {"\xFF" "1", U"\uFFFD" "1"},
      {"\xFF\xFF" "1", U"\uFFFD\uFFFD" "1"},
      {"\xFF\xCB\xCE", U"\uFFFD宋"},
      {"\x81" "5" "1", U"\uFFFD" "1"},   // 81 35 is no GBK character, but still one unit
      {"\xA3\xFF" "1", U"\uFFFD" "1"},  // a lead byte takes even 0xFF
      {"\xFE", U"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GbkToCodePoints(c.gbk), c.codePoints) << c.gbk;
    std::string utf8;
    for (char32_t code : c.codePoints) AppendUtf8(utf8, code);
    EXPECT_EQ(GbkToUtf8(c.gbk), utf8) << c.gbk;
  }
}

// A broken UTF-8 sequence becomes one "?" for each of its bytes, and the character after it
// survives; only a well-formed character is handed to the converter as a whole.
TEST(GbkText, InvalidUtf8CostsOnlyItsOwnBytes) {
  const Conversion cases[] = {
      {"\xE4" "a12", "?a12"},                  // announces three bytes, has none
      {"\xE4\xB8" "a1", "??a1"},                // announces three bytes, has two
      {"\xF0\x9F\x98" "ab", "???ab"},
      {"\xC3" "a", "?a"},
      {"\xE4" "宋", "?\xCB\xCE"},
      {"\x80" "a", "?a"},                       // a continuation byte with no lead
      {"\xC0\xAF" "a", "??a"},                  // overlong "/"
      {"\xE0\x80\xAF" "a", "???a"},             // overlong "/"
      {"\xF0\x82\x82\xAC" "a", "????a"},        // overlong "€"
      {"\xED\xA0\x80" "a", "???a"},             // a surrogate
      {"\xF4\x90\x80\x80" "a", "????a"},        // above U+10FFFF
      {"\xF5\x80\x80\x80" "a", "????a"},
      {"\xFE\xFF" "a", "??a"},
      {"\xE2\x82\xAC\xAC" "5", "\x80?5"},      // "€" and a stray continuation byte
      {"\xED\x9F\xBF" "a", "?a"},               // U+D7FF: well formed, not in GBK
      {"\xF4\x8F\xBF\xBF" "a", "?a"},           // U+10FFFF: well formed, not in GBK
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
}

TEST(GbkText, DoesNotDependOnTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  EXPECT_EQ(Utf8ToGbk("宋体"), "\xCB\xCE\xCC\xE5");
  EXPECT_EQ(GbkToUtf8("\xCB\xCE\xCC\xE5"), "宋体");
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
