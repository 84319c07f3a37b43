#include "output/convert_to_jpeg.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "tests/bmp_fixture.h"
#include "tests/jpeg_reading.h"
#include "tests/file_helpers.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadBytes;
using file_helpers::WriteBytes;

using jpeg_reading::Decoded;
using jpeg_reading::DecodeJpeg;
using jpeg_reading::Markers;
using jpeg_reading::Segment;
using bmp_fixture::Bytes;
using bmp_fixture::MakeBmp;
using bmp_fixture::PixelAt;
using bmp_fixture::Put16;
using bmp_fixture::Put32;
using bmp_fixture::Rgb;

Rgb Gradient(int x, int y) {
  return {static_cast<std::uint8_t>(40 + x * 2), static_cast<std::uint8_t>(60 + y * 2),
          static_cast<std::uint8_t>(200 - x - y)};
}

// Edges, noise and flat areas, so that every part of the encoder has work to do.
Rgb Varied(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
  h = (h ^ (h >> 13)) * 0x5bd1e995u;
  if (x < 20) return {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h >> 8), static_cast<std::uint8_t>(h >> 16)};
  if (y < 12) return {static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 20), 128};
  return ((x / 5 + y / 3) % 2) ? Rgb{250, 250, 250} : Rgb{10, 30, 200};
}

// Three 16-pixel-wide bands, red, green and blue, over a white top half and a black bottom
// half; 16 x 16 blocks keep the chroma subsampling from blurring across the regions.
Rgb Regions(int x, int y) {
  if (y < 16) {
    if (x < 16) return {255, 0, 0};
    if (x < 32) return {0, 255, 0};
    return {0, 0, 255};
  }
  return x < 24 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
}

class ConvertToJpegTest : public ::testing::Test {
 protected:

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string SourceOf(int width, int height, const PixelAt& pixel, const std::string& name = "in.bmp") {
    const std::string path = Path(name);
    WriteBytes(path, MakeBmp(width, height, pixel));
    return path;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Converts as the save does: colour, quality 100, optimised coding, no smoothing.
  Bytes SaveLike(const std::string& source) {
    const std::string target = Path("out.jpg");
    EXPECT_EQ(ConvertToJpeg(source, target), kJpegWritten);
    return ReadBytes(target);
  }

  TemporaryFolder temporary_{"convert_to_jpeg_test"};
  const fs::path folder_ = temporary_.path();
};

TEST_F(ConvertToJpegTest, BadArgumentsComeFirstAndTouchNothing) {
  const std::string source = SourceOf(7, 5, Gradient);
  const std::string target = Path("out.jpg");
  struct Case {
    const char* name;
    std::string source, target;
    int quality, smoothing;
  };
  const Case cases[] = {
      {"no source path", "", target, 100, 0},
      {"no target path", source, "", 100, 0},
      {"quality 0", source, target, 0, 0},
      {"quality 101", source, target, 101, 0},
      {"quality negative", source, target, -100, 0},
      {"smoothing -1", source, target, 100, -1},
      {"smoothing 101", source, target, 100, 101},
      {"before a missing source", Path("missing.bmp"), target, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConvertToJpeg(c.source, c.target, {.quality = c.quality, .smoothing = c.smoothing}), kJpegBadArguments);
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"in.bmp"});
  EXPECT_EQ(ConvertBmpBytesToJpeg(MakeBmp(7, 5, Gradient), target, {.smoothing = 101}),
            kJpegBadArguments);
  EXPECT_EQ(ConvertBmpBytesToJpeg({}, target, {.quality = 0}), kJpegBadArguments);
  EXPECT_EQ(Entries(), std::vector<std::string>{"in.bmp"});
}

TEST_F(ConvertToJpegTest, LimitsOfTheArgumentsAreAccepted) {
  const std::string source = SourceOf(7, 5, Gradient);
  for (auto [quality, smoothing] : {std::pair{1, 0}, {100, 100}, {1, 100}}) {
    SCOPED_TRACE(testing::Message() << quality << " " << smoothing);
    EXPECT_EQ(ConvertToJpeg(source, Path("out.jpg"), {.quality = quality, .optimiseCoding = false, .smoothing = smoothing}), kJpegWritten);
  }
}

