// The copy and save buttons in process, on Qt's offscreen platform: the clipboard round trip,
// the save dialog driven as a user would (Qt's own dialog), the notices and the files left.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/output_error.h"
#include "output/save_picture.h"
#include "tests/file_helpers.h"
#include "tests/jpeg_reading.h"
#include "tests/window_test_support.h"
#include "ui/main_window.h"
#include "ui/preview_box.h"
#include "ui/save_dialog.h"
#include "ui/window_texts.h"

namespace fs = std::filesystem;
using file_helpers::ReadText;
using file_helpers::WriteText;

namespace {

QImage PreviewImage(const MainWindow& window) {
  const PictureBytes& bytes = Preview(window).Picture();
  return QImage::fromData(bytes.data(), static_cast<int>(bytes.size())).convertToFormat(QImage::Format_RGB32);
}

QImage ClipboardImage() {
  return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
}

void TypeIntoBox(QLineEdit& box, const QString& text) {
  box.setFocus();
  box.selectAll();
  QTest::keyClicks(&box, text);
}

// Every entry below a folder with the contents of the files, folders as "<name>/", links with
// what they say and anything else by its kind (never opened: a FIFO would block).
std::map<std::string, std::string> Contents(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    switch (entry.symlink_status().type()) {
      case fs::file_type::directory: files[name + "/"] = ""; break;
      case fs::file_type::symlink: files[name] = "-> " + fs::read_symlink(entry.path()).string(); break;
      case fs::file_type::regular: files[name] = ReadText(entry.path()); break;
      default: files[name] = "(not a regular file)"; break;
    }
  }
  return files;
}

bool IsFullSizeJpeg(const fs::path& path) {
  const std::string bytes = ReadText(path);
  const auto decoded = jpeg_reading::DecodeJpeg(jpeg_reading::Bytes(bytes.begin(), bytes.end()));
  return decoded && decoded->width == 1080 && decoded->height == 1920 && decoded->components == 3;
}

// Plays the user in the save dialog: each time a file dialog comes up it notes what the dialog
// showed, then types the next name into its file name field and accepts, or cancels when the
// next entry is empty.
class DialogDriver {
 public:
  struct Opening {
    QString shownPath;  // what the dialog would return if accepted as it opened
    QStringList nameFilters;
  };

  explicit DialogDriver(std::deque<std::optional<QString>> answers) : answers_(std::move(answers)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Drive(); });
    timer_.start();
  }

  std::vector<Opening> openings;
  bool unexpectedDialog = false;

 private:
  void Drive() {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    // Typed as a user types: into the focused field of the active dialog, which makes the
    // dialog drop the file it had selected from the last path.
    auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(nameField, nullptr);
    if (!dialog->isActiveWindow() || !nameField->hasFocus()) {
      dialog->activateWindow();
      nameField->setFocus();
      return;  // again on the next tick
    }
    const QStringList selected = dialog->selectedFiles();
    openings.push_back({selected.value(0), dialog->nameFilters()});
    if (answers_.empty()) {
      unexpectedDialog = true;
      dialog->reject();
      return;
    }
    const std::optional<QString> answer = answers_.front();
    answers_.pop_front();
    if (!answer) {
      dialog->reject();
      return;
    }
    nameField->setText(*answer);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as its Save button does
  }

  std::deque<std::optional<QString>> answers_;
  QTimer timer_;
};

class CopySaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startFolder_ = fs::current_path();
    window_ = OpenWindow();
    folder_ = fs::path(TemporaryHome()) / "pictures";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  // A confirmed save makes the saved file's folder the current one: the test's starting folder
  // is made current again before that folder is removed, so that the next test run in this
  // process (the whole binary, not one test a process as under ctest) starts in a folder that
  // exists.
  void TearDown() override {
    window_.reset();
    fs::current_path(startFolder_);
    fs::remove_all(folder_);
  }

  QString PathIn(const char* name) const { return QFile::decodeName((folder_ / name).c_str()); }

  // Clicks the save button, answering the dialog(s) in turn; gives the notices and questions.
  std::vector<SeenNotice> Save(std::deque<std::optional<QString>> answers,
                               QMessageBox::StandardButton replaceAnswer = QMessageBox::Yes) {
    DialogDriver driver(std::move(answers));
    NoticeCloser closer;
    closer.answer = replaceAnswer;
    Control<QPushButton>(*window_, "按钮_保存图片")->click();
    EXPECT_FALSE(driver.unexpectedDialog);
    lastOpenings_ = driver.openings;
    return closer.seen;
  }

  std::vector<SeenNotice> Copy() {
    NoticeCloser closer;
    Control<QPushButton>(*window_, "按钮_复制图片")->click();
    return closer.seen;
  }

  std::unique_ptr<MainWindow> window_;
  fs::path startFolder_;
  fs::path folder_;
  std::vector<DialogDriver::Opening> lastOpenings_;
};

void ExpectNotice(const std::vector<SeenNotice>& seen, QMessageBox::Icon icon, const char* title,
                  const QString& text) {
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].icon, icon);
  EXPECT_EQ(seen[0].title, Q(title));
  EXPECT_EQ(seen[0].text, text);
  EXPECT_EQ(seen[0].buttons, 1);
}

// ---------------------------------------------------------------------------------------------
// Copy.

TEST_F(CopySaveTest, CopyPutsTheLastRenderOnTheClipboardAtFullSize) {
  QGuiApplication::clipboard()->setText(Q("earlier text"));
  const QImage rendered = PreviewImage(*window_);
  ASSERT_EQ(rendered.size(), QSize(1080, 1920));

  ExpectNotice(Copy(), QMessageBox::Information, "Brackenmoor提示：",
               Q("复制成功！直接在QQ聊天窗口或其它地方粘贴就可以了。"));
  EXPECT_EQ(ClipboardImage(), rendered);
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasText());

  // Typed but not confirmed: still the last render's picture.
  TypeIntoBox(*Control<QLineEdit>(*window_, "编辑框_本月收入"), Q("98765.43"));
  Copy();
  EXPECT_EQ(ClipboardImage(), rendered);

  // Confirmed: the second copy replaces the first with the new picture.
  Control<QPushButton>(*window_, "按钮_预览图片")->click();
  const QImage renderedAgain = PreviewImage(*window_);
  ASSERT_NE(renderedAgain, rendered);
  Copy();
  EXPECT_EQ(ClipboardImage(), renderedAgain);
}

