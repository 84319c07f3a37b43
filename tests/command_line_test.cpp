// The `lumivale render` command line, run as a separate process the way a user or a script runs it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compose/earnings_renderer.h"
#include "fonts/font_provisioning.h"
#include "output/convert_to_jpeg.h"
#include "tests/file_helpers.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadBytes;
using file_helpers::ReadText;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CommandLine : public testing::Test {
 protected:
  // Runs the program in `folder_` with no display and a Qt platform that does not exist, so
  // that any reach for Qt's GUI would fail.
  Outcome Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), LUMIVALE_PROGRAM);
    return Spawn(std::move(arguments));
  }

  // Runs the program under a file size limit of 2 KiB: every write past that fails as on a full
  // disk. SIGXFSZ is left as it is, so a program that does not ignore it itself is killed.
  Outcome RunOnFullDisk(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"/bin/sh", "-c", "ulimit -f 4; exec \"$0\" \"$@\"", LUMIVALE_PROGRAM});
    return Spawn(std::move(arguments));
  }

  // Runs the program with its standard output redirected by the shell, e.g. ">/dev/full" or ">&-".
  Outcome RunWithStandardOutput(const std::string& redirection, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"/bin/sh", "-c", "exec \"$0\" \"$@\" " + redirection, LUMIVALE_PROGRAM});
    return Spawn(std::move(arguments));
  }

  Outcome Spawn(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LANG=C.UTF-8",
                                            "QT_QPA_PLATFORM=no-such-platform",
                                            "HOME=" + folder_.string()};
    // A sanitized build's program reports to the same settings as the test itself.
    for (const char* passed : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
      if (const char* value = std::getenv(passed)) environment.push_back(std::string(passed) + "=" + value);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    const fs::path outPath = folder_ / ".stdout", errPath = folder_ / ".stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string previous = fs::current_path();
    fs::current_path(folder_);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    fs::current_path(previous);
    posix_spawn_file_actions_destroy(&actions);
    Outcome outcome;
    if (spawned != 0) return outcome;
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.out = ReadText(outPath);
    outcome.err = ReadText(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return outcome;
  }

  // What is in the folder besides the captured output.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename();
      if (name != ".stdout" && name != ".stderr") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TemporaryFolder temporary_{"command_line_test"};
  const fs::path folder_ = temporary_.path();
};

// The picture rendered in this process from the same GBK inputs, drawn as they are.
std::vector<unsigned char> RenderInProcess(const ScreenInputs& inputs) {
  ProgramState state;
  RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
  std::vector<unsigned char> picture;
  RenderEarningsScreen(state, surfaces, inputs, picture);
  return picture;
}

