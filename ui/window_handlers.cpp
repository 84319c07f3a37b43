// What the main window does: its start sequence and the clicks of its three buttons.
#include <QCoreApplication>

#include "fonts/font_provisioning.h"
#include "output/save_picture.h"
#include "ui/copy_preview.h"
#include "ui/documents_folder.h"
#include "ui/main_window.h"
#include "ui/notice.h"
#include "ui/preview_box.h"
#include "ui/window_texts.h"

void MainWindow::RunStartSequence() {
  ShowNotice(StartNoticeText(), NoticeIcon::kNone, NoticeTitle());
  const std::string documents = DocumentsFolder();
  InstallBuiltInFonts(documents);
  QCoreApplication::processEvents();
  // Registered first: the surfaces may still be in preparation meanwhile.
  std::shared_ptr<const FaceLibrary> faces = RegisterBuiltInFonts(documents, state_);
  UseFaces(Surfaces(), std::move(faces));
  QCoreApplication::processEvents();
  RenderPreview(AmountTexts::kAsTyped);
}

void MainWindow::RenderPreview(AmountTexts amounts) {
  const ScreenInputs drawn =
      NormaliseScreenInputs(ReadFieldControls(controls_.fields, screen_), amounts);
  WriteBackNormalised(controls_.fields, drawn, amounts);
  RenderSurfaces& surfaces = Surfaces();
  RenderEarningsScreen(state_, surfaces, drawn, spareBuffer_);
  controls_.preview->SwapPicture(spareBuffer_);
}

// 按钮_预览图片: the amounts rewritten with two decimals, then the picture rendered again.
void MainWindow::Confirm() { RenderPreview(AmountTexts::kNormalised); }

// 按钮_复制图片: the picture of the last render, not what the boxes hold now.
void MainWindow::CopyPicture() {
  if (CopyPreviewToClipboard(controls_.preview->Picture()))
    ShowNotice(CopiedText(), NoticeIcon::kInformation, NoticeTitle());
  else
    ShowNotice(NothingToCopyText(), NoticeIcon::kExclamation, NoticeTitle());
}

// 按钮_保存图片: the picture of the last render as a JPEG where the user says.
void MainWindow::SavePicture() {
  const std::optional<std::string> chosen = AskForSavePath(this, saveDialog_);
  if (!chosen) {
    ShowNotice(SaveCancelledText(), NoticeIcon::kExclamation, SaveCancelledTitle());
    return;
  }
  const SaveOutcome outcome = SavePictureAsJpeg(controls_.preview->Picture(), *chosen);
  if (!outcome.written) {
    ShowNotice(SaveFailureText(outcome), NoticeIcon::kExclamation, NoticeTitle());
    return;
  }
  ShowNotice(SavedText(outcome.temporaryLeftBehind), NoticeIcon::kInformation, NoticeTitle());
}
