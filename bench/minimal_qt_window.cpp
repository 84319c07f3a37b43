// The floor of the start-up benchmark: the least a Qt Widgets program does to show what
// lumivale shows at start, a message box and then a window with a 1080 x 1920 picture scaled to
// 256 x 457 (the preview's size). Built from the same Qt, shown on the same display.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>

#include "assets/embedded_assets.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMessageBox::information(nullptr, QStringLiteral("Minimal floor notice"),
                           QStringLiteral("A notice before the window."));
  const auto png = TemplatePictureData();
  QImage picture;
  picture.loadFromData(png.data(), static_cast<int>(png.size()));
  QWidget window;
  window.setWindowTitle(QStringLiteral("Minimal floor window"));
  window.setFixedSize(482, 539);
  QLabel preview(&window);  // destroyed first, it leaves its parent as it goes
  preview.setGeometry(209, 44, 256, 457);
  preview.setPixmap(QPixmap::fromImage(
      picture.scaled(256, 457, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
  window.show();
  return QApplication::exec();
}
