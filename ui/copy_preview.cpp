#include "ui/copy_preview.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <climits>

bool CopyPreviewToClipboard(std::span<const unsigned char> picture) {
  if (picture.empty() || picture.size() > static_cast<std::size_t>(INT_MAX)) return false;
  // The clipboard shares this image; once it goes out of scope here the clipboard's is the
  // only one, and Qt encodes it (as PNG and the other image types) when a program pastes.
  QImage image = QImage::fromData(picture.data(), static_cast<int>(picture.size()));
  if (image.isNull()) return false;
  QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
  return true;
}
