// Installing the built-in fonts into a documents folder and registering their faces, against
// temporary folders. Registration runs in a child process per case, so that every case starts
// with an empty face registry and shows what that case alone registered.
#include "fonts/font_provisioning.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compose/canvas.h"
#include "compose/canvas_font.h"
#include "compose/face_library.h"
#include "compose/font_cache.h"
#include "fonts/built_in_fonts.h"
#include "fonts/font_soundness.h"
#include "tests/file_helpers.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadBytes;
using file_helpers::WriteBytes;
using file_helpers::WriteText;

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

std::vector<unsigned char> Bytes(std::span<const unsigned char> data) {
  return {data.begin(), data.end()};
}

std::vector<unsigned char> BytesOf(std::string_view text) { return {text.begin(), text.end()}; }

const std::string kCuFile = "lumivale_cu.ttf";
const std::string kXiFile = "lumivale_xi.ttf";

// What RegisterBuiltInFonts gave.
struct Registration {
  bool cuRegistered = false;
  bool xiRegistered = false;
  bool recordsNamed = false;  // heavyFont/fineFont named, wordFont and the rest untouched
  bool cuFromFile = false;    // the face comes from the documents folder, not the built-in copy
  bool xiFromFile = false;
};

// The library's face of that family is the copy read from the file at `path`.
bool FromFile(const FaceLibrary& library, const char* family, const std::string& path) {
  const auto found = library.Find(family, false, false);
  return found && found->own && found->source.path == path && found->source.owner;
}

// Standard error sent to a file for as long as it lives.
class StderrToFile {
 public:
  explicit StderrToFile(const std::string& path) {
    if (path.empty()) return;
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~StderrToFile() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  StderrToFile(const StderrToFile&) = delete;
  StderrToFile& operator=(const StderrToFile&) = delete;

 private:
  int saved_ = -1;
};

// Registers in this process: the library it gives is the caller's, no global state. What it
// says goes to `stderrPath` when one is given.
Registration Register(const std::string& documentsFolder, const std::string& stderrPath = {}) {
  ProgramState state;
  std::shared_ptr<const FaceLibrary> library;
  {
    const StderrToFile redirect(stderrPath);
    library = RegisterBuiltInFonts(documentsFolder, state);
  }
  ProgramState expected;
  expected.heavyFont.faceName = "lumivale_cu";
  expected.fineFont.faceName = "lumivale_xi";
  const bool named = state.heavyFont == expected.heavyFont && state.fineFont == expected.fineFont &&
                     state.wordFont == expected.wordFont;
  return {library->HasFamily("lumivale_cu"), library->HasFamily("lumivale_xi"), named,
          FromFile(*library, "lumivale_cu", FontFilePath(documentsFolder, kCuFile)),
          FromFile(*library, "lumivale_xi", FontFilePath(documentsFolder, kXiFile))};
}

// Whether fontconfig's application fonts hold the file.
bool KnownToFontconfig(const std::string& path) {
  FcFontSet* appFonts = FcConfigGetFonts(FcConfigGetCurrent(), FcSetApplication);
  for (int i = 0; appFonts != nullptr && i < appFonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(appFonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
        path == reinterpret_cast<const char*>(file))
      return true;
  }
  return false;
}

void ExpectBothFacesNamed(const Registration& r) {
  EXPECT_TRUE(r.cuRegistered);
  EXPECT_TRUE(r.xiRegistered);
  EXPECT_TRUE(r.recordsNamed);
}

const auto kCuData = [] { return Bytes(HeavyBuiltInFont().data); };
const auto kXiData = [] { return Bytes(FineBuiltInFont().data); };

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::uint32_t BigEndian32(const std::vector<unsigned char>& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 |
         b[at + 3];
}

// A font whose names are intact but whose table `tag` is overwritten with `fill`.
std::vector<unsigned char> WithTableOverwritten(std::vector<unsigned char> font, std::string_view tag,
                                                unsigned char fill) {
  const std::size_t tables = std::size_t{font[4]} << 8 | font[5];
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t entry = 12 + 16 * i;
    if (std::string(font.begin() + entry, font.begin() + entry + 4) != tag) continue;
    const std::size_t offset = BigEndian32(font, entry + 8), length = BigEndian32(font, entry + 12);
    std::fill(font.begin() + offset, font.begin() + offset + length, fill);
    return font;
  }
  ADD_FAILURE() << "no " << tag << " table";
  return font;
}

