#pragma once
// The texts of a screen's fields (GBK), one for each field of its description, and what the
// confirm button makes of them before they are drawn.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/earnings_screen.h"

class ScreenInputs {
 public:
  // Every field holding its initial text.
  explicit ScreenInputs(const ScreenDescription& screen = EarningsScreen());

  const ScreenDescription& Screen() const { return *screen_; }
  // The texts in the order of the screen's fields.
  std::span<const std::string> Texts() const { return texts_; }
  const std::string& Text(std::size_t field) const { return texts_.at(field); }
  // The text of the field with that name; std::out_of_range for a name the screen lacks.
  const std::string& Text(std::string_view field) const;
  void Set(std::size_t field, std::string text) { texts_.at(field) = std::move(text); }
  void Set(std::string_view field, std::string text);

  bool operator==(const ScreenInputs& other) const {
    return screen_ == other.screen_ && texts_ == other.texts_;
  }

 private:
  std::size_t IndexOf(std::string_view field) const;

  const ScreenDescription* screen_;
  std::vector<std::string> texts_;
};

enum class AmountTexts {
  kNormalised,  // each amount with its value to two decimals, as the confirm button writes it
  kAsTyped,     // amounts left as they are: the first render, and `render --raw`
};

// What is drawn of what was typed, and what the window writes back into its boxes: the clock
// with every full-width colon replaced, the amounts as `amounts` says; counts and the word as
// they are.
ScreenInputs NormaliseScreenInputs(const ScreenInputs& typed,
                                   AmountTexts amounts = AmountTexts::kNormalised);
