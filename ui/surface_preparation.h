#pragma once
// The part of the window's first render that shows nothing and writes nothing: decoding the
// two pictures into the surfaces and the first touch of the memory a render writes into. Both
// are dear on a virtual machine (page faults of fresh picture-sized buffers), and both can be
// done while the start notice stands waiting for the user.
#include <future>

#include "compose/earnings_renderer.h"

struct PreparedSurfaces {
  RenderSurfaces surfaces;                   // with no faces yet: those come after the notice
  PictureBytes pictureBuffer;  // as large as the picture file, every page touched
};

PreparedSurfaces PrepareSurfaces(const ScreenDescription& screen);

// The same on a thread of its own; where no thread can be had, on the first wait for it.
std::future<PreparedSurfaces> PrepareSurfacesMeanwhile(const ScreenDescription& screen);
