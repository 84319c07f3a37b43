#pragma once
// MainWindow: the program's only window, built from the definition in window_definition.h.
#include <QMargins>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "compose/earnings_renderer.h"
#include "compose/program_state.h"
#include "ui/window_definition.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class PreviewBox;

class MainWindow : public QWidget {
 public:
  // Creates the window and every control hidden, at the centred position; the surfaces load
  // their pictures. Nothing is rendered yet: OnWindowCreated does that.
  explicit MainWindow(ProgramState& state);

  // The controls the handlers work with; the window owns them.
  struct Controls {
    QComboBox* timeWord = nullptr;
    QLineEdit* clock = nullptr;
    QLineEdit* balance = nullptr;
    QLineEdit* thisMonth = nullptr;
    QLineEdit* lastMonth = nullptr;
    QLineEdit* settled = nullptr;
    QLineEdit* clicks = nullptr;
    QLineEdit* payments = nullptr;
    QLineEdit* transaction = nullptr;
    QPushButton* confirm = nullptr;
    QPushButton* save = nullptr;
    QPushButton* copy = nullptr;
    PreviewBox* preview = nullptr;
  };

  ProgramState& state;
  RenderSurfaces surfaces;                  // 画板_原图, 取宽度_画板 and 画板_钱符号
  std::vector<unsigned char> spareBuffer;   // the next render goes here, then swaps with the preview's
  FileDialogSettings fileDialog;            // 通用对话框1
  Controls controls;

  QLineEdit* EditBox(const char* name) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildControls();
  void FitAndCentre();

  bool fitted_ = false;
  QMargins fittedFrame_;
};

// The text of an edit box as GBK, and the other way round.
std::string ReadBoxText(const QLineEdit& box);
void WriteBoxText(QLineEdit& box, const std::string& gbk);

// Creates the window, runs OnWindowCreated and shows the window; it becomes the active window.
std::unique_ptr<MainWindow> OpenMainWindow(ProgramState& state);
