#pragma once
// A label whose text breaks at "\r\n" onto lines of a fixed pitch, each line aligned right.
// The CJK faces Qt finds have lines far taller than their characters; a fixed pitch keeps
// 标签1's captions level with the boxes beside them and fits 标签2's three lines in its height.
// text() stays exactly the text that was set.
#include <QLabel>

class LinePitchLabel : public QLabel {
 public:
  LinePitchLabel(const QString& text, int linePitch, QWidget* parent = nullptr);

  // The band that line `index` (0-based) is drawn in.
  QRect LineBand(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int linePitch_;
};
