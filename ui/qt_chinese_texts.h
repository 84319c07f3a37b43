#pragma once
// Qt's own texts, those of its standard buttons and dialogs (确定 on a notice's button, the
// file dialog's labels and buttons), in Chinese as every other word of the window is, whatever
// the user's locale.
class QTranslator;

// Loads Qt's Chinese translations (qtbase_zh_CN from Qt's translations folder) into
// `translator` and installs it in the application, for as long as `translator` lives. False,
// with Qt's texts left in English, when they are not installed.
bool InstallQtChineseTexts(QTranslator& translator);
