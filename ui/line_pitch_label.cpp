#include "ui/line_pitch_label.h"

#include <QPainter>

LinePitchLabel::LinePitchLabel(const QString& text, int linePitch, QWidget* parent)
    : QLabel(text, parent), linePitch_(linePitch) {}

QRect LinePitchLabel::LineBand(int index) const {
  return QRect(0, index * linePitch_, width(), linePitch_);
}

void LinePitchLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  painter.setFont(font());
  const QStringList lines = text().split(QStringLiteral("\r\n"));
  for (int i = 0; i < lines.size(); ++i) {
    // The font's own line is taller than the pitch: each line is centred on its band.
    painter.drawText(LineBand(i), Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                     lines[i]);
  }
}
