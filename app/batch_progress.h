#pragma once
// What `lumivale batch` shows while it runs, on standard error: a one-line bar on a terminal
// (done/total, pictures a second, time left), redrawn at most ten times a second; or a plain
// line every few seconds for a log; or nothing. Row messages come through here too, so that
// they never tear the bar.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

enum class ProgressMode { kBar, kLines, kNone };

struct BatchCounts {
  std::size_t written = 0;
  std::size_t skipped = 0;
  std::size_t failed = 0;
  std::size_t Done() const { return written + skipped + failed; }
};

class BatchProgress {
 public:
  // `total` is the number of rows to do, when known (not for a table read from standard input).
  BatchProgress(ProgressMode mode, std::optional<std::size_t> total, std::FILE* out = stderr);
  ~BatchProgress();  // Finish, if not done yet
  BatchProgress(const BatchProgress&) = delete;
  BatchProgress& operator=(const BatchProgress&) = delete;

  enum class Outcome { kWritten, kSkipped, kFailed };
  void Count(Outcome outcome);
  // A line for the user (a row's error or note), printed whole.
  void Say(const std::string& line);

  // Stops the display, leaving the last state on screen; gives the counts.
  BatchCounts Finish();

 private:
  void Run();
  std::string Status(std::chrono::steady_clock::duration elapsed) const;
  void Draw(bool last);

  const ProgressMode mode_;
  const std::optional<std::size_t> total_;
  std::FILE* const out_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;  // guards the counts, the stream and the stop
  std::condition_variable stop_;
  bool stopping_ = false;
  bool finished_ = false;
  bool barShown_ = false;
  BatchCounts counts_;
  std::thread drawer_;
};

// "1:05" or "1:02:03".
std::string ClockTime(std::chrono::seconds seconds);
