#pragma once
// The window's input controls, each holding one field of the earnings screen: what the user
// typed, read as the screen's inputs, and the normalised texts written back.
#include <cstddef>
#include <span>

#include "compose/screen_inputs.h"

class QComboBox;
class QLineEdit;

struct FieldControl {
  std::size_t field;           // its index in the screen's fields
  QLineEdit* box = nullptr;    // an edit box, or else
  QComboBox* list = nullptr;   // the list of the field's words
};

// What the controls hold now, as GBK texts; a field no control holds keeps its initial text.
ScreenInputs ReadFieldControls(std::span<const FieldControl> controls,
                               const ScreenDescription& screen);

// Writes the normalised texts into the boxes whose fields the normalisation rewrites: the clock
// always, the amounts when `amounts` normalises them. Each of those boxes is written even when
// its text stays the same; the others are left alone.
void WriteBackNormalised(std::span<const FieldControl> controls, const ScreenInputs& drawn,
                         AmountTexts amounts);
