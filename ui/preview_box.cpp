#include "ui/preview_box.h"

#include <QPainter>

#include <cstring>

#include "compose/area_scaling.h"
#include "output/bmp_file.h"

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewBox::SetPicture(std::span<const unsigned char> bytes) {
  picture_.assign(bytes.begin(), bytes.end());
  ScalePicture();
  update();
}

void PreviewBox::SwapPicture(PictureBytes& bytes) {
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
// the logical size first nor stretched by the painter after. The rows are read where they lie
// in the BMP file, with no decoded copy of the whole picture.
void PreviewBox::ScalePicture() {
  shown_ = QImage();
  scaledTo_ = ClientPixels();
  if (scaledTo_.isEmpty()) return;
  const std::optional<BmpPixels> bmp = DecodeBmp(picture_);
  if (!bmp) return;
  const RasterView rows{.topRow = bmp->Row(0),
                        .rowStep = -static_cast<std::ptrdiff_t>(bmp->rowBytes),
                        .width = bmp->width,
                        .height = bmp->height,
                        .bgr = true};
  const std::vector<std::uint32_t> scaled = AreaScaled(rows, scaledTo_.width(), scaledTo_.height());
  QImage image(scaledTo_, QImage::Format_RGB32);  // 0xFFRRGGBB, as the scaling gives them
  if (image.isNull() || scaled.empty()) return;
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(image.scanLine(y), scaled.data() + static_cast<std::size_t>(y) * image.width(),
                static_cast<std::size_t>(image.width()) * sizeof(std::uint32_t));
  image.setDevicePixelRatio(devicePixelRatioF());
  shown_ = std::move(image);
}

// A window is resized once more when it is first shown; the picture is scaled again only when
// the size in pixels has changed.
void PreviewBox::resizeEvent(QResizeEvent*) {
  if (ClientPixels() != scaledTo_) ScalePicture();
}

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
