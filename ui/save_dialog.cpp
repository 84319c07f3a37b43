#include "ui/save_preview.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <cerrno>
#include <string_view>

#include "output/output_error.h"
#include "output/write_target.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"
#include "ui/window_handlers.h"

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "description|pattern|description|pattern" as Qt's name filters, "description (pattern)";
// a description that already shows its pattern in brackets is taken as it is.
QStringList NameFilters(std::string_view filter) {
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& description = parts[i];
    const QString& pattern = parts[i + 1];
    filters << (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                    ? description
                    : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
  }
  return filters;
}

// The file the save would replace: where the links at the path end, when a regular file is
// there. A place the save refuses (a folder, a FIFO, a link loop) gives nothing to ask about;
// the save then says why it wrote nothing.
std::optional<std::string> FileToBeReplaced(const std::string& path) {
  std::error_code refusal;
  const std::optional<WriteTarget> target = ResolveWriteTarget(path, refusal);
  if (!target || !target->exists) return std::nullopt;
  return target->path.string();
}

}  // namespace

bool ConfirmReplacing(QWidget*, const QString& path) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("确认另存为"),
                  QStringLiteral("“%1”已存在。\n要替换它吗？").arg(path),
                  QMessageBox::Yes | QMessageBox::No);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setDefaultButton(QMessageBox::No);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
  box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> AskForSavePath(QWidget* parent, FileDialogSettings& settings) {
  settings.kind = FileDialogSettings::Kind::SaveFile;
  QString preset = QString::fromStdString(settings.fileName);
  for (;;) {
    QFileDialog dialog(parent, FromUtf8(settings.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = NameFilters(settings.filter);
    dialog.setNameFilters(filters);
    if (settings.filterIndex >= 1 && settings.filterIndex <= filters.size())
      dialog.selectNameFilter(filters[settings.filterIndex - 1]);
    // The dialog returns a bare name with ".jpg", as the save would write it; and it asks
    // nothing itself: the question below is about the JPEG path, which for a name like
    // "abc.png" is not the name the dialog returns.
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!settings.initialFolder.empty()) dialog.setDirectory(FromUtf8(settings.initialFolder));
    if (!preset.isEmpty()) dialog.selectFile(preset);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    const QString chosen = files.first();
    const std::string localPath = QFile::encodeName(chosen).toStdString();
    const std::optional<std::string> replaced =
        settings.askBeforeReplacing ? FileToBeReplaced(JpegPathFor(localPath)) : std::nullopt;
    if (replaced && !ConfirmReplacing(parent, QFile::decodeName(replaced->c_str()))) {
      preset = chosen;  // as the user left it, to pick another name
      continue;
    }
    settings.fileName = chosen.toStdString();
    if (settings.currentFolderFollowsDialog) QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return localPath;
  }
}

QString ReasonText(std::error_code error) {
  using std::errc;
  if (!error) return QStringLiteral("原因不明。");
  if (error == errc::permission_denied || error == errc::operation_not_permitted)
    return QStringLiteral("没有写入权限，请换一个文件夹。");
  if (error == errc::read_only_file_system)
    return QStringLiteral("这个位置是只读的，不能写入，请换一个文件夹。");
  if (error == errc::no_space_on_device || error.value() == EDQUOT)
    return QStringLiteral("磁盘空间不足。");
  if (error == errc::file_too_large) return QStringLiteral("文件太大，超出了系统允许的文件大小。");
  if (error == errc::no_such_file_or_directory || error == errc::not_a_directory)
    return QStringLiteral("文件夹不存在。");
  if (error == errc::is_a_directory) return QStringLiteral("这里已经有一个同名的文件夹。");
  if (error == OutputError::kNotARegularFile)
    return QStringLiteral("这里的不是普通文件（可能是设备或管道），不能替换它，请换一个文件名。");
  if (error == errc::too_many_symbolic_link_levels)
    return QStringLiteral("符号链接绕成了圈或层数太多，找不到要保存的文件。");
  if (error == errc::file_exists)
    return QStringLiteral("保存期间这里出现了一个同名文件，没有替换它，请重新保存。");
  if (error == errc::text_file_busy || error == errc::device_or_resource_busy)
    return QStringLiteral("文件正被其它程序占用。");
  if (error == errc::filename_too_long) return QStringLiteral("文件名或路径太长。");
  if (error == errc::io_error) return QStringLiteral("读写磁盘时出错。");
  if (error == errc::not_enough_memory) return QStringLiteral("内存不足。");
  return QStringLiteral("系统提示：") + QString::fromLocal8Bit(error.message());
}

QString SaveFailureText(const SaveOutcome& outcome) {
  const QString reason =
      outcome.stage == SaveStage::kNoPicture
          ? QStringLiteral("没有可保存的图片，请先点“点此 - 确认修改内容”生成图片。")
          : ReasonText(outcome.error);
  return QStringLiteral("图片没有保存。\n位置：%1\n原因：%2")
      .arg(QFile::decodeName(outcome.jpegPath.c_str()), reason);
}

void SavePreviewAsJpeg(MainWindow& window) {
  const QString title = QStringLiteral("Brackenmoor提示：");
  const std::optional<std::string> chosen = AskForSavePath(&window, window.fileDialog);
  if (!chosen) {
    ShowNotice(QStringLiteral("亲，您还没有保存图片哦！"), kNoticeExclamation,
               QStringLiteral("Tessaly提示Tessaly提示："));
    return;
  }
  // The picture of the last render: what the preview box holds, not the boxes' texts.
  const SaveOutcome outcome = SavePictureAsJpeg(window.controls.preview->Picture(), *chosen);
  if (!outcome.written) {
    ShowNotice(SaveFailureText(outcome), kNoticeExclamation, title);
    return;
  }
  QString text = QStringLiteral("OK保存成功！");
  if (!outcome.temporaryLeftBehind.empty())
    text += QStringLiteral("\n（临时文件“%1”没能删除，可以手动删除它。）")
                .arg(QFile::decodeName(outcome.temporaryLeftBehind.c_str()));
  ShowNotice(text, kNoticeInformation, title);
}