TEST_F(ConvertToJpegTest, SourceProblemsGiveTheirCodesBeforeTheTargetIsTried) {
  const Bytes valid = MakeBmp(7, 5, Gradient);
  WriteBytes(Path("plain"), Bytes{1, 2, 3});
  WriteBytes(Path("empty.bmp"), {});
  WriteBytes(Path("truncated.bmp"), Bytes(valid.begin(), valid.end() - 1));
  Bytes deep = valid;
  Put16(deep, 28, 32);
  WriteBytes(Path("32bpp.bmp"), deep);
  Bytes topDown = valid;
  Put32(topDown, 22, static_cast<std::uint32_t>(-5));
  WriteBytes(Path("topdown.bmp"), topDown);
  Bytes compressed = valid;
  Put32(compressed, 30, 1);
  WriteBytes(Path("rle.bmp"), compressed);
  Bytes absurd = valid;
  Put32(absurd, 18, 0x7FFFFFFF);
  WriteBytes(Path("absurd.bmp"), absurd);
  Bytes header = valid;
  Put32(header, 14, 108);
  WriteBytes(Path("v4.bmp"), header);
  fs::create_directory(folder_ / "folder.bmp");
  const auto before = Entries();

  struct Case {
    const char* source;
    int expected;
  };
  const Case cases[] = {
      {"missing.bmp", kJpegNoSource},       {"plain/inside.bmp", kJpegNoSource},
      {"folder.bmp", kJpegUnreadableSource}, {"empty.bmp", kJpegUnreadableSource},
      {"plain", kJpegUnreadableSource},     {"truncated.bmp", kJpegUnreadableSource},
      {"32bpp.bmp", kJpegUnreadableSource}, {"topdown.bmp", kJpegUnreadableSource},
      {"rle.bmp", kJpegUnreadableSource},   {"absurd.bmp", kJpegUnreadableSource},
      {"v4.bmp", kJpegUnreadableSource},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    // The target is unwritable too: the source's problem is the one reported.
    EXPECT_EQ(ConvertToJpeg(Path(c.source), Path("nowhere/out.jpg")), c.expected);
    EXPECT_EQ(ConvertToJpeg(Path(c.source), Path("out.jpg")), c.expected);
  }
  EXPECT_EQ(ConvertBmpBytesToJpeg(ReadBytes(Path("truncated.bmp")), Path("out.jpg")),
            kJpegUnreadableSource);
  EXPECT_EQ(ConvertBmpBytesToJpeg({}, Path("out.jpg")), kJpegUnreadableSource);
  EXPECT_EQ(Entries(), before);
}

TEST_F(ConvertToJpegTest, UnwritableTargetsGiveMinusFourWithTheReason) {
  const std::string source = SourceOf(7, 5, Gradient);
  WriteBytes(Path("plain"), Bytes{1, 2, 3});
  fs::create_directory(folder_ / "out.jpg");
  struct Case {
    const char* target;
    std::errc reason;
  };
  const Case cases[] = {
      {"missing/out.jpg", std::errc::no_such_file_or_directory},
      {"plain/out.jpg", std::errc::not_a_directory},
      {"out.jpg", std::errc::is_a_directory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    std::error_code reason;
    EXPECT_EQ(ConvertToJpeg(source, Path(c.target), {}, &reason), kJpegWriteFailed);
    EXPECT_TRUE(reason == c.reason) << reason.message();
    reason.clear();
    EXPECT_EQ(ConvertBmpBytesToJpeg(ReadBytes(source), Path(c.target), {}, &reason),
              kJpegWriteFailed);
    EXPECT_TRUE(reason == c.reason) << reason.message();
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"in.bmp", "out.jpg", "plain"}));
  EXPECT_TRUE(fs::is_empty(folder_ / "out.jpg"));
  EXPECT_EQ(ReadBytes(Path("plain")), (Bytes{1, 2, 3}));
}

TEST_F(ConvertToJpegTest, ReplacesAnEarlierFileAndMayOverwriteItsOwnSource) {
  const std::string source = SourceOf(7, 5, Gradient);
  WriteBytes(Path("out.jpg"), Bytes(100000, 7));
  const Bytes jpeg = SaveLike(source);
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"in.bmp", "out.jpg"}));

  // The source is read whole before the target is written, so converting in place works.
  EXPECT_EQ(ConvertToJpeg(source, source), kJpegWritten);
  EXPECT_EQ(ReadBytes(source), jpeg);
}

