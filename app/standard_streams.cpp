#include "app/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

void HoldClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (held >= 0 && held != fd) ::close(held);  // fd was taken meanwhile: nothing to hold
  }
}

int WithStandardOutputFlushed(int status, const char* lost) {
  errno = 0;
  std::cout.flush();
  const bool streamFailed = !std::cout.good();
  if (std::fflush(stdout) == 0 && !std::ferror(stdout) && !streamFailed) return status;
  const int reason = errno;
  std::fprintf(stderr, "lumivale: %s could not be written to standard output: %s\n", lost,
               std::strerror(reason != 0 ? reason : EIO));
  return 1;
}
