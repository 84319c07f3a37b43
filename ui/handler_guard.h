#pragma once
// What the window's handlers do with a failure they cannot continue from. Exceptions must not
// unwind through Qt's event loop, so each click runs inside RunHandler, which hands the failure
// to the program's fatal path: the window is given that path when it is made.
#include <exception>
#include <new>

#include "ui/window_texts.h"

// Shows `what` (UTF-8) to the user and ends the program; it is not expected to return, and when
// it does the failed click is simply over.
using FatalErrorHandler = void (*)(const char* what);

template <typename Handler>
void RunHandler(Handler&& handler, FatalErrorHandler fatalError) {
  try {
    handler();
  } catch (const std::bad_alloc&) {
    fatalError(kOutOfMemoryText);
  } catch (const std::exception& failure) {
    fatalError(failure.what());
  }
}
