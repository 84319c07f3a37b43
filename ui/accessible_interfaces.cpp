#include "ui/accessible_interfaces.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <memory>

#include "ui/preview_box.h"

namespace {

class PreviewAccessibility : public QAccessibleWidget {
 public:
  explicit PreviewAccessibility(PreviewBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}
  ~PreviewAccessibility() override = default;
};

class WindowAccessibility : public QAccessibleWidget {
 public:
  explicit WindowAccessibility(QWidget* window) : QAccessibleWidget(window, QAccessible::Window) {}
  ~WindowAccessibility() override = default;
};

// A combo box as Qt shows it (its popup list its one child, an action that opens and closes
// the popup), but named by its accessible name, and by its current item only without one.
class WordListAccessibility : public QAccessibleWidget {
 public:
  explicit WordListAccessibility(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}
  ~WordListAccessibility() override = default;

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && !List().accessibleName().isEmpty())
      return List().accessibleName();
    if (kind == QAccessible::Name || kind == QAccessible::Value) return List().currentText();
    return QAccessibleWidget::text(kind);
  }

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(List().view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == List().view() ? 0 : -1;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (List().view()->isVisible())
      List().hidePopup();
    else
      List().showPopup();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox& List() const { return *static_cast<QComboBox*>(object()); }
};

// Qt's accessibility cache owns each interface made here and deletes it with its control.
QAccessibleInterface* MakeInterface(const QString&, QObject* object) {
  // A top-level window made of a plain widget, as the main window is, is a window (a frame to
  // AT-SPI) rather than a client area.
  if (auto* widget = qobject_cast<QWidget*>(object);
      widget && widget->isWindow() && widget->metaObject() == &QWidget::staticMetaObject)
    return std::make_unique<WindowAccessibility>(widget).release();
  if (auto* box = dynamic_cast<PreviewBox*>(object))
    return std::make_unique<PreviewAccessibility>(box).release();
  if (auto* list = qobject_cast<QComboBox*>(object); list && !list->isEditable())
    return std::make_unique<WordListAccessibility>(list).release();
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() { QAccessible::installFactory(MakeInterface); }
