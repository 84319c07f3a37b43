#include "ui/notice.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon IconForFlags(int flags) {
  switch (flags) {
    case kNoticeExclamation: return QMessageBox::Warning;
    case kNoticeInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

void ShowNotice(const QString& text, int flags, const QString& title) {
  QMessageBox box(IconForFlags(flags), title.isEmpty() ? QStringLiteral("信息：") : title, text,
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

// The telephone number is a placeholder that reaches nobody.
QString StartNoticeText() { return QStringLiteral("作者：Brackenmoor\r\n公司电话：000-00000000"); }

QString StartNoticeTitle() { return QStringLiteral("Brackenmoor提示："); }

void ShowFatalErrorBox(const char* what) {
  QMessageBox::critical(nullptr, QStringLiteral("Lumivale图片生成器"),
                        QStringLiteral("程序无法继续运行：") + QString::fromUtf8(what));
}
