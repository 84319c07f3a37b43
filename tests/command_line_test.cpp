// The `lumivale render` command line, run as a separate process the way a user or a script runs it.
#include <gtest/gtest.h>
#include <png.h>
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
#include "tests/program_run.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadBytes;
using file_helpers::ReadText;

using program_run::Outcome;

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
    return program_run::Run(folder_, std::move(arguments));
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
      {"render", "xxclock", "11:11", "--out", "a.jpg"},  // no option is a word that ends in one
      {"render", "--clockx", "11:11", "--out", "a.jpg"},
      {"render", "--out", "a.png", "--format", "jpg"},  // the name and --format disagree
      {"render", "--out", "a.jpg", "--format", "gif"},
      {"render", "--balance", "abc", "--strict", "--out", "a.jpg"},
      {"batch", "--out-dir", "out"},
  };
  for (const auto& arguments : cases) {
    std::string label;
    for (const std::string& argument : arguments) label += argument + " ";
    SCOPED_TRACE(label);
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_EQ(outcome.err.rfind("lumivale", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("--help"), std::string::npos) << outcome.err;
    EXPECT_TRUE(Entries().empty());
  }
  // A word that is no command is named as what went wrong, not taken for a missing command.
  for (const char* word : {"paint", "--paint"}) {
    const Outcome outcome = Run({word, "--out", "a.jpg"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find('"' + std::string(word) + '"'), std::string::npos) << outcome.err;
  }
}

TEST_F(CommandLine, HelpOnEveryCommandAndTheVersion) {
  const struct {
    std::vector<std::string> arguments;
    const char* shows;
  } cases[] = {
      {{"--help"}, "render"},
      {{"-h"}, "batch"},
      {{"render", "--help"}, "--this-month"},
      {{"render", "-h"}, "--strict"},
      {{"batch", "--help"}, "--shard"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const Outcome help = Run(c.arguments);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: lumivale"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find(c.shows), std::string::npos) << help.out;
    EXPECT_TRUE(help.err.empty()) << help.err;
  }
  const Outcome version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "lumivale " LUMIVALE_VERSION "\n");
}

// `--out -` sends the picture to standard output, the value lines to standard error; the bytes
// are those of the file the same values give.
TEST_F(CommandLine, APictureOnStandardOutput) {
  ASSERT_EQ(Run({"render", "--balance", "66.6", "--out", "file.jpg"}).status, 0);
  for (const char* format : {"jpg", "png", "bmp"}) {
    SCOPED_TRACE(format);
    const std::string file = std::string("file.") + format;
    ASSERT_EQ(Run({"render", "--balance", "66.6", "--out", file}).status, 0);
    const Outcome piped = Run({"render", "--balance", "66.6", "--out", "-", "--format", format});
    ASSERT_EQ(piped.status, 0) << piped.err;
    const std::vector<unsigned char> expected = ReadBytes(folder_ / file);
    EXPECT_TRUE(std::vector<unsigned char>(piped.out.begin(), piped.out.end()) == expected);
    EXPECT_NE(piped.err.find("balance=66.60\n"), std::string::npos) << piped.err;
  }
  const Outcome jpegByDefault = Run({"render", "--balance", "66.6", "--out", "-"});
  EXPECT_EQ(std::vector<unsigned char>(jpegByDefault.out.begin(), jpegByDefault.out.end()),
            ReadBytes(folder_ / "file.jpg"));
}

// A value the normalisation cannot read whole is drawn as the confirm button draws it, and
// said so (field, typed text, what was drawn); --strict refuses it and writes nothing.
TEST_F(CommandLine, AmountsThatDoNotReadWholeAreNotedOrRefused) {
  const Outcome noted = Run({"render", "--balance", "1,234.5", "--settled", "12元", "--this-month",
                             " 7 ", "--out", "a.bmp"});
  ASSERT_EQ(noted.status, 0) << noted.err;
  EXPECT_NE(noted.out.find("balance=1.00\n"), std::string::npos);
  EXPECT_NE(noted.err.find("balance: \"1,234.5\" is not read whole as a number; drawn as 1.00"),
            std::string::npos) << noted.err;
  EXPECT_NE(noted.err.find("settled: \"12元\""), std::string::npos) << noted.err;
  EXPECT_EQ(noted.err.find("this-month"), std::string::npos) << "\" 7 \" reads whole";

  const Outcome refused = Run({"render", "--balance", "abc", "--strict", "--out", "b.bmp"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("balance: \"abc\""), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(folder_ / "b.bmp"));
  const Outcome rawIsAsTyped = Run({"render", "--raw", "--balance", "abc", "--strict", "--out", "c.bmp"});
  EXPECT_EQ(rawIsAsTyped.status, 0) << rawIsAsTyped.err;
  EXPECT_TRUE(rawIsAsTyped.err.empty());
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
