// The main window in process, on Qt's offscreen platform: what it shows and where, the keys,
// the start sequence and the confirm button. The documents folder points into a temporary HOME
// (window_test_main.cpp).
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/program_state_lifecycle.h"
#include "assets/embedded_assets.h"
#include "compose/earnings_screen.h"
#include "compose/gbk_text.h"
#include "tests/window_test_support.h"
#include "ui/documents_folder.h"
#include "ui/handler_guard.h"
#include "ui/line_pitch_label.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"
#include "ui/window_placement.h"

namespace {

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  return focus ? focus->objectName() : QString("(none)");
}

QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

const ScreenField& Field(const char* name) {
  const auto index = FieldIndex(EarningsScreen(), name);
  if (!index) throw std::logic_error(std::string("the screen has no field ") + name);
  return EarningsScreen().fields[*index];
}

// The input controls as the user knows them: the caption beside each names what it holds, and
// each shows that field's initial text.
struct Input {
  const char* name;
  const char* field;
  const char* initialText;
};
const Input kInputs[] = {
    {"组合框_时间文字", "word", "上午"},     {"编辑框_手机时间", "clock", "10:23"},
    {"编辑框_账户余额", "balance", "5.00"},  {"编辑框_本月收入", "this-month", "5.00"},
    {"编辑框_上月收入", "last-month", "5.00"}, {"编辑框_结算收入", "settled", "5.00"},
    {"编辑框_点击数", "clicks", "0"},        {"编辑框_付款笔数", "payments", "0"},
    {"编辑框_成交收入", "transaction", "5.00"},
};

// The edit boxes from top to bottom, in the order of the captions of 标签1.
const char* const kBoxesDownTheColumn[] = {
    "编辑框_手机时间", "编辑框_账户余额", "编辑框_本月收入", "编辑框_上月收入",
    "编辑框_结算收入", "编辑框_点击数",   "编辑框_付款笔数", "编辑框_成交收入"};

// What the other controls say.
struct Caption {
  const char* name;
  const char* qtClass;
  const char* text;
};
const Caption kCaptions[] = {
    {"标签1", "QLabel",
     "手机时间：\r\n\r\n\r\n账户余额：\r\n\r\n\r\n本月收入：\r\n\r\n\r\n上月收入：\r\n\r\n\r\n"
     "结算收入：\r\n\r\n\r\n  点击数：\r\n\r\n\r\n付款笔数：\r\n\r\n\r\n成交收入："},
    {"按钮_预览图片", "QPushButton", "点此 - 确认修改内容"},
    {"按钮_保存图片", "QPushButton", "保存图片"},
    {"按钮_复制图片", "QPushButton", "复制图片"},
    {"标签2", "QLabel", "本软件仅供娱乐，\r\n请勿用于非法用途，\r\n否则一切后果自负！"},
    {"分组框1", "QGroupBox", "预览图"},
};

const QStringList kTabCycle{"编辑框_账户余额", "编辑框_本月收入", "编辑框_上月收入",
                            "编辑框_结算收入", "编辑框_点击数",   "编辑框_付款笔数",
                            "编辑框_成交收入", "按钮_保存图片",   "按钮_复制图片",
                            "按钮_预览图片",   "编辑框_手机时间", "组合框_时间文字"};

QString ShownText(QWidget& widget) {
  if (auto* label = qobject_cast<QLabel*>(&widget)) return label->text();
  if (auto* combo = qobject_cast<QComboBox*>(&widget)) return combo->currentText();
  if (auto* edit = qobject_cast<QLineEdit*>(&widget)) return edit->text();
  if (auto* button = qobject_cast<QPushButton*>(&widget)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(&widget)) return group->title();
  return QString();
}

QRect Place(const QWidget& window, const char* name) {
  const QWidget* widget = Control(window, name);
  return widget ? widget->geometry() : QRect();
}

// ---------------------------------------------------------------------------------------------
// What the window shows.

TEST(MainWindowShows, EachInputHoldsItsFieldsInitialText) {
  MainWindow window(*programState, FailOnFatalError);
  for (const Input& input : kInputs) {
    SCOPED_TRACE(input.name);
    QWidget* widget = Control(window, input.name);
    ASSERT_NE(widget, nullptr);
    const ScreenField& field = Field(input.field);
    EXPECT_TRUE(widget->inherits(field.kind == FieldKind::kWord ? "QComboBox" : "QLineEdit"));
    EXPECT_EQ(ShownText(*widget), Q(input.initialText));
    EXPECT_EQ(ShownText(*widget), FromGbk(field.initialText));
  }
}

TEST(MainWindowShows, TheTimeOfDayListOffersTheFieldsWordsWithTheFirstSelected) {
  MainWindow window(*programState, FailOnFatalError);
  auto* box = Control<QComboBox>(window, "组合框_时间文字");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isEditable());
  EXPECT_EQ(box->lineEdit(), nullptr);
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  EXPECT_EQ(items, QStringList({"上午", "下午", "早上", "中午", "晚上"}));
  QStringList words;
  for (std::string_view word : Field("word").words) words << FromGbk(word);
  EXPECT_EQ(items, words);
  EXPECT_EQ(box->currentIndex(), 0);
}

