#include "ui/window_placement.h"

#include <algorithm>

QPoint CentredFramePosition(const QRect& available, const QSize& outer) {
  const auto centred = [](int start, int room, int length) {
    return std::max(start, start + (room - length) / 2);
  };
  return QPoint(centred(available.left(), available.width(), outer.width()),
                centred(available.top(), available.height(), outer.height()));
}
