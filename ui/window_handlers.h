#pragma once
// What the window does: the start sequence and the clicks of the three buttons.
#include "compose/earnings_renderer.h"
#include "compose/screen_inputs.h"

class MainWindow;

// The start sequence, run before the window is shown: the start notice, the built-in fonts,
// and the first picture from the controls' initial contents.
void OnWindowCreated(MainWindow& window);

// 按钮_预览图片: the amounts rewritten with two decimals, then the picture rendered again.
void OnConfirmClicked(MainWindow& window);
// 按钮_复制图片 (copy_preview.cpp) and 按钮_保存图片 (save_preview.cpp).
void OnCopyClicked(MainWindow& window);
void SavePreviewAsJpeg(MainWindow& window);

// The inputs as the controls hold them now, as GBK texts.
ScreenInputs ReadScreenInputs(const MainWindow& window);
// Normalises what the controls hold (the clock, and the amounts as `amounts` says), writes the
// normalised texts back into their boxes, renders them and gives the preview the picture.
void RenderPreview(MainWindow& window, AmountTexts amounts);

// Dispatches the events that are waiting and returns without waiting for more.
void ProcessPendingMessages();
// The user's documents folder as a local 8-bit path; empty when it is unknown.
std::string DocumentsFolder();
