#include "app/batch_progress.h"

#include <algorithm>
#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kBarInterval = std::chrono::milliseconds(100);  // at most ten redraws a second
constexpr auto kLineInterval = std::chrono::seconds(5);
constexpr int kBarWidth = 24;
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

std::string ClockTime(std::chrono::seconds seconds) {
  const long long total = std::max<long long>(0, seconds.count());
  char text[32];
  if (total >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
  return text;
}

BatchProgress::BatchProgress(ProgressMode mode, std::optional<std::size_t> total, std::FILE* out)
    : mode_(mode), total_(total), out_(out) {
  if (mode_ != ProgressMode::kNone) drawer_ = std::thread([this] { Run(); });
}

BatchProgress::~BatchProgress() { Finish(); }

void BatchProgress::Count(Outcome outcome) {
  const std::lock_guard<std::mutex> lock(mutex_);
  switch (outcome) {
    case Outcome::kWritten: ++counts_.written; break;
    case Outcome::kSkipped: ++counts_.skipped; break;
    case Outcome::kFailed: ++counts_.failed; break;
  }
}

void BatchProgress::Say(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (barShown_) std::fputs(kClearLine, out_);
  std::fprintf(out_, "%s\n", line.c_str());
  if (barShown_) std::fputs(Status(Clock::now() - start_).c_str(), out_);
  std::fflush(out_);
}

std::string BatchProgress::Status(Clock::duration elapsed) const {
  const std::size_t done = counts_.Done();
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  char line[160];
  if (mode_ == ProgressMode::kBar) {
    std::string bar;
    if (total_ && *total_ > 0) {
      const int filled = static_cast<int>(std::min<std::size_t>(done, *total_) * kBarWidth / *total_);
      bar.append(1, '[')
          .append(static_cast<std::size_t>(filled), '#')
          .append(static_cast<std::size_t>(kBarWidth - filled), '.')
          .append("] ");
    }
    std::string left;
    if (total_ && rate > 0 && done < *total_)
      left.append("  ")
          .append(ClockTime(std::chrono::seconds(std::lround((*total_ - done) / rate))))
          .append(" left");
    const std::string of = total_ ? std::string(1, '/').append(std::to_string(*total_)) : " done";
    const std::string failed =
        counts_.failed > 0 ? "  " + std::to_string(counts_.failed) + " failed" : "";
    std::snprintf(line, sizeof line, "%s%s%zu%s  %.1f/s%s%s", kClearLine, bar.c_str(), done,
                  of.c_str(), rate, left.c_str(), failed.c_str());
    return line;
  }
  std::string left;
  if (total_ && rate > 0 && done < *total_)
    left.append(", about ")
        .append(ClockTime(std::chrono::seconds(std::lround((*total_ - done) / rate))))
        .append(" left");
  const std::string of = total_ ? std::string(" of ").append(std::to_string(*total_)) : "";
  std::snprintf(line, sizeof line, "lumivale batch: %zu%s done, %.1f/s%s\n", done, of.c_str(), rate,
                left.c_str());
  return line;
}

void BatchProgress::Draw(bool last) {
  if (mode_ == ProgressMode::kBar) {
    std::fputs(Status(Clock::now() - start_).c_str(), out_);
    if (last) std::fputc('\n', out_);
    barShown_ = !last;
  } else if (mode_ == ProgressMode::kLines) {
    std::fputs(Status(Clock::now() - start_).c_str(), out_);
  }
  std::fflush(out_);
}

void BatchProgress::Run() {
  const auto interval = mode_ == ProgressMode::kBar ? Clock::duration(kBarInterval)
                                                    : Clock::duration(kLineInterval);
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_.wait_for(lock, interval, [this] { return stopping_; })) Draw(false);
}

BatchCounts BatchProgress::Finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return counts_;
    finished_ = true;
    stopping_ = true;
  }
  stop_.notify_all();
  if (drawer_.joinable()) drawer_.join();
  const std::lock_guard<std::mutex> lock(mutex_);
  if (mode_ != ProgressMode::kNone) Draw(true);
  return counts_;
}
