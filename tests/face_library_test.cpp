// The face library: the program's own faces found by their family names, fontconfig's matches
// for every other name, and nothing shared between libraries.
#include "compose/face_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/file_helpers.h"
#include "tests/test_faces.h"

namespace {

const std::string kRoboto = test_faces::kRobotoDir + "Roboto-Regular.ttf";
const std::string kNotoCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

TEST(FaceLibrary, RefusesWhatIsNotAFont) {
  FaceLibrary library;
  static const std::vector<unsigned char> garbage(500, 0x42);
  EXPECT_FALSE(library.AddFontData({}));
  EXPECT_FALSE(library.AddFontData(garbage));
  EXPECT_FALSE(library.HasFamily("Roboto"));
  EXPECT_FALSE(library.HasFamily(""));
}

TEST(FaceLibrary, OwnFacesAreFoundByFamilyNameInAnyCaseBeforeFontconfig) {
  const auto library = test_faces::LibraryOfFiles({kRoboto});
  EXPECT_TRUE(library->HasFamily("Roboto"));
  EXPECT_TRUE(library->HasFamily("rOBOTO"));
  EXPECT_FALSE(library->HasFamily("Robot"));
  const auto found = library->Find("roboto", false, false);
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->own);
  EXPECT_EQ(found->source.path, kRoboto);  // where the bytes came from
  EXPECT_FALSE(found->source.data.empty());  // but the face opens from the copy in memory
  // The same file added again adds no second face.
  const auto bytes = std::make_shared<const std::vector<unsigned char>>(file_helpers::ReadBytes(kRoboto));
  EXPECT_TRUE(library->AddFontData(*bytes, bytes, kRoboto));
}

TEST(FaceLibrary, EveryFaceOfACollectionIsItsOwn) {
  const auto library = test_faces::LibraryOfFiles({kNotoCollection});
  for (const char* family : {"Noto Sans CJK JP", "Noto Sans CJK SC", "Noto Sans CJK TC"}) {
    SCOPED_TRACE(family);
    const auto found = library->Find(family, false, false);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->own);
  }
}

TEST(FaceLibrary, OtherNamesGetFontconfigsMatchAskedOnce) {
  FaceLibrary library;
  library.MatchWithFontconfig("DejaVu Sans", false, false);
  const auto first = library.Find("DejaVu Sans", false, false);
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->own);
  EXPECT_NE(first->source.path.find("DejaVuSans"), std::string::npos) << first->source.path;
  const auto again = library.Find("DejaVu Sans", false, false);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->source.Key(), first->source.Key());
  // Bold asks fontconfig for the bold face.
  const auto bold = library.Find("DejaVu Sans", true, false);
  ASSERT_TRUE(bold);
  EXPECT_NE(bold->source.Key(), first->source.Key());
}

TEST(FaceLibrary, LibrariesShareNothing) {
  const auto withRoboto = test_faces::LibraryOfFiles({kRoboto});
  FaceLibrary without;
  EXPECT_TRUE(withRoboto->HasFamily("Roboto"));
  EXPECT_FALSE(without.HasFamily("Roboto"));
  const auto found = without.Find("Roboto", false, false);
  EXPECT_TRUE(!found || !found->own);  // fontconfig's Roboto, if it has one, not a face of ours
}

}  // namespace