TEST(MainWindowShows, CaptionsAsTheUserReadsThem) {
  MainWindow window(*programState, FailOnFatalError);
  for (const Caption& caption : kCaptions) {
    SCOPED_TRACE(caption.name);
    QWidget* widget = Control(window, caption.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->inherits(caption.qtClass)) << widget->metaObject()->className();
    EXPECT_EQ(ShownText(*widget), Q(caption.text));
  }
  // The labels' texts as the GBK strings the definition holds.
  EXPECT_EQ(Utf8ToGbk(Control<QLabel>(window, "标签1")->text().toStdString()).size(), 122u);
  EXPECT_EQ(Utf8ToGbk(Control<QLabel>(window, "标签2")->text().toStdString()).size(), 56u);
}

// Every control is there, usable and shown; the preview sits in its frame; the window holds
// nothing else, and nothing else takes the focus by Tab (the list's popup is a window of its
// own).
TEST(MainWindowShows, EveryControlAndNothingElse) {
  MainWindow window(*programState, FailOnFatalError);
  QStringList expected;
  for (const Input& input : kInputs) expected << Q(input.name);
  for (const Caption& caption : kCaptions) expected << Q(caption.name);
  QStringList found;
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    found << child->objectName();
    EXPECT_TRUE(child->isEnabled()) << child->objectName().toStdString();
    EXPECT_FALSE(child->isHidden()) << child->objectName().toStdString();
  }
  std::sort(expected.begin(), expected.end());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, expected);

  PreviewBox& preview = Preview(window);
  EXPECT_EQ(preview.objectName(), Q("图片框_预览图"));
  EXPECT_EQ(preview.parentWidget(), Control(window, "分组框1"));
  EXPECT_FALSE(preview.isHidden());

  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (widget->window() == &window && (widget->focusPolicy() & Qt::TabFocus)) {
      EXPECT_TRUE(kTabCycle.contains(widget->objectName()))
          << widget->objectName().toStdString() << " " << widget->metaObject()->className();
    }
  }
}

// What assistive tools call each control: the input controls and the preview show no caption
// of their own. Each edit box is called by the line of 标签1 level with it; the window is a
// window to them, called by its caption.
TEST(MainWindowShows, EveryControlHasANameForAssistiveToolsAndThePreviewADescription) {
  MainWindow window(*programState, FailOnFatalError);
  struct Named {
    const char* control;
    const char* name;
  };
  const Named table[] = {
      {"组合框_时间文字", "时间文字"}, {"编辑框_手机时间", "手机时间"},
      {"编辑框_账户余额", "账户余额"}, {"编辑框_本月收入", "本月收入"},
      {"编辑框_上月收入", "上月收入"}, {"编辑框_结算收入", "结算收入"},
      {"编辑框_点击数", "点击数"},     {"编辑框_付款笔数", "付款笔数"},
      {"编辑框_成交收入", "成交收入"}, {"按钮_预览图片", "点此 - 确认修改内容"},
      {"按钮_保存图片", "保存图片"},   {"按钮_复制图片", "复制图片"},
      {"分组框1", "预览图"},           {"图片框_预览图", "预览图"},
  };
  for (const Named& named : table) {
    QWidget* widget = Control(window, named.control);
    ASSERT_NE(widget, nullptr) << named.control;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr) << named.control;
    EXPECT_EQ(accessible->text(QAccessible::Name), Q(named.name)) << named.control;
  }
  auto* captions = dynamic_cast<LinePitchLabel*>(Control(window, "标签1"));
  ASSERT_NE(captions, nullptr);
  const QStringList lines = captions->text().split("\r\n");
  for (const char* name : kBoxesDownTheColumn) {
    const QRect box = Place(window, name);
    QString beside;
    for (int line = 0; line < lines.size(); ++line) {
      if (std::abs(captions->y() + captions->LineBand(line).center().y() - box.center().y()) <= 2)
        beside = lines[line];
    }
    EXPECT_EQ(Control(window, name)->accessibleName(), beside.remove(' ').remove(Q("："))) << name;
  }
  QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->role(), QAccessible::Window);
  EXPECT_EQ(frame->text(QAccessible::Name), window.windowTitle());
  QAccessibleInterface* preview = QAccessible::queryAccessibleInterface(&Preview(window));
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->role(), QAccessible::Graphic);
  const QString description = preview->text(QAccessible::Description);
  EXPECT_TRUE(description.contains(Q("1080×1920"))) << description.toStdString();
}

