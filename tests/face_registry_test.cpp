#include <gtest/gtest.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compose/canvas.h"
#include "compose/canvas_font.h"
#include "compose/face_registry.h"

namespace {

const std::string kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";
const std::string kNotoCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("face_registry_test_" + std::to_string(::getpid()) + "_" + name);
}

TEST(FaceRegistry, RejectsWhatIsNotAFont) {
  static const std::vector<unsigned char> garbage(500, 0x42);
  EXPECT_FALSE(RegisterFaceData({}));
  EXPECT_FALSE(RegisterFaceData(garbage));
  EXPECT_FALSE(RegisterFaceCopy({}, "/nonexistent/folder/font.ttf"));
  EXPECT_FALSE(RegisterFaceCopy({'h', 'e', 'l', 'l', 'o'}, "hello.ttf"));
  EXPECT_FALSE(IsFaceRegistered("Roboto"));
}

TEST(FaceRegistry, DataIsFoundByItsFamilyNameInAnyCase) {
  static const std::vector<unsigned char> roboto = ReadAll(kRoboto);
  ASSERT_TRUE(RegisterFaceData(roboto));
  EXPECT_TRUE(RegisterFaceData(roboto));  // twice is harmless
  EXPECT_TRUE(IsFaceRegistered("Roboto"));
  EXPECT_TRUE(IsFaceRegistered("rOBOTO"));
  EXPECT_FALSE(IsFaceRegistered("Robot"));
  EXPECT_FALSE(IsFaceRegistered(""));
}

TEST(FaceRegistry, AFileIsRegisteredHereAndWithFontconfig) {
  const auto copy = TempPath("Roboto.ttf");
  std::filesystem::copy_file(kRoboto, copy, std::filesystem::copy_options::overwrite_existing);
  ASSERT_TRUE(RegisterFaceCopy(ReadAll(copy.string()), copy.string()));
  EXPECT_TRUE(IsFaceRegistered("Roboto"));
  bool known = false;
  FcFontSet* appFonts = FcConfigGetFonts(FcConfigGetCurrent(), FcSetApplication);
  for (int i = 0; appFonts != nullptr && i < appFonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(appFonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
      known = known || copy.string() == reinterpret_cast<const char*>(file);
  }
  EXPECT_TRUE(known);
  std::filesystem::remove(copy);
}

TEST(FaceRegistry, EveryFaceOfACollectionIsRegistered) {
  ASSERT_TRUE(RegisterFaceCopy(ReadAll(kNotoCollection), kNotoCollection));
  for (const char* family : {"Noto Sans CJK JP", "Noto Sans CJK SC", "Noto Sans CJK TC"})
    EXPECT_TRUE(IsFaceRegistered(family)) << family;
  CanvasSettings settings;
  settings.width = 50;
  settings.height = 50;
  Canvas canvas = MakeCanvas(settings);
  FontRecord record;
  record.faceName = "Noto Sans CJK SC";
  SetFont(canvas, record);
  EXPECT_TRUE(DescribeFont(canvas).registered);
  EXPECT_EQ(DescribeFont(canvas).family, "Noto Sans CJK SC");
}

TEST(FaceRegistry, ARegistrationReachesNamesThatFellBackBefore) {
  CanvasSettings settings;
  settings.width = 50;
  settings.height = 50;
  Canvas canvas = MakeCanvas(settings);
  FontRecord record;
  record.faceName = "DejaVu Sans Condensed";
  record.size = 45;
  const auto copy = TempPath("Condensed.ttf");
  std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf", copy,
                             std::filesystem::copy_options::overwrite_existing);
  SetFont(canvas, record);
  EXPECT_FALSE(DescribeFont(canvas).registered);
  ASSERT_TRUE(RegisterFaceCopy(ReadAll(copy.string()), copy.string()));
  EXPECT_FALSE(DescribeFont(canvas).registered);  // the surface keeps the font it was given
  SetFont(canvas, record);
  EXPECT_TRUE(DescribeFont(canvas).registered);
  std::filesystem::remove(copy);
}

}  // namespace
