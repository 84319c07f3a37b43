// The main window in process, on Qt's offscreen platform: the definition, the keys, the start
// sequence and the confirm button. The documents folder points into a temporary HOME
// (window_test_main.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/program_state_lifecycle.h"
#include "assets/embedded_assets.h"
#include "compose/earnings_renderer.h"
#include "compose/gbk_text.h"
#include "tests/window_test_support.h"
#include "ui/line_pitch_label.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"
#include "ui/window_definition.h"
#include "ui/window_handlers.h"

namespace {

template <typename Widget = QWidget>
Widget* Child(const QWidget& window, const char* name) {
  return window.findChild<Widget*>(Q(name));
}

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  return focus ? focus->objectName() : QString("(none)");
}

// ---------------------------------------------------------------------------------------------
// The definition, as the window carries it.

struct ExpectedControl {
  const char* name;
  const char* kind;  // the Qt class
  const char* parent;
  int left, top, width, height;
  const char* text;
  bool tabStop;
};

const ExpectedControl kExpectedControls[] = {
    {"标签1", "QLabel", nullptr, 8, 21, 64, 280,
     "手机时间：\r\n\r\n\r\n账户余额：\r\n\r\n\r\n本月收入：\r\n\r\n\r\n上月收入：\r\n\r\n\r\n"
     "结算收入：\r\n\r\n\r\n  点击数：\r\n\r\n\r\n付款笔数：\r\n\r\n\r\n成交收入：",
     false},
    {"组合框_时间文字", "QComboBox", nullptr, 73, 19, 50, 20, "上午", true},
    {"编辑框_手机时间", "QLineEdit", nullptr, 123, 19, 70, 18, "10:23", true},
    {"编辑框_账户余额", "QLineEdit", nullptr, 73, 54, 120, 18, "5.00", true},
    {"编辑框_本月收入", "QLineEdit", nullptr, 73, 89, 120, 18, "5.00", true},
    {"编辑框_上月收入", "QLineEdit", nullptr, 73, 125, 120, 18, "5.00", true},
    {"编辑框_结算收入", "QLineEdit", nullptr, 73, 161, 120, 18, "5.00", true},
    {"编辑框_点击数", "QLineEdit", nullptr, 73, 198, 120, 18, "0", true},
    {"编辑框_付款笔数", "QLineEdit", nullptr, 73, 234, 120, 18, "0", true},
    {"编辑框_成交收入", "QLineEdit", nullptr, 73, 270, 120, 18, "5.00", true},
    {"按钮_预览图片", "QPushButton", nullptr, 8, 305, 184, 48, "点此 - 确认修改内容", true},
    {"按钮_保存图片", "QPushButton", nullptr, 8, 362, 80, 54, "保存图片", true},
    {"按钮_复制图片", "QPushButton", nullptr, 112, 362, 80, 54, "复制图片", true},
    {"标签2", "QLabel", nullptr, 8, 447, 191, 61,
     "本软件仅供娱乐，\r\n请勿用于非法用途，\r\n否则一切后果自负！", false},
    {"分组框1", "QGroupBox", nullptr, 200, 9, 275, 500, "预览图", false},
    {"图片框_预览图", "QWidget", "分组框1", 8, 34, 258, 459, "", false},
};

QString ShownText(QWidget& widget) {
  if (auto* label = qobject_cast<QLabel*>(&widget)) return label->text();
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) return combo->currentText();
  if (auto* edit = qobject_cast<QLineEdit*>(&widget)) return edit->text();
  if (auto* button = qobject_cast<QPushButton*>(&widget)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(&widget)) return group->title();
  return QString();
}

