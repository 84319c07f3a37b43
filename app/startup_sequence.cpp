#include "app/startup_sequence.h"

#include <QApplication>
#include <QDir>
#include <QTranslator>

#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>

#include "app/held_stderr.h"
#include "app/program_state_lifecycle.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/qt_chinese_texts.h"
#include "ui/window_texts.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The displays the window may open on, as the environment names them.
std::string DisplayNames() {
  std::string names;
  for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
    if (!IsSet(variable)) continue;
    if (!names.empty()) names += " or ";
    names += std::getenv(variable);
  }
  return names;
}

void SayNoWindowCanOpen(const std::string& why) {
  std::fprintf(stderr, "lumivale: %s; to make pictures without one, see `lumivale render --help`\n",
               why.c_str());
}

// Qt ends the process with a fatal message (abort, a core file) when no platform plugin can
// connect to the display, whatever is wrong with its name or its server. While the application
// object is made, standard error is held back and a fatal message ends the program with the one
// line above and status 2 instead.
HeldStderr* connectingToDisplay = nullptr;
QtMessageHandler qtMessageHandler = nullptr;

void EndIfTheDisplayCannotOpen(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
  if (type == QtFatalMsg && connectingToDisplay != nullptr) {
    connectingToDisplay->Discard();
    SayNoWindowCanOpen("cannot reach the display " + DisplayNames());
    std::fflush(stderr);
    std::_Exit(2);
  }
  qtMessageHandler(type, context, message);
}

}  // namespace

std::string MissingDesktop() {
  if (IsSet("WAYLAND_DISPLAY") || IsSet("DISPLAY") || IsSet("QT_QPA_PLATFORM")) return {};
  return "the window needs a desktop (no DISPLAY or WAYLAND_DISPLAY)";
}

int StartupSequence(int argc, char** argv) {
  if (const std::string missing = MissingDesktop(); !missing.empty()) {
    SayNoWindowCanOpen(missing);
    return 2;
  }
  std::optional<HeldStderr> held(std::in_place);
  connectingToDisplay = &*held;
  qtMessageHandler = qInstallMessageHandler(EndIfTheDisplayCannotOpen);
  QApplication application(argc, argv);
  qInstallMessageHandler(qtMessageHandler);
  connectingToDisplay = nullptr;
  held.reset();  // what Qt said on the way, now that the window can open
  // Docks and Wayland compositors find the desktop entry, and with it the icon, by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral(LUMIVALE_APP_ID));
  QTranslator qtTexts;
  InstallQtChineseTexts(qtTexts);
  SetFatalErrorPresenter(ShowFatalErrorBox);
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  std::fesetenv(FE_DFL_ENV);
  try {
    InitialiseProgramState();
    RegisterExitRoutine(ReleaseProgramState);
    {
      const std::unique_ptr<MainWindow> window = OpenMainWindow(*programState, EndWithFatalError);
      QApplication::exec();
    }
  } catch (const std::bad_alloc&) {
    EndWithFatalError(kOutOfMemoryText);
  } catch (const std::exception& failure) {
    EndWithFatalError((std::string(kWindowCannotOpenText) + failure.what()).c_str());
  }
  RunExitRoutines();
  return 0;
}