// Named, the list is still the combo box Qt shows: its word as its value, its popup list of
// the words as its one child, and the action that opens and closes the popup.
TEST(MainWindowShows, TheNamedListIsStillAComboBoxForAssistiveTools) {
  auto window = OpenWindow();
  auto* box = Control<QComboBox>(*window, "组合框_时间文字");
  ASSERT_NE(box, nullptr);
  box->setCurrentIndex(2);
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::ComboBox);
  EXPECT_EQ(list->text(QAccessible::Name), Q("时间文字"));
  EXPECT_EQ(list->text(QAccessible::Value), Q("早上"));
  ASSERT_EQ(list->childCount(), 1);
  QAccessibleInterface* popup = list->child(0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->object(), box->view());
  EXPECT_EQ(list->indexOfChild(popup), 0);
  EXPECT_EQ(popup->childCount(), 5);
  QAccessibleActionInterface* actions = list->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(box->view()->isVisible());
  actions->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(box->view()->isVisible());
}

// ---------------------------------------------------------------------------------------------
// Where the controls stand.

TEST(MainWindowLayout, ControlsLieInsideTheClientAreaWithoutOverlapping) {
  MainWindow window(*programState, FailOnFatalError);
  // The offscreen platform draws no frame: the client area is the whole outer size.
  const QRect client(0, 0, 482, 539);
  ASSERT_EQ(window.rect(), client);
  const QList<QWidget*> children = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (qsizetype i = 0; i < children.size(); ++i) {
    SCOPED_TRACE(children[i]->objectName().toStdString());
    EXPECT_TRUE(client.contains(children[i]->geometry()));
    EXPECT_FALSE(children[i]->geometry().isEmpty());
    for (qsizetype j = i + 1; j < children.size(); ++j)
      EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry()))
          << children[j]->objectName().toStdString();
  }
  const QRect frame = Control(window, "分组框1")->rect();
  EXPECT_TRUE(frame.adjusted(1, 1, -1, -1).contains(Preview(window).geometry()));
}

TEST(MainWindowLayout, LabelLinesFitAndCaptionsStandLevelWithTheirBoxes) {
  MainWindow window(*programState, FailOnFatalError);
  for (const char* name : {"标签1", "标签2"}) {
    SCOPED_TRACE(name);
    auto* label = dynamic_cast<LinePitchLabel*>(Control(window, name));
    ASSERT_NE(label, nullptr);
    const QStringList lines = label->text().split("\r\n");
    const QFontMetrics metrics(label->font());
    for (const QString& line : lines)
      EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
    EXPECT_LE(label->LineBand(lines.size() - 1).bottom(), label->height() - 1);
  }
  auto* captions = dynamic_cast<LinePitchLabel*>(Control(window, "标签1"));
  ASSERT_NE(captions, nullptr);
  for (int row = 0; row < 8; ++row) {
    SCOPED_TRACE(kBoxesDownTheColumn[row]);
    const QRect box = Place(window, kBoxesDownTheColumn[row]);
    const int captionMiddle = captions->y() + captions->LineBand(row * 3).center().y();
    EXPECT_LE(std::abs(captionMiddle - box.center().y()), 2);
    // Right beside the captions, all ending at one right edge.
    EXPECT_EQ(box.right(), Place(window, "编辑框_账户余额").right());
    if (row > 0) {
      EXPECT_EQ(box.left(), captions->geometry().right() + 2);  // a pixel apart
    }
    EXPECT_EQ(box.height(), 18);
  }
  // The list stands on the clock's row, just left of its box, as far left as the amount boxes.
  const QRect list = Place(window, "组合框_时间文字");
  const QRect clock = Place(window, "编辑框_手机时间");
  EXPECT_EQ(list.right() + 1, clock.left());
  EXPECT_EQ(list.left(), Place(window, "编辑框_账户余额").left());
  EXPECT_LE(std::abs(list.center().y() - clock.center().y()), 1);
}

TEST(MainWindowLayout, ButtonsAndWarningBelowTheBoxesThePreviewBesideThemAll) {
  MainWindow window(*programState, FailOnFatalError);
  const QRect confirm = Place(window, "按钮_预览图片");
  const QRect save = Place(window, "按钮_保存图片");
  const QRect copy = Place(window, "按钮_复制图片");
  const QRect warning = Place(window, "标签2");
  const QRect frame = Place(window, "分组框1");
  EXPECT_GT(confirm.top(), Place(window, "编辑框_成交收入").bottom());
  EXPECT_GT(confirm.top(), Place(window, "标签1").bottom());
  // Save and copy side by side under the confirm button, which spans both.
  EXPECT_GT(save.top(), confirm.bottom());
  EXPECT_EQ(save.top(), copy.top());
  EXPECT_EQ(save.size(), copy.size());
  EXPECT_LT(save.right(), copy.left());
  EXPECT_EQ(confirm.left(), save.left());
  EXPECT_EQ(confirm.right(), copy.right());
  EXPECT_GT(warning.top(), save.bottom());
  for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->objectName() != Q("分组框1")) {
      EXPECT_LT(child->geometry().right(), frame.left()) << child->objectName().toStdString();
    }
  }
  // Each button's caption fits on it.
  for (const char* name : {"按钮_预览图片", "按钮_保存图片", "按钮_复制图片"}) {
    auto* button = Control<QPushButton>(window, name);
    EXPECT_LT(QFontMetrics(button->font()).horizontalAdvance(button->text()), button->width())
        << name;
  }
}

