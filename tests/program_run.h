#pragma once
// Runs the program as a separate process, the way a user or a script runs it: in a folder of the
// test's own, with a bare environment (no display, a Qt platform that does not exist, so any
// reach for Qt's GUI would fail), its output captured.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/file_helpers.h"

namespace program_run {

struct Outcome {
  int status = -1;  // the exit status; -1 when ended by a signal
  std::string out;
  std::string err;
};

inline std::vector<std::string> BareEnvironment(const std::filesystem::path& home) {
  std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LANG=C.UTF-8",
                                          "QT_QPA_PLATFORM=no-such-platform",
                                          "HOME=" + home.string()};
  // A sanitized build's program reports to the same settings as the test itself.
  for (const char* passed : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
    if (const char* value = std::getenv(passed)) environment.push_back(std::string(passed) + "=" + value);
  return environment;
}

// Runs `arguments` (the first is the program's path) in `folder`, standard input from `input`
// when one is given (else /dev/null); the output goes through `folder`/.stdout and .stderr.
inline Outcome Run(const std::filesystem::path& folder, std::vector<std::string> arguments,
                   const std::filesystem::path& input = "/dev/null") {
  std::vector<char*> argv;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = BareEnvironment(folder);
  std::vector<char*> envp;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::filesystem::path outPath = folder / ".stdout", errPath = folder / ".stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  std::filesystem::current_path(previous);
  posix_spawn_file_actions_destroy(&actions);
  Outcome outcome;
  if (spawned != 0) return outcome;
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = file_helpers::ReadText(outPath);
  outcome.err = file_helpers::ReadText(errPath);
  std::filesystem::remove(outPath);
  std::filesystem::remove(errPath);
  return outcome;
}

}  // namespace program_run
