// The main of the window's in-process tests: a temporary HOME, an English locale, Qt's offscreen
// platform with Qt's own dialogs in Chinese as the program has them, one QApplication and the
// program state around all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_state_lifecycle.h"
#include "tests/window_test_support.h"
#include "ui/qt_chinese_texts.h"

namespace {

std::string temporaryHome;

// The offscreen platform warns on every window it shows that it ignores size hints.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
  if (message.contains("propagateSizeHints")) return;
  std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().data());
}

}  // namespace

const std::string& TemporaryHome() { return temporaryHome; }

int main(int argc, char** argv) {
  // Nothing may reach a real desktop or a real documents folder.
  char home[] = "/tmp/lumivale-window-test-XXXXXX";
  if (!mkdtemp(home)) return 1;
  temporaryHome = home;
  setenv("HOME", home, 1);
  setenv("XDG_CONFIG_HOME", (temporaryHome + "/.config").c_str(), 1);
  unsetenv("XDG_DOCUMENTS_DIR");
  unsetenv("QT_QPA_PLATFORMTHEME");
  // An English locale: the notices' buttons must still say 确定.
  setenv("LANG", "C.UTF-8", 1);
  setenv("LC_ALL", "C.UTF-8", 1);
  unsetenv("LANGUAGE");
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QDir().mkpath(QString::fromStdString(temporaryHome) + "/Documents");

  qInstallMessageHandler(QuietOffscreenWarnings);
  testing::InitGoogleTest(&argc, argv);
  int status = 0;
  {
    QApplication application(argc, argv);
    QTranslator qtTexts;  // as the program installs it
    if (!InstallQtChineseTexts(qtTexts)) std::fprintf(stderr, "Qt's Chinese texts are missing\n");
    InitialiseProgramState();
    status = RUN_ALL_TESTS();
    ReleaseProgramState();
  }
  QDir(QString::fromStdString(temporaryHome)).removeRecursively();
  return status;
}