TEST(MainWindowShows, FontsColoursAndAlignment) {
  MainWindow window(*programState, FailOnFatalError);
  for (const char* name : {"按钮_预览图片", "按钮_保存图片", "按钮_复制图片"}) {
    SCOPED_TRACE(name);
    const QFont font = Control(window, name)->font();
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_EQ(font.weight(), QFont::Normal);
    auto* button = Control<QPushButton>(window, name);
    EXPECT_FALSE(button->autoDefault());
    EXPECT_FALSE(button->isDefault());
  }
  for (const Input& input : kInputs) {
    SCOPED_TRACE(input.name);
    const QFont font = Control(window, input.name)->font();
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.weight(), QFont::Normal);
  }
  auto* warning = Control<QLabel>(window, "标签2");
  EXPECT_EQ(warning->font().pixelSize(), 20);
  EXPECT_EQ(warning->font().weight(), QFont::Normal);
  EXPECT_EQ(warning->palette().color(QPalette::WindowText), QColor(0, 128, 192));
  EXPECT_TRUE(warning->alignment() & Qt::AlignRight);
  EXPECT_TRUE(warning->wordWrap());
  auto* captions = Control<QLabel>(window, "标签1");
  EXPECT_EQ(captions->font().pixelSize(), 12);
  EXPECT_TRUE(captions->alignment() & Qt::AlignRight);
  EXPECT_EQ(captions->palette().color(QPalette::WindowText), QColor(Qt::black));
  auto* frame = Control<QGroupBox>(window, "分组框1");
  EXPECT_EQ(frame->font().pixelSize(), 29);
  EXPECT_TRUE(frame->font().bold());
  EXPECT_EQ(frame->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(frame->palette().color(QPalette::WindowText), QColor(Qt::black));
  auto* list = Control<QComboBox>(window, "组合框_时间文字");
  EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(list->palette().color(QPalette::Text), QColor(Qt::black));
}

// ---------------------------------------------------------------------------------------------
// A dark desktop theme.

QRect DifferingPixels(const QImage& a, const QImage& b);

// A dark theme as Breeze Dark gives it to Qt, on the application while it lives.
class DarkTheme {
 public:
  DarkTheme() : before_(QApplication::palette()) {
    const QColor window(0x31, 0x36, 0x3B), text(0xEF, 0xF0, 0xF1), base(0x23, 0x26, 0x29);
    QPalette dark(window);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(0x3D, 0xAE, 0xE9));
    dark.setColor(QPalette::HighlightedText, text);
    QApplication::setPalette(dark);
  }
  ~DarkTheme() { QApplication::setPalette(before_); }
  DarkTheme(const DarkTheme&) = delete;
  DarkTheme& operator=(const DarkTheme&) = delete;

 private:
  QPalette before_;
};

// WCAG 2's relative luminance and contrast ratio.
double RelativeLuminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}
double Contrast(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Every text the window shows, against what it is drawn on, in the active window and in the
// inactive one (while a notice shows): the control's text on its own background (a label's is
// the window's), a selection in a box, and the list's popup. 标签2 keeps the blue it is
// defined in, on the grey it was designed for; the rest read at 7:1 at least.
TEST(MainWindowDarkTheme, EveryTextKeepsTheDesignedColoursAndReads) {
  const DarkTheme theme;
  MainWindow window(*programState, FailOnFatalError);
  const QColor buttonFace(0xF0, 0xF0, 0xF0);
  EXPECT_EQ(window.palette().color(QPalette::Window), buttonFace);
  int checked = 0;
  const auto expectReadable = [&](const QString& what, const QColor& text, const QColor& ground) {
    EXPECT_GE(Contrast(text, ground), 7.0)
        << what.toStdString() << ": " << text.name().toStdString() << " on "
        << ground.name().toStdString();
    ++checked;
  };
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      if (widget->window() != &window || widget->objectName().isEmpty() ||
          dynamic_cast<PreviewBox*>(widget))
        continue;
      const QString name = widget->objectName();
      const QPalette& palette = widget->palette();
      const QColor text = palette.color(group, widget->foregroundRole());
      const QColor ground = widget->autoFillBackground() || !qobject_cast<QLabel*>(widget)
                                ? palette.color(group, widget->backgroundRole())
                                : window.palette().color(group, QPalette::Window);
      if (name == Q("标签2")) {
        EXPECT_EQ(text, QColor(0, 128, 192));
        EXPECT_EQ(ground, buttonFace);
        continue;
      }
      expectReadable(name, text, ground);
      if (qobject_cast<QLineEdit*>(widget)) {
        EXPECT_EQ(palette.color(group, QPalette::Base), QColor(Qt::white)) << name.toStdString();
        EXPECT_EQ(palette.color(group, QPalette::Text), QColor(Qt::black)) << name.toStdString();
        expectReadable(name + " selected", palette.color(group, QPalette::HighlightedText),
                       palette.color(group, QPalette::Highlight));
      }
      if (auto* list = qobject_cast<QComboBox*>(widget)) {
        EXPECT_EQ(palette.color(group, QPalette::Button), QColor(Qt::white));
        EXPECT_EQ(palette.color(group, QPalette::ButtonText), QColor(Qt::black));
        const QPalette& popup = list->view()->palette();
        EXPECT_EQ(popup.color(group, QPalette::Base), QColor(Qt::white));
        expectReadable(name + " popup", popup.color(group, QPalette::Text),
                       popup.color(group, QPalette::Base));
        expectReadable(name + " popup selected", popup.color(group, QPalette::HighlightedText),
                       popup.color(group, QPalette::Highlight));
      }
      if (qobject_cast<QPushButton*>(widget)) {
        EXPECT_EQ(palette.color(group, QPalette::Button), QColor(Qt::white)) << name.toStdString();
      }
    }
  }
  EXPECT_EQ(checked, 2 * (1 + 9 + 3 + 1 + 8 + 2));  // 标签1, inputs, buttons, frame; extras
}

