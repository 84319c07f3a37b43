#include <gtest/gtest.h>

#include <clocale>

#include "gbk_text.h"

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
  EXPECT_EQ(GbkToCodePoints("\xFF\xFF" "1"), U"\uFFFD" "1");
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