TEST(MainWindowDefinition, EveryControlHasItsKindNamePlaceContentAndTabStop) {
  MainWindow window(*programState);
  int widgetsWithNames = 0;
  for (const ExpectedControl& expected : kExpectedControls) {
    SCOPED_TRACE(expected.name);
    QWidget* widget = Child(window, expected.name);
    ASSERT_NE(widget, nullptr);
    ++widgetsWithNames;
    EXPECT_TRUE(widget->inherits(expected.kind)) << widget->metaObject()->className();
    QWidget* parent = widget->parentWidget();
    if (expected.parent) EXPECT_EQ(parent->objectName(), Q(expected.parent));
    else EXPECT_EQ(parent, &window);
    EXPECT_EQ(widget->geometry(),
              QRect(expected.left, expected.top, expected.width, expected.height));
    EXPECT_EQ(ShownText(*widget), Q(expected.text));
    EXPECT_EQ(widget->focusPolicy() & Qt::TabFocus, expected.tabStop ? Qt::TabFocus : 0);
    EXPECT_TRUE(widget->isEnabled());
    EXPECT_FALSE(widget->isHidden());
  }
  EXPECT_NE(dynamic_cast<PreviewBox*>(Child(window, "图片框_预览图")), nullptr);
  // Nothing else in the window takes the focus by Tab (the combo box's list is a popup).
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (widget->window() == &window && (widget->focusPolicy() & Qt::TabFocus)) {
      EXPECT_NE(FindControlSpec(widget->objectName().toStdString()), nullptr)
          << widget->metaObject()->className();
    }
  }
  EXPECT_EQ(widgetsWithNames, static_cast<int>(MainWindowControls().size()));
}

TEST(MainWindowDefinition, CaptionTextsHaveTheirGbkLengths) {
  MainWindow window(*programState);
  EXPECT_EQ(Utf8ToGbk(Child<QLabel>(window, "标签1")->text().toStdString()).size(), 122u);
  EXPECT_EQ(Utf8ToGbk(Child<QLabel>(window, "标签2")->text().toStdString()).size(), 56u);
}

TEST(MainWindowDefinition, LabelLinesFitAndCaptionsStandLevelWithTheirBoxes) {
  MainWindow window(*programState);
  for (const char* name : {"标签1", "标签2"}) {
    SCOPED_TRACE(name);
    auto* label = dynamic_cast<LinePitchLabel*>(Child(window, name));
    ASSERT_NE(label, nullptr);
    const QStringList lines = label->text().split("\r\n");
    const QFontMetrics metrics(label->font());
    for (const QString& line : lines)
      EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
    EXPECT_LE(label->LineBand(lines.size() - 1).bottom(), label->height() - 1);
  }
  auto* captions = dynamic_cast<LinePitchLabel*>(Child(window, "标签1"));
  const char* boxes[] = {"编辑框_手机时间", "编辑框_账户余额", "编辑框_本月收入",
                         "编辑框_上月收入", "编辑框_结算收入", "编辑框_点击数",
                         "编辑框_付款笔数", "编辑框_成交收入"};
  for (int row = 0; row < 8; ++row) {
    const int captionMiddle = captions->y() + captions->LineBand(row * 3).center().y();
    const int boxMiddle = Child(window, boxes[row])->geometry().center().y();
    EXPECT_LE(std::abs(captionMiddle - boxMiddle), 2) << boxes[row];
  }
}

