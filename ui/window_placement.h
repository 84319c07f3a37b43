#pragma once
// Where the main window's frame goes on its screen.
#include <QPoint>
#include <QRect>
#include <QSize>

// The top-left corner of a frame of size `outer` centred in `available`, the screen's area less
// its panels and docks. A frame taller (or wider) than the area starts at the area's top (or
// left) edge instead, so that its title bar stays on the screen.
QPoint CentredFramePosition(const QRect& available, const QSize& outer);
