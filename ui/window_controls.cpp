#include "ui/window_controls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "compose/gbk_text.h"
#include "ui/line_pitch_group_box.h"
#include "ui/line_pitch_label.h"
#include "ui/preview_box.h"
#include "ui/window_definition.h"
#include "ui/window_texts.h"

namespace {

// A child widget: its parent owns it from the moment it exists.
template <typename Widget, typename... Args>
Widget* MakeChild(Args&&... args) {
  return std::make_unique<Widget>(std::forward<Args>(args)...).release();
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
QString FromGbk(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }

// Line `line` of the control's caption (all of it for -1), as a name: "  点击数：" is 点击数.
QString CaptionLine(const ControlDefinition& entry, int line) {
  const QString caption = Text(entry.caption);
  const QStringList lines = caption.split(QStringLiteral("\r\n"));
  if (line >= static_cast<int>(lines.size()))
    throw std::logic_error(std::string(entry.name) + " has no caption line " +
                           std::to_string(line));
  QString name = (line < 0 ? caption : lines[line]).trimmed();
  if (name.endsWith(QChar(u'：'))) name.chop(1);
  return name.trimmed();
}

Qt::Alignment AlignmentOf(const ControlDefinition& entry) {
  switch (entry.alignment) {
    case TextAlignment::Centre: return Qt::AlignHCenter | Qt::AlignVCenter;
    case TextAlignment::Right: return Qt::AlignRight | Qt::AlignTop;
    case TextAlignment::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QLabel* MakeLabel(const ControlDefinition& entry, QWidget* parent) {
  QLabel* label = entry.linePitch > 0
                      ? MakeChild<LinePitchLabel>(Text(entry.caption), entry.linePitch, parent)
                      : MakeChild<QLabel>(Text(entry.caption), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(AlignmentOf(entry));
  label->setWordWrap(entry.wordWrap);
  return label;
}

QComboBox* MakeWordList(const ScreenField& field, QWidget* parent) {
  auto* list = MakeChild<QComboBox>(parent);
  list->setEditable(false);
  for (std::string_view word : field.words) list->addItem(FromGbk(word));
  list->setCurrentIndex(0);
  // Its popup is a window of its own, which takes the desktop's colours unless told.
  list->view()->setPalette(parent->palette());
  return list;
}

QLineEdit* MakeEditBox(const ControlDefinition& entry, const ScreenField& field, QWidget* parent) {
  auto* box = MakeChild<QLineEdit>(FromGbk(field.initialText), parent);
  box->setAlignment(AlignmentOf(entry));
  box->setMaxLength(std::numeric_limits<int>::max());  // no limit of its own
  box->setCursorPosition(0);
  return box;
}

QPushButton* MakeButton(const ControlDefinition& entry, QWidget* parent) {
  auto* button = MakeChild<QPushButton>(Text(entry.caption), parent);
  button->setAutoDefault(false);  // Enter in an edit box clicks nothing
  button->setDefault(false);
  return button;
}

QGroupBox* MakeGroupBox(const ControlDefinition& entry, QWidget* parent) {
  QGroupBox* box = entry.linePitch > 0
                       ? MakeChild<LinePitchGroupBox>(Text(entry.caption), entry.linePitch, parent)
                       : MakeChild<QGroupBox>(Text(entry.caption), parent);
  box->setAlignment(AlignmentOf(entry) & Qt::AlignHorizontal_Mask);
  return box;
}

void ApplyCommonSettings(const ControlDefinition& entry, QWidget& widget) {
  widget.setObjectName(Text(entry.name));
  widget.setGeometry(entry.left, entry.top, entry.width, entry.height);
  QFont font = widget.font();
  font.setPixelSize(entry.fontPixelSize);
  font.setBold(entry.bold);
  widget.setFont(font);
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText,
                   QColor(static_cast<int>(RedOf(entry.textColour)),
                          static_cast<int>(GreenOf(entry.textColour)),
                          static_cast<int>(BlueOf(entry.textColour))));
  widget.setPalette(palette);
  widget.setFocusPolicy(entry.tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

// Makes the controls in the definition's order, keeping each under its name for the entries
// that refer to it (a child's parent, the tab cycle).
class ControlMaker {
 public:
  ControlMaker(QWidget& window, const ScreenDescription& screen)
      : window_(window), screen_(screen) {}

  void Make(const ControlDefinition& entry) {
    QWidget* widget = MakeFor(entry, ParentOf(entry));
    ApplyCommonSettings(entry, *widget);
    widget->setAccessibleName(AccessibleName(entry));
    made_.emplace(entry.name, widget);
    entries_.emplace(entry.name, &entry);
  }

  QWidget& Made(std::string_view name) const {
    const auto found = made_.find(name);
    if (found == made_.end())
      throw std::logic_error("the window definition has no control " + std::string(name));
    return *found->second;
  }

  WindowControls Take() {
    if (!controls_.confirm || !controls_.save || !controls_.copy || !controls_.preview)
      throw std::logic_error("the window definition lacks a button or the preview");
    return std::move(controls_);
  }

 private:
  // Labels are read by their text, which Qt gives as their name.
  QString AccessibleName(const ControlDefinition& entry) const {
    if (entry.namedBy) {
      const auto naming = entries_.find(entry.namedBy);
      if (naming == entries_.end())
        throw std::logic_error(std::string(entry.name) +
                               " is named by a control not made before it");
      return CaptionLine(*naming->second, entry.namingLine);
    }
    if (*entry.accessibleName) return Text(entry.accessibleName);
    return entry.kind == ControlKind::Label ? QString() : Text(entry.caption);
  }

  QWidget* ParentOf(const ControlDefinition& entry) const {
    return entry.parent ? &Made(entry.parent) : &window_;
  }

  std::size_t FieldOf(const ControlDefinition& entry) const {
    const std::optional<std::size_t> field = FieldIndex(screen_, entry.field);
    if (!field)
      throw std::logic_error(std::string(entry.name) + " holds a field the screen lacks: " +
                             std::string(entry.field));
    return *field;
  }

  QWidget* MakeFor(const ControlDefinition& entry, QWidget* parent) {
    switch (entry.kind) {
      case ControlKind::Label: return MakeLabel(entry, parent);
      case ControlKind::ComboBox: {
        const std::size_t field = FieldOf(entry);
        QComboBox* list = MakeWordList(screen_.fields[field], parent);
        controls_.fields.push_back({.field = field, .list = list});
        return list;
      }
      case ControlKind::EditBox: {
        const std::size_t field = FieldOf(entry);
        QLineEdit* box = MakeEditBox(entry, screen_.fields[field], parent);
        controls_.fields.push_back({.field = field, .box = box});
        return box;
      }
      case ControlKind::Button: {
        QPushButton* button = MakeButton(entry, parent);
        switch (entry.action) {
          case ButtonAction::Confirm: controls_.confirm = button; break;
          case ButtonAction::Save: controls_.save = button; break;
          case ButtonAction::Copy: controls_.copy = button; break;
          case ButtonAction::None: break;
        }
        return button;
      }
      case ControlKind::GroupBox: return MakeGroupBox(entry, parent);
      case ControlKind::PictureBox: {
        controls_.preview = MakeChild<PreviewBox>(parent);
        controls_.preview->setAccessibleDescription(PreviewDescription());
        return controls_.preview;
      }
    }
    throw std::logic_error("unknown control kind");
  }

  QWidget& window_;
  const ScreenDescription& screen_;
  std::map<std::string_view, QWidget*> made_;
  std::map<std::string_view, const ControlDefinition*> entries_;
  WindowControls controls_;
};

}  // namespace

WindowControls MakeWindowControls(QWidget& window, const ScreenDescription& screen) {
  ControlMaker maker(window, screen);
  for (const ControlDefinition& entry : MainWindowControls()) maker.Make(entry);

  const auto cycle = TabCycle();
  for (std::size_t i = 0; i + 1 < cycle.size(); ++i)
    QWidget::setTabOrder(&maker.Made(cycle[i]), &maker.Made(cycle[i + 1]));
  maker.Made(cycle.front()).setFocus();
  return maker.Take();
}
