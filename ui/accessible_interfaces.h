#pragma once
// How assistive tools (screen readers, through AT-SPI) see the window and two kinds of its
// controls where Qt's own view falls short: the window is a window and the preview a picture,
// not plain client areas; and a list of words (a combo box that cannot be edited) is called by
// its accessible name when it has one. On Linux Qt calls a combo box by its current item and
// leaves the naming to a label that points at it; 组合框_时间文字 has no label of its own.

// Installs the interfaces for every such control made from now on; a second call changes
// nothing.
void InstallAccessibleInterfaces();
