#include "startup_sequence.h"

#include <QApplication>
#include <QDir>
#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "command_line.h"
#include "main_window.h"
#include "notice.h"
#include "program_state_lifecycle.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

}  // namespace

bool HasDesktop() {
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

int StartupSequence(int argc, char** argv) {
  // The window takes no arguments: any that reach it are a mistyped command, which the
  // command line reports as such instead of a window opening.
  if (argc > 1) return RunCommandLine(argc, argv);
  if (!HasDesktop()) {
    std::fputs("lumivale: the window needs a desktop (no DISPLAY or WAYLAND_DISPLAY); "
               "to make pictures without one, see `lumivale render --help`\n",
               stderr);
    return 2;
  }
  QApplication application(argc, argv);
  SetFatalErrorPresenter(ShowFatalErrorBox);
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  std::fesetenv(FE_DFL_ENV);
  try {
    InitialiseProgramState();
    RegisterExitRoutine(ReleaseProgramState);
    {
      const std::unique_ptr<MainWindow> window = OpenMainWindow(*programState);
      QApplication::exec();
    }
  } catch (const std::bad_alloc&) {
    EndWithFatalError("内存不足。");
  } catch (const std::exception& failure) {
    EndWithFatalError((std::string("无法创建主窗口：") + failure.what()).c_str());
  }
  RunExitRoutines();
  return 0;
}