TEST(MainWindowDefinition, FontsColoursAndAlignment) {
  MainWindow window(*programState);
  for (const char* name : {"按钮_预览图片", "按钮_保存图片", "按钮_复制图片"}) {
    SCOPED_TRACE(name);
    const QFont font = Child(window, name)->font();
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_EQ(font.weight(), QFont::Normal);
    auto* button = Child<QPushButton>(window, name);
    EXPECT_FALSE(button->autoDefault());
    EXPECT_FALSE(button->isDefault());
  }
  auto* warning = Child<QLabel>(window, "标签2");
  EXPECT_EQ(warning->font().pixelSize(), 20);
  EXPECT_EQ(warning->font().weight(), QFont::Normal);
  EXPECT_EQ(warning->palette().color(QPalette::WindowText), QColor(0, 128, 192));
  EXPECT_TRUE(warning->alignment() & Qt::AlignRight);
  EXPECT_TRUE(warning->wordWrap());
  auto* captions = Child<QLabel>(window, "标签1");
  EXPECT_TRUE(captions->alignment() & Qt::AlignRight);
  EXPECT_EQ(captions->palette().color(QPalette::WindowText), QColor(Qt::black));
  auto* frame = Child<QGroupBox>(window, "分组框1");
  EXPECT_EQ(frame->font().pixelSize(), 29);
  EXPECT_TRUE(frame->font().bold());
  EXPECT_EQ(frame->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST(MainWindowDefinition, EditBoxesAreCentredUnlimitedWithTheCaretAtTheStart) {
  MainWindow window(*programState);
  const auto boxes = window.findChildren<QLineEdit*>();
  EXPECT_EQ(boxes.size(), 8);
  for (QLineEdit* box : boxes) {
    SCOPED_TRACE(box->objectName().toStdString());
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(box->cursorPosition(), 0);
    EXPECT_FALSE(box->hasSelectedText());
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_EQ(box->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::black));
  }
  // Longer than QLineEdit's own default limit of 32767 characters.
  const QString longText(40000, QChar('9'));
  window.controls.balance->setText(longText);
  EXPECT_EQ(window.controls.balance->text(), longText);
}

TEST(MainWindowDefinition, TimeOfDayListOffersFiveFixedItemsWithTheFirstSelected) {
  MainWindow window(*programState);
  QComboBox* box = window.controls.timeWord;
  EXPECT_FALSE(box->isEditable());
  EXPECT_EQ(box->lineEdit(), nullptr);
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  EXPECT_EQ(items, QStringList({"上午", "下午", "早上", "中午", "晚上"}));
  EXPECT_EQ(box->currentIndex(), 0);
}

TEST(MainWindowDefinition, FileDialogSettingsAreKeptForTheSave) {
  MainWindow window(*programState);
  EXPECT_EQ(window.fileDialog.filter, "图片类型(*.jpg)|*.jpg");
  EXPECT_EQ(window.fileDialog.filterIndex, 1);
  EXPECT_TRUE(window.fileDialog.fileName.empty());
  EXPECT_TRUE(window.fileDialog.askBeforeReplacing);
  EXPECT_EQ(window.fileDialog.pathBufferBytes, 260);
}

TEST(MainWindowFrame, CaptionFixedSizeCentredAndNoMaximiseButton) {
  auto window = OpenWindow();
  EXPECT_EQ(window->windowTitle(), Q("Lumivale图片生成器      -      作者/Brackenmoor"));
  // The offscreen platform draws no frame: the client area is the whole outer size.
  EXPECT_EQ(window->frameGeometry().size(), QSize(482, 539));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  const QRect screen = window->screen()->geometry();
  EXPECT_EQ(window->frameGeometry().topLeft(),
            QPoint((screen.width() - 482) / 2, (screen.height() - 539) / 2));
  if (!ProgramIconData().empty()) {
    EXPECT_FALSE(window->windowIcon().isNull());
  }
}

// ---------------------------------------------------------------------------------------------
// The start sequence.

TEST(MainWindowStart, NoticeFirstThenTheWindowWithTheFirstPreview) {
  InitialiseProgramState();
  auto window = std::make_unique<MainWindow>(*programState);
  NoticeCloser closer(window.get());
  OnWindowCreated(*window);
  ASSERT_EQ(closer.seen.size(), 1u);
  const SeenNotice& notice = closer.seen[0];
  EXPECT_EQ(notice.title, Q("Brackenmoor提示："));
  EXPECT_TRUE(notice.text.startsWith(Q("作者：Brackenmoor\r\n公司电话：")));
  const QString number = notice.text.mid(Q("作者：Brackenmoor\r\n公司电话：").size());
  EXPECT_FALSE(number.isEmpty());
  EXPECT_TRUE(QString(number).remove('0').remove('-').isEmpty()) << number.toStdString();
  EXPECT_EQ(notice.icon, QMessageBox::NoIcon);
  EXPECT_TRUE(notice.modal);
  EXPECT_FALSE(notice.hasParent);
  EXPECT_EQ(notice.buttons, 1);
  EXPECT_FALSE(closer.windowVisibleDuringNotice);
  EXPECT_TRUE(closer.previewEmptyDuringNotice);

  // The faces are named before the first render, and the fonts went into the documents folder
  // the test set up, not into a real one.
  EXPECT_EQ(programState->heavyFont.faceName, "lumivale_cu");
  EXPECT_EQ(programState->fineFont.faceName, "lumivale_xi");
  const QString documents = QString::fromStdString(TemporaryHome()) + "/Documents";
  EXPECT_EQ(QString::fromStdString(DocumentsFolder()), documents);
  EXPECT_TRUE(QFileInfo::exists(documents + "/lumivale_cu.ttf"));
  EXPECT_TRUE(QFileInfo::exists(documents + "/lumivale_xi.ttf"));

  // The first picture comes from the initial contents, unnormalised.
  const std::vector<unsigned char>& picture = window->controls.preview->Picture();
  ASSERT_EQ(picture.size(), 6220854u);
  EXPECT_EQ(picture[0], 'B');
  EXPECT_EQ(picture[1], 'M');
  std::vector<unsigned char> expected;
  RenderEarningsScreen(*programState, window->surfaces, ScreenInputs{}, expected);
  EXPECT_TRUE(expected == picture);
  EXPECT_EQ(window->controls.preview->ShownImage().size(), QSize(256, 457));
  EXPECT_FALSE(window->isVisible());
}

TEST(MainWindowStart, OpensWithTheFocusInTheBalanceBox) {
  auto window = OpenWindow();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(FocusName(), Q("编辑框_账户余额"));
  EXPECT_EQ(window->controls.preview->Picture().size(), 6220854u);
}

// ---------------------------------------------------------------------------------------------
// Keys.

TEST(MainWindowKeys, TabAndShiftTabWalkTheCycleBothWays) {
  auto window = OpenWindow();
  const QStringList cycle{"编辑框_账户余额", "编辑框_本月收入", "编辑框_上月收入",
                          "编辑框_结算收入", "编辑框_点击数",   "编辑框_付款笔数",
                          "编辑框_成交收入", "按钮_保存图片",   "按钮_复制图片",
                          "按钮_预览图片",   "编辑框_手机时间", "组合框_时间文字"};
  ASSERT_EQ(FocusName(), cycle[0]);
  for (int step = 1; step <= cycle.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(FocusName(), cycle[step % cycle.size()]) << "Tab step " << step;
  }
  for (int step = 1; step <= cycle.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), cycle[(cycle.size() - step) % cycle.size()])
        << "Shift+Tab step " << step;
  }
}