TEST_F(ConvertToJpegTest, FileHasExactlyTheBaselineJfifLayout) {
  const std::string source = SourceOf(61, 37, Varied);
  const std::vector<Segment> segments = Markers(SaveLike(source));
  ASSERT_GE(segments.size(), 6u);

  std::vector<int> order;
  for (const Segment& s : segments) order.push_back(s.marker);
  // SOI, APP0, DQT x2, SOF0, DHT x4, SOS, EOI: no DRI, COM, APPn other than APP0, or second scan.
  EXPECT_EQ(order, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));

  const Bytes& app0 = segments[1].body;
  const Bytes jfif = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};  // 1.01, unit 0, 1:1, no thumbnail
  EXPECT_EQ(app0, jfif);

  for (int table = 0; table < 2; ++table) {
    SCOPED_TRACE(table);
    const Bytes& dqt = segments[2 + table].body;
    ASSERT_EQ(dqt.size(), 65u);
    EXPECT_EQ(dqt[0], table);  // 8-bit entries, table number
    for (int i = 1; i <= 64; ++i) EXPECT_EQ(dqt[i], 1) << i;
  }

  const Bytes& sof = segments[4].body;
  // precision 8, height 37, width 61, 3 components: Y 2x2 table 0, Cb and Cr 1x1 table 1
  const Bytes expectedSof = {8, 0, 37, 0, 61, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
  EXPECT_EQ(sof, expectedSof);

  const Bytes& sos = segments[9].body;
  const Bytes expectedSos = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
  EXPECT_EQ(sos, expectedSos);
}

TEST_F(ConvertToJpegTest, QualityScalesTheTablesWithBaselineEntries) {
  const std::string source = SourceOf(16, 16, Gradient);
  struct Case {
    int quality;
    int firstLuminance, firstChrominance;
  };
  // The first entries of libjpeg's standard tables are 16 and 17; quality 50 keeps them.
  for (const Case& c : {Case{50, 16, 17}, Case{75, 8, 9}, Case{1, 255, 255}}) {
    SCOPED_TRACE(c.quality);
    ASSERT_EQ(ConvertToJpeg(source, Path("q.jpg"), {.quality = c.quality}), kJpegWritten);
    const std::vector<Segment> segments = Markers(ReadBytes(Path("q.jpg")));
    ASSERT_GE(segments.size(), 4u);
    ASSERT_EQ(segments[2].marker, 0xDB);
    ASSERT_EQ(segments[3].marker, 0xDB);
    ASSERT_EQ(segments[2].body.size(), 65u);  // 8-bit entries even at quality 1
    ASSERT_EQ(segments[3].body.size(), 65u);
    EXPECT_EQ(segments[2].body[1], c.firstLuminance);
    EXPECT_EQ(segments[3].body[1], c.firstChrominance);
  }
}

TEST_F(ConvertToJpegTest, PixelsComeBackUprightInTheirColours) {
  const std::optional<Decoded> regions = DecodeJpeg(SaveLike(SourceOf(48, 32, Regions)));
  ASSERT_TRUE(regions);
  ASSERT_EQ(regions->width, 48);
  ASSERT_EQ(regions->height, 32);
  ASSERT_EQ(regions->components, 3);
  for (auto [x, y] : {std::pair{8, 8}, {24, 8}, {40, 8}, {8, 24}, {40, 24}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    const Rgb want = Regions(x, y);
    const std::uint8_t* got = regions->pixels.data() + (y * 48 + x) * 3;
    EXPECT_NEAR(got[0], want.r, 4);
    EXPECT_NEAR(got[1], want.g, 4);
    EXPECT_NEAR(got[2], want.b, 4);
  }

  // Odd sizes with padded rows: every pixel close to the original.
  const std::optional<Decoded> gradient = DecodeJpeg(SaveLike(SourceOf(7, 5, Gradient)));
  ASSERT_TRUE(gradient);
  ASSERT_EQ(gradient->width, 7);
  ASSERT_EQ(gradient->height, 5);
  double totalError = 0;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const Rgb want = Gradient(x, y);
      const std::uint8_t* got = gradient->pixels.data() + (y * 7 + x) * 3;
      totalError += std::abs(got[0] - want.r) + std::abs(got[1] - want.g) + std::abs(got[2] - want.b);
    }
  EXPECT_LT(totalError / (7 * 5 * 3), 1.5);
}

TEST_F(ConvertToJpegTest, GrayscaleGivesOneComponent) {
  const std::string source = SourceOf(48, 32, Regions);
  ASSERT_EQ(ConvertToJpeg(source, Path("gray.jpg"), {.grayscale = true}), kJpegWritten);
  const Bytes jpeg = ReadBytes(Path("gray.jpg"));
  const std::vector<Segment> segments = Markers(jpeg);
  std::vector<int> order;
  for (const Segment& s : segments) order.push_back(s.marker);
  EXPECT_EQ(order, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xC0, 0xC4, 0xC4, 0xDA, 0xD9}));
  const std::optional<Decoded> decoded = DecodeJpeg(jpeg);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->components, 1);
  // Luma of pure red, green and blue, then white and black.
  const int expected[][3] = {{8, 8, 76}, {24, 8, 150}, {40, 8, 29}, {8, 24, 255}, {40, 24, 0}};
  for (const auto& e : expected) {
    SCOPED_TRACE(testing::Message() << e[0] << "," << e[1]);
    EXPECT_NEAR(decoded->pixels[e[1] * 48 + e[0]], e[2], 3);
  }
}

