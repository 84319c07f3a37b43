#pragma once
// Shared by the window's in-process tests (their main is window_test_main.cpp): controls found
// by their names, notices closed as they come up, the window opened as the program opens it,
// and the picture the window should show, rendered apart from it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/program_state_lifecycle.h"
#include "compose/earnings_renderer.h"
#include "compose/screen_inputs.h"
#include "fonts/font_provisioning.h"
#include "ui/main_window.h"
#include "ui/preview_box.h"

// The temporary HOME the tests run in; its Documents folder exists.
const std::string& TemporaryHome();

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Texts and colours in test messages as they read, colours as #rrggbb (found by
// argument-dependent lookup: Qt's classes are in the global namespace).
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QColor& colour, std::ostream* out) { *out << colour.name().toStdString(); }

// The control of the window with that object name, as the user knows it; null when there is
// none or it is not a `Widget`.
template <typename Widget = QWidget>
Widget* Control(const QWidget& window, const char* name) {
  return window.findChild<Widget*>(Q(name));
}

inline PreviewBox& Preview(const QWidget& window) {
  PreviewBox* preview = Control<PreviewBox>(window, "图片框_预览图");
  if (!preview) throw std::logic_error("the window has no preview box");
  return *preview;
}

// A notice as the user saw it.
struct SeenNotice {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  bool modal;
  bool hasParent;
  int buttons;
  QStringList buttonTexts;
};

// Closes every modal message box that comes up, with its OK button (or with `answer` when the
// box offers that button), and remembers what it showed; `duringNotice` runs while each box is
// up, to look at the rest of the program then. A test that expects no notice checks that none
// was seen; a box nobody closes would block the test for ever.
class NoticeCloser {
 public:
  NoticeCloser() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { CloseModalBox(); });
    timer_.start();
  }

  std::vector<SeenNotice> seen;
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  std::function<void()> duringNotice;

 private:
  void CloseModalBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    QStringList buttonTexts;
    for (const QAbstractButton* button : box->buttons()) buttonTexts << button->text();
    seen.push_back({box->windowTitle(), box->text(), box->icon(),
                    box->windowModality() == Qt::ApplicationModal, box->parentWidget() != nullptr,
                    static_cast<int>(box->buttons().size()), buttonTexts});
    if (duringNotice) duringNotice();
    if (QAbstractButton* chosen = box->button(answer)) chosen->click();
    else if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
    else box->reject();
  }

  QTimer timer_;
};

// The window's fatal path in the tests: a handler that fails fails the test, which goes on.
inline void FailOnFatalError(const char* what) { ADD_FAILURE() << "fatal error: " << what; }

// The window as the program opens it, the start notice closed; the test fails on any other
// notice or on a window that does not come up.
inline std::unique_ptr<MainWindow> OpenWindow() {
  NoticeCloser closer;
  auto window = OpenMainWindow(*programState, FailOnFatalError);
  EXPECT_EQ(closer.seen.size(), 1u);
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  return window;
}

// The picture of these typed inputs, normalised as `amounts` says, as the command line renders
// it: with a state, surfaces and faces of its own, nothing of the window's.
inline PictureBytes ReferencePicture(const ScreenInputs& typed, AmountTexts amounts) {
  static ProgramState state;
  static RenderSurfaces surfaces = MakeRenderSurfaces(UseBuiltInFaces(state));
  PictureBytes picture;
  RenderEarningsScreen(state, surfaces, NormaliseScreenInputs(typed, amounts), picture);
  return picture;
}