// The glyph outlines (the whole "glyf" table) overwritten: zeros leave every glyph empty, 0xFF
// makes them unreadable.
std::vector<unsigned char> WithGlyphsOverwritten(std::vector<unsigned char> font,
                                                 unsigned char fill) {
  return WithTableOverwritten(std::move(font), "glyf", fill);
}

TEST(FontFilePath, JoinsWithExactlyOneSlash) {
  struct Case {
    const char* folder;
    const char* expected;
  };
  const Case cases[] = {
      {"/home/ann/Documents", "/home/ann/Documents/lumivale_cu.ttf"},
      {"/home/ann/Documents/", "/home/ann/Documents/lumivale_cu.ttf"},
      {"/home/ann/Documents//", "/home/ann/Documents/lumivale_cu.ttf"},
      {"Documents", "Documents/lumivale_cu.ttf"},
      {"/", "/lumivale_cu.ttf"},
      {"", "/lumivale_cu.ttf"},
      {"/home/ann/My Documents", "/home/ann/My Documents/lumivale_cu.ttf"},
  };
  for (const Case& c : cases) EXPECT_EQ(FontFilePath(c.folder, kCuFile), c.expected) << c.folder;
}

TEST(InstallBuiltInFonts, FirstRunWritesBothFilesExactly) {
  TemporaryFolder docs;
  InstallBuiltInFonts(docs.path());
  EXPECT_EQ(ReadBytes(docs / kCuFile), kCuData());
  EXPECT_EQ(ReadBytes(docs / kXiFile), kXiData());
  EXPECT_EQ(Entries(docs.path()), (std::set<std::string>{kCuFile, kXiFile}))
      << "no temporary file may stay behind";

  const Registration r = Register(docs.path());
  ExpectBothFacesNamed(r);
  EXPECT_TRUE(r.cuFromFile);
  EXPECT_TRUE(r.xiFromFile);
}

TEST(InstallBuiltInFonts, FilesAlreadyThereAreNeverRewritten) {
  TemporaryFolder docs;
  WriteText(docs / kCuFile, "not a font");
  WriteText(docs / kXiFile, "");
  InstallBuiltInFonts(docs.path());
  InstallBuiltInFonts(docs.path());
  EXPECT_EQ(ReadBytes(docs / kCuFile), BytesOf("not a font"));
  EXPECT_TRUE(ReadBytes(docs / kXiFile).empty());
  EXPECT_EQ(Entries(docs.path()).size(), 2u);

  // Damaged files are left alone, and the faces come from the built-in copies.
  const Registration r = Register(docs.path());
  ExpectBothFacesNamed(r);
  EXPECT_FALSE(r.cuFromFile);
  EXPECT_FALSE(r.xiFromFile);
  EXPECT_EQ(ReadBytes(docs / kCuFile), BytesOf("not a font"));
}

TEST(InstallBuiltInFonts, OnlyTheMissingFileIsWritten) {
  TemporaryFolder docs;
  WriteText(docs / kCuFile, "mine");
  InstallBuiltInFonts(docs.path());
  EXPECT_EQ(ReadBytes(docs / kCuFile), BytesOf("mine"));
  EXPECT_EQ(ReadBytes(docs / kXiFile), kXiData());

  const Registration r = Register(docs.path());
  ExpectBothFacesNamed(r);
  EXPECT_FALSE(r.cuFromFile);
  EXPECT_TRUE(r.xiFromFile);
}

TEST(InstallBuiltInFonts, AFolderInAFontsPlaceCountsAsPresent) {
  TemporaryFolder docs;
  fs::create_directory(docs / kXiFile);
  WriteText(docs / (kXiFile + "/keep"), "x");
  InstallBuiltInFonts(docs.path());
  EXPECT_TRUE(fs::is_directory(docs / kXiFile));
  EXPECT_EQ(Entries(docs / kXiFile), (std::set<std::string>{"keep"}));
  EXPECT_EQ(ReadBytes(docs / kCuFile), kCuData());
  EXPECT_EQ(Entries(docs.path()), (std::set<std::string>{kCuFile, kXiFile}));

  const Registration r = Register(docs.path());
  ExpectBothFacesNamed(r);
  EXPECT_TRUE(r.cuFromFile);
  EXPECT_FALSE(r.xiFromFile);
}

