#include "output/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "output/output_error.h"
#include "tests/file_helpers.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

using file_helpers::ReadText;
using file_helpers::WriteText;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { savedUmask_ = ::umask(022); }
  void TearDown() override { ::umask(savedUmask_); }

  // Names in the folder, whatever they are: a leftover temporary file shows up here.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Every entry below the folder, links not followed: a file with its contents, a link with
  // what it says, anything else by its kind. Any change and any leftover shows up here.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      std::string& described = tree[entry.path().lexically_relative(folder_).string()];
      switch (entry.symlink_status().type()) {
        case fs::file_type::regular: described = "file " + ReadText(entry.path()); break;
        case fs::file_type::symlink: described = "link " + fs::read_symlink(entry.path()).string(); break;
        case fs::file_type::directory: described = "folder"; break;
        case fs::file_type::fifo: described = "fifo"; break;
        case fs::file_type::socket: described = "socket"; break;
        default: described = "other"; break;
      }
    }
    return tree;
  }
  static mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
  }
  static std::span<const unsigned char> Bytes(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
  }

  TemporaryFolder temporary_{"atomic_file_test"};
  const fs::path folder_ = temporary_.path();
  mode_t savedUmask_ = 0;
};

// A new file gets the usual mode less the umask; a file that is replaced keeps its own mode.
TEST_F(AtomicFileTest, ModesOfNewAndReplacedFiles) {
  struct Case {
    const char* label;
    mode_t umask;
    int earlierMode;  // of a file already at the target; -1 for none
    mode_t expected;
  };
  const Case cases[] = {
      {"new, usual umask", 022, -1, 0644},
      {"new, private umask", 077, -1, 0600},
      {"replaced", 022, 0640, 0640},
      {"replaced, private umask", 077, 0664, 0664},
      {"replaced 0644, private umask", 077, 0644, 0644},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const fs::path target = folder_ / "picture.jpg";
    fs::remove(target);
    if (c.earlierMode >= 0) {
      WriteText(target, "a much longer earlier content");
      ASSERT_EQ(::chmod(target.c_str(), static_cast<mode_t>(c.earlierMode)), 0);
    }
    ::umask(c.umask);
    std::error_code error;
    ASSERT_TRUE(WriteFileAtomically(target, Bytes("new"), error)) << error.message();
    ::umask(022);
    EXPECT_FALSE(error);
    EXPECT_EQ(ReadText(target), "new");
    EXPECT_EQ(ModeOf(target), c.expected);
    EXPECT_EQ(Entries(), std::vector<std::string>{"picture.jpg"}) << "no temporary file is left";
  }
}

TEST_F(AtomicFileTest, EmptyContentsGiveEmptyFile) {
  const fs::path target = folder_ / "empty";
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(target, {}, error));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(AtomicFileTest, SymbolicLinkStaysAndItsFileIsReplaced) {
  const fs::path real = folder_ / "real.txt";
  const fs::path link = folder_ / "link.txt";
  WriteText(real, "before");
  fs::create_symlink(real.filename(), link);
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(link, Bytes("after"), error)) << error.message();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadText(real), "after");
}

// A UNIX socket bound at `path`; the node stays after the socket is closed.
void MakeSocket(const fs::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.string().size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, path.c_str());
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

