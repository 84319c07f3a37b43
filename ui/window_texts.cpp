#include "ui/window_texts.h"

#include <QFile>
#include <cerrno>

#include "output/output_error.h"
#include "ui/window_definition.h"

namespace {

QString LocalPath(const std::string& path) { return QFile::decodeName(path.c_str()); }

// The sentence that sends the user to the confirm button, after what is missing.
QString MakeAPictureFirst(const char* missing) {
  return QString::fromUtf8(missing) +
         QStringLiteral("，请先点“%1”生成图片。").arg(QString::fromUtf8(kConfirmCaption));
}

}  // namespace

QString NoticeTitle() { return QStringLiteral("Brackenmoor提示："); }

QString UntitledNoticeTitle() { return QStringLiteral("信息："); }

QString PreviewDescription() {
  return QStringLiteral("按填写的数值生成的收益截图（1080×1920），在这里缩小显示；"
                        "复制和保存的是原尺寸的图片。点“%1”更新。")
      .arg(QString::fromUtf8(kConfirmCaption));
}

// The telephone number is a placeholder that reaches nobody.
QString StartNoticeText() { return QStringLiteral("作者：Brackenmoor\r\n公司电话：000-00000000"); }

QString CopiedText() { return QStringLiteral("复制成功！直接在QQ聊天窗口或其它地方粘贴就可以了。"); }

QString NothingToCopyText() { return MakeAPictureFirst("没有可复制的图片"); }

QString SaveCancelledTitle() { return QStringLiteral("Tessaly提示Tessaly提示："); }

QString SaveCancelledText() { return QStringLiteral("亲，您还没有保存图片哦！"); }

QString SavedText(const std::string& temporaryLeftBehind) {
  QString text = QStringLiteral("OK保存成功！");
  if (!temporaryLeftBehind.empty())
    text += QStringLiteral("\n（临时文件“%1”没能删除，可以手动删除它。）")
                .arg(LocalPath(temporaryLeftBehind));
  return text;
}

QString SaveFailureText(const SaveOutcome& outcome) {
  const QString failed = QStringLiteral("图片没有保存。");
  if (outcome.stage == SaveStage::kNoPath)
    return failed + QStringLiteral("\n原因：没有选择保存位置。");
  const QString reason = outcome.stage == SaveStage::kNoPicture
                             ? MakeAPictureFirst("没有可保存的图片")
                             : ReasonText(outcome.error);
  return failed + QStringLiteral("\n位置：%1\n原因：%2").arg(LocalPath(outcome.jpegPath), reason);
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
  if (error == errc::not_enough_memory) return QString::fromUtf8(kOutOfMemoryText);
  return QStringLiteral("系统提示：") + QString::fromLocal8Bit(error.message());
}

QString ReplaceQuestionTitle() { return QStringLiteral("确认另存为"); }

QString ReplaceQuestionText(const QString& path) {
  return QStringLiteral("“%1”已存在。\n要替换它吗？").arg(path);
}

QString YesAnswer() { return QStringLiteral("是(&Y)"); }

QString NoAnswer() { return QStringLiteral("否(&N)"); }

QString FatalErrorTitle() { return QStringLiteral("Lumivale图片生成器"); }

QString FatalErrorText(const char* what) {
  return QStringLiteral("程序无法继续运行：") + QString::fromUtf8(what);
}
