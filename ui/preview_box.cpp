#include "ui/preview_box.h"

#include <QPainter>

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewBox::SetPicture(std::span<const unsigned char> bytes) {
  picture_.assign(bytes.begin(), bytes.end());
  ScalePicture();
}

void PreviewBox::SwapPicture(std::vector<unsigned char>& bytes) {
  picture_.swap(bytes);
  ScalePicture();
}

QRect PreviewBox::ClientArea() const { return rect().adjusted(1, 1, -1, -1); }

// The picture is scaled once when it arrives, not on every paint.
void PreviewBox::ScalePicture() {
  shown_ = QImage();
  const QSize client = ClientArea().size();
  if (!picture_.empty() && !client.isEmpty()) {
    QImage decoded;
    if (decoded.loadFromData(picture_.data(), static_cast<int>(picture_.size())))
      shown_ = decoded.scaled(client, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  update();
}

void PreviewBox::resizeEvent(QResizeEvent*) { ScalePicture(); }

void PreviewBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!shown_.isNull()) painter.drawImage(ClientArea().topLeft(), shown_);
  painter.setPen(Qt::black);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
