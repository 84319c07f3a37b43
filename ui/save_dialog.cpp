#include "ui/save_dialog.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <system_error>

#include "output/save_picture.h"
#include "output/write_target.h"
#include "ui/window_texts.h"

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

bool CanWriteInto(const QString& folder) {
  return !folder.isEmpty() && QFileInfo(folder).isDir() &&
         ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

QString SaveDialogFolder(const QString& current, const QString& pictures, const QString& home) {
  if (CanWriteInto(current)) return current;
  if (CanWriteInto(pictures)) return pictures;
  return home;
}

bool ConfirmReplacing(QWidget* parent, const QString& path) {
  QMessageBox box(QMessageBox::Warning, ReplaceQuestionTitle(), ReplaceQuestionText(path),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.setDefaultButton(QMessageBox::No);
  box.button(QMessageBox::Yes)->setText(YesAnswer());
  box.button(QMessageBox::No)->setText(NoAnswer());
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> AskForSavePath(QWidget* parent, SaveDialogSettings& settings) {
  QString preset = QString::fromStdString(settings.fileName);
  for (;;) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(FromUtf8(settings.nameFilter));
    // The dialog returns a bare name with the suffix, as the save would write it; and it asks
    // nothing itself: the question below is about the JPEG path, which for a name like
    // "abc.png" is not the name the dialog returns.
    dialog.setDefaultSuffix(FromUtf8(settings.defaultSuffix));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!preset.isEmpty())
      dialog.selectFile(preset);
    else
      dialog.setDirectory(
          SaveDialogFolder(QDir::currentPath(),
                           QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                           QDir::homePath()));

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return std::nullopt;
    const QString chosen = files.first();
    const std::string localPath = QFile::encodeName(chosen).toStdString();
    const std::optional<std::string> replaced = FileToBeReplaced(JpegPathFor(localPath));
    if (replaced && !ConfirmReplacing(parent, QFile::decodeName(replaced->c_str()))) {
      preset = chosen;  // as the user left it, to pick another name
      continue;
    }
    settings.fileName = chosen.toStdString();
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
    return localPath;
  }
}
