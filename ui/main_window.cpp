#include "ui/main_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <limits>
#include <new>
#include <stdexcept>

#include "app/program_state_lifecycle.h"
#include "assets/embedded_assets.h"
#include "compose/gbk_text.h"
#include "ui/line_pitch_label.h"
#include "ui/preview_box.h"
#include "ui/window_handlers.h"

namespace {

// A child widget: its parent owns it from the moment it exists.
template <typename Widget, typename... Args>
Widget* MakeChild(Args&&... args) {
  return std::make_unique<Widget>(std::forward<Args>(args)...).release();
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

Qt::Alignment AlignmentOf(const ControlSpec& entry) {
  switch (entry.alignment) {
    case TextAlignment::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case TextAlignment::Right: return Qt::AlignRight | Qt::AlignTop;
    case TextAlignment::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* MakeLabel(const ControlSpec& entry, QWidget* parent) {
  QLabel* label = entry.linePitch > 0
                      ? MakeChild<LinePitchLabel>(Text(entry.text), entry.linePitch, parent)
                      : MakeChild<QLabel>(Text(entry.text), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(AlignmentOf(entry));
  label->setWordWrap(entry.wordWrap);
  return label;
}

QWidget* MakeComboBox(QWidget* parent) {
  auto* box = MakeChild<QComboBox>(parent);
  box->setEditable(false);
  for (const char* word : TimeOfDayWords()) box->addItem(Text(word));
  box->setCurrentIndex(0);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  box->setPalette(palette);
  return box;
}

QWidget* MakeEditBox(const ControlSpec& entry, QWidget* parent) {
  auto* box = MakeChild<QLineEdit>(Text(entry.text), parent);
  box->setAlignment(AlignmentOf(entry));
  box->setMaxLength(std::numeric_limits<int>::max());  // no limit of its own
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  box->setPalette(palette);
  box->setCursorPosition(0);
  return box;
}

QWidget* MakeButton(const ControlSpec& entry, QWidget* parent) {
  auto* button = MakeChild<QPushButton>(Text(entry.text), parent);
  button->setAutoDefault(false);  // Enter in an edit box clicks nothing
  button->setDefault(false);
  return button;
}

QWidget* MakeGroupBox(const ControlSpec& entry, QWidget* parent) {
  auto* box = MakeChild<QGroupBox>(Text(entry.text), parent);
  box->setAlignment(Qt::AlignHCenter);
  return box;
}

QWidget* MakeControl(const ControlSpec& entry, QWidget* parent) {
  switch (entry.kind) {
    case ControlKind::Label: return MakeLabel(entry, parent);
    case ControlKind::ComboBox: return MakeComboBox(parent);
    case ControlKind::EditBox: return MakeEditBox(entry, parent);
    case ControlKind::Button: return MakeButton(entry, parent);
    case ControlKind::GroupBox: return MakeGroupBox(entry, parent);
    case ControlKind::PictureBox: return MakeChild<PreviewBox>(parent);
  }
  return nullptr;
}

void ApplyCommonSettings(const ControlSpec& entry, QWidget& widget) {
  widget.setObjectName(Text(entry.name));
  widget.setGeometry(entry.left, entry.top, entry.width, entry.height);
  QFont font = widget.font();
  font.setPixelSize(entry.fontPixelSize);
  font.setBold(entry.bold);
  widget.setFont(font);
  const QColor colour(static_cast<int>(entry.textRgb >> 16 & 0xFF),
                      static_cast<int>(entry.textRgb >> 8 & 0xFF),
                      static_cast<int>(entry.textRgb & 0xFF));
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, colour);
  widget.setPalette(palette);
  widget.setFocusPolicy(entry.tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

// Exceptions must not unwind through Qt's event loop: a handler that runs out of memory (or
// fails otherwise) ends the program with the fatal-error box.
template <typename Handler>
void RunHandler(Handler handler) {
  try {
    handler();
  } catch (const std::bad_alloc&) {
    EndWithFatalError("内存不足。");
  } catch (const std::exception& failure) {
    EndWithFatalError(failure.what());
  }
}

QIcon ProgramIcon() {
  const auto data = ProgramIconData();
  QPixmap pixmap;
  pixmap.loadFromData(data.data(), static_cast<uint>(data.size()));
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

}  // namespace

MainWindow::MainWindow(ProgramState& programState)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::CustomizeWindowHint),
      state(programState),
      surfaces(MakeRenderSurfaces(nullptr)) {
  setWindowTitle(Text(kWindowCaption));
  setWindowIcon(ProgramIcon());
  QFont font = this->font();
  font.setPixelSize(kDefaultFontPixelSize);
  setFont(font);
  setFocusPolicy(Qt::NoFocus);
  BuildControls();
  FitAndCentre();
}

void MainWindow::BuildControls() {
  for (const ControlSpec& entry : MainWindowControls()) {
    QWidget* parent = this;
    if (entry.parent) parent = findChild<QWidget*>(Text(entry.parent));
    if (!parent) throw std::logic_error(std::string("no parent control ") + entry.parent);
    QWidget* widget = MakeControl(entry, parent);
    ApplyCommonSettings(entry, *widget);
  }

  controls.timeWord = findChild<QComboBox*>(Text(control::kTimeWordBox));
  controls.clock = EditBox(control::kClockBox);
  controls.balance = EditBox(control::kBalanceBox);
  controls.thisMonth = EditBox(control::kThisMonthBox);
  controls.lastMonth = EditBox(control::kLastMonthBox);
  controls.settled = EditBox(control::kSettledBox);
  controls.clicks = EditBox(control::kClicksBox);
  controls.payments = EditBox(control::kPaymentsBox);
  controls.transaction = EditBox(control::kTransactionBox);
  controls.confirm = findChild<QPushButton*>(Text(control::kConfirmButton));
  controls.save = findChild<QPushButton*>(Text(control::kSaveButton));
  controls.copy = findChild<QPushButton*>(Text(control::kCopyButton));
  controls.preview = findChild<PreviewBox*>(Text(control::kPreview));

  const auto cycle = TabCycle();
  for (std::size_t i = 0; i + 1 < cycle.size(); ++i)
    setTabOrder(findChild<QWidget*>(Text(cycle[i])), findChild<QWidget*>(Text(cycle[i + 1])));
  findChild<QWidget*>(Text(cycle.front()))->setFocus();

  connect(controls.confirm, &QPushButton::clicked, this,
          [this] { RunHandler([this] { OnConfirmClicked(*this); }); });
  connect(controls.copy, &QPushButton::clicked, this,
          [this] { RunHandler([this] { OnCopyClicked(*this); }); });
  connect(controls.save, &QPushButton::clicked, this,
          [this] { RunHandler([this] { SavePreviewAsJpeg(*this); }); });
}

QLineEdit* MainWindow::EditBox(const char* name) const {
  return findChild<QLineEdit*>(Text(name));
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

std::string ReadBoxText(const QLineEdit& box) { return Utf8ToGbk(box.text().toStdString()); }

void WriteBoxText(QLineEdit& box, const std::string& gbk) {
  box.setText(QString::fromStdString(GbkToUtf8(gbk)));
}

std::unique_ptr<MainWindow> OpenMainWindow(ProgramState& state) {
  auto window = std::make_unique<MainWindow>(state);
  OnWindowCreated(*window);
  window->show();
  window->activateWindow();
  return window;
}