// The window drawn under the dark theme is the window drawn under the light one, pixel for
// pixel.
TEST(MainWindowDarkTheme, TheWindowLooksAsInTheLightTheme) {
  QImage light;
  {
    MainWindow window(*programState, FailOnFatalError);
    light = window.grab().toImage();
  }
  const DarkTheme theme;
  MainWindow window(*programState, FailOnFatalError);
  const QImage dark = window.grab().toImage();
  ASSERT_EQ(dark.size(), light.size());
  const QRect differing = DifferingPixels(dark, light);
  EXPECT_TRUE(differing.isEmpty()) << "differs in " << differing.x() << "," << differing.y() << " "
                                   << differing.width() << "x" << differing.height();
}

TEST(MainWindowShows, EditBoxesAreCentredUnlimitedWithTheCaretAtTheStart) {
  MainWindow window(*programState, FailOnFatalError);
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
  auto* balance = Control<QLineEdit>(window, "编辑框_账户余额");
  balance->setText(longText);
  EXPECT_EQ(balance->text(), longText);
}

TEST(MainWindowFrame, CaptionFixedSizeCentredAndNoMaximiseButton) {
  auto window = OpenWindow();
  EXPECT_EQ(window->windowTitle(), Q("Lumivale图片生成器      -      作者/Brackenmoor"));
  // The outer size, frame included (the offscreen platform's is 2 px at a ratio of 1).
  EXPECT_EQ(window->frameGeometry().size(), QSize(482, 539));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  if (!ProgramIconData().empty()) {
    EXPECT_FALSE(window->windowIcon().isNull());
  }
}

// ---------------------------------------------------------------------------------------------
// What depends on the screen's pixel ratio. CTest runs these again with QT_SCALE_FACTOR 1.5 and 2.

