#pragma once
// The controls of the main window, made from its definition (window_definition.h) as children
// of the window, which owns them; these pointers are how the window's handlers reach them.
#include <vector>

#include "compose/earnings_screen.h"
#include "ui/field_controls.h"

class QPushButton;
class QWidget;
class PreviewBox;

struct WindowControls {
  std::vector<FieldControl> fields;  // the input controls, in the definition's order
  QPushButton* confirm = nullptr;
  QPushButton* save = nullptr;
  QPushButton* copy = nullptr;
  PreviewBox* preview = nullptr;
};

// Makes every control of the definition inside `window`: each input control holding its
// field's initial text (the list: the field's words, the first selected), the tab cycle set up
// and the focus on its first control; each control named for assistive tools as the
// definition says. std::logic_error when the definition names a field the screen lacks, a
// parent or a naming control that is not made before the control, a caption line that is not
// there, or lacks a button or the preview.
WindowControls MakeWindowControls(QWidget& window, const ScreenDescription& screen);
