#pragma once
// A group box whose caption is centred, by its ink, in a band of fixed height at its top, the
// frame's top edge running through the caption's middle. The CJK faces Qt finds have lines far
// taller than their characters; laid out by the font's line, 分组框1's 29 px caption would reach
// down into the preview that starts 34 px below the box's top.
#include <QGroupBox>
#include <QRectF>

class LinePitchGroupBox : public QGroupBox {
 public:
  LinePitchGroupBox(const QString& title, int linePitch, QWidget* parent = nullptr);

  // Where the caption's ink lies, in the box's coordinates.
  QRectF CaptionInk() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointF CaptionOrigin() const;  // the start of the caption's baseline

  int linePitch_;
};
