#include "app/held_stderr.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

HeldStderr::HeldStderr() {
  std::fflush(stderr);
  holder_ = ::memfd_create("lumivale-held-stderr", MFD_CLOEXEC);
  savedStderr_ = holder_ >= 0 ? ::dup(STDERR_FILENO) : -1;
  if (savedStderr_ < 0 || ::dup2(holder_, STDERR_FILENO) < 0) {
    // Nothing can be held: standard error simply stays as it is.
    if (savedStderr_ >= 0) ::close(savedStderr_);
    if (holder_ >= 0) ::close(holder_);
    savedStderr_ = holder_ = -1;
  }
}

HeldStderr::~HeldStderr() { Release(); }

std::string HeldStderr::Restore() {
  if (holder_ < 0) return {};
  std::fflush(stderr);
  ::dup2(savedStderr_, STDERR_FILENO);
  ::close(savedStderr_);
  std::string held;
  char buffer[4096];
  ssize_t got = 0;
  for (off_t at = 0; (got = ::pread(holder_, buffer, sizeof buffer, at)) > 0; at += got)
    held.append(buffer, static_cast<std::size_t>(got));
  ::close(holder_);
  savedStderr_ = holder_ = -1;
  return held;
}

void HeldStderr::Release() {
  const std::string held = Restore();
  if (!held.empty()) std::fwrite(held.data(), 1, held.size(), stderr);
}

void HeldStderr::Discard() { Restore(); }
