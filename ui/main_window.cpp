#include "ui/main_window.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "assets/embedded_assets.h"
#include "ui/accessible_interfaces.h"
#include "ui/window_definition.h"
#include "ui/window_palette.h"
#include "ui/window_placement.h"

namespace {

QIcon ProgramIcon() {
  const auto data = ProgramIconData();
  QPixmap pixmap;
  pixmap.loadFromData(data.data(), static_cast<uint>(data.size()));
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, FatalErrorHandler fatalError)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      screen_(EarningsScreen()),
      state_(state),
      fatalError_(fatalError),
      preparing_(PrepareSurfacesMeanwhile(screen_)) {
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setWindowIcon(ProgramIcon());
  QFont font = this->font();
  font.setPixelSize(kDefaultFontPixelSize);
  setFont(font);
  setFocusPolicy(Qt::NoFocus);
  setPalette(DesignedPalette());  // before the controls, which take it over
  InstallAccessibleInterfaces();
  controls_ = MakeWindowControls(*this, screen_);
  ConnectButton(controls_.confirm, &MainWindow::Confirm);
  ConnectButton(controls_.copy, &MainWindow::CopyPicture);
  ConnectButton(controls_.save, &MainWindow::SavePicture);
  FitAndCentre();
}

RenderSurfaces& MainWindow::Surfaces() {
  if (preparing_.valid()) {
    PreparedSurfaces prepared = preparing_.get();
    surfaces_ = std::move(prepared.surfaces);
    spareBuffer_ = std::move(prepared.pictureBuffer);
  }
  return surfaces_;
}

void MainWindow::ConnectButton(QPushButton* button, void (MainWindow::*handler)()) {
  connect(button, &QPushButton::clicked, this,
          [this, handler] { RunHandler([this, handler] { (this->*handler)(); }, fatalError_); });
}

// Under X11 the outer size is fixed: the client area is what is left of 482 x 539 once the
// window manager's frame is taken off. Qt learns the frame only after the window has been
// mapped, so this runs again whenever the frame comes out different from the one last fitted
// to. Under Wayland the decorations, Qt's own (drawn around the client area) or the
// compositor's, are no part of that size: the client area keeps the whole of it. Nor can a
// Wayland window place itself; the compositor does.
void MainWindow::FitAndCentre() {
  const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  const QRect outer = frameGeometry();
  const QRect client = geometry();
  const QMargins frame =
      wayland ? QMargins()
              : QMargins(client.left() - outer.left(), client.top() - outer.top(),
                         outer.right() - client.right(), outer.bottom() - client.bottom());
  if (fitted_ && frame == fittedFrame_) return;
  fitted_ = true;
  fittedFrame_ = frame;
  const QSize outerSize(kWindowOuterWidth, kWindowOuterHeight);
  setFixedSize(outerSize.shrunkBy(frame));
  if (wayland) return;
  if (const QScreen* display = screen())
    move(CentredFramePosition(display->availableGeometry(), outerSize));
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::WindowActivate: FitAndCentre(); break;
    default: break;
  }
  return handled;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  constexpr auto kChordModifiers = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
  if (event->key() == Qt::Key_Escape && !(event->modifiers() & kChordModifiers)) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

std::unique_ptr<MainWindow> OpenMainWindow(ProgramState& state, FatalErrorHandler fatalError) {
  auto window = std::make_unique<MainWindow>(state, fatalError);
  window->RunStartSequence();
  window->show();
  window->activateWindow();
  return window;
}