// Links are followed to the path they end at, also when the last one dangles, with relative
// link texts read from the link's own folder. Only a regular file there is replaced, or a new
// one made; anything else is refused and nothing at all changes.
TEST_F(AtomicFileTest, TargetsAreFollowedThroughLinksAndOnlyRegularFilesAreReplaced) {
  WriteText(folder_ / "plain.jpg", "plain");
  ASSERT_EQ(::chmod((folder_ / "plain.jpg").c_str(), 0640), 0);
  WriteText(folder_ / "linked.jpg", "linked");
  ASSERT_EQ(::chmod((folder_ / "linked.jpg").c_str(), 0600), 0);
  fs::create_symlink("linked.jpg", folder_ / "link.jpg");
  fs::create_symlink("ghost.jpg", folder_ / "dangling.jpg");
  fs::create_directory(folder_ / "sub");
  WriteText(folder_ / "sub" / "end.jpg", "end");
  ASSERT_EQ(::chmod((folder_ / "sub" / "end.jpg").c_str(), 0604), 0);
  fs::create_symlink("end.jpg", folder_ / "sub" / "hop.jpg");
  fs::create_symlink("sub/hop.jpg", folder_ / "chain.jpg");
  fs::create_symlink("made.jpg", folder_ / "sub" / "dangling-hop.jpg");
  fs::create_symlink(folder_ / "sub" / "dangling-hop.jpg", folder_ / "chain-to-dangling.jpg");
  fs::create_symlink("loop-back.jpg", folder_ / "loop.jpg");
  fs::create_symlink("loop.jpg", folder_ / "loop-back.jpg");
  ASSERT_EQ(::mkfifo((folder_ / "pipe.jpg").c_str(), 0644), 0);
  fs::create_symlink("pipe.jpg", folder_ / "to-pipe.jpg");
  MakeSocket(folder_ / "socket.jpg");
  fs::create_symlink("sub", folder_ / "to-folder.jpg");
  fs::create_symlink("missing/x.jpg", folder_ / "into-missing.jpg");

  const std::error_code notRegular = OutputError::kNotARegularFile;
  struct Case {
    const char* label;
    const char* target;
    const char* landing;  // where the contents go; null when refused
    mode_t mode;          // of the file written
    std::error_code refusal;
  };
  const Case cases[] = {
      {"regular file", "plain.jpg", "plain.jpg", 0640, {}},
      {"nothing there", "new.jpg", "new.jpg", 0644, {}},
      {"link to a file", "link.jpg", "linked.jpg", 0600, {}},
      {"dangling link", "dangling.jpg", "ghost.jpg", 0644, {}},
      {"link chain", "chain.jpg", "sub/end.jpg", 0604, {}},
      {"absolute link to a dangling link", "chain-to-dangling.jpg", "sub/made.jpg", 0644, {}},
      {"link loop", "loop.jpg", nullptr, 0, std::make_error_code(std::errc::too_many_symbolic_link_levels)},
      {"link to a FIFO", "to-pipe.jpg", nullptr, 0, notRegular},
      {"FIFO", "pipe.jpg", nullptr, 0, notRegular},
      {"socket", "socket.jpg", nullptr, 0, notRegular},
      {"folder", "sub", nullptr, 0, std::make_error_code(std::errc::is_a_directory)},
      {"link to a folder", "to-folder.jpg", nullptr, 0, std::make_error_code(std::errc::is_a_directory)},
      {"link into a missing folder", "into-missing.jpg", nullptr, 0,
       std::make_error_code(std::errc::no_such_file_or_directory)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::map<std::string, std::string> before = Tree();
    std::error_code error;
    std::optional<PendingFile> file = PendingFile::CreateBeside(folder_ / c.target, error);
    if (!c.landing) {
      EXPECT_FALSE(file);
      EXPECT_EQ(error, c.refusal) << error.message();
      file.reset();
      EXPECT_EQ(Tree(), before);
      continue;
    }
    ASSERT_TRUE(file) << error.message();
    EXPECT_TRUE(fs::equivalent(file->temporaryPath().parent_path(), (folder_ / c.landing).parent_path()))
        << file->temporaryPath();
    ASSERT_TRUE(file->Write(Bytes(c.label), error));
    ASSERT_TRUE(file->Commit(error)) << error.message();
    std::map<std::string, std::string> expected = before;
    expected[c.landing] = std::string("file ") + c.label;
    EXPECT_EQ(Tree(), expected);
    EXPECT_EQ(ModeOf(folder_ / c.landing), c.mode);
  }
}

// What comes to the target between CreateBeside and Commit is not replaced: only the regular
// file that was there, or nothing, gives way to the new file.
TEST_F(AtomicFileTest, WhatComesToTheTargetWhileWritingIsNotReplaced) {
  const fs::path target = folder_ / "busy.jpg";
  struct Case {
    const char* label;
    bool fileThereAtFirst;
    std::function<void()> change;
    std::error_code refusal;
  };
  const Case cases[] = {
      {"a file appears", false, [&] { WriteText(target, "someone else's"); },
       std::make_error_code(std::errc::file_exists)},
      {"a FIFO appears", false, [&] { ::mkfifo(target.c_str(), 0644); },
       std::make_error_code(std::errc::file_exists)},
      {"the file becomes a FIFO", true, [&] { fs::remove(target); ::mkfifo(target.c_str(), 0644); },
       OutputError::kNotARegularFile},
      {"the file becomes a folder", true, [&] { fs::remove(target); fs::create_directory(target); },
       std::make_error_code(std::errc::is_a_directory)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(target);
    if (c.fileThereAtFirst) WriteText(target, "earlier");
    std::error_code error;
    std::optional<PendingFile> file = PendingFile::CreateBeside(target, error);
    ASSERT_TRUE(file) << error.message();
    ASSERT_TRUE(file->Write(Bytes("new"), error));
    c.change();
    std::map<std::string, std::string> changed = Tree();
    ASSERT_EQ(changed.erase(file->temporaryPath().lexically_relative(folder_).string()), 1u);
    EXPECT_FALSE(file->Commit(error));
    EXPECT_EQ(error, c.refusal) << error.message();
    EXPECT_EQ(Tree(), changed);
  }
}

// Sets the times of `path` itself (not of what a link points to) two minutes back.
void MakeOld(const fs::path& path) {
  timespec ago{};
  ASSERT_EQ(::clock_gettime(CLOCK_REALTIME, &ago), 0);
  ago.tv_sec -= 120;
  const timespec times[2] = {ago, ago};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// A temporary file left by a process that was killed goes on the next write to its target:
// only a regular file under exactly the name pattern of that target, and only once it is old.
TEST_F(AtomicFileTest, ACommitRemovesOnlyStaleTemporaryFilesOfItsOwnTarget) {
  const std::string longName(250, 'n');
  const std::string keptOfLong(100, 'n');  // CreateBeside keeps the first 100 bytes of a name
  const auto plant = [&](const std::string& name, bool old) {
    WriteText(folder_ / name, "planted");
    if (old) MakeOld(folder_ / name);
  };
  WriteText(folder_ / "picture.jpg", "earlier");
  plant(".picture.jpg.Ab3dE6g8.tmp", true);
  plant("." + keptOfLong + ".Zz09Yy18.tmp", true);
  const std::map<std::string, std::string> stale = {
      {".picture.jpg.Ab3dE6g8.tmp", "file planted"}, {"." + keptOfLong + ".Zz09Yy18.tmp", "file planted"}};

  plant(".picture.jpg.Kq7Lm2Np.tmp", false);  // young: may be another writer's
  for (const char* nearMiss :
       {".picture.jpg.Ab3dE6g.tmp", ".picture.jpg.Ab3dE6g89.tmp", ".picture.jpg.Ab3d-6g8.tmp",
        ".picture.jpg.Ab3dE6g8.tmpx", ".picture.jpg.Ab3dE6g8.temp", "picture.jpg.Ab3dE6g8.tmp",
        "..picture.jpg.Ab3dE6g8.tmp", ".picture.jpg..Ab3dE6g8.tmp", ".other.jpg.Ab3dE6g8.tmp",
        ".picture.jpgx.Ab3dE6g8.tmp", ".picture.jp.Ab3dE6g8.tmp"})
    plant(nearMiss, true);
  fs::create_directory(folder_ / ".picture.jpg.Fo1der23.tmp");
  plant(".picture.jpg.Fo1der23.tmp/inside", true);
  WriteText(folder_ / "linked", "kept");
  fs::create_symlink("linked", folder_ / ".picture.jpg.L1nk4567.tmp");
  MakeOld(folder_ / ".picture.jpg.Fo1der23.tmp");
  MakeOld(folder_ / ".picture.jpg.L1nk4567.tmp");

  std::map<std::string, std::string> expected = Tree();
  for (const auto& [name, described] : stale) ASSERT_EQ(expected.erase(name), 1u) << name;
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(folder_ / "picture.jpg", Bytes("new"), error)) << error.message();
  ASSERT_TRUE(WriteFileAtomically(folder_ / longName, Bytes("long"), error)) << error.message();
  expected["picture.jpg"] = "file new";
  expected[longName] = "file long";
  EXPECT_EQ(Tree(), expected);
}

// Root ignores permission bits, so the unwritable places are made of paths instead.
TEST_F(AtomicFileTest, UnwritablePlacesReportWhyAndLeaveNothing) {
  WriteText(folder_ / "plain", "keep");
  fs::create_directory(folder_ / "sub");
  struct Case {
    const char* name;
    fs::path target;
    std::errc expected;
  };
  const Case cases[] = {
      {"missing folder", folder_ / "missing" / "x.jpg", std::errc::no_such_file_or_directory},
      {"through a regular file", folder_ / "plain" / "x.jpg", std::errc::not_a_directory},
      {"target is a folder", folder_ / "sub", std::errc::is_a_directory},
      {"trailing slash", folder_ / "sub" / "", std::errc::is_a_directory},
      {"empty path", fs::path(), std::errc::no_such_file_or_directory},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code error;
    EXPECT_FALSE(WriteFileAtomically(c.target, Bytes("data"), error));
    EXPECT_EQ(error, std::make_error_code(c.expected)) << error.message();
  }
  EXPECT_EQ(Entries(), (std::vector<std::string>{"plain", "sub"}));
  EXPECT_EQ(ReadText(folder_ / "plain"), "keep");
  EXPECT_TRUE(fs::is_empty(folder_ / "sub"));
}

TEST_F(AtomicFileTest, TemporaryFilesAreHiddenUniqueAndRemovedUnlessCommitted) {
  const fs::path target = folder_ / "out.png";
  WriteText(target, "earlier");
  std::error_code error;
  std::optional<PendingFile> first = PendingFile::CreateBeside(target, error);
  std::optional<PendingFile> second = PendingFile::CreateBeside(target, error);
  ASSERT_TRUE(first && second);
  const fs::path firstName = first->temporaryPath();
  EXPECT_NE(firstName, second->temporaryPath());
  EXPECT_EQ(firstName.parent_path(), folder_);
  const std::string name = firstName.filename();
  EXPECT_EQ(name.front(), '.');
  EXPECT_TRUE(name.ends_with(".tmp")) << name;
  EXPECT_NE(name.find("out.png"), std::string::npos) << name;
  ASSERT_TRUE(first->Write(Bytes("half"), error));
  EXPECT_EQ(Entries().size(), 3u);

  first.reset();
  second.reset();
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.png"});
  EXPECT_EQ(ReadText(target), "earlier");
}

TEST_F(AtomicFileTest, MovedPendingFileCommitsOnce) {
  const fs::path target = folder_ / "moved";
  std::error_code error;
  std::optional<PendingFile> original = PendingFile::CreateBeside(target, error);
  ASSERT_TRUE(original);
  PendingFile moved = std::move(*original);
  original.reset();  // the moved-from object must not remove the file
  ASSERT_TRUE(moved.Write(Bytes("content"), error));
  ASSERT_TRUE(moved.Commit(error)) << error.message();
  EXPECT_EQ(moved.stream(), nullptr);
  EXPECT_FALSE(moved.Commit(error));  // nothing left to commit
  EXPECT_EQ(ReadText(target), "content");
  EXPECT_EQ(Entries(), std::vector<std::string>{"moved"});
}

TEST_F(AtomicFileTest, LongNameStillGetsATemporaryFile) {
  const fs::path target = folder_ / std::string(250, 'n');
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("x"), error)) << error.message();
  EXPECT_EQ(ReadText(target), "x");
}

