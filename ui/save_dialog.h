#pragma once
// 通用对话框1, the save dialog of 按钮_保存图片 (Qt's file dialog; no control of the window).
#include <QString>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

// What the dialog offers, and the path last confirmed, which it opens at the next time.
struct SaveDialogSettings {
  std::string_view nameFilter = "图片类型(*.jpg)";
  std::string_view defaultSuffix = "jpg";  // given to a name typed without a suffix
  std::string fileName;                    // UTF-8; empty until a dialog is confirmed
};

// Whether the user can make files in `folder`, as the system tells (access(W_OK)); false for
// what is no folder, a folder that is gone and an empty path.
bool CanWriteInto(const QString& folder);

// The folder a save dialog opens in when no path has been confirmed yet: the current folder,
// which is the program's own; but where the user cannot write there (the program installed in
// /usr/bin), the pictures folder when there is one the user can write to, else the home folder.
QString SaveDialogFolder(const QString& current, const QString& pictures, const QString& home);

// Runs the save dialog, opening at the path last confirmed, or else in the SaveDialogFolder of
// the current, the XDG pictures and the home folder. Before a file is replaced it asks
// about the JPEG that the save will really write (JpegPathFor of the chosen path); a "no" opens
// the dialog again. Gives the confirmed path as a local 8-bit path, keeps it in the settings
// and makes its folder the current one; nothing when the user cancels.
std::optional<std::string> AskForSavePath(QWidget* parent, SaveDialogSettings& settings);

// The question before a file is replaced, a modal box over `parent`; true when the user agrees.
bool ConfirmReplacing(QWidget* parent, const QString& path);
