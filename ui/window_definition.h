#pragma once
// The fixed definition of the main window: every control with its kind, parent, place, size,
// caption, font, colour, alignment and tab stop. Each input control names the field of the
// earnings screen it holds; its initial content, and the list's items, are that field's. The
// window is built from this table and nothing in it changes between runs. Texts are UTF-8 (the
// window's side of the border).
#include <span>
#include <string_view>

#include "compose/colour.h"

inline constexpr const char* kWindowCaption =
    "Lumivale图片生成器      -      作者/Brackenmoor";
inline constexpr int kWindowOuterWidth = 482;   // frame and title bar included
inline constexpr int kWindowOuterHeight = 539;
// Font of the controls that carry no font of their own, in pixels (the default GUI font).
inline constexpr int kDefaultFontPixelSize = 12;

// The confirm button's caption; the notices that send the user to that button quote it.
inline constexpr const char* kConfirmCaption = "点此 - 确认修改内容";

// The names of the controls, which are also their Qt object names.
namespace control {
inline constexpr const char* kCaptions = "标签1";
inline constexpr const char* kTimeWordBox = "组合框_时间文字";
inline constexpr const char* kClockBox = "编辑框_手机时间";
inline constexpr const char* kBalanceBox = "编辑框_账户余额";
inline constexpr const char* kThisMonthBox = "编辑框_本月收入";
inline constexpr const char* kLastMonthBox = "编辑框_上月收入";
inline constexpr const char* kSettledBox = "编辑框_结算收入";
inline constexpr const char* kClicksBox = "编辑框_点击数";
inline constexpr const char* kPaymentsBox = "编辑框_付款笔数";
inline constexpr const char* kTransactionBox = "编辑框_成交收入";
inline constexpr const char* kConfirmButton = "按钮_预览图片";
inline constexpr const char* kSaveButton = "按钮_保存图片";
inline constexpr const char* kCopyButton = "按钮_复制图片";
inline constexpr const char* kWarning = "标签2";
inline constexpr const char* kPreviewFrame = "分组框1";
inline constexpr const char* kPreview = "图片框_预览图";
}  // namespace control

enum class ControlKind { Label, ComboBox, EditBox, Button, GroupBox, PictureBox };
enum class TextAlignment { Left, Centre, Right };
// What a click on a button does.
enum class ButtonAction { None, Confirm, Save, Copy };

struct ControlDefinition {
  const char* name;
  ControlKind kind;
  const char* parent = nullptr;  // nullptr: the window itself
  int left = 0, top = 0, width = 0, height = 0;  // in the parent's coordinates
  const char* caption = "";      // labels, buttons and the group box
  std::string_view field = {};   // edit boxes and the list: the screen's field they hold
  ButtonAction action = ButtonAction::None;
  bool tabStop = false;
  int fontPixelSize = kDefaultFontPixelSize;
  bool bold = false;
  Colour textColour = Rgb(0, 0, 0);
  TextAlignment alignment = TextAlignment::Left;
  bool wordWrap = false;
  // Labels: the fixed distance of their lines in pixels. The group box: the height of the band
  // at its top that its caption is centred in, above what it holds. 0: the font's own line.
  int linePitch = 0;
  // What assistive tools call a control that shows no caption of its own (the input controls
  // and the preview; the others are called by their captions): a line of another control's
  // caption, trimmed of its spaces and colon, as 标签1's line beside each edit box; or all of
  // that caption (分组框1's names the preview); else the name given here.
  const char* namedBy = nullptr;
  int namingLine = -1;  // the line of namedBy's caption, counted at its "\r\n"; -1: all of it
  const char* accessibleName = "";
};

// Every control of the window, parents before their children.
std::span<const ControlDefinition> MainWindowControls();

// Tab and Shift+Tab walk these controls in this order, and from the last back to the first;
// the first has the focus when the window opens.
std::span<const char* const> TabCycle();
