#pragma once
// MainWindow: the program's only window, built from the definition in window_definition.h.
// main_window.cpp makes it and keeps its frame and keys; window_handlers.cpp holds what it does
// (the start sequence and the three buttons).
#include <QMargins>
#include <QWidget>
#include <future>
#include <memory>
#include <vector>

#include "compose/earnings_renderer.h"
#include "compose/program_state.h"
#include "compose/screen_inputs.h"
#include "ui/handler_guard.h"
#include "ui/save_dialog.h"
#include "ui/surface_preparation.h"
#include "ui/window_controls.h"

class MainWindow : public QWidget {
 public:
  // Creates the window and every control hidden, at the centred position; the surfaces start
  // loading their pictures on a thread of their own. Nothing is rendered yet: RunStartSequence
  // does that. A handler that fails ends the program through `fatalError`.
  MainWindow(ProgramState& state, FatalErrorHandler fatalError);

  // The start sequence, run before the window is shown: the start notice, the built-in fonts
  // installed and registered (the events waiting dispatched after each), and the first
  // picture from the controls' initial contents, the clock normalised, the amounts as typed.
  void RunStartSequence();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // The three buttons.
  void Confirm();
  void CopyPicture();
  void SavePicture();
  // Normalises what the controls hold (the clock, and the amounts as `amounts` says), writes
  // the normalised texts back, renders them and gives the preview the picture.
  void RenderPreview(AmountTexts amounts);

  void ConnectButton(QPushButton* button, void (MainWindow::*handler)());
  void FitAndCentre();
  // The surfaces, once their preparation has ended (waiting for it the first time).
  RenderSurfaces& Surfaces();

  const ScreenDescription& screen_;
  ProgramState& state_;
  FatalErrorHandler fatalError_;
  std::future<PreparedSurfaces> preparing_;  // until Surfaces() takes them over
  RenderSurfaces surfaces_;                  // 画板_原图, 取宽度_画板 and 画板_钱符号
  PictureBytes spareBuffer_;                 // the next render, then swapped with the preview's
  SaveDialogSettings saveDialog_;            // 通用对话框1
  WindowControls controls_;
  bool fitted_ = false;
  QMargins fittedFrame_;
};

// Creates the window, runs its start sequence and shows the window; it becomes the active
// window.
std::unique_ptr<MainWindow> OpenMainWindow(ProgramState& state, FatalErrorHandler fatalError);