TEST(InstallBuiltInFonts, ALinkInAFontsPlaceIsLeftAsItIs) {
  TemporaryFolder docs;
  TemporaryFolder elsewhere;
  fs::create_symlink(elsewhere / "nothing-here", docs / kCuFile);  // dangling
  InstallBuiltInFonts(docs.path());
  EXPECT_TRUE(fs::is_symlink(docs / kCuFile));
  EXPECT_TRUE(Entries(elsewhere.path()).empty());
  ExpectBothFacesNamed(Register(docs.path()));
}

TEST(InstallBuiltInFonts, AFolderThatCannotHoldFilesGetsNothing) {
  TemporaryFolder tmp;
  WriteText(tmp / "afile", "plain file");
  struct Case {
    const char* label;
    std::string folder;
  };
  // Paths under a regular file fail for root too, which permission bits would not.
  const Case cases[] = {
      {"under a file", tmp / "afile/docs"},
      {"missing folder", tmp / "missing/docs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    InstallBuiltInFonts(c.folder);
    EXPECT_FALSE(fs::exists(tmp / "missing")) << "the documents folder is never created";
    EXPECT_EQ(ReadBytes(tmp / "afile"), BytesOf("plain file"));
    EXPECT_EQ(Entries(tmp.path()), (std::set<std::string>{"afile"}));
    const Registration r = Register(c.folder);
    ExpectBothFacesNamed(r);
    EXPECT_FALSE(r.cuFromFile);
    EXPECT_FALSE(r.xiFromFile);
  }
}

TEST(InstallBuiltInFonts, EmptyDocumentsPathWritesNothing) {
  TemporaryFolder cwd;
  const bool atRootBefore = fs::exists("/" + kCuFile) || fs::exists("/" + kXiFile);
  const fs::path previous = fs::current_path();
  fs::current_path(cwd.path());
  InstallBuiltInFonts("");
  fs::current_path(previous);
  EXPECT_TRUE(Entries(cwd.path()).empty());
  EXPECT_EQ(fs::exists("/" + kCuFile) || fs::exists("/" + kXiFile), atRootBefore)
      << "nothing may be written at the root";

  const Registration r = Register("");
  ExpectBothFacesNamed(r);
  EXPECT_FALSE(r.cuFromFile);
  EXPECT_FALSE(r.xiFromFile);
}

TEST(InstallBuiltInFonts, AWriteThatFailsPartWayLeavesNothing) {
  TemporaryFolder docs;
  ASSERT_GT(HeavyBuiltInFont().data.size(), 1024u);
  ASSERT_GT(FineBuiltInFont().data.size(), 1024u);
  const pid_t child = fork();
  if (child == 0) {
    const rlimit limit{1024, 1024};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    InstallBuiltInFonts(docs.path());
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_TRUE(Entries(docs.path()).empty()) << "neither a short font file nor a temporary file";

  // The next run, without the limit, writes both files whole.
  InstallBuiltInFonts(docs.path());
  EXPECT_EQ(ReadBytes(docs / kCuFile), kCuData());
  EXPECT_EQ(ReadBytes(docs / kXiFile), kXiData());
}

// Each registration gives a library of its own; fontconfig learns of the sound files, and of
// them only.
TEST(RegisterBuiltInFonts, EachRegistrationGivesItsOwnLibraryAndTellsFontconfig) {
  TemporaryFolder docs;
  InstallBuiltInFonts(docs.path());
  WriteText(docs / kXiFile, "not a font");
  ProgramState first, second;
  const auto one = RegisterBuiltInFonts(docs.path(), first);
  const auto other = RegisterBuiltInFonts(docs.path(), second);
  EXPECT_NE(one, other);
  for (const auto& library : {one, other}) {
    EXPECT_TRUE(FromFile(*library, "lumivale_cu", docs / kCuFile));
    EXPECT_TRUE(library->HasFamily("lumivale_xi"));
    EXPECT_FALSE(FromFile(*library, "lumivale_xi", docs / kXiFile));
  }
  EXPECT_TRUE(KnownToFontconfig(docs / kCuFile));
  EXPECT_FALSE(KnownToFontconfig(docs / kXiFile));
}

TEST(FontSoundness, OnlyAFontThatDrawsEveryFigureOfTheFaceStandsIn) {
  const BuiltInFont cu = HeavyBuiltInFont(), xi = FineBuiltInFont();
  std::vector<unsigned char> cut = kCuData();
  cut.resize(cut.size() / 2);
  struct Case {
    const char* label;
    std::vector<unsigned char> candidate;
    const BuiltInFont& font;
    bool sound;
  };
  const Case cases[] = {
      {"the built-in cu itself", kCuData(), cu, true},
      {"the built-in xi itself", kXiData(), xi, true},
      {"empty", {}, cu, false},
      {"not a font", BytesOf("not a font at all"), xi, false},
      {"another family", kXiData(), cu, false},
      {"glyph outlines zeroed", WithGlyphsOverwritten(kCuData(), 0x00), cu, false},
      {"glyph outlines garbage", WithGlyphsOverwritten(kXiData(), 0xFF), xi, false},
      // The outlines intact, but every figure drawn on top of the one before, or far apart.
      {"advances zeroed", WithTableOverwritten(kXiData(), "hmtx", 0x00), xi, false},
      {"advances garbage", WithTableOverwritten(kCuData(), "hmtx", 0x7F), cu, false},
      {"cut in half", cut, cu, false},
  };
  for (const Case& c : cases) {
    const std::string why = WhyUnfitFor(c.candidate, c.font);
    EXPECT_EQ(why.empty(), c.sound) << c.label << ": " << why;
  }
}

TEST(RegisterBuiltInFonts, FilesWithDamagedGlyphsAreNotUsedAndTheUserIsTold) {
  for (const unsigned char fill : {0x00, 0xFF}) {
    SCOPED_TRACE(testing::Message() << "glyphs filled with " << int(fill));
    TemporaryFolder docs;
    const std::vector<unsigned char> cu = WithGlyphsOverwritten(kCuData(), fill);
    const std::vector<unsigned char> xi = WithGlyphsOverwritten(kXiData(), fill);
    WriteBytes(docs / kCuFile, cu);
    WriteBytes(docs / kXiFile, xi);
    TemporaryFolder logs;
    const Registration r = Register(docs.path(), logs / "stderr");
    ExpectBothFacesNamed(r);
    EXPECT_FALSE(r.cuFromFile);
    EXPECT_FALSE(r.xiFromFile);
    const std::vector<std::string> said = Lines(logs / "stderr");
    ASSERT_EQ(said.size(), 2u) << "one line for each file";
    EXPECT_NE(said[0].find(docs / kCuFile), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("built-in lumivale_cu"), std::string::npos) << said[0];
    EXPECT_NE(said[1].find(docs / kXiFile), std::string::npos) << said[1];
    EXPECT_EQ(ReadBytes(docs / kCuFile), cu) << "the user's file is never touched";
    EXPECT_EQ(ReadBytes(docs / kXiFile), xi);
  }
}

TEST(RegisterBuiltInFonts, SoundFilesAreUsedWithoutAWord) {
  TemporaryFolder docs;
  InstallBuiltInFonts(docs.path());
  TemporaryFolder logs;
  const Registration r = Register(docs.path(), logs / "stderr");
  EXPECT_TRUE(r.cuFromFile);
  EXPECT_TRUE(r.xiFromFile);
  EXPECT_TRUE(Lines(logs / "stderr").empty());
}

// The faces are read into memory: emptying a registered file in place (as `: > file` does)
// while the program runs changes nothing, where a mapped file would end it with SIGBUS.
TEST(RegisterBuiltInFonts, AFileEmptiedWhileInUseDoesNoHarm) {
  TemporaryFolder docs;
  InstallBuiltInFonts(docs.path());
  const pid_t child = fork();
  if (child == 0) {
    ProgramState state;
    const auto fonts = std::make_shared<FontCache>(RegisterBuiltInFonts(docs.path(), state));
    Canvas canvas = MakeCanvas({.width = 600, .height = 80}, fonts);
    state.heavyFont.size = 45;
    state.heavyFont.bold = true;
    SetFont(canvas, state.heavyFont);
    WriteAt(canvas, 0, 0, "5.00");
    const std::int32_t before = TextWidth(canvas, "1234567890");
    if (::truncate((docs / kCuFile).c_str(), 0) != 0) _exit(98);
    WriteAt(canvas, 0, 0, "1234567890");  // glyphs never drawn before
    state.heavyFont.size = 28;
    SetFont(canvas, state.heavyFont);
    WriteAt(canvas, 0, 0, "1234567890");
    state.heavyFont.size = 45;
    SetFont(canvas, state.heavyFont);
    _exit(TextWidth(canvas, "1234567890") == before && DescribeFont(canvas).own ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
