#include "ui/window_handlers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>

#include "compose/screen_inputs.h"
#include "compose/gbk_text.h"
#include "fonts/font_provisioning.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"

void OnWindowCreated(MainWindow& window) {
  ShowNotice(StartNoticeText(), kNoticeNoIcon, StartNoticeTitle());
  InstallBuiltInFonts(DocumentsFolder());
  ProcessPendingMessages();
  UseFaces(window.surfaces, RegisterBuiltInFonts(DocumentsFolder(), window.state));
  ProcessPendingMessages();
  RenderPreview(window, AmountTexts::kAsTyped);
}

void OnConfirmClicked(MainWindow& window) { RenderPreview(window, AmountTexts::kNormalised); }

namespace {

// The edit box of each field of the screen; null for the word, which the list holds.
QLineEdit* BoxOf(const MainWindow& window, std::string_view field) {
  const MainWindow::Controls& c = window.controls;
  if (field == "clock") return c.clock;
  if (field == "balance") return c.balance;
  if (field == "this-month") return c.thisMonth;
  if (field == "last-month") return c.lastMonth;
  if (field == "settled") return c.settled;
  if (field == "clicks") return c.clicks;
  if (field == "payments") return c.payments;
  if (field == "transaction") return c.transaction;
  return nullptr;
}

}  // namespace

ScreenInputs ReadScreenInputs(const MainWindow& window) {
  ScreenInputs inputs;
  const auto fields = inputs.Screen().fields;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    if (const QLineEdit* box = BoxOf(window, fields[f].name))
      inputs.Set(f, ReadBoxText(*box));
    else
      inputs.Set(f, Utf8ToGbk(window.controls.timeWord->currentText().toStdString()));
  }
  return inputs;
}

void RenderPreview(MainWindow& window, AmountTexts amounts) {
  const ScreenInputs drawn = NormaliseScreenInputs(ReadScreenInputs(window), amounts);
  const auto fields = drawn.Screen().fields;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const bool rewritten = fields[f].kind == FieldKind::kClock ||
                           (fields[f].kind == FieldKind::kAmount && amounts == AmountTexts::kNormalised);
    if (QLineEdit* box = BoxOf(window, fields[f].name); box && rewritten)
      WriteBoxText(*box, drawn.Text(f));
  }
  RenderEarningsScreen(window.state, window.surfaces, drawn, window.spareBuffer);
  window.controls.preview->SwapPicture(window.spareBuffer);
}

void ProcessPendingMessages() { QCoreApplication::processEvents(); }

std::string DocumentsFolder() {
  return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
      .toStdString();
}
