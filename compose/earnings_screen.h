#pragma once
// The earnings screen as data: the fields the user fills in, and the elements a render draws
// from them, with every place, face, size and colour. The window builds its inputs from the
// fields and the command line its options; the renderer walks the elements in their order;
// tools/build_pictures.py keeps the template plain where the fields are drawn, from the layout
// file that tools/write_screen_layout.cpp writes from this description.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "compose/colour.h"

enum class FieldKind {
  kClock,   // the phone clock: its full-width colons become ":" before every render
  kWord,    // one of a fixed list of words
  kAmount,  // written with two decimals by the confirm button
  kCount,   // drawn exactly as typed
};

// A rectangle of the picture; right and bottom are exclusive.
struct PixelBox {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ScreenField {
  std::string_view name;                    // as the command line spells it, e.g. "this-month"
  std::string_view description;             // for the command line's help
  FieldKind kind;
  std::string_view initialText;             // GBK: the window's box holds it at start
  std::span<const std::string_view> words;  // GBK: the only texts a word may be; else empty
  PixelBox keepClear;  // the template stays plain here, so that the value reads on it
};

// Which of the program state's three font records an element is drawn with.
enum class FaceRole { kFineFace, kWordFace, kHeavyFace };

// What an element draws from its field.
enum class ElementContent {
  kWholeText,         // the field's text
  kIntegerPart,       // an amount's text before its last "."
  kPointAndFraction,  // "." and the amount's text after its last "."
  kCurrencySign,      // the currency-sign picture, copied whole, white surroundings included
};

// Where an element starts across. W(e) is the width of element e's text measured in e's own
// face, size and weight; X(e) is where e starts. Positions are computed in double precision and
// truncated toward zero, sums wrap to 32 bits, as on the screen this imitates.
enum class Across {
  kAt,               // x
  kEndingAt,         // x - W(self): the element's text ends at x
  kAfterStartOf,     // X(ref) + x
  kAfterEndOf,       // X(ref) + W(ref) + x
  kHalfWidthBefore,  // x - W(ref) / 2, truncated toward zero
};

struct ScreenElement {
  std::string_view id;  // for references and messages
  std::string_view field;
  ElementContent content;
  FaceRole face;        // not used by the currency sign
  std::int32_t size;    // points
  bool bold;
  Colour colour;
  Across across;
  std::int32_t x;
  std::string_view ref;  // the element `across` measures from, when it needs one
  std::int32_t y;        // the top of the text's character cell, or of the sign picture
};

struct ScreenDescription {
  std::int32_t width;
  std::int32_t height;
  std::span<const unsigned char> (*templatePicture)();  // PNG, width x height
  std::int32_t signWidth;
  std::int32_t signHeight;
  std::span<const unsigned char> (*signPicture)();  // PNG, signWidth x signHeight
  std::span<const ScreenField> fields;
  std::span<const ScreenElement> elements;  // in the order they are drawn
  std::string_view wordFaceName;            // GBK: set in the word's record on every render
};

const ScreenDescription& EarningsScreen();

// The index of the field or element with that name in its table; nothing when there is none.
std::optional<std::size_t> FieldIndex(const ScreenDescription& screen, std::string_view name);
std::optional<std::size_t> ElementIndex(const ScreenDescription& screen, std::string_view id);
