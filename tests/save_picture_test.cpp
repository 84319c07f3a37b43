// Saving the picture as a JPEG: the path rule, the file that results, and that every failure
// leaves nothing behind and every earlier file as it was.
#include "output/save_picture.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "compose/earnings_renderer.h"
#include "fonts/font_provisioning.h"
#include "output/bmp_file.h"
#include "output/convert_to_jpeg.h"
#include "output/output_error.h"
#include "tests/jpeg_reading.h"
#include "tests/file_helpers.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;
using jpeg_reading::Bytes;

namespace {

using file_helpers::ReadBytes;
using file_helpers::WriteText;

// The picture the window shows at start: the initial values, drawn in the built-in faces.
const Bytes& DefaultPicture() {
  static const Bytes picture = [] {
    ProgramState state;
    RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
    std::vector<unsigned char> bmp;
    RenderEarningsScreen(state, surfaces, ScreenInputs{}, bmp);
    return Bytes(bmp.begin(), bmp.end());
  }();
  return picture;
}

// Every regular file below a folder with its contents, folders as "<name>/", links with what
// they say and anything else by its kind (never opened: a FIFO would block).
std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    switch (entry.symlink_status().type()) {
      case fs::file_type::directory: files[name + "/"] = ""; break;
      case fs::file_type::symlink: files[name] = "-> " + fs::read_symlink(entry.path()).string(); break;
      case fs::file_type::regular: {
        const Bytes bytes = ReadBytes(entry.path());
        files[name] = std::string(bytes.begin(), bytes.end());
        break;
      }
      default: files[name] = "(not a regular file)"; break;
    }
  }
  return files;
}

TEST(JpegPathFor, AppendsJpgOnlyWhenTheNameDoesNotEndInIt) {
  struct Case {
    const char* chosen;
    const char* jpeg;
  };
  const Case cases[] = {
      {"/p/abc", "/p/abc.jpg"},
      {"/p/abc.jpg", "/p/abc.jpg"},
      {"/p/ABC.JPG", "/p/ABC.JPG"},
      {"/p/abc.Jpg", "/p/abc.Jpg"},
      {"/p/abc.jpeg", "/p/abc.jpeg"},
      {"/p/abc.JPEG", "/p/abc.JPEG"},
      {"/p/abc.png", "/p/abc.png.jpg"},
      {"/p/a.b.c", "/p/a.b.c.jpg"},
      {"/p/abc.jpg.bak", "/p/abc.jpg.bak.jpg"},
      {"/p/abcjpg", "/p/abcjpg.jpg"},
      {"/p/收益.jpg", "/p/收益.jpg"},
      {"/p/收益", "/p/收益.jpg"},
      {"/p.jpg/abc", "/p.jpg/abc.jpg"},
      {"abc", "abc.jpg"},
  };
  for (const Case& c : cases) EXPECT_EQ(JpegPathFor(c.chosen), c.jpeg) << c.chosen;
}

class SavePictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_);
    fs::create_directories(systemTemporary_);
    // The save's fallback for its temporary file; watched to be empty afterwards.
    const char* old = std::getenv("TMPDIR");
    oldTmpdir_ = old ? old : "";
    hadTmpdir_ = old != nullptr;
    ::setenv("TMPDIR", systemTemporary_.c_str(), 1);
  }
  void TearDown() override {
    if (hadTmpdir_) ::setenv("TMPDIR", oldTmpdir_.c_str(), 1);
    else ::unsetenv("TMPDIR");
  }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  TemporaryFolder root_{"save_picture_test"};
  const fs::path folder_ = root_.path() / "pictures";
  const fs::path systemTemporary_ = root_.path() / "tmp";
  std::string oldTmpdir_;
  bool hadTmpdir_ = false;
};