// What a widget draws of itself, its children left out, at its screen's pixel ratio.
QImage DrawnWithoutChildren(QWidget& widget) {
  const qreal ratio = widget.devicePixelRatioF();
  QImage image((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  return image;
}

// The bounds of the pixels in which two drawings of one size differ.
QRect DifferingPixels(const QImage& a, const QImage& b) {
  QRect differing;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) differing |= QRect(x, y, 1, 1);
  return differing;
}

// The caption is drawn whole, in its size, centred over the preview and clear of it: the ink
// it adds to the frame (faint edges included) ends above the preview's first row.
TEST(AtEveryScale, TheFramesCaptionLiesWhollyAboveThePreview) {
  MainWindow window(*programState, FailOnFatalError);
  auto* frame = Control<QGroupBox>(window, "分组框1");
  ASSERT_NE(frame, nullptr);
  const qreal ratio = frame->devicePixelRatioF();
  SCOPED_TRACE(ratio);
  const QImage captioned = DrawnWithoutChildren(*frame);
  const QString caption = frame->title();
  frame->setTitle(QString());
  const QImage bare = DrawnWithoutChildren(*frame);
  frame->setTitle(caption);
  const QRect ink = DifferingPixels(captioned, bare);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_LT(ink.bottom() + 1, Preview(window).y() * ratio) << "ink down to " << ink.bottom();
  EXPECT_GT(ink.top(), 0);
  EXPECT_GE(ink.height(), 24 * ratio);  // still the 29 px caption
  EXPECT_LE(std::abs(ink.center().x() - frame->width() * ratio / 2), 2 * ratio);
  EXPECT_EQ(frame->font().pixelSize(), 29);
  EXPECT_TRUE(frame->font().bold());
  EXPECT_EQ(Preview(window).geometry(), QRect(8, 34, 258, 459));
}

// A BMP of one colour.
std::vector<unsigned char> SolidBmp(QColor colour) {
  QImage image(6, 10, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// The picture is scaled once, from its full size to the client area's pixels on the screen,
// and drawn one to one inside a black border: every pixel of the box is the picture's colour
// or black, never a blend of the two nor the white behind, and the picture's pixels are one
// block of exactly the scaled size, with a border of one pixel or, at 1.5, one or two.
TEST(AtEveryScale, ThePreviewIsScaledToTheScreensPixelsInsideASharpBorder) {
  auto window = OpenWindow();
  PreviewBox& preview = Preview(*window);
  const qreal ratio = window->devicePixelRatioF();
  SCOPED_TRACE(ratio);
  const QSize pixels = (QSizeF(256, 457) * ratio).toSize();
  EXPECT_EQ(preview.ClientPixels(), pixels);
  EXPECT_EQ(preview.ShownImage().size(), pixels);
  EXPECT_EQ(preview.ShownImage().devicePixelRatio(), ratio);

  const QColor colour(200, 30, 60);
  preview.SetPicture(SolidBmp(colour));
  ASSERT_EQ(preview.ShownImage().size(), pixels);
  const QImage drawn = window->grab().toImage();
  // The box on the screen's pixels; at 1.5 its edges may fall on pixel centres, and a pixel
  // whose centre is on an edge belongs to neither side.
  const QRectF box = QRectF(QPointF(preview.mapTo(window.get(), QPoint(0, 0))) * ratio,
                            QSizeF(preview.size()) * ratio)
                         .adjusted(0.01, 0.01, -0.01, -0.01);
  QRect all, picture;
  int picturePixels = 0, strayPixels = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      if (!box.contains(QPointF(x + 0.5, y + 0.5))) continue;
      all |= QRect(x, y, 1, 1);
      const QColor pixel = drawn.pixelColor(x, y);
      if (pixel == colour) {
        picture |= QRect(x, y, 1, 1);
        ++picturePixels;
      } else if (pixel != QColor(Qt::black)) {
        ++strayPixels;
      }
    }
  }
  EXPECT_EQ(strayPixels, 0);
  EXPECT_EQ(picture.size(), pixels);
  EXPECT_EQ(picturePixels, pixels.width() * pixels.height());
  const int thickest = static_cast<int>(std::ceil(ratio));
  for (const int border : {picture.left() - all.left(), all.right() - picture.right(),
                           picture.top() - all.top(), all.bottom() - picture.bottom()}) {
    EXPECT_GE(border, 1);
    EXPECT_LE(border, thickest);
  }
}

// Centred in the screen's available area; a window taller or wider than that area starts at
// its top or left edge, so that the title bar stays on the screen. The offscreen screen is
// 800 x 800: the window fits at a ratio of 1, is too tall at 1.5 and too tall and wide at 2.
TEST(AtEveryScale, TheWindowIsCentredInTheAvailableAreaWithItsTitleBarOnTheScreen) {
  auto window = OpenWindow();
  const QRect available = window->screen()->availableGeometry();
  const QRect outer = window->frameGeometry();
  SCOPED_TRACE(window->devicePixelRatioF());
  EXPECT_EQ(outer.size(), QSize(482, 539));
  EXPECT_EQ(outer.topLeft(), CentredFramePosition(available, outer.size()));
  EXPECT_GE(outer.top(), available.top());
  EXPECT_GE(outer.left(), available.left());
  if (available.height() >= 539) {
    EXPECT_LE(std::abs((outer.top() - available.top()) - (available.bottom() - outer.bottom())), 1);
  }
}

TEST(WindowPlacement, CentredInTheAvailableAreaOrFromItsEdge) {
  struct Case {
    QRect available;
    QPoint expected;
  };
  const QSize outer(482, 539);
  const Case cases[] = {
      {QRect(0, 0, 1280, 1024), QPoint(399, 242)},
      {QRect(0, 32, 1280, 992), QPoint(399, 258)},     // a panel along the top
      {QRect(64, 0, 1216, 1024), QPoint(431, 242)},    // a dock on the left
      {QRect(1920, 0, 1280, 1024), QPoint(2319, 242)}, // the second of two screens
      {QRect(0, 27, 640, 485), QPoint(79, 27)},        // too tall: the top edge
      {QRect(10, 27, 400, 485), QPoint(10, 27)},       // too tall and too wide
      {QRect(0, 0, 482, 539), QPoint(0, 0)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CentredFramePosition(c.available, outer), c.expected)
        << c.available.x() << "," << c.available.y() << " " << c.available.width() << "x"
        << c.available.height();
  }
}

// ---------------------------------------------------------------------------------------------
// The start sequence.

TEST(MainWindowStart, NoticeFirstThenTheFontsThenTheWindowWithTheFirstPreview) {
  InitialiseProgramState();
  const QString documents = QString::fromStdString(TemporaryHome()) + "/Documents";
  for (const char* font : {"/lumivale_cu.ttf", "/lumivale_xi.ttf"}) QFile::remove(documents + font);

  NoticeCloser closer;
  bool windowShownDuringNotice = false;
  bool pictureDuringNotice = false;
  bool fontsDuringNotice = false;
  closer.duringNotice = [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (!dynamic_cast<MainWindow*>(widget)) continue;
      windowShownDuringNotice = windowShownDuringNotice || widget->isVisible();
      pictureDuringNotice = pictureDuringNotice || !Preview(*widget).Picture().empty();
    }
    fontsDuringNotice = fontsDuringNotice || QFileInfo::exists(documents + "/lumivale_cu.ttf");
  };
  const std::unique_ptr<MainWindow> window = OpenMainWindow(*programState, FailOnFatalError);

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
  EXPECT_FALSE(windowShownDuringNotice);
  EXPECT_FALSE(pictureDuringNotice);
  EXPECT_FALSE(fontsDuringNotice);

  // The faces are named before the first render, and the fonts went into the documents folder
  // the test set up, not into a real one.
  EXPECT_EQ(programState->heavyFont.faceName, "lumivale_cu");
  EXPECT_EQ(programState->fineFont.faceName, "lumivale_xi");
  EXPECT_EQ(QString::fromStdString(DocumentsFolder()), documents);
  EXPECT_TRUE(QFileInfo::exists(documents + "/lumivale_cu.ttf"));
  EXPECT_TRUE(QFileInfo::exists(documents + "/lumivale_xi.ttf"));

  // The first picture comes from the initial contents, unnormalised.
  const PictureBytes& picture = Preview(*window).Picture();
  ASSERT_EQ(picture.size(), 6220854u);
  EXPECT_EQ(picture[0], 'B');
  EXPECT_EQ(picture[1], 'M');
  EXPECT_TRUE(ReferencePicture(ScreenInputs{}, AmountTexts::kAsTyped) == picture);
  EXPECT_EQ(Preview(*window).ShownImage().size(), QSize(256, 457));
  EXPECT_TRUE(window->isVisible());
}

