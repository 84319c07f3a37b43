#pragma once
// 图片框_预览图: keeps the bytes of a picture file and shows the picture stretched over its
// client area (the box less its one-pixel border), aspect ratio not kept, white where no
// picture covers it.
#include <QImage>
#include <QWidget>
#include <span>

#include "compose/picture_memory.h"

class PreviewBox : public QWidget {
 public:
  explicit PreviewBox(QWidget* parent = nullptr);

  // Keeps a copy of the bytes and shows the picture they hold.
  void SetPicture(std::span<const unsigned char> bytes);
  // Takes the bytes without copying them and hands back the previously kept ones, so that a
  // caller can render the next picture into that memory.
  void SwapPicture(PictureBytes& bytes);
  // The bytes last set, unchanged; empty when none was set.
  const PictureBytes& Picture() const { return picture_; }
  // What the client area shows: the picture scaled to the client area's pixels on the screen
  // (ClientPixels), with the screen's pixel ratio; null when there is no picture or the bytes
  // are no BMP file of the kind the program writes.
  const QImage& ShownImage() const { return shown_; }
  QRect ClientArea() const;
  // The client area's size in the screen's pixels: its logical size times the pixel ratio.
  QSize ClientPixels() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ScalePicture();

  PictureBytes picture_;  // picture-sized memory: see picture_memory.h
  QImage shown_;
  QSize scaledTo_;  // the ClientPixels the picture was last scaled for
};
