#pragma once
// Shared by the window's in-process tests (their main is window_test_main.cpp): notices closed
// as they come up, and the window opened as the program opens it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/program_state_lifecycle.h"
#include "ui/main_window.h"
#include "ui/preview_box.h"

// The temporary HOME the tests run in; its Documents folder exists.
const std::string& TemporaryHome();

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// A notice as the user saw it.
struct SeenNotice {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  bool modal;
  bool hasParent;
  int buttons;
};

// Closes every modal message box that comes up, with its OK button (or with `answer` when the
// box offers that button), and remembers what it showed and the state of the window at that
// moment. A test that expects no notice checks that none was seen; a box nobody closes would
// block the test for ever.
class NoticeCloser {
 public:
  explicit NoticeCloser(const MainWindow* window = nullptr) : window_(window) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { CloseModalBox(); });
    timer_.start();
  }

  std::vector<SeenNotice> seen;
  bool windowVisibleDuringNotice = false;
  bool previewEmptyDuringNotice = true;
  QMessageBox::StandardButton answer = QMessageBox::Ok;

 private:
  void CloseModalBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    seen.push_back({box->windowTitle(), box->text(), box->icon(),
                    box->windowModality() == Qt::ApplicationModal, box->parentWidget() != nullptr,
                    static_cast<int>(box->buttons().size())});
    if (window_) {
      windowVisibleDuringNotice = windowVisibleDuringNotice || window_->isVisible();
      previewEmptyDuringNotice =
          previewEmptyDuringNotice && window_->controls.preview->Picture().empty();
    }
    if (QAbstractButton* chosen = box->button(answer)) chosen->click();
    else if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
    else box->reject();
  }

  const MainWindow* window_;
  QTimer timer_;
};

// The window as the program opens it, the start notice closed; the test fails on any other
// notice or on a window that does not come up.
inline std::unique_ptr<MainWindow> OpenWindow() {
  NoticeCloser closer;
  auto window = OpenMainWindow(*programState);
  EXPECT_EQ(closer.seen.size(), 1u);
  EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  return window;
}
