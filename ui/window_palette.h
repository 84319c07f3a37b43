#pragma once
// The colours the window was laid out in, whatever the desktop's theme: the captions are black
// and 标签2 blue by definition, so a dark theme's window colour behind them would leave them
// unreadable. The window gets this light palette whole; its notices and the file dialog keep
// the desktop's.
#include <QPalette>

// The window's background the grey of a button face (#F0F0F0), its text black; buttons, edit
// boxes and the list white with black text; a selection white on navy.
QPalette DesignedPalette();
