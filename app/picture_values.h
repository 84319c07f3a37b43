#pragma once
// What `render` and `batch` make of the texts they are given for one picture: the screen's
// inputs as typed and as drawn, and a note for each amount drawn other than it reads.
#include <optional>
#include <string>
#include <vector>

#include "compose/screen_inputs.h"

struct PictureValues {
  ScreenInputs typed;  // GBK, fields not given at their initial texts
  ScreenInputs drawn;  // as the confirm button would draw them (amounts as typed with --raw)
  // For each amount the normalisation cannot read whole ("abc", "1,234.5", "12元"): which field,
  // what was typed and what is drawn, in a sentence.
  std::vector<std::string> unreadAmounts;
};

// From UTF-8 texts, one optional text for each field of the earnings screen. Nothing, with the
// reason in `error`, when a word is not one of its field's words.
std::optional<PictureValues> PictureValuesFrom(const std::vector<std::optional<std::string>>& utf8,
                                               AmountTexts amounts, std::string& error);

// The UTF-8 texts of a picture's fields, those not given at their initial texts.
std::vector<std::string> Utf8Texts(const ScreenInputs& inputs);
