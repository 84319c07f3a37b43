#pragma once
// Holds back whatever is written to the standard error stream (by this program or by any library
// it calls, through stdio or straight to descriptor 2) until Release, which writes it out, or
// Discard, which drops it. Used while Qt connects to the display: when that fails, Qt and the
// display libraries print several lines first, and the user should read only the program's one.
#include <string>

class HeldStderr {
 public:
  HeldStderr();
  ~HeldStderr();  // releases what is still held
  HeldStderr(const HeldStderr&) = delete;
  HeldStderr& operator=(const HeldStderr&) = delete;

  void Release();  // standard error as it was, with what was held written to it
  void Discard();  // standard error as it was, what was held dropped

 private:
  std::string Restore();  // puts descriptor 2 back and gives what was written meanwhile

  int savedStderr_ = -1;
  int holder_ = -1;
};