TEST_F(CopySaveTest, CopyWithoutAPictureWarnsAndLeavesTheClipboardAlone) {
  const std::vector<unsigned char> notAPicture = {'B', 'M', 0, 1, 2, 3};
  for (const std::vector<unsigned char>& bytes : {std::vector<unsigned char>{}, notAPicture}) {
    SCOPED_TRACE(bytes.size());
    QGuiApplication::clipboard()->setText(Q("kept"));
    Preview(*window_).SetPicture(bytes);
    ExpectNotice(Copy(), QMessageBox::Warning, "Brackenmoor提示：",
                 Q("没有可复制的图片，请先点“点此 - 确认修改内容”生成图片。"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("kept"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
  }
}

// ---------------------------------------------------------------------------------------------
// Save.

// The dialog gives a name typed without a suffix ".jpg"; the save makes a JPEG of any other
// name by appending ".jpg". The next dialog opens at the path the last one gave.
TEST_F(CopySaveTest, TypedNamesGiveTheJpegTheSaveWritesAndTheDialogRemembersThePath) {
  struct Case {
    const char* typed;
    const char* given;    // by the dialog, and shown when it opens the next time
    const char* written;
  };
  const Case cases[] = {
      {"abc", "abc.jpg", "abc.jpg"},          {"abc.jpg", "abc.jpg", "abc.jpg"},
      {"ABC.JPG", "ABC.JPG", "ABC.JPG"},      {"abc.jpeg", "abc.jpeg", "abc.jpeg"},
      {"abc.png", "abc.png", "abc.png.jpg"},  {"a.b.c", "a.b.c", "a.b.c.jpg"},
      {"收益", "收益.jpg", "收益.jpg"},       {"收益.jpg", "收益.jpg", "收益.jpg"},
  };
  const char* previous = nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    ExpectNotice(Save({PathIn(c.typed)}), QMessageBox::Information, "Brackenmoor提示：",
                 Q("OK保存成功！"));
    ASSERT_EQ(lastOpenings_.size(), 1u);
    EXPECT_EQ(lastOpenings_[0].nameFilters, QStringList{Q("图片类型(*.jpg)")});
    if (previous) {
      EXPECT_EQ(lastOpenings_[0].shownPath, PathIn(previous));
    }
    const auto files = Contents(folder_);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files.begin()->first, c.written);
    EXPECT_TRUE(IsFullSizeJpeg(folder_ / c.written));
    EXPECT_EQ(QDir::currentPath(), QFile::decodeName(folder_.c_str()));
    previous = c.given;
  }
  Save({std::nullopt});
  ASSERT_EQ(lastOpenings_.size(), 1u);
  EXPECT_EQ(lastOpenings_[0].shownPath, PathIn(previous));
}

// Nothing is written or remembered: the next dialog opens as the first did.
TEST_F(CopySaveTest, CancellingTouchesNothing) {
  WriteText(folder_ / "earlier.jpg", "earlier");
  const auto before = Contents(folder_);
  ExpectNotice(Save({std::nullopt}), QMessageBox::Warning, "Tessaly提示Tessaly提示：",
               Q("亲，您还没有保存图片哦！"));
  EXPECT_TRUE(Contents(folder_) == before);
  ASSERT_EQ(lastOpenings_.size(), 1u);
  const QString firstShown = lastOpenings_[0].shownPath;
  EXPECT_TRUE(QFileInfo(firstShown).isDir()) << firstShown.toStdString();
  Save({std::nullopt});
  ASSERT_EQ(lastOpenings_.size(), 1u);
  EXPECT_EQ(lastOpenings_[0].shownPath, firstShown);
}

TEST_F(CopySaveTest, TheReplaceQuestionIsAboutTheFileThatIsWritten) {
  WriteText(folder_ / "old.jpg", "earlier picture");
  WriteText(folder_ / "abc.png", "a png");

  // An existing JPEG chosen: asked about it, replaced by the picture after a yes.
  std::vector<SeenNotice> seen = Save({PathIn("old.jpg")});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, Q("确认另存为"));
  EXPECT_EQ(seen[0].text, Q("“%1”已存在。\n要替换它吗？").arg(PathIn("old.jpg")));
  EXPECT_EQ(seen[0].buttons, 2);
  EXPECT_EQ(seen[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(seen[0].hasParent);  // over the window
  EXPECT_TRUE(seen[0].modal);
  EXPECT_EQ(seen[1].text, Q("OK保存成功！"));
  EXPECT_TRUE(IsFullSizeJpeg(folder_ / "old.jpg"));

  // abc.png exists but abc.png.jpg, which is what is written, does not: nothing to ask.
  seen = Save({PathIn("abc.png")});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, Q("OK保存成功！"));
  const std::string firstJpeg = ReadText(folder_ / "abc.png.jpg");

  // Now abc.png.jpg exists: asked about it; a no reopens the dialog at that name, and a cancel
  // there leaves every file as it was.
  const auto before = Contents(folder_);
  seen = Save({PathIn("abc.png"), std::nullopt}, QMessageBox::No);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, Q("“%1”已存在。\n要替换它吗？").arg(PathIn("abc.png.jpg")));
  EXPECT_EQ(seen[1].text, Q("亲，您还没有保存图片哦！"));
  ASSERT_EQ(lastOpenings_.size(), 2u);
  EXPECT_EQ(lastOpenings_[1].shownPath, PathIn("abc.png"));
  EXPECT_TRUE(Contents(folder_) == before);
  EXPECT_EQ(ReadText(folder_ / "abc.png"), "a png");
}

