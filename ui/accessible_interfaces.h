#pragma once
// How assistive tools (screen readers, through AT-SPI) see two kinds of the window's controls
// where Qt's own view falls short: the preview is a picture, not a plain client area; and a
// list of words (a combo box that cannot be edited) is called by its accessible name when it
// has one. On Linux Qt calls a combo box by its current item and leaves the naming to a label
// that points at it; 组合框_时间文字 has no label of its own.

// Installs the interfaces for every such control made from now on; a second call changes
// nothing.
void InstallAccessibleInterfaces();
