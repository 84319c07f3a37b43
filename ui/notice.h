#pragma once
// Notices: message boxes with one OK button, tied to no window, blocking the whole program
// while they show.
#include <QString>

enum class NoticeIcon { kNone, kExclamation, kInformation };

// Shows the notice and returns when the user has closed it. An empty title shows
// UntitledNoticeTitle().
void ShowNotice(const QString& text, NoticeIcon icon, const QString& title);

// Shows why the program cannot continue (an error box with no owner window); the presenter
// that the program's fatal path uses once the application object exists.
void ShowFatalErrorBox(const char* what);
