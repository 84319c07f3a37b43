#include "ui/window_definition.h"

#include <array>

namespace {

using enum ControlKind;
using enum TextAlignment;
using namespace control;

constexpr const char* kCaptionsText =
    "手机时间：\r\n\r\n\r\n账户余额：\r\n\r\n\r\n本月收入：\r\n\r\n\r\n上月收入：\r\n\r\n\r\n"
    "结算收入：\r\n\r\n\r\n  点击数：\r\n\r\n\r\n付款笔数：\r\n\r\n\r\n成交收入：";
constexpr const char* kWarningText =
    "本软件仅供娱乐，\r\n请勿用于非法用途，\r\n否则一切后果自负！";

// An edit box, named by the line of 标签1 beside it.
constexpr ControlDefinition FieldBoxAt(const char* name, std::string_view field, int left, int top,
                                 int width, int captionLine) {
  return {.name = name, .kind = EditBox, .left = left, .top = top, .width = width, .height = 18,
          .field = field, .tabStop = true, .alignment = Centre, .namedBy = kCaptions,
          .namingLine = captionLine};
}

constexpr ControlDefinition ButtonAt(const char* name, ButtonAction action, int left, int top,
                               int width, int height, const char* caption) {
  return {.name = name, .kind = Button, .left = left, .top = top, .width = width,
          .height = height, .caption = caption, .action = action, .tabStop = true,
          .fontPixelSize = 16, .alignment = Centre};
}

// 分组框37 and the three canvases are not here: the canvases are the renderer's own surfaces
// (RenderSurfaces), and the group box only ever held the measuring surface out of sight.
constexpr std::array kControls{
    ControlDefinition{.name = kCaptions, .kind = Label, .left = 8, .top = 21, .width = 64,
                .height = 280, .caption = kCaptionsText, .alignment = Right, .wordWrap = true,
                .linePitch = 12},
    ControlDefinition{.name = kTimeWordBox, .kind = ComboBox, .left = 73, .top = 19, .width = 50,
                .height = 20, .field = "word", .tabStop = true, .accessibleName = "时间文字"},
    FieldBoxAt(kClockBox, "clock", 123, 19, 70, 0),
    FieldBoxAt(kBalanceBox, "balance", 73, 54, 120, 3),
    FieldBoxAt(kThisMonthBox, "this-month", 73, 89, 120, 6),
    FieldBoxAt(kLastMonthBox, "last-month", 73, 125, 120, 9),
    FieldBoxAt(kSettledBox, "settled", 73, 161, 120, 12),
    FieldBoxAt(kClicksBox, "clicks", 73, 198, 120, 15),
    FieldBoxAt(kPaymentsBox, "payments", 73, 234, 120, 18),
    FieldBoxAt(kTransactionBox, "transaction", 73, 270, 120, 21),
    ButtonAt(kConfirmButton, ButtonAction::Confirm, 8, 305, 184, 48, kConfirmCaption),
    ButtonAt(kSaveButton, ButtonAction::Save, 8, 362, 80, 54, "保存图片"),
    ButtonAt(kCopyButton, ButtonAction::Copy, 112, 362, 80, 54, "复制图片"),
    ControlDefinition{.name = kWarning, .kind = Label, .left = 8, .top = 447, .width = 191,
                .height = 61, .caption = kWarningText, .fontPixelSize = 20,
                .textColour = Rgb(0, 128, 192), .alignment = Right, .wordWrap = true,
                .linePitch = 20},
    ControlDefinition{.name = kPreviewFrame, .kind = GroupBox, .left = 200, .top = 9, .width = 275,
                .height = 500, .caption = "预览图", .fontPixelSize = 29, .bold = true,
                .alignment = Centre, .linePitch = 34},  // the preview starts 34 px down
    ControlDefinition{.name = kPreview, .kind = PictureBox, .parent = kPreviewFrame, .left = 8,
                .top = 34, .width = 258, .height = 459, .namedBy = kPreviewFrame},
};

constexpr std::array kTabCycle{kBalanceBox,   kThisMonthBox, kLastMonthBox,  kSettledBox,
                               kClicksBox,    kPaymentsBox,  kTransactionBox, kSaveButton,
                               kCopyButton,   kConfirmButton, kClockBox,     kTimeWordBox};

}  // namespace

std::span<const ControlDefinition> MainWindowControls() { return kControls; }

std::span<const char* const> TabCycle() { return kTabCycle; }