TEST_F(AtomicFileTest, CommitFailsWhenTheFolderIsGone) {
  const fs::path sub = folder_ / "gone";
  fs::create_directory(sub);
  std::error_code error;
  std::optional<PendingFile> file = PendingFile::CreateBeside(sub / "x", error);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Write(Bytes("x"), error));
  fs::remove_all(sub);
  EXPECT_FALSE(file->Commit(error));
  EXPECT_EQ(error, std::make_error_code(std::errc::no_such_file_or_directory)) << error.message();
  EXPECT_FALSE(fs::exists(sub));
}

// A full disk, simulated in a child process by a file size limit: the write fails with EFBIG,
// the earlier file stays byte for byte and no temporary file is left.
TEST_F(AtomicFileTest, FullDiskKeepsEarlierFile) {
  const fs::path target = folder_ / "fonts.ttf";
  WriteText(target, "earlier font");
  const std::string big(64 * 1024, 'z');
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::error_code error;
    bool written = WriteFileAtomically(target, Bytes(big), error);
    ::_exit(written ? 100 : (error.value() == EFBIG ? 0 : 101));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "100: reported as written, 101: another error";
  EXPECT_EQ(ReadText(target), "earlier font");
  EXPECT_EQ(Entries(), std::vector<std::string>{"fonts.ttf"});
}

}  // namespace