TEST(MainWindowKeys, EnterNeitherClicksNorMovesTheFocus) {
  auto window = OpenWindow();
  QSignalSpy confirmClicks(window->controls.confirm, &QPushButton::clicked);
  QSignalSpy saveClicks(window->controls.save, &QPushButton::clicked);
  QSignalSpy copyClicks(window->controls.copy, &QPushButton::clicked);
  const std::vector<unsigned char> before = window->controls.preview->Picture();
  for (const char* name : TabCycle()) {
    SCOPED_TRACE(name);
    QWidget* widget = Child(*window, name);
    widget->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(FocusName(), Q(name));
    const QString text = ShownText(*widget);
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(widget, Qt::Key_F1);
    EXPECT_EQ(FocusName(), Q(name));
    EXPECT_EQ(ShownText(*widget), text);
  }
  EXPECT_EQ(confirmClicks.count() + saveClicks.count() + copyClicks.count(), 0);
  EXPECT_TRUE(window->controls.preview->Picture() == before);
  EXPECT_TRUE(window->isVisible());
}

TEST(MainWindowKeys, EscClosesTheWindowFromAnyControlButNotWithAChord) {
  for (const char* name : {"编辑框_账户余额", "按钮_预览图片", "组合框_时间文字"}) {
    SCOPED_TRACE(name);
    auto window = OpenWindow();
    QWidget* widget = Child(*window, name);
    widget->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(widget, Qt::Key_Escape, Qt::ShiftModifier);
    QTest::keyClick(widget, Qt::Key_Escape, Qt::ControlModifier);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(widget, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
  }
}

// ---------------------------------------------------------------------------------------------
// The confirm button.

TEST(MainWindowConfirm, NormalisesTheAmountsKeepsTheCountsAndRendersThem) {
  auto window = OpenWindow();
  const MainWindow::Controls& c = window->controls;
  struct Typed {
    QLineEdit* box;
    const char* typed;
    const char* afterConfirm;
  };
  const Typed table[] = {
      {c.balance, "abc", "0.00"},     {c.thisMonth, "1234.5", "1234.50"},
      {c.lastMonth, ".5", "0.50"},    {c.settled, "5.", "5.00"},
      {c.transaction, "-12.5", "-12.50"},
      {c.clicks, "1,234.5", "1,234.5"},  // counts are drawn as typed
      {c.payments, "七", "七"},           // (a GBK character) never rewritten
      {c.clock, "10：23", "10:23"},       // full-width colon replaced
  };
  for (const Typed& row : table) row.box->setText(Q(row.typed));
  c.timeWord->setCurrentIndex(4);

  NoticeCloser closer;
  QTest::mouseClick(c.confirm, Qt::LeftButton);
  EXPECT_TRUE(closer.seen.empty());
  for (const Typed& row : table) EXPECT_EQ(row.box->text(), Q(row.afterConfirm)) << row.typed;

  const ScreenInputs inputs = ReadScreenInputs(*window);
  EXPECT_EQ(inputs.word, "\xCD\xED\xC9\xCF");  // 晚上
  EXPECT_EQ(inputs.payments, "\xC6\xDF");      // 七
  std::vector<unsigned char> expected;
  RenderEarningsScreen(*programState, window->surfaces, inputs, expected);
  EXPECT_TRUE(c.preview->Picture() == expected);

  // A second confirm renders into the buffer the first picture left free: the preview must
  // still hold the new picture, complete.
  c.thisMonth->setText("77");
  QTest::mouseClick(c.confirm, Qt::LeftButton);
  EXPECT_EQ(c.thisMonth->text(), "77.00");
  RenderEarningsScreen(*programState, window->surfaces, ReadScreenInputs(*window), expected);
  EXPECT_TRUE(c.preview->Picture() == expected);
}

// ---------------------------------------------------------------------------------------------
// The preview box.

// A 2 x 1 24-bit BMP: left pixel red, right pixel blue.
std::vector<unsigned char> TwoPixelBmp() {
  std::vector<unsigned char> bmp(54 + 8, 0);
  auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 1);
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, 8);
  const unsigned char pixels[] = {0, 0, 255, 255, 0, 0};  // B G R, B G R
  std::memcpy(bmp.data() + 54, pixels, sizeof pixels);
  return bmp;
}

