#include "startup_sequence.h"

#include <QApplication>
#include <QDir>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cfenv>
#include <cstddef>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "main_window.h"
#include "notice.h"
#include "program_state_lifecycle.h"

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool ConnectsTo(const std::string& socketPath, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;  // an abstract name starts with a zero byte
  if (socketPath.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, socketPath.data(), socketPath.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + socketPath.size());
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  ::close(fd);
  return connected;
}

// Whether a local X display (":N", ":N.S" or "unix:N") answers on its socket. Displays on other
// hosts are left for Qt to try.
bool LocalX11DisplayAnswers(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return true;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return true;
  const std::string socketPath = "/tmp/.X11-unix/X" + number;
  return ConnectsTo(socketPath, true) || ConnectsTo(socketPath, false);
}

}  // namespace

std::string MissingDesktop() {
  if (IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM")) return {};
  if (!IsSet("DISPLAY")) return "the window needs a desktop (no DISPLAY or WAYLAND_DISPLAY)";
  const std::string display = std::getenv("DISPLAY");
  if (!LocalX11DisplayAnswers(display)) return "cannot reach the display " + display;
  return {};
}

int StartupSequence(int argc, char** argv) {
  if (const std::string missing = MissingDesktop(); !missing.empty()) {
    std::fprintf(stderr,
                 "lumivale: %s; to make pictures without one, see `lumivale render --help`\n",
                 missing.c_str());
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