TEST(MainWindowStart, OpensWithTheFocusInTheBalanceBox) {
  auto window = OpenWindow();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(FocusName(), Q("编辑框_账户余额"));
  EXPECT_EQ(Preview(*window).Picture().size(), 6220854u);
}

// ---------------------------------------------------------------------------------------------
// Keys.

TEST(MainWindowKeys, TabAndShiftTabWalkTheCycleBothWays) {
  auto window = OpenWindow();
  ASSERT_EQ(FocusName(), kTabCycle[0]);
  for (int step = 1; step <= kTabCycle.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(FocusName(), kTabCycle[step % kTabCycle.size()]) << "Tab step " << step;
  }
  for (int step = 1; step <= kTabCycle.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(FocusName(), kTabCycle[(kTabCycle.size() - step) % kTabCycle.size()])
        << "Shift+Tab step " << step;
  }
}

TEST(MainWindowKeys, EnterNeitherClicksNorMovesTheFocus) {
  auto window = OpenWindow();
  QSignalSpy confirmClicks(Control<QPushButton>(*window, "按钮_预览图片"), &QPushButton::clicked);
  QSignalSpy saveClicks(Control<QPushButton>(*window, "按钮_保存图片"), &QPushButton::clicked);
  QSignalSpy copyClicks(Control<QPushButton>(*window, "按钮_复制图片"), &QPushButton::clicked);
  const PictureBytes before = Preview(*window).Picture();
  for (const QString& name : kTabCycle) {
    SCOPED_TRACE(name.toStdString());
    QWidget* widget = window->findChild<QWidget*>(name);
    widget->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(FocusName(), name);
    const QString text = ShownText(*widget);
    QTest::keyClick(widget, Qt::Key_Return);
    QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(widget, Qt::Key_F1);
    EXPECT_EQ(FocusName(), name);
    EXPECT_EQ(ShownText(*widget), text);
  }
  EXPECT_EQ(confirmClicks.count() + saveClicks.count() + copyClicks.count(), 0);
  EXPECT_TRUE(Preview(*window).Picture() == before);
  EXPECT_TRUE(window->isVisible());
}

