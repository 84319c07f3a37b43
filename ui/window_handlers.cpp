#include "ui/window_handlers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>

#include "compose/amount_text.h"
#include "compose/gbk_text.h"
#include "fonts/font_provisioning.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"

void OnWindowCreated(MainWindow& window) {
  ShowNotice(StartNoticeText(), kNoticeNoIcon, StartNoticeTitle());
  InstallBuiltInFonts(DocumentsFolder());
  ProcessPendingMessages();
  RegisterBuiltInFonts(DocumentsFolder(), window.state);
  ProcessPendingMessages();
  RenderPreview(window);
}

void OnConfirmClicked(MainWindow& window) {
  NormaliseAmounts(window);
  RenderPreview(window);
}

void NormaliseAmounts(MainWindow& window) {
  for (const char* name : AmountBoxes()) {
    QLineEdit& box = *window.EditBox(name);
    WriteBoxText(box, NormaliseAmountText(ReadBoxText(box)));
  }
}

ScreenInputs ReadScreenInputs(const MainWindow& window) {
  const MainWindow::Controls& c = window.controls;
  ScreenInputs inputs;
  inputs.clock = ReadBoxText(*c.clock);
  inputs.word = Utf8ToGbk(c.timeWord->currentText().toStdString());
  inputs.balance = ReadBoxText(*c.balance);
  inputs.thisMonth = ReadBoxText(*c.thisMonth);
  inputs.lastMonth = ReadBoxText(*c.lastMonth);
  inputs.settled = ReadBoxText(*c.settled);
  inputs.clicks = ReadBoxText(*c.clicks);
  inputs.payments = ReadBoxText(*c.payments);
  inputs.transaction = ReadBoxText(*c.transaction);
  return inputs;
}

void RenderPreview(MainWindow& window) {
  const std::string clock =
      RenderEarningsScreen(window.state, window.surfaces, ReadScreenInputs(window),
                           window.spareBuffer);
  WriteBoxText(*window.controls.clock, clock);
  window.controls.preview->SwapPicture(window.spareBuffer);
}

void ProcessPendingMessages() { QCoreApplication::processEvents(); }

std::string DocumentsFolder() {
  return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
      .toStdString();
}