// A link is followed: the question names the file at its end, and a link whose file is not
// there yet asks nothing; the links stay.
TEST_F(CopySaveTest, TheReplaceQuestionIsAboutWhereTheLinksLead) {
  fs::create_directory(folder_ / "real");
  WriteText(folder_ / "real" / "target.jpg", "earlier picture");
  fs::create_symlink("real/target.jpg", folder_ / "shown.jpg");
  fs::create_symlink("real/new.jpg", folder_ / "dangling.jpg");

  std::vector<SeenNotice> seen = Save({PathIn("shown.jpg")});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, Q("“%1”已存在。\n要替换它吗？").arg(PathIn("real/target.jpg")));
  EXPECT_EQ(seen[1].text, Q("OK保存成功！"));
  EXPECT_TRUE(IsFullSizeJpeg(folder_ / "real" / "target.jpg"));

  seen = Save({PathIn("dangling.jpg")});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, Q("OK保存成功！"));
  EXPECT_TRUE(IsFullSizeJpeg(folder_ / "real" / "new.jpg"));

  const auto files = Contents(folder_);
  EXPECT_EQ(files.size(), 5u);
  EXPECT_EQ(files.at("shown.jpg"), "-> real/target.jpg");
  EXPECT_EQ(files.at("dangling.jpg"), "-> real/new.jpg");
}

TEST_F(CopySaveTest, AFailedSaveSaysWhereAndWhyAndWritesNothing) {
  WriteText(folder_ / "plain", "a regular file");
  fs::create_directory(folder_ / "taken.png.jpg");
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0644), 0);
  fs::create_symlink("pipe", folder_ / "to-pipe.jpg");
  fs::create_symlink("loop.jpg", folder_ / "loop.jpg");
  const auto before = Contents(folder_);
  struct Case {
    const char* typed;
    const char* jpeg;
    const char* reason;
  };
  // Qt's dialog opens a folder typed into it rather than returning it, so the folder in the
  // JPEG's place is reached through a name the dialog does return.
  const Case cases[] = {
      {"missing/abc", "missing/abc.jpg", "文件夹不存在。"},
      {"plain/abc", "plain/abc.jpg", "文件夹不存在。"},
      {"taken.png", "taken.png.jpg", "这里已经有一个同名的文件夹。"},
      {"to-pipe", "to-pipe.jpg", "这里的不是普通文件（可能是设备或管道），不能替换它，请换一个文件名。"},
      {"loop", "loop.jpg", "符号链接绕成了圈或层数太多，找不到要保存的文件。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ExpectNotice(Save({PathIn(c.typed)}), QMessageBox::Warning, "Brackenmoor提示：",
                 Q("图片没有保存。\n位置：%1\n原因：%2").arg(PathIn(c.jpeg), Q(c.reason)));
    EXPECT_TRUE(Contents(folder_) == before);
  }
}