TEST_F(CommandLine, DefaultsRenderTheWindowsInitialPictureAndPrintTheValues) {
  const Outcome outcome = Run({"render", "--out", "picture.bmp"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "clock=10:23\nword=上午\nbalance=5.00\nthis-month=5.00\nlast-month=5.00\n"
            "settled=5.00\nclicks=0\npayments=0\ntransaction=5.00\n");
  // Written in the caller's folder: the command line does not change folders.
  EXPECT_EQ(ReadBytes(folder_ / "picture.bmp"), RenderInProcess(ScreenInputs{}));
  EXPECT_EQ(Entries(), std::vector<std::string>{"picture.bmp"});
}

TEST_F(CommandLine, NormalisesAmountsUnlessRawAndAlwaysTheClock) {
  const Outcome normalised =
      Run({"render", "--clock", "９：０５", "--word", "晚上", "--balance", "1234.5",
           "--this-month", "２.６７５", "--last-month", "abc", "--settled=-0.004", "--clicks",
           "1,024", "--payments", "7.5", "--transaction", "1e3", "--out", "a.bmp"});
  ASSERT_EQ(normalised.status, 0) << normalised.err;
  EXPECT_EQ(normalised.out,
            "clock=９:０５\nword=晚上\nbalance=1234.50\nthis-month=2.68\nlast-month=0.00\n"
            "settled=0.00\nclicks=1,024\npayments=7.5\ntransaction=1000.00\n");

  const Outcome raw = Run({"render", "--raw", "--balance", "1234.5", "--this-month", "5",
                           "--clock", "10：23", "--out", "b.bmp"});
  ASSERT_EQ(raw.status, 0) << raw.err;
  EXPECT_EQ(raw.out,
            "clock=10:23\nword=上午\nbalance=1234.5\nthis-month=5\nlast-month=5.00\n"
            "settled=5.00\nclicks=0\npayments=0\ntransaction=5.00\n");
  ScreenInputs inputs;
  inputs.Set("balance", "1234.5");
  inputs.Set("this-month", "5");
  inputs.Set("clock", "10:23");
  EXPECT_EQ(ReadBytes(folder_ / "b.bmp"), RenderInProcess(inputs));
}

TEST_F(CommandLine, OutputKindFollowsTheExtensionAndEveryRunGivesTheSameBytes) {
  ASSERT_EQ(Run({"render", "--balance", "88.8", "--out", "x.bmp"}).status, 0);
  ASSERT_EQ(Run({"render", "--balance", "88.8", "--out", "x.JPG"}).status, 0);
  ASSERT_EQ(Run({"render", "--balance", "88.8", "--out", "y.jpeg"}).status, 0);
  ASSERT_EQ(Run({"render", "--balance", "88.8", "--out", "x.png"}).status, 0);
  ASSERT_EQ(Run({"render", "--balance", "88.8", "--out", "again.bmp"}).status, 0);

  const std::vector<unsigned char> bmp = ReadBytes(folder_ / "x.bmp");
  EXPECT_EQ(bmp, ReadBytes(folder_ / "again.bmp"));

  // The JPEG is exactly what the save's conversion writes from the picture.
  const fs::path reference = folder_ / "reference.jpg";
  ASSERT_EQ(ConvertBmpBytesToJpeg(bmp, reference.string()), kJpegWritten);
  EXPECT_EQ(ReadBytes(folder_ / "x.JPG"), ReadBytes(reference));
  EXPECT_EQ(ReadBytes(folder_ / "y.jpeg"), ReadBytes(reference));

  // The PNG holds the picture's pixels, losslessly.
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  const std::vector<unsigned char> png = ReadBytes(folder_ / "x.png");
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
  EXPECT_EQ(image.width, 1080u);
  EXPECT_EQ(image.height, 1920u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (std::size_t y = 0; y < 1920; y += 97) {
    const unsigned char* bmpRow = bmp.data() + 54 + (1919 - y) * 3240;
    for (std::size_t x = 0; x < 1080; ++x) {
      const unsigned char* p = rgb.data() + (y * 1080 + x) * 3;
      ASSERT_EQ(p[0], bmpRow[x * 3 + 2]) << x << "," << y;
      ASSERT_EQ(p[1], bmpRow[x * 3 + 1]) << x << "," << y;
      ASSERT_EQ(p[2], bmpRow[x * 3 + 0]) << x << "," << y;
    }
  }
}

TEST_F(CommandLine, UsageErrorsExitTwoAndWriteNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {"render", "--out", "a.jpg", "--colour", "red"},
      {"render", "--out", "a.jpg", "stray"},
      {"render", "--word", "傍晚", "--out", "a.jpg"},
      {"render", "--balance", "5"},
      {"render", "--out", "a.gif"},
      {"render", "--out", "noextension"},
      {"render", "--out"},
      {"paint", "--out", "a.jpg"},
  };
  for (const auto& arguments : cases) {
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.status, 2) << arguments.back();
    EXPECT_TRUE(outcome.out.empty()) << arguments.back();
    EXPECT_NE(outcome.err.find("lumivale: "), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("usage: lumivale render"), std::string::npos) << outcome.err;
    EXPECT_TRUE(Entries().empty()) << arguments.back();
  }
}

TEST_F(CommandLine, HelpAndVersion) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--help"}, {"render", "--help"}}) {
    const Outcome help = Run(arguments);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: lumivale render"), std::string::npos);
  }
  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("lumivale ", 0), 0u) << version.out;
}

TEST_F(CommandLine, FailedWriteNamesThePathExitsOneAndKeepsTheEarlierFile) {
  // A path through a regular file cannot be written, not even by root.
  std::ofstream(folder_ / "plain") << "x";
  const Outcome blocked = Run({"render", "--out", "plain/picture.jpg"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.err.find("plain/picture.jpg"), std::string::npos) << blocked.err;
  EXPECT_NE(blocked.err.find("Not a directory"), std::string::npos) << blocked.err;
  EXPECT_TRUE(blocked.out.empty());

  // A folder at the target stays as it was, and nothing is left beside it.
  fs::create_directory(folder_ / "taken.png");
  EXPECT_EQ(Run({"render", "--out", "taken.png"}).status, 1);
  EXPECT_TRUE(fs::is_directory(folder_ / "taken.png"));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"plain", "taken.png"}));
}

