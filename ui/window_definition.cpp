#include "ui/window_definition.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using enum ControlKind;
using enum TextAlignment;
using namespace control;

constexpr const char* kCaptionsText =
    "手机时间：\r\n\r\n\r\n账户余额：\r\n\r\n\r\n本月收入：\r\n\r\n\r\n上月收入：\r\n\r\n\r\n"
    "结算收入：\r\n\r\n\r\n  点击数：\r\n\r\n\r\n付款笔数：\r\n\r\n\r\n成交收入：";
constexpr const char* kWarningText =
    "本软件仅供娱乐，\r\n请勿用于非法用途，\r\n否则一切后果自负！";

constexpr ControlSpec EditBoxAt(const char* name, int left, int top, int width, const char* text) {
  return {name, EditBox, nullptr, left, top, width, 18, text, true,
          kDefaultFontPixelSize, false, 0x000000, Centre};
}

constexpr ControlSpec ButtonAt(const char* name, int left, int top, int width, int height,
                             const char* caption) {
  return {name, Button, nullptr, left, top, width, height, caption, true,
          16, false, 0x000000, Centre};
}

// 分组框37 and the three canvases are not here: the canvases are the renderer's own surfaces
// (RenderSurfaces), and the group box only ever held the measuring surface out of sight.
constexpr std::array kControls{
    ControlSpec{kCaptions, Label, nullptr, 8, 21, 64, 280, kCaptionsText, false,
                kDefaultFontPixelSize, false, 0x000000, Right, true, 12},
    ControlSpec{kTimeWordBox, ComboBox, nullptr, 73, 19, 50, 20, "上午", true},
    EditBoxAt(kClockBox, 123, 19, 70, "10:23"),
    EditBoxAt(kBalanceBox, 73, 54, 120, "5.00"),
    EditBoxAt(kThisMonthBox, 73, 89, 120, "5.00"),
    EditBoxAt(kLastMonthBox, 73, 125, 120, "5.00"),
    EditBoxAt(kSettledBox, 73, 161, 120, "5.00"),
    EditBoxAt(kClicksBox, 73, 198, 120, "0"),
    EditBoxAt(kPaymentsBox, 73, 234, 120, "0"),
    EditBoxAt(kTransactionBox, 73, 270, 120, "5.00"),
    ButtonAt(kConfirmButton, 8, 305, 184, 48, "点此 - 确认修改内容"),
    ButtonAt(kSaveButton, 8, 362, 80, 54, "保存图片"),
    ButtonAt(kCopyButton, 112, 362, 80, 54, "复制图片"),
    ControlSpec{kWarning, Label, nullptr, 8, 447, 191, 61, kWarningText, false, 20, false,
                0x0080C0, Right, true, 20},
    ControlSpec{kPreviewFrame, GroupBox, nullptr, 200, 9, 275, 500, "预览图", false, 29, true,
                0x000000, Centre},
    ControlSpec{kPreview, PictureBox, kPreviewFrame, 8, 34, 258, 459, "", false},
};

constexpr std::array<const char*, 5> kTimeOfDayWords{"上午", "下午", "早上", "中午", "晚上"};

constexpr std::array kTabCycle{kBalanceBox,   kThisMonthBox, kLastMonthBox,  kSettledBox,
                               kClicksBox,    kPaymentsBox,  kTransactionBox, kSaveButton,
                               kCopyButton,   kConfirmButton, kClockBox,     kTimeWordBox};

constexpr std::array kAmountBoxes{kBalanceBox, kThisMonthBox, kLastMonthBox, kSettledBox,
                                  kTransactionBox};

}  // namespace

std::span<const ControlSpec> MainWindowControls() { return kControls; }

const ControlSpec* FindControlSpec(std::string_view name) {
  const auto found = std::find_if(kControls.begin(), kControls.end(),
                                  [name](const ControlSpec& entry) { return entry.name == name; });
  return found == kControls.end() ? nullptr : &*found;
}

std::span<const char* const> TimeOfDayWords() { return kTimeOfDayWords; }
std::span<const char* const> TabCycle() { return kTabCycle; }
std::span<const char* const> AmountBoxes() { return kAmountBoxes; }
