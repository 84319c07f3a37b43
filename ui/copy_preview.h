#pragma once
// 按钮_复制图片: the preview's picture onto the system clipboard.
#include <span>

// Puts the picture that `picture` holds (the bytes of a picture file, as the preview box keeps
// them) on the clipboard as an image at its full size, replacing whatever the clipboard held.
// The clipboard keeps the only copy of the decoded picture. Gives false, and leaves the
// clipboard as it was, when the bytes hold no picture.
bool CopyPreviewToClipboard(std::span<const unsigned char> picture);
