#include "ui/preview_box.h"

#include <QPainter>

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewBox::SetPicture(std::span<const unsigned char> bytes) {
  picture_.assign(bytes.begin(), bytes.end());
  ScalePicture();
  update();
}

void PreviewBox::SwapPicture(std::vector<unsigned char>& bytes) {
  picture_.swap(bytes);
  ScalePicture();
  update();
}

QRect PreviewBox::ClientArea() const { return rect().adjusted(1, 1, -1, -1); }

QSize PreviewBox::ClientPixels() const {
  return (QSizeF(ClientArea().size()) * devicePixelRatioF()).toSize();
}

// The picture is scaled once when it arrives, straight from its full size to the client area's
// pixels on the screen, and drawn one to one: at a pixel ratio above 1 it is neither scaled to
// the logical size first nor stretched by the painter after.
void PreviewBox::ScalePicture() {
  shown_ = QImage();
  scaledTo_ = ClientPixels();
  if (picture_.empty() || scaledTo_.isEmpty()) return;
  QImage decoded;
  if (!decoded.loadFromData(picture_.data(), static_cast<int>(picture_.size()))) return;
  shown_ = decoded.scaled(scaledTo_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  shown_.setDevicePixelRatio(devicePixelRatioF());
}

void PreviewBox::resizeEvent(QResizeEvent*) { ScalePicture(); }

void PreviewBox::paintEvent(QPaintEvent*) {
  // The window may have moved to a screen of another pixel ratio since the last scaling.
  if (ClientPixels() != scaledTo_) ScalePicture();
  QPainter painter(this);
  const QRect client = ClientArea();
  painter.fillRect(client, Qt::white);
  if (!shown_.isNull()) painter.drawImage(client.topLeft(), shown_);
  // The border as four filled rows and columns, not a stroked rectangle: a pen of one pixel
  // at a ratio of 1.5 falls between the screen's pixels.
  const QRect box = rect();
  painter.fillRect(QRect(box.left(), box.top(), box.width(), 1), Qt::black);
  painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), Qt::black);
  painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), Qt::black);
  painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), Qt::black);
}