TEST(PreviewBox, KeepsTheBytesAndShowsThePictureStretchedInsideTheBorder) {
  PreviewBox box;
  box.resize(258, 459);
  EXPECT_TRUE(box.Picture().empty());
  EXPECT_TRUE(box.ShownImage().isNull());
  EXPECT_EQ(box.grab().toImage().pixelColor(100, 100), QColor(Qt::white));

  const std::vector<unsigned char> bmp = TwoPixelBmp();
  box.SetPicture(bmp);
  EXPECT_TRUE(box.Picture() == bmp);
  ASSERT_EQ(box.ShownImage().size(), QSize(256, 457));
  const QImage painted = box.grab().toImage();
  EXPECT_EQ(painted.pixelColor(0, 0), QColor(Qt::black));      // the border
  EXPECT_EQ(painted.pixelColor(257, 458), QColor(Qt::black));
  EXPECT_EQ(painted.pixelColor(1, 1), QColor(Qt::red));        // the picture fills the rest
  EXPECT_EQ(painted.pixelColor(256, 457), QColor(Qt::blue));

  std::vector<unsigned char> next{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
  const std::vector<unsigned char> notAPicture = next;
  box.SwapPicture(next);
  EXPECT_TRUE(next == bmp);  // handed back for reuse
  EXPECT_TRUE(box.Picture() == notAPicture);
  EXPECT_TRUE(box.ShownImage().isNull());
  EXPECT_EQ(box.grab().toImage().pixelColor(100, 100), QColor(Qt::white));
}

// ---------------------------------------------------------------------------------------------
// Notices.

TEST(Notice, FlagsChooseTheIconAndAnEmptyTitleFallsBack) {
  struct Case {
    int flags;
    QMessageBox::Icon icon;
    const char* title;
    const char* shownTitle;
  };
  const Case cases[] = {
      {0, QMessageBox::NoIcon, "Brackenmoor提示：", "Brackenmoor提示："},
      {48, QMessageBox::Warning, "提示", "提示"},
      {64, QMessageBox::Information, "", "信息："},
  };
  for (const Case& c : cases) {
    NoticeCloser closer;
    ShowNotice(Q("OK复制成功！\r\n第二行"), c.flags, Q(c.title));
    ASSERT_EQ(closer.seen.size(), 1u);
    EXPECT_EQ(closer.seen[0].icon, c.icon) << c.flags;
    EXPECT_EQ(closer.seen[0].title, Q(c.shownTitle));
    EXPECT_EQ(closer.seen[0].text, Q("OK复制成功！\r\n第二行"));
    EXPECT_EQ(closer.seen[0].buttons, 1);
    EXPECT_FALSE(closer.seen[0].hasParent);
    EXPECT_TRUE(closer.seen[0].modal);
  }
}

TEST(Notice, FatalErrorsShowAnErrorBoxWithNoOwner) {
  NoticeCloser closer;
  ShowFatalErrorBox("内存不足。");
  ASSERT_EQ(closer.seen.size(), 1u);
  EXPECT_EQ(closer.seen[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(closer.seen[0].text.contains(Q("内存不足。")));
  EXPECT_FALSE(closer.seen[0].hasParent);
}

}  // namespace