TEST_F(SavePictureTest, DefaultPictureBecomesABaselineJfifAtQualityHundred) {
  const SaveOutcome outcome = SavePictureAsJpeg(DefaultPicture(), Path("收益"));
  ASSERT_TRUE(outcome.written) << outcome.error.message();
  EXPECT_EQ(outcome.stage, SaveStage::kDone);
  EXPECT_EQ(outcome.conversionCode, kJpegWritten);
  EXPECT_EQ(outcome.jpegPath, Path("收益.jpg"));
  EXPECT_TRUE(outcome.temporaryLeftBehind.empty());
  const auto files = Contents(folder_);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.begin()->first, "收益.jpg");
  EXPECT_TRUE(fs::is_empty(systemTemporary_));

  const Bytes jpeg = ReadBytes(Path("收益.jpg"));
  const std::vector<jpeg_reading::Segment> segments = jpeg_reading::Markers(jpeg);
  std::vector<int> order;
  for (const auto& s : segments) order.push_back(s.marker);
  ASSERT_EQ(order, (std::vector<int>{0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9}));
  EXPECT_EQ(segments[1].body, (Bytes{'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
  for (int table = 0; table < 2; ++table) {
    const Bytes& dqt = segments[2 + table].body;
    ASSERT_EQ(dqt.size(), 65u);
    EXPECT_TRUE(std::all_of(dqt.begin() + 1, dqt.end(), [](std::uint8_t q) { return q == 1; }));
  }
  // 8 bits, 1920 high, 1080 wide, Y 2x2, Cb and Cr 1x1
  EXPECT_EQ(segments[4].body, (Bytes{8, 0x07, 0x80, 0x04, 0x38, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
  // Optimised coding: the luminance DC table is not the standard one (counts 0 1 5 1 1 1 1 1 1).
  const Bytes standardDcCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NE(Bytes(segments[5].body.begin() + 1, segments[5].body.begin() + 17), standardDcCounts);

  // The pixels are the picture's, upright.
  const auto decoded = jpeg_reading::DecodeJpeg(jpeg);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->width, 1080);
  ASSERT_EQ(decoded->height, 1920);
  const auto bmp = DecodeBmp(DefaultPicture());
  ASSERT_TRUE(bmp);
  double error = 0;
  for (int y = 0; y < 1920; ++y) {
    const std::uint8_t* want = bmp->Row(y);
    const std::uint8_t* got = decoded->pixels.data() + static_cast<std::size_t>(y) * 1080 * 3;
    for (int x = 0; x < 1080; ++x)
      for (int c = 0; c < 3; ++c) error += std::abs(int(got[x * 3 + c]) - int(want[x * 3 + 2 - c]));
  }
  EXPECT_LT(error / (1080.0 * 1920 * 3), 2.0);
}

TEST_F(SavePictureTest, FilesAtTheOldTemporaryNamesAreLeftAlone) {
  WriteText(folder_ / "chosen.bmp", "unrelated bmp");
  WriteText(folder_ / "chosen.jpg.bmp", "another unrelated bmp");
  for (const char* chosen : {"chosen", "chosen.jpg"}) {
    SCOPED_TRACE(chosen);
    const SaveOutcome outcome = SavePictureAsJpeg(DefaultPicture(), Path(chosen));
    ASSERT_TRUE(outcome.written) << outcome.error.message();
    EXPECT_EQ(outcome.jpegPath, Path("chosen.jpg"));
    auto files = Contents(folder_);
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(files["chosen.bmp"], "unrelated bmp");
    EXPECT_EQ(files["chosen.jpg.bmp"], "another unrelated bmp");
    EXPECT_EQ(files["chosen.jpg"].substr(0, 2), "\xFF\xD8");
    EXPECT_TRUE(fs::is_empty(systemTemporary_));
  }
}

TEST_F(SavePictureTest, AnEarlierFileIsReplacedOnlyByACompleteJpeg) {
  WriteText(folder_ / "old.jpg", "the earlier picture");
  const Bytes notAPicture = {'B', 'M', 1, 2, 3};
  for (const Bytes& bad : {Bytes{}, notAPicture, Bytes(DefaultPicture().begin(), DefaultPicture().end() - 1)}) {
    const SaveOutcome outcome = SavePictureAsJpeg(bad, Path("old.jpg"));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.stage, SaveStage::kNoPicture);
    EXPECT_EQ(outcome.jpegPath, Path("old.jpg"));
    EXPECT_EQ(Contents(folder_), (std::map<std::string, std::string>{{"old.jpg", "the earlier picture"}}));
  }

  const SaveOutcome outcome = SavePictureAsJpeg(DefaultPicture(), Path("old.jpg"));
  ASSERT_TRUE(outcome.written);
  const auto files = Contents(folder_);
  ASSERT_EQ(files.size(), 1u);  // old.jpg itself, and no old.jpg.jpg
  const Bytes jpeg = ReadBytes(Path("old.jpg"));
  const auto decoded = jpeg_reading::DecodeJpeg(jpeg);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 1080);
  EXPECT_EQ(decoded->height, 1920);
}

TEST_F(SavePictureTest, FailuresSayWhyAndLeaveEverythingAsItWas) {
  WriteText(folder_ / "plain", "a regular file");
  fs::create_directory(folder_ / "taken.jpg");
  WriteText(folder_ / "taken.jpg" / "inside", "kept");
  fs::create_directory(folder_ / "locked");
  WriteText(folder_ / "locked" / "earlier.jpg", "earlier");
  fs::permissions(folder_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  ASSERT_EQ(::mkfifo((folder_ / "pipe.jpg").c_str(), 0644), 0);
  fs::create_symlink("pipe.jpg", folder_ / "to-pipe.jpg");
  fs::create_symlink("loop-back.jpg", folder_ / "loop.jpg");
  fs::create_symlink("loop.jpg", folder_ / "loop-back.jpg");
  const auto before = Contents(folder_);

  const auto posix = [](std::errc reason) { return std::make_error_code(reason); };
  struct Case {
    const char* chosen;
    SaveStage stage;
    std::error_code reason;
    bool needsPermissionBits;  // root writes into any folder
  };
  const Case cases[] = {
      {"missing/abc", SaveStage::kConversion, posix(std::errc::no_such_file_or_directory), false},
      {"plain/abc", SaveStage::kConversion, posix(std::errc::not_a_directory), false},
      {"taken", SaveStage::kConversion, posix(std::errc::is_a_directory), false},
      {"taken.jpg", SaveStage::kConversion, posix(std::errc::is_a_directory), false},
      {"locked/earlier", SaveStage::kConversion, posix(std::errc::permission_denied), true},
      {"pipe", SaveStage::kConversion, OutputError::kNotARegularFile, false},
      {"to-pipe", SaveStage::kConversion, OutputError::kNotARegularFile, false},
      {"loop", SaveStage::kConversion, posix(std::errc::too_many_symbolic_link_levels), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    if (c.needsPermissionBits && ::geteuid() == 0) continue;
    const SaveOutcome outcome = SavePictureAsJpeg(DefaultPicture(), Path(c.chosen));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.stage, c.stage);
    EXPECT_EQ(outcome.error, c.reason) << outcome.error.message();
    EXPECT_EQ(outcome.conversionCode, kJpegWriteFailed);
    EXPECT_EQ(outcome.jpegPath, JpegPathFor(Path(c.chosen)));
    EXPECT_TRUE(outcome.temporaryLeftBehind.empty());
    EXPECT_EQ(Contents(folder_), before);
    EXPECT_TRUE(fs::is_empty(systemTemporary_));
  }
}

// A link is followed to where it ends, also when its file is not there yet: the JPEG goes
// there, the links stay, and nothing is left in either folder.
TEST_F(SavePictureTest, ALinkedPathGetsTheJpegWhereTheLinksLead) {
  fs::create_directory(folder_ / "real");
  WriteText(folder_ / "real" / "earlier.jpg", "the earlier picture");
  fs::create_symlink("real/earlier.jpg", folder_ / "linked.jpg");
  fs::create_symlink("new.jpg", folder_ / "real" / "dangling.jpg");
  fs::create_symlink("real/dangling.jpg", folder_ / "chain.jpg");
  for (const char* chosen : {"linked", "chain"}) {
    SCOPED_TRACE(chosen);
    const SaveOutcome outcome = SavePictureAsJpeg(DefaultPicture(), Path(chosen));
    ASSERT_TRUE(outcome.written) << outcome.error.message();
    EXPECT_TRUE(outcome.temporaryLeftBehind.empty());
  }
  auto files = Contents(folder_);
  EXPECT_EQ(files.size(), 6u);
  EXPECT_EQ(files["linked.jpg"], "-> real/earlier.jpg");
  EXPECT_EQ(files["chain.jpg"], "-> real/dangling.jpg");
  EXPECT_EQ(files["real/dangling.jpg"], "-> new.jpg");
  EXPECT_EQ(files["real/earlier.jpg"].substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(files["real/new.jpg"].substr(0, 2), "\xFF\xD8");
  EXPECT_TRUE(fs::is_empty(systemTemporary_));
}

// The disk filling up, as a file size limit in a child process: no write may grow a file past
// it, and the save must notice, clean up and say so.
TEST_F(SavePictureTest, AFullDiskLeavesTheEarlierFileAndNoTemporaryFile) {
  WriteText(folder_ / "full.jpg", "the earlier picture");
  const Bytes& picture = DefaultPicture();
  const auto before = Contents(folder_);

  for (rlim_t limit : {rlim_t{0}, rlim_t{1} << 20, static_cast<rlim_t>(picture.size() - 1)}) {
    SCOPED_TRACE(limit);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(report[0]);
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit size{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &size);
      const SaveOutcome outcome = SavePictureAsJpeg(picture, (folder_ / "full").string());
      const int fields[3] = {outcome.written ? 1 : 0, static_cast<int>(outcome.stage), outcome.error.value()};
      const ssize_t sent = ::write(report[1], fields, sizeof fields);
      ::_exit(sent == sizeof fields ? 0 : 1);
    }
    ::close(report[1]);
    int fields[3] = {-1, -1, -1};
    const ssize_t got = ::read(report[0], fields, sizeof fields);
    ::close(report[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(got, static_cast<ssize_t>(sizeof fields));
    EXPECT_EQ(fields[0], 0);
    EXPECT_EQ(fields[1], static_cast<int>(SaveStage::kTemporaryFile));
    EXPECT_EQ(fields[2], EFBIG) << std::error_code(fields[2], std::generic_category()).message();
    EXPECT_EQ(Contents(folder_), before);
    EXPECT_TRUE(fs::is_empty(systemTemporary_));
  }
}

}  // namespace
