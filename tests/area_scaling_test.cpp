// Scaling for display: each target pixel is the average of the source pixels it covers.
#include "compose/area_scaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::uint32_t Argb(unsigned r, unsigned g, unsigned b) { return 0xFF000000u | r << 16 | g << 8 | b; }

TEST(AreaScaling, WholeBlocksAverageExactly) {
  // 4 x 2 source, red-green-blue order: two 2 x 2 blocks.
  const std::vector<unsigned char> rgb = {
      0, 0, 0,    100, 0, 0,    10, 20, 30,  10, 20, 30,
      200, 0, 0,  100, 4, 8,    10, 20, 30,  250, 240, 230,
  };
  const RasterView source{rgb.data(), 12, 4, 2, false};
  EXPECT_EQ(AreaScaled(source, 2, 1), (std::vector<std::uint32_t>{Argb(100, 1, 2), Argb(70, 75, 80)}));
  // The same scaled to its own size is itself.
  const std::vector<std::uint32_t> same = AreaScaled(source, 4, 2);
  EXPECT_EQ(same[1], Argb(100, 0, 0));
  EXPECT_EQ(same[7], Argb(250, 240, 230));
}

TEST(AreaScaling, ReadsBottomUpBgrRowsAsABmpStoresThem) {
  // Two rows of one pixel, stored bottom row first as blue, green, red.
  const std::vector<unsigned char> bmpRows = {/* bottom */ 3, 2, 1, 0, /* top */ 30, 20, 10, 0};
  const RasterView source{bmpRows.data() + 4, -4, 1, 2, true};
  EXPECT_EQ(AreaScaled(source, 1, 2), (std::vector<std::uint32_t>{Argb(10, 20, 30), Argb(1, 2, 3)}));
  EXPECT_EQ(AreaScaled(source, 1, 1), (std::vector<std::uint32_t>{Argb(6, 11, 17)}));  // 5.5, 11, 16.5 rounded
}

// A target pixel that covers parts of source pixels weighs each by the part it covers; a sharp
// edge stays sharp where it falls on a target pixel's edge, and one pixel blends where it
// does not.
TEST(AreaScaling, PartlyCoveredPixelsCountByTheirShare) {
  const std::vector<unsigned char> rgb = {0, 0, 0, 255, 0, 0, 0, 0, 0};  // black, red, black
  const RasterView source{rgb.data(), 9, 3, 1, false};
  // 3 -> 2: each target pixel covers one and a half source pixels.
  EXPECT_EQ(AreaScaled(source, 2, 1), (std::vector<std::uint32_t>{Argb(85, 0, 0), Argb(85, 0, 0)}));
  // Stretching: every target pixel inside one source pixel takes it whole.
  const std::vector<std::uint32_t> wide = AreaScaled(source, 6, 1);
  EXPECT_EQ(wide, (std::vector<std::uint32_t>{Argb(0, 0, 0), Argb(0, 0, 0), Argb(255, 0, 0),
                                              Argb(255, 0, 0), Argb(0, 0, 0), Argb(0, 0, 0)}));
}

TEST(AreaScaling, ThePictureShrinksToThePreviewKeepingItsMeanColour) {
  constexpr int kWidth = 1080, kHeight = 1920;
  std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < rgb.size(); ++i) {
    rgb[i] = static_cast<unsigned char>((i * 7919) % 251);
    if (i % 3 == 0) sum += rgb[i];
  }
  const std::vector<std::uint32_t> preview = AreaScaled({rgb.data(), kWidth * 3, kWidth, kHeight, false}, 256, 457);
  ASSERT_EQ(preview.size(), 256u * 457u);
  std::uint64_t previewSum = 0;
  for (std::uint32_t pixel : preview) previewSum += pixel >> 16 & 0xFF;
  const double sourceMean = static_cast<double>(sum) / (kWidth * kHeight);
  const double previewMean = static_cast<double>(previewSum) / preview.size();
  EXPECT_NEAR(previewMean, sourceMean, 0.5);
  EXPECT_TRUE(AreaScaled({rgb.data(), kWidth * 3, kWidth, kHeight, false}, 0, 457).empty());
}

}  // namespace
