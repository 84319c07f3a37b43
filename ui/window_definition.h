#pragma once
// The fixed definition of the main window: every control with its kind, parent, place, size,
// initial content, font, colour, alignment and tab stop. The window is built from this table
// and nothing in it changes between runs. Texts are UTF-8 (the window's side of the border).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

inline constexpr const char* kWindowCaption =
    "Lumivale图片生成器      -      作者/Brackenmoor";
inline constexpr int kWindowOuterWidth = 482;   // frame and title bar included
inline constexpr int kWindowOuterHeight = 539;
// Font of the controls that carry no font of their own, in pixels (the default GUI font).
inline constexpr int kDefaultFontPixelSize = 12;

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

struct ControlSpec {
  const char* name;
  ControlKind kind;
  const char* parent;  // nullptr: the window itself
  int left, top, width, height;  // in the parent's coordinates
  const char* text;    // initial content or caption; "" for none
  bool tabStop;
  int fontPixelSize = kDefaultFontPixelSize;
  bool bold = false;
  std::uint32_t textRgb = 0x000000;  // 0xRRGGBB
  TextAlignment alignment = TextAlignment::Left;
  bool wordWrap = false;
  int linePitch = 0;  // labels: the fixed distance of their lines in pixels; 0: the font's own
};

// Every control of the window, parents before their children.
std::span<const ControlSpec> MainWindowControls();
// The entry of the control with this name; nullptr when there is none.
const ControlSpec* FindControlSpec(std::string_view name);

// The items of 组合框_时间文字, in their order; the first is selected at creation.
std::span<const char* const> TimeOfDayWords();

// Tab and Shift+Tab walk these controls in this order, and from the last back to the first.
std::span<const char* const> TabCycle();

// The five amount boxes, in the order the confirm button normalises them.
std::span<const char* const> AmountBoxes();

// The settings of the save dialog 通用对话框1, which is no widget. The file name holds the
// last confirmed path and is offered again the next time the dialog opens.
struct FileDialogSettings {
  enum class Kind { OpenFile, SaveFile };
  Kind kind = Kind::OpenFile;
  std::string_view title = "";                     // empty: the system's default title
  std::string fileName;                            // UTF-8; empty until a dialog is confirmed
  std::string_view filter = "图片类型(*.jpg)|*.jpg";  // description|pattern pairs
  int filterIndex = 1;                             // 1-based: the first entry
  std::string_view initialFolder = "";
  std::string_view defaultExtension = "";
  bool hideReadOnly = true;
  bool fileMustExist = true;  // only an open-file dialog honours it
  bool askBeforeReplacing = true;
  bool pathMustExist = true;
  bool promptToCreate = false;
  bool currentFolderFollowsDialog = true;
  int pathBufferBytes = 260;  // the terminating zero included
};
