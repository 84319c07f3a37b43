#include "ui/line_pitch_group_box.h"

#include <QFontMetricsF>
#include <QPainter>
#include <qdrawutil.h>
#include <cmath>

namespace {

// The room left on either side of the caption where the frame's top edge stops.
constexpr int kCaptionGap = 3;

}  // namespace

LinePitchGroupBox::LinePitchGroupBox(const QString& title, int linePitch, QWidget* parent)
    : QGroupBox(title, parent), linePitch_(linePitch) {}

QPointF LinePitchGroupBox::CaptionOrigin() const {
  const QFontMetricsF metrics(font());
  const QRectF ink = metrics.tightBoundingRect(title());
  const qreal advance = metrics.horizontalAdvance(title());
  qreal left = 0;
  switch (alignment() & Qt::AlignHorizontal_Mask) {
    case Qt::AlignHCenter: left = (width() - advance) / 2; break;
    case Qt::AlignRight: left = width() - advance; break;
    default: break;
  }
  // A whole pixel, so that the glyphs are drawn alike at every position.
  const qreal baseline = std::round((linePitch_ - ink.height()) / 2 - ink.top());
  return QPointF(std::round(left), baseline);
}

QRectF LinePitchGroupBox::CaptionInk() const {
  return QFontMetricsF(font()).tightBoundingRect(title()).translated(CaptionOrigin());
}

// The frame is the etched rectangle of a classic group box, drawn here rather than by the
// style: Fusion would start it below a caption the height of the font's whole line.
void LinePitchGroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!title().isEmpty()) {
    const QRect caption = CaptionInk().toAlignedRect().adjusted(-kCaptionGap, 0, kCaptionGap, 0);
    painter.setClipRegion(QRegion(rect()) - QRect(caption.left(), 0, caption.width(), linePitch_));
  }
  qDrawShadeRect(&painter, rect().adjusted(0, linePitch_ / 2, 0, 0), palette(), true, 1, 0);
  painter.setClipping(false);
  painter.setPen(palette().color(foregroundRole()));
  painter.setFont(font());
  painter.drawText(CaptionOrigin(), title());
}
