#include "ui/notice.h"

#include <QMessageBox>

#include "ui/window_texts.h"

namespace {

QMessageBox::Icon BoxIcon(NoticeIcon icon) {
  switch (icon) {
    case NoticeIcon::kExclamation: return QMessageBox::Warning;
    case NoticeIcon::kInformation: return QMessageBox::Information;
    case NoticeIcon::kNone: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void ShowNotice(const QString& text, NoticeIcon icon, const QString& title) {
  QMessageBox box(BoxIcon(icon), title.isEmpty() ? UntitledNoticeTitle() : title, text,
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void ShowFatalErrorBox(const char* what) {
  QMessageBox::critical(nullptr, FatalErrorTitle(), FatalErrorText(what));
}
