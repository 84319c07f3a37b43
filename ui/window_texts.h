#pragma once
// Every text the window's notices, questions and error boxes show, with their titles, and what
// assistive tools say of the preview. The controls' captions are in the window's definition.
#include <QString>
#include <string>
#include <system_error>

#include "output/save_picture.h"

// The title of the notices about the start, the copy and the save.
QString NoticeTitle();
// The title of a notice that is given none.
QString UntitledNoticeTitle();

// What assistive tools say the preview shows.
QString PreviewDescription();

// The notice that greets the user before the window comes up.
QString StartNoticeText();

QString CopiedText();
QString NothingToCopyText();

// The save dialog was cancelled: the notice has a title of its own.
QString SaveCancelledTitle();
QString SaveCancelledText();
// The JPEG was written; `temporaryLeftBehind` names a temporary file that could not be removed,
// when there is one.
QString SavedText(const std::string& temporaryLeftBehind);
// What the user reads when a save did not write the JPEG: that, where, and why.
QString SaveFailureText(const SaveOutcome& outcome);
// Why a file operation failed, in a plain sentence; the system's own message for anything rare.
QString ReasonText(std::error_code error);

// The question before a file is replaced, and its two answers.
QString ReplaceQuestionTitle();
QString ReplaceQuestionText(const QString& path);
QString YesAnswer();
QString NoAnswer();

// The error box of a failure the program cannot continue from.
QString FatalErrorTitle();
QString FatalErrorText(const char* what);

// Messages of the fatal path, UTF-8, said without allocating anything.
inline constexpr const char* kOutOfMemoryText = "内存不足。";
inline constexpr const char* kWindowCannotOpenText = "无法创建主窗口：";
