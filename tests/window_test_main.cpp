// The main of the window's in-process tests: a temporary HOME, Qt's offscreen platform with
// Qt's own dialogs, one QApplication and the program state around all tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/program_state_lifecycle.h"
#include "tests/window_test_support.h"

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
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QDir().mkpath(QString::fromStdString(temporaryHome) + "/Documents");

  qInstallMessageHandler(QuietOffscreenWarnings);
  testing::InitGoogleTest(&argc, argv);
  int status = 0;
  {
    QApplication application(argc, argv);
    InitialiseProgramState();
    status = RUN_ALL_TESTS();
    ReleaseProgramState();
  }
  QDir(QString::fromStdString(temporaryHome)).removeRecursively();
  return status;
}
