#include "atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temporary_folder.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { savedUmask_ = ::umask(022); }
  void TearDown() override { ::umask(savedUmask_); }

  static void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Names in the folder, whatever they are: a leftover temporary file shows up here.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::span<const unsigned char> Bytes(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
  }

  TemporaryFolder temporary_{"atomic_file_test"};
  const fs::path folder_ = temporary_.path();
  mode_t savedUmask_ = 0;
};

TEST_F(AtomicFileTest, WritesNewFileWithUsualMode) {
  const fs::path target = folder_ / "picture.bmp";
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("hello"), error)) << error.message();
  EXPECT_FALSE(error);
  EXPECT_EQ(ReadText(target), "hello");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"picture.bmp"});
}

TEST_F(AtomicFileTest, NewFileModeFollowsUmask) {
  ::umask(077);
  const fs::path target = folder_ / "private";
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("x"), error));
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(AtomicFileTest, ReplacesExistingFileAndKeepsItsPermissions) {
  const fs::path target = folder_ / "old.jpg";
  WriteText(target, "a much longer earlier content");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  std::error_code error;
  ASSERT_TRUE(WriteFileAtomically(target, Bytes("new"), error)) << error.message();
  EXPECT_EQ(ReadText(target), "new");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.jpg"});
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
