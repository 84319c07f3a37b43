// Writes the earnings screen's layout, as tools/build_pictures.py draws the template around it:
// the picture's and the sign's sizes, and for each field where its value is anchored and the
// area the template keeps plain for it. The description in compose/earnings_screen.cpp is the
// one source of these numbers; assets/pictures/screen_layout.json is what this writes.
//
//   lumivale_screen_layout > assets/pictures/screen_layout.json
#include <cstdio>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "compose/earnings_screen.h"

namespace {

using Json = nlohmann::ordered_json;

// How a field's value is anchored across: by the start, the end or the middle of its first
// text (the integer part of an amount).
Json AnchorOf(const ScreenDescription& screen, const ScreenField& field) {
  for (const ScreenElement& element : screen.elements) {
    if (element.field != field.name || element.content == ElementContent::kCurrencySign ||
        element.content == ElementContent::kPointAndFraction)
      continue;
    switch (element.across) {
      case Across::kAt: return {{"side", "left"}, {"x", element.x}};
      case Across::kEndingAt: return {{"side", "right"}, {"x", element.x}};
      case Across::kAfterStartOf: {
        const ScreenElement& ref = screen.elements[*ElementIndex(screen, element.ref)];
        // Behind a sign placed half the text's width before a point: centred on that point.
        if (ref.across == Across::kHalfWidthBefore)
          return {{"side", "centre"}, {"x", ref.x + element.x}};
        return {{"side", "after-start-of"}, {"of", ref.field}, {"x", element.x}};
      }
      case Across::kAfterEndOf:
      case Across::kHalfWidthBefore: break;
    }
  }
  return nullptr;
}

}  // namespace

int main() {
  const ScreenDescription& screen = EarningsScreen();
  Json fields = Json::array();
  for (const ScreenField& field : screen.fields) {
    const PixelBox& box = field.keepClear;
    fields.push_back({{"name", field.name},
                      {"anchor", AnchorOf(screen, field)},
                      {"keep_clear", {box.left, box.top, box.right, box.bottom}}});
  }
  const Json layout = {
      {"picture", {{"width", screen.width}, {"height", screen.height}}},
      {"sign", {{"width", screen.signWidth}, {"height", screen.signHeight}}},
      {"fields", fields},
  };
  std::cout << layout.dump(2) << '\n';
  return std::cout.good() ? 0 : 1;
}