TEST(MainWindowKeys, EscClosesTheWindowFromAnyControlButNotWithAChord) {
  for (const char* name : {"编辑框_账户余额", "按钮_预览图片", "组合框_时间文字"}) {
    SCOPED_TRACE(name);
    auto window = OpenWindow();
    QWidget* widget = Control(*window, name);
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

// Every box gets a value of its own, so a box read into the wrong field, or written back from
// the wrong one, shows in the picture or in the boxes.
TEST(MainWindowConfirm, NormalisesTheAmountsKeepsTheCountsAndDrawsEachBoxInItsField) {
  auto window = OpenWindow();
  struct Typed {
    const char* box;
    const char* field;
    const char* typed;
    const char* afterConfirm;
  };
  const Typed table[] = {
      {"编辑框_账户余额", "balance", "abc", "0.00"},
      {"编辑框_本月收入", "this-month", "1234.5", "1234.50"},
      {"编辑框_上月收入", "last-month", ".5", "0.50"},
      {"编辑框_结算收入", "settled", "5.", "5.00"},
      {"编辑框_成交收入", "transaction", "-12.5", "-12.50"},
      {"编辑框_点击数", "clicks", "1,234.5", "1,234.5"},  // counts are drawn as typed
      {"编辑框_付款笔数", "payments", "七", "七"},         // (a GBK character) never rewritten
      {"编辑框_手机时间", "clock", "10：23", "10:23"},     // full-width colon replaced
  };
  ScreenInputs typed;
  for (const Typed& row : table) {
    Control<QLineEdit>(*window, row.box)->setText(Q(row.typed));
    typed.Set(row.field, Utf8ToGbk(row.typed));
  }
  Control<QComboBox>(*window, "组合框_时间文字")->setCurrentIndex(4);
  typed.Set("word", "\xCD\xED\xC9\xCF");  // 晚上

  NoticeCloser closer;
  QTest::mouseClick(Control<QPushButton>(*window, "按钮_预览图片"), Qt::LeftButton);
  EXPECT_TRUE(closer.seen.empty());
  for (const Typed& row : table)
    EXPECT_EQ(Control<QLineEdit>(*window, row.box)->text(), Q(row.afterConfirm)) << row.typed;
  EXPECT_TRUE(Preview(*window).Picture() == ReferencePicture(typed, AmountTexts::kNormalised));

  // A second confirm renders into the buffer the first picture left free: the preview must
  // still hold the new picture, complete.
  Control<QLineEdit>(*window, "编辑框_本月收入")->setText("77");
  typed.Set("this-month", "77");
  QTest::mouseClick(Control<QPushButton>(*window, "按钮_预览图片"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(*window, "编辑框_本月收入")->text(), "77.00");
  EXPECT_TRUE(Preview(*window).Picture() == ReferencePicture(typed, AmountTexts::kNormalised));
}

// ---------------------------------------------------------------------------------------------
// A handler's failure.

std::vector<std::string> fatalMessages;
void RecordFatalError(const char* what) { fatalMessages.emplace_back(what); }

TEST(HandlerGuard, AFailureReachesTheFatalPathWithWhatTheUserReads) {
  fatalMessages.clear();
  bool ran = false;
  RunHandler([&] { ran = true; }, RecordFatalError);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(fatalMessages.empty());

  RunHandler([] { throw std::bad_alloc(); }, RecordFatalError);
  RunHandler([] { throw std::runtime_error("磁盘坏了"); }, RecordFatalError);
  EXPECT_EQ(fatalMessages, (std::vector<std::string>{"内存不足。", "磁盘坏了"}));
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
  EXPECT_TRUE(std::ranges::equal(box.Picture(), bmp));
  ASSERT_EQ(box.ShownImage().size(), QSize(256, 457));
  const QImage painted = box.grab().toImage();
  EXPECT_EQ(painted.pixelColor(0, 0), QColor(Qt::black));      // the border
  EXPECT_EQ(painted.pixelColor(257, 458), QColor(Qt::black));
  EXPECT_EQ(painted.pixelColor(1, 1), QColor(Qt::red));        // the picture fills the rest
  EXPECT_EQ(painted.pixelColor(256, 457), QColor(Qt::blue));

  PictureBytes next;
  for (char c : std::string_view("not a pic")) next.push_back(static_cast<unsigned char>(c));
  const PictureBytes notAPicture = next;
  box.SwapPicture(next);
  EXPECT_TRUE(std::ranges::equal(next, bmp));  // handed back for reuse
  EXPECT_TRUE(box.Picture() == notAPicture);
  EXPECT_TRUE(box.ShownImage().isNull());
  EXPECT_EQ(box.grab().toImage().pixelColor(100, 100), QColor(Qt::white));
}

// ---------------------------------------------------------------------------------------------
// Notices.

TEST(Notice, TheIconAsAskedAndAnEmptyTitleFallsBack) {
  struct Case {
    NoticeIcon icon;
    QMessageBox::Icon shownIcon;
    const char* title;
    const char* shownTitle;
  };
  const Case cases[] = {
      {NoticeIcon::kNone, QMessageBox::NoIcon, "Brackenmoor提示：", "Brackenmoor提示："},
      {NoticeIcon::kExclamation, QMessageBox::Warning, "提示", "提示"},
      {NoticeIcon::kInformation, QMessageBox::Information, "", "信息："},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shownTitle);
    NoticeCloser closer;
    ShowNotice(Q("OK复制成功！\r\n第二行"), c.icon, Q(c.title));
    ASSERT_EQ(closer.seen.size(), 1u);
    EXPECT_EQ(closer.seen[0].icon, c.shownIcon);
    EXPECT_EQ(closer.seen[0].title, Q(c.shownTitle));
    EXPECT_EQ(closer.seen[0].text, Q("OK复制成功！\r\n第二行"));
    EXPECT_EQ(closer.seen[0].buttonTexts, QStringList{Q("确定")});  // Qt's own text, in Chinese
    EXPECT_FALSE(closer.seen[0].hasParent);
    EXPECT_TRUE(closer.seen[0].modal);
  }
}

TEST(Notice, FatalErrorsShowAnErrorBoxWithNoOwner) {
  NoticeCloser closer;
  ShowFatalErrorBox("内存不足。");
  ASSERT_EQ(closer.seen.size(), 1u);
  EXPECT_EQ(closer.seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(closer.seen[0].title, Q("Lumivale图片生成器"));
  EXPECT_EQ(closer.seen[0].text, Q("程序无法继续运行：内存不足。"));
  EXPECT_EQ(closer.seen[0].buttonTexts, QStringList{Q("确定")});
  EXPECT_FALSE(closer.seen[0].hasParent);
}

}  // namespace
