#include "ui/window_palette.h"

QPalette DesignedPalette() {
  const QColor buttonFace(0xF0, 0xF0, 0xF0);
  const QColor white(Qt::white), black(Qt::black);
  // Made from the grey, which gives the shades that frames and bevels are drawn in; the roles
  // that carry text are set in every colour group.
  QPalette palette(buttonFace);
  palette.setColor(QPalette::Window, buttonFace);
  palette.setColor(QPalette::WindowText, black);
  palette.setColor(QPalette::Base, white);
  palette.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
  palette.setColor(QPalette::Text, black);
  palette.setColor(QPalette::PlaceholderText, QColor(0x59, 0x59, 0x59));
  palette.setColor(QPalette::Button, white);
  palette.setColor(QPalette::ButtonText, black);
  palette.setColor(QPalette::BrightText, white);
  palette.setColor(QPalette::Highlight, QColor(0x00, 0x00, 0x80));
  palette.setColor(QPalette::HighlightedText, white);
  palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
  palette.setColor(QPalette::ToolTipText, black);
  palette.setColor(QPalette::Link, QColor(0x00, 0x00, 0xCC));
  palette.setColor(QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
  // Nothing in the window is ever disabled; were it, its text would still read (5:1).
  const QColor disabledText(0x6D, 0x6D, 0x6D);
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, disabledText);
  return palette;
}
