#include "compose/screen_inputs.h"

#include <stdexcept>

#include "compose/amount_text.h"

ScreenInputs::ScreenInputs(const ScreenDescription& screen) : screen_(&screen) {
  texts_.reserve(screen.fields.size());
  for (const ScreenField& field : screen.fields) texts_.emplace_back(field.initialText);
}

std::size_t ScreenInputs::IndexOf(std::string_view field) const {
  const std::optional<std::size_t> index = FieldIndex(*screen_, field);
  if (!index) throw std::out_of_range("the screen has no field " + std::string(field));
  return *index;
}

const std::string& ScreenInputs::Text(std::string_view field) const {
  return texts_[IndexOf(field)];
}

void ScreenInputs::Set(std::string_view field, std::string text) {
  texts_[IndexOf(field)] = std::move(text);
}

ScreenInputs NormaliseScreenInputs(const ScreenInputs& typed, AmountTexts amounts) {
  ScreenInputs normalised = typed;
  const auto fields = typed.Screen().fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].kind == FieldKind::kClock) {
      normalised.Set(i, NormaliseClockText(typed.Text(i)));
    } else if (fields[i].kind == FieldKind::kAmount && amounts == AmountTexts::kNormalised) {
      normalised.Set(i, NormaliseAmountText(typed.Text(i)));
    }
  }
  return normalised;
}
