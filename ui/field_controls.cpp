#include "ui/field_controls.h"

#include <QComboBox>
#include <QLineEdit>

#include "compose/gbk_text.h"

namespace {

std::string Gbk(const QString& text) { return Utf8ToGbk(text.toStdString()); }

bool IsRewritten(FieldKind kind, AmountTexts amounts) {
  return kind == FieldKind::kClock ||
         (kind == FieldKind::kAmount && amounts == AmountTexts::kNormalised);
}

}  // namespace

ScreenInputs ReadFieldControls(std::span<const FieldControl> controls,
                               const ScreenDescription& screen) {
  ScreenInputs inputs(screen);
  for (const FieldControl& control : controls)
    inputs.Set(control.field, Gbk(control.box ? control.box->text() : control.list->currentText()));
  return inputs;
}

void WriteBackNormalised(std::span<const FieldControl> controls, const ScreenInputs& drawn,
                         AmountTexts amounts) {
  const auto fields = drawn.Screen().fields;
  for (const FieldControl& control : controls) {
    if (control.box && IsRewritten(fields[control.field].kind, amounts))
      control.box->setText(QString::fromStdString(GbkToUtf8(drawn.Text(control.field))));
  }
}
