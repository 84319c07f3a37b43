#pragma once
// 按钮_保存图片: the save dialog and the notices around SavePictureAsJpeg.
#include <QString>
#include <optional>
#include <string>
#include <system_error>

#include "output/save_picture.h"
#include "ui/window_definition.h"

class QWidget;

// Runs the save dialog of 通用对话框1 as `settings` describe it, opening at the path last
// confirmed. Before a file is replaced it asks about the JPEG that the save will really write
// (JpegPathFor of the chosen path); a "no" opens the dialog again. Gives the confirmed path as
// a local 8-bit path, and keeps it in the settings; nothing when the user cancels.
std::optional<std::string> AskForSavePath(QWidget* parent, FileDialogSettings& settings);

// The question before a file is replaced; true when the user agrees.
bool ConfirmReplacing(QWidget* parent, const QString& path);

// What the user reads when a save did not write the JPEG: that, where, and why.
QString SaveFailureText(const SaveOutcome& outcome);
// Why a file operation failed, in a plain sentence; the system's own message for anything rare.
QString ReasonText(std::error_code error);