TEST_F(CopySaveTest, SaveWithoutAPictureWarnsAndWritesNothing) {
  Preview(*window_).SetPicture({});
  ExpectNotice(Save({PathIn("abc")}), QMessageBox::Warning, "Brackenmoor提示：",
               Q("图片没有保存。\n位置：%1\n原因：没有可保存的图片，请先点“点此 - 确认修改内容”生成图片。")
                   .arg(PathIn("abc.jpg")));
  EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(CopySaveTest, SaveTakesTheLastRenderNotTheTypedValues) {
  Save({PathIn("first")});
  TypeIntoBox(*Control<QLineEdit>(*window_, "编辑框_账户余额"), Q("31415.92"));
  Save({PathIn("unconfirmed")});
  EXPECT_TRUE(ReadText(folder_ / "unconfirmed.jpg") == ReadText(folder_ / "first.jpg"));
  Control<QPushButton>(*window_, "按钮_预览图片")->click();
  Save({PathIn("confirmed")});
  EXPECT_TRUE(ReadText(folder_ / "confirmed.jpg") != ReadText(folder_ / "first.jpg"));
}

// ---------------------------------------------------------------------------------------------
// Where the save dialog opens.

// Makes `path` the current folder while it lives.
class InFolder {
 public:
  explicit InFolder(const fs::path& path) : before_(fs::current_path()) { fs::current_path(path); }
  ~InFolder() { fs::current_path(before_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  fs::path before_;
};

QString Local(const fs::path& path) { return QFile::decodeName(path.c_str()); }

// A folder below a regular file can be written by nobody, root included; nor can a folder that
// is gone, or a file.
TEST(SaveDialogFolder, TheCurrentFolderWhereWritableElseThePicturesFolderElseHome) {
  const fs::path base = fs::path(TemporaryHome()) / "dialog-folders";
  fs::remove_all(base);
  fs::create_directories(base / "program");
  fs::create_directories(base / "Pictures");
  WriteText(base / "file", "a regular file");
  const QString program = Local(base / "program"), pictures = Local(base / "Pictures"),
                home = Local(base), file = Local(base / "file"), belowFile = Local(base / "file/sub"),
                gone = Local(base / "gone");
  for (const QString& folder : {program, pictures, home}) EXPECT_TRUE(CanWriteInto(folder));
  for (const QString& folder : {file, belowFile, gone, QString()})
    EXPECT_FALSE(CanWriteInto(folder)) << folder.toStdString();

  struct Case {
    QString current, pictures, opened;
  };
  const Case cases[] = {
      {program, pictures, program},
      {belowFile, pictures, pictures},
      {QString(), pictures, pictures},  // the current folder was removed
      {file, pictures, pictures},
      {belowFile, gone, home},
      {gone, belowFile, home},
      {gone, QString(), home},  // no pictures folder known
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveDialogFolder(c.current, c.pictures, home), c.opened)
        << c.current.toStdString() << " | " << c.pictures.toStdString();
  }
  if (::geteuid() != 0) {  // permissions bind everybody but root
    fs::permissions(base / "program", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(CanWriteInto(program));
    EXPECT_EQ(SaveDialogFolder(program, pictures, home), pictures);
    fs::permissions(base / "program", fs::perms::owner_write, fs::perm_options::add);
  }
  fs::remove_all(base);
}

// The first dialog opens in the current folder while it can be written; in a current folder
// that cannot (here: one that was removed, which root cannot write either), in the pictures
// folder, and without that in the home folder. A path confirmed before still wins.
TEST_F(CopySaveTest, TheFirstDialogOpensWhereTheUserCanWriteAndARememberedPathWins) {
  const fs::path home = TemporaryHome();
  const auto opened = [this] {
    EXPECT_EQ(lastOpenings_.size(), 1u);
    return lastOpenings_.empty() ? QString() : QDir::cleanPath(lastOpenings_[0].shownPath);
  };
  {
    const InFolder inside(folder_);
    Save({std::nullopt});
    EXPECT_EQ(opened(), Local(folder_));
  }
  fs::create_directories(home / "Pictures");
  fs::create_directories(home / "gone");
  {
    const InFolder inside(home / "gone");
    fs::remove(home / "gone");
    Save({std::nullopt});
    EXPECT_EQ(opened(), Local(home / "Pictures"));
    fs::remove(home / "Pictures");
    Save({std::nullopt});
    EXPECT_EQ(opened(), Local(home));

    ExpectNotice(Save({PathIn("kept")}), QMessageBox::Information, "Brackenmoor提示：",
                 Q("OK保存成功！"));
  }
  fs::create_directories(home / "gone");
  const InFolder inside(home / "gone");
  fs::remove(home / "gone");
  Save({std::nullopt});
  EXPECT_EQ(opened(), PathIn("kept.jpg"));
}

TEST(SaveReasons, ErrorsReadAsPlainSentences) {
  struct Case {
    std::error_code error;
    const char* text;
  };
  const auto posix = [](int value) { return std::error_code(value, std::generic_category()); };
  const Case cases[] = {
      {posix(EACCES), "没有写入权限，请换一个文件夹。"},
      {posix(EPERM), "没有写入权限，请换一个文件夹。"},
      {posix(EROFS), "这个位置是只读的，不能写入，请换一个文件夹。"},
      {posix(ENOSPC), "磁盘空间不足。"},
      {posix(EFBIG), "文件太大，超出了系统允许的文件大小。"},
      {posix(EDQUOT), "磁盘空间不足。"},
      {posix(ENOENT), "文件夹不存在。"},
      {posix(ENOTDIR), "文件夹不存在。"},
      {posix(EISDIR), "这里已经有一个同名的文件夹。"},
      {posix(EBUSY), "文件正被其它程序占用。"},
      {posix(ETXTBSY), "文件正被其它程序占用。"},
      {posix(ENAMETOOLONG), "文件名或路径太长。"},
      {posix(EIO), "读写磁盘时出错。"},
      {posix(ENOMEM), "内存不足。"},
      {OutputError::kNotARegularFile, "这里的不是普通文件（可能是设备或管道），不能替换它，请换一个文件名。"},
      {posix(ELOOP), "符号链接绕成了圈或层数太多，找不到要保存的文件。"},
      {posix(EEXIST), "保存期间这里出现了一个同名文件，没有替换它，请重新保存。"},
      {std::error_code(EACCES, std::system_category()), "没有写入权限，请换一个文件夹。"},
      {std::error_code(), "原因不明。"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReasonText(c.error), Q(c.text)) << c.error.message();

  // Anything rare in the system's own words.
  const std::error_code rare = posix(EXDEV);
  EXPECT_EQ(ReasonText(rare), Q("系统提示：") + QString::fromLocal8Bit(rare.message()));
}

// What the notice says for each way a save can end without a JPEG, and after one that left
// its temporary file behind.
TEST(SaveReasons, EachOutcomeSaysWhereAndWhy) {
  struct Case {
    SaveStage stage;
    std::error_code error;
    const char* jpegPath;
    const char* text;
  };
  const Case cases[] = {
      {SaveStage::kNoPath, std::make_error_code(std::errc::no_such_file_or_directory), "",
       "图片没有保存。\n原因：没有选择保存位置。"},
      {SaveStage::kNoPicture, std::make_error_code(std::errc::invalid_argument), "/p/收益.jpg",
       "图片没有保存。\n位置：/p/收益.jpg\n原因：没有可保存的图片，请先点“点此 - 确认修改内容”生成图片。"},
      {SaveStage::kTemporaryFile, std::make_error_code(std::errc::no_space_on_device), "/p/a.jpg",
       "图片没有保存。\n位置：/p/a.jpg\n原因：磁盘空间不足。"},
      {SaveStage::kConversion, std::make_error_code(std::errc::permission_denied), "/p/a.jpg",
       "图片没有保存。\n位置：/p/a.jpg\n原因：没有写入权限，请换一个文件夹。"},
  };
  for (const Case& c : cases) {
    SaveOutcome outcome;
    outcome.stage = c.stage;
    outcome.error = c.error;
    outcome.jpegPath = c.jpegPath;
    EXPECT_EQ(SaveFailureText(outcome), Q(c.text)) << c.text;
  }
  EXPECT_EQ(SavedText(""), Q("OK保存成功！"));
  EXPECT_EQ(SavedText("/p/.a.jpg.x.tmp"),
            Q("OK保存成功！\n（临时文件“/p/.a.jpg.x.tmp”没能删除，可以手动删除它。）"));
}

}  // namespace
