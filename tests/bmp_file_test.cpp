#include "output/bmp_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/bmp_fixture.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using bmp_fixture::Put16;
using bmp_fixture::Put32;

// The colour of pixel (x, y), y counted from the top; every channel differs.
std::uint8_t Red(int x, int y) { return static_cast<std::uint8_t>(10 + x * 20 + y); }
std::uint8_t Green(int x, int y) { return static_cast<std::uint8_t>(100 + x + y * 20); }
std::uint8_t Blue(int x, int y) { return static_cast<std::uint8_t>(250 - x - y); }

// A picture whose every channel differs, with row padding the reader must skip; `gap` extra
// bytes between the headers and the pixel rows.
std::vector<std::uint8_t> MakeBmp(int width, int height, std::size_t gap = 0) {
  return bmp_fixture::MakeBmp(
      width, height, [](int x, int y) { return bmp_fixture::Rgb{Red(x, y), Green(x, y), Blue(x, y)}; },
      gap, 0xEE);
}

void ExpectPixels(const BmpPixels& picture, int width, int height) {
  ASSERT_EQ(picture.width, width);
  ASSERT_EQ(picture.height, height);
  ASSERT_EQ(picture.rowBytes, (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = picture.Row(y) + x * 3;
      ASSERT_EQ(p[0], Blue(x, y)) << x << "," << y;
      ASSERT_EQ(p[1], Green(x, y)) << x << "," << y;
      ASSERT_EQ(p[2], Red(x, y)) << x << "," << y;
    }
}

TEST(DecodeBmp, ReadsRowsTopDownSkippingPadding) {
  const std::pair<int, int> sizes[] = {{1, 1}, {7, 5}, {4, 3}, {2, 2}, {3, 1}, {1, 9}};
  for (auto [width, height] : sizes) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const std::vector<std::uint8_t> file = MakeBmp(width, height);
    std::optional<BmpPixels> picture = DecodeBmp(file);
    ASSERT_TRUE(picture);
    ExpectPixels(*picture, width, height);
  }
}

TEST(DecodeBmp, TakesPixelsFromTheStatedOffsetAndIgnoresTrailingBytes) {
  std::vector<std::uint8_t> file = MakeBmp(7, 5, 10);
  file.insert(file.end(), 17, 0x55);
  std::optional<BmpPixels> picture = DecodeBmp(file);
  ASSERT_TRUE(picture);
  ExpectPixels(*picture, 7, 5);
}

TEST(DecodeBmp, RefusesEverythingElse) {
  const std::vector<std::uint8_t> valid = MakeBmp(7, 5);
  using Edit = void (*)(std::vector<std::uint8_t>&);
  struct Case {
    const char* name;
    Edit edit;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }},
      {"header cut short", [](auto& b) { b.resize(53); }},
      {"headers only", [](auto& b) { b.resize(54); }},
      {"last row cut by one byte", [](auto& b) { b.pop_back(); }},
      {"half the rows", [](auto& b) { b.resize(54 + 24 * 2); }},
      {"not BM", [](auto& b) { b[1] = 'A'; }},
      {"core header (12 bytes)", [](auto& b) { Put32(b, 14, 12); }},
      {"version 4 header", [](auto& b) { Put32(b, 14, 108); }},
      {"version 5 header", [](auto& b) { Put32(b, 14, 124); }},
      {"no planes", [](auto& b) { Put16(b, 26, 0); }},
      {"32 bits per pixel", [](auto& b) { Put16(b, 28, 32); }},
      {"16 bits per pixel", [](auto& b) { Put16(b, 28, 16); }},
      {"8 bits per pixel", [](auto& b) { Put16(b, 28, 8); }},
      {"run-length compressed", [](auto& b) { Put32(b, 30, 1); }},
      {"bit fields", [](auto& b) { Put32(b, 30, 3); }},
      {"zero width", [](auto& b) { Put32(b, 18, 0); }},
      {"negative width", [](auto& b) { Put32(b, 18, static_cast<std::uint32_t>(-7)); }},
      {"zero height", [](auto& b) { Put32(b, 22, 0); }},
      {"top-down rows", [](auto& b) { Put32(b, 22, static_cast<std::uint32_t>(-5)); }},
      {"most negative height", [](auto& b) { Put32(b, 22, 0x80000000u); }},
      {"width over the cap", [](auto& b) { Put32(b, 18, kMaxBmpSide + 1); }},
      {"height over the cap", [](auto& b) { Put32(b, 22, kMaxBmpSide + 1); }},
      {"width whose bytes overflow 32 bits", [](auto& b) { Put32(b, 18, 0x55555556u); }},
      {"largest size, far larger than the file",
       [](auto& b) { Put32(b, 18, kMaxBmpSide), Put32(b, 22, kMaxBmpSide); }},
      {"one row more than the file holds", [](auto& b) { Put32(b, 22, 6); }},
      {"pixel offset inside the headers", [](auto& b) { Put32(b, 10, 53); }},
      {"pixel offset beyond the file", [](auto& b) { Put32(b, 10, 0xFFFFFFF0u); }},
      {"pixel offset leaving too few bytes", [](auto& b) { Put32(b, 10, 58); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> file = valid;
    c.edit(file);
    // An exact-size copy lets the sanitizers and the allocator catch any read past the end.
    std::vector<std::uint8_t> exact(file.begin(), file.end());
    EXPECT_FALSE(DecodeBmp(exact));
  }
}

class ReadWholeFileTest : public ::testing::Test {
 protected:
  TemporaryFolder temporary_{"bmp_file_test"};
  const fs::path folder_ = temporary_.path();
};

TEST_F(ReadWholeFileTest, GivesExactContents) {
  const std::vector<std::uint8_t> file = MakeBmp(7, 5);
  std::ofstream(folder_ / "a.bmp", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::ofstream(folder_ / "empty.bmp", std::ios::binary);
  EXPECT_EQ(ReadWholeFile(folder_ / "a.bmp"), file);
  EXPECT_EQ(ReadWholeFile(folder_ / "empty.bmp"), std::vector<std::uint8_t>{});
}

TEST_F(ReadWholeFileTest, RefusesWhatIsNoRegularFile) {
  ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);  // must not block
  fs::create_directory(folder_ / "folder");
  for (const char* name : {"missing", "folder", "fifo"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ReadWholeFile(folder_ / name));
  }
}

}  // namespace
