#pragma once
// Notices: message boxes with one OK button, tied to no window, blocking the whole program
// while they show.
#include <QString>

// The flags of ShowNotice choose the icon.
inline constexpr int kNoticeNoIcon = 0;
inline constexpr int kNoticeExclamation = 48;
inline constexpr int kNoticeInformation = 64;

// Shows the notice and returns when the user has closed it. An empty title shows "信息：".
void ShowNotice(const QString& text, int flags, const QString& title);

// The notice that greets the user before the window comes up.
QString StartNoticeText();
QString StartNoticeTitle();

// Shows why the program cannot continue (an error box with no owner window); the presenter
// that EndWithFatalError uses once the application object exists.
void ShowFatalErrorBox(const char* what);
