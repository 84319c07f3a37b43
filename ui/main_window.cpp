#include "ui/main_window.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "assets/embedded_assets.h"
#include "ui/window_definition.h"

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
      surfaces_(MakeRenderSurfaces(nullptr, screen_)) {
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  setWindowIcon(ProgramIcon());
  QFont font = this->font();
  font.setPixelSize(kDefaultFontPixelSize);
  setFont(font);
  setFocusPolicy(Qt::NoFocus);
  controls_ = MakeWindowControls(*this, screen_);
  ConnectButton(controls_.confirm, &MainWindow::Confirm);
  ConnectButton(controls_.copy, &MainWindow::CopyPicture);
  ConnectButton(controls_.save, &MainWindow::SavePicture);
  FitAndCentre();
}

void MainWindow::ConnectButton(QPushButton* button, void (MainWindow::*handler)()) {
  connect(button, &QPushButton::clicked, this,
          [this, handler] { RunHandler([this, handler] { (this->*handler)(); }, fatalError_); });
}

// The outer size is fixed: the client area is what is left of 482 x 539 once the frame is
// taken off. Qt learns the frame only after the window has been mapped, so this runs again
// whenever the frame comes out different from the one last fitted to.
void MainWindow::FitAndCentre() {
  const QRect outer = frameGeometry();
  const QRect client = geometry();
  const QMargins frame(client.left() - outer.left(), client.top() - outer.top(),
                       outer.right() - client.right(), outer.bottom() - client.bottom());
  if (fitted_ && frame == fittedFrame_) return;
  fitted_ = true;
  fittedFrame_ = frame;
  setFixedSize(kWindowOuterWidth - frame.left() - frame.right(),
               kWindowOuterHeight - frame.top() - frame.bottom());
  const QScreen* display = screen();
  const QRect area = display ? display->geometry() : QRect();
  move(area.x() + (area.width() - kWindowOuterWidth) / 2,
       area.y() + (area.height() - kWindowOuterHeight) / 2);
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
