#include "ui/copy_preview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <climits>

#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"
#include "ui/window_handlers.h"

bool CopyPreviewToClipboard(std::span<const unsigned char> picture) {
  if (picture.empty() || picture.size() > static_cast<std::size_t>(INT_MAX)) return false;
  // The clipboard shares this image; once it goes out of scope here the clipboard's is the
  // only one, and Qt encodes it (as PNG and the other image types) when a program pastes.
  QImage image = QImage::fromData(picture.data(), static_cast<int>(picture.size()));
  if (image.isNull()) return false;
  QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
  return true;
}

QString CopiedNoticeText() {
  return QStringLiteral("复制成功！直接在QQ聊天窗口或其它地方粘贴就可以了。");
}

QString NothingToCopyNoticeText() {
  return QStringLiteral("没有可复制的图片，请先点“点此 - 确认修改内容”生成图片。");
}

void OnCopyClicked(MainWindow& window) {
  const QString title = QStringLiteral("Brackenmoor提示：");
  if (CopyPreviewToClipboard(window.controls.preview->Picture()))
    ShowNotice(CopiedNoticeText(), kNoticeInformation, title);
  else
    ShowNotice(NothingToCopyNoticeText(), kNoticeExclamation, title);
}