// Debian's cjpeg, built on the same libjpeg, must write the very same bytes from the same BMP
// for the same settings.
TEST_F(ConvertToJpegTest, SameBytesAsCjpeg) {
  if (::access("/usr/bin/cjpeg", X_OK) != 0) GTEST_SKIP() << "cjpeg is not installed";
  const std::string source = SourceOf(61, 37, Varied);
  struct Case {
    bool grayscale;
    int quality;
    bool optimise;
    int smoothing;
    const char* options;
  };
  const Case cases[] = {
      {false, 100, true, 0, "-quality 100 -optimize -baseline -dct int -sample 2x2"},
      {false, 75, false, 0, "-quality 75 -baseline -dct int -sample 2x2"},
      {false, 90, true, 30, "-quality 90 -optimize -baseline -dct int -sample 2x2 -smooth 30"},
      {true, 100, true, 0, "-quality 100 -optimize -baseline -dct int -grayscale"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string ours = Path("ours.jpg");
    const std::string theirs = Path("theirs.jpg");
    ASSERT_EQ(ConvertToJpeg(source, ours, {.grayscale = c.grayscale, .quality = c.quality, .optimiseCoding = c.optimise, .smoothing = c.smoothing}), kJpegWritten);
    const std::string command =
        std::string("/usr/bin/cjpeg ") + c.options + " -outfile '" + theirs + "' '" + source + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Bytes a = ReadBytes(ours), b = ReadBytes(theirs);
    EXPECT_GT(a.size(), 200u);
    EXPECT_TRUE(a == b) << "ours " << a.size() << " bytes, cjpeg " << b.size() << " bytes";
  }
}

// A full disk, simulated in a child by a file size limit: -4 with the reason, the earlier file
// at the target byte for byte, and no temporary file left.
TEST_F(ConvertToJpegTest, FullDiskKeepsTheEarlierFile) {
  const std::string source = SourceOf(200, 150, Varied);
  const std::string target = Path("out.jpg");
  const Bytes earlier(3000, 0x5A);
  WriteBytes(target, earlier);
  const Bytes bmp = ReadBytes(source);

  for (bool fromMemory : {false, true}) {
    SCOPED_TRACE(fromMemory ? "from memory" : "from file");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{2000, 2000};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      std::error_code reason;
      const int code = fromMemory ? ConvertBmpBytesToJpeg(bmp, target, {}, &reason)
                                  : ConvertToJpeg(source, target, {}, &reason);
      ::_exit(code == kJpegWriteFailed ? (reason == std::errc::file_too_large ? 0 : 2) : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not -4, 2: the reason was not EFBIG";
    EXPECT_EQ(ReadBytes(target), earlier);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"in.bmp", "out.jpg"}));
  }
}

TEST_F(ConvertToJpegTest, MemoryAndFileEntriesWriteTheSameBytes) {
  const std::string source = SourceOf(61, 37, Varied);
  const Bytes fromFile = SaveLike(source);
  ASSERT_EQ(ConvertBmpBytesToJpeg(ReadBytes(source), Path("mem.jpg")), kJpegWritten);
  EXPECT_EQ(ReadBytes(Path("mem.jpg")), fromFile);
}

// The command line encodes straight from the drawing surface's raster; the file must be the one
// the picture's BMP gives.
TEST_F(ConvertToJpegTest, RgbRasterGivesTheSameBytesAsItsBmp) {
  const int width = 61, height = 37;
  Bytes rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = Varied(x, y);
      rgb.push_back(c.r);
      rgb.push_back(c.g);
      rgb.push_back(c.b);
    }
  std::error_code reason;
  ASSERT_EQ(ConvertRgbToJpeg(rgb, width, height, Path("raster.jpg"), {}, &reason),
            kJpegWritten);
  EXPECT_EQ(ReadBytes(Path("raster.jpg")), SaveLike(SourceOf(width, height, Varied)));

  // A raster that does not match its size is refused before anything is written.
  rgb.pop_back();
  EXPECT_EQ(ConvertRgbToJpeg(rgb, width, height, Path("short.jpg"), {}, &reason),
            kJpegUnreadableSource);
  EXPECT_EQ(ConvertRgbToJpeg(rgb, 0, height, Path("short.jpg"), {}, &reason),
            kJpegUnreadableSource);
  EXPECT_EQ(ConvertRgbToJpeg(rgb, width, height, Path("short.jpg"), {.quality = 0}, &reason),
            kJpegBadArguments);
  EXPECT_FALSE(fs::exists(Path("short.jpg")));
}

}  // namespace
