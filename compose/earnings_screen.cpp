#include "compose/earnings_screen.h"

#include <algorithm>
#include <array>

#include "assets/embedded_assets.h"

namespace {

constexpr std::int32_t kWidth = 1080;
constexpr std::int32_t kHeight = 1920;

constexpr Colour kClockColour = Rgb(255, 227, 209);  // the peach of the status bar's marks
constexpr Colour kWhite = Rgb(255, 255, 255);        // the balance, on the header's violet
constexpr Colour kBodyColour = Rgb(51, 51, 51);      // everything on the white cards

// The time-of-day words, in the order the window lists them (GBK): 上午, 下午, 早上, 中午, 晚上.
constexpr std::array<std::string_view, 5> kWords{
    "\xC9\xCF\xCE\xE7", "\xCF\xC2\xCE\xE7", "\xD4\xE7\xC9\xCF", "\xD6\xD0\xCE\xE7",
    "\xCD\xED\xC9\xCF"};

using enum FieldKind;
using enum FaceRole;
using enum ElementContent;
using enum Across;

// The free areas are where values of any sensible length land; the template's header (above
// y = 540) varies a little in colour but carries no ink there, the cards are plain white.
constexpr std::array kFields{
    ScreenField{"clock", "the phone clock", kClock, "10:23", {}, {860, 10, 1060, 56}},
    ScreenField{"word", "the time-of-day word", kWord, kWords[0], kWords, {860, 10, 1060, 56}},
    ScreenField{"balance", "the account balance", kAmount, "5.00", {}, {120, 350, 620, 420}},
    ScreenField{"this-month", "this month's income", kAmount, "5.00", {}, {70, 540, 530, 630}},
    ScreenField{"last-month", "last month's income", kAmount, "5.00", {}, {550, 540, 1010, 630}},
    ScreenField{"settled", "the settled income", kAmount, "5.00", {}, {390, 965, 1000, 1035}},
    ScreenField{"clicks", "the click count", kCount, "0", {}, {90, 1140, 380, 1195}},
    ScreenField{"payments", "the payment count", kCount, "0", {}, {418, 1140, 750, 1195}},
    ScreenField{"transaction", "the transaction income", kAmount, "5.00", {}, {788, 1140, 1046, 1195}},
};

// Integer parts are drawn at 45 points, bold, and each fraction ("." and the decimals) starts
// where its integer part ends at that size, though it is drawn smaller. At 96 pixels per inch
// the fractions' y put their baselines on their integer parts' baselines to within a quarter of
// a pixel (the heavy face's ascent is 1946/2048 of its em).
constexpr std::array kElements{
    // The clock ends 24 px from the right edge, whatever its length.
    ScreenElement{"clock", "clock", kWholeText, kFineFace, 25, false, kClockColour,
                  kEndingAt, kWidth - 24, "", 18},
    // The word starts 72 px left of the clock (1080 - Wc - 96); its own width plays no part.
    ScreenElement{"word", "word", kWholeText, kWordFace, 25, false, kClockColour,
                  kAfterStartOf, -72, "clock", 14},
    ScreenElement{"balance", "balance", kIntegerPart, kHeavyFace, 45, true, kWhite,
                  kAt, 132, "", 354},
    ScreenElement{"balance fraction", "balance", kPointAndFraction, kHeavyFace, 28, true, kWhite,
                  kAfterEndOf, 0, "balance", 376},
    // A monthly income: the sign at 270 - W/2 - 38, the integer part 30 px right of it, so the
    // integer part is centred on x = 262 (up to the truncation); the sign's top lies 30 px
    // below the integer part's.
    ScreenElement{"this-month sign", "this-month", kCurrencySign, kHeavyFace, 0, false, 0,
                  kHalfWidthBefore, 270 - 38, "this-month", 586},
    ScreenElement{"this-month", "this-month", kIntegerPart, kHeavyFace, 45, true, kBodyColour,
                  kAfterStartOf, 30, "this-month sign", 556},
    ScreenElement{"this-month fraction", "this-month", kPointAndFraction, kHeavyFace, 28, true,
                  kBodyColour, kAfterEndOf, 0, "this-month", 578},
    // The same for last month, centred on x = 802.
    ScreenElement{"last-month sign", "last-month", kCurrencySign, kHeavyFace, 0, false, 0,
                  kHalfWidthBefore, 810 - 38, "last-month", 586},
    ScreenElement{"last-month", "last-month", kIntegerPart, kHeavyFace, 45, true, kBodyColour,
                  kAfterStartOf, 30, "last-month sign", 556},
    ScreenElement{"last-month fraction", "last-month", kPointAndFraction, kHeavyFace, 28, true,
                  kBodyColour, kAfterEndOf, 0, "last-month", 578},
    ScreenElement{"settled", "settled", kIntegerPart, kHeavyFace, 45, true, kBodyColour,
                  kAt, 400, "", 969},
    // The settled income's fraction is larger than the others, and so 18 px lower, not 22.
    ScreenElement{"settled fraction", "settled", kPointAndFraction, kHeavyFace, 31, true, kBodyColour,
                  kAfterEndOf, 0, "settled", 987},
    ScreenElement{"clicks", "clicks", kWholeText, kFineFace, 32, false, kBodyColour,
                  kAt, 96, "", 1144},
    ScreenElement{"payments", "payments", kWholeText, kFineFace, 32, false, kBodyColour,
                  kAt, 424, "", 1144},
    // The transaction income is an amount, but drawn whole in the light face.
    ScreenElement{"transaction", "transaction", kWholeText, kFineFace, 32, false, kBodyColour,
                  kAt, 794, "", 1144},
};

constexpr ScreenDescription kEarningsScreen{
    kWidth, kHeight, TemplatePictureData, 25, 29, CurrencySignPictureData, kFields, kElements,
    "\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA",  // 微软雅黑
};

template <typename Entry, typename Key>
std::optional<std::size_t> IndexOf(std::span<const Entry> entries, std::string_view name, Key key) {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [&](const Entry& entry) { return entry.*key == name; });
  if (found == entries.end()) return std::nullopt;
  return static_cast<std::size_t>(found - entries.begin());
}

}  // namespace

const ScreenDescription& EarningsScreen() { return kEarningsScreen; }

std::optional<std::size_t> FieldIndex(const ScreenDescription& screen, std::string_view name) {
  return IndexOf(screen.fields, name, &ScreenField::name);
}

std::optional<std::size_t> ElementIndex(const ScreenDescription& screen, std::string_view id) {
  return IndexOf(screen.elements, id, &ScreenElement::id);
}