TEST_F(CommandLine, FullDiskLeavesTheEarlierFileIntact) {
  const std::string earlier = "an earlier picture";
  for (const char* name : {"kept.jpg", "kept.bmp", "kept.png"}) {
    std::ofstream(folder_ / name) << earlier;
    const Outcome outcome = RunOnFullDisk({"render", "--out", name});
    EXPECT_EQ(outcome.status, 1) << name;
    EXPECT_NE(outcome.err.find(std::string("cannot write ") + name + ": File too large"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(ReadText(folder_ / name), earlier) << name;
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"kept.bmp", "kept.jpg", "kept.png"}));
}

// A FIFO or a link loop at the target is no file to replace: refused, and left as it was.
TEST_F(CommandLine, TargetsThatAreNoPlainFileAreRefusedAndLeftAsTheyWere) {
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((folder_ / "fifo.bmp").c_str(), 0644), 0);
  fs::create_symlink("pipe", folder_ / "to-pipe.jpg");
  fs::create_symlink("loop.png", folder_ / "loop.png");
  struct Case {
    const char* out;
    const char* reason;
  };
  const Case cases[] = {
      {"to-pipe.jpg", "not a regular file"},
      {"fifo.bmp", "not a regular file"},
      {"loop.png", "Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    const Outcome outcome = Run({"render", "--out", c.out});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(std::string("cannot write ") + c.out + ": " + c.reason),
              std::string::npos)
        << outcome.err;
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo.bmp", "loop.png", "pipe", "to-pipe.jpg"}));
    EXPECT_EQ(fs::symlink_status(folder_ / "pipe").type(), fs::file_type::fifo);
    EXPECT_EQ(fs::symlink_status(folder_ / "fifo.bmp").type(), fs::file_type::fifo);
    EXPECT_EQ(fs::read_symlink(folder_ / "to-pipe.jpg"), "pipe");
    EXPECT_EQ(fs::read_symlink(folder_ / "loop.png"), "loop.png");
  }
}

// A link whose file is not there yet: the file is made where the link points, read from the
// link's own folder, and the link stays.
TEST_F(CommandLine, ADanglingLinkGetsItsFileWhereItPoints) {
  fs::create_directory(folder_ / "sub");
  fs::create_symlink("ghost.png", folder_ / "sub" / "link.png");
  const Outcome outcome = Run({"render", "--out", "sub/link.png"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(fs::read_symlink(folder_ / "sub" / "link.png"), "ghost.png");
  EXPECT_EQ(fs::symlink_status(folder_ / "sub" / "ghost.png").type(), fs::file_type::regular);
  EXPECT_EQ(ReadText(folder_ / "sub" / "ghost.png").substr(0, 4), "\x89PNG");
  EXPECT_EQ(Entries(), std::vector<std::string>{"sub"});
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "sub"), fs::directory_iterator()), 2);
}

// Output that cannot take the value lines (a full disk, a closed stream) is a failure: status 1
// and a message, never a success with the lines lost; and with standard output closed the lines
// do not land in the picture file instead.
TEST_F(CommandLine, StandardOutputThatCannotBeWrittenIsAFailure) {
  ASSERT_EQ(Run({"render", "--out", "expected.jpg"}).status, 0);
  const std::vector<unsigned char> expected = ReadBytes(folder_ / "expected.jpg");
  for (const std::string redirection : {">/dev/full", ">&-"}) {
    SCOPED_TRACE(redirection);
    const Outcome render = RunWithStandardOutput(redirection, {"render", "--out", "picture.jpg"});
    EXPECT_EQ(render.status, 1);
    EXPECT_NE(render.err.find("could not be written to standard output"), std::string::npos)
        << render.err;
    EXPECT_TRUE(ReadBytes(folder_ / "picture.jpg") == expected) << "the picture itself is whole";
    for (const char* asked : {"--help", "--version"})
      EXPECT_EQ(RunWithStandardOutput(redirection, {asked}).status, 1) << asked;
  }
}

}  // namespace
