#pragma once
// A queue of bounded length between threads: a producer that gets ahead waits, so what is in
// flight stays small however long the input is.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

template <typename T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  // Waits for room; false when the queue was closed meanwhile (the item is dropped).
  bool Push(T item) {
    std::unique_lock<std::mutex> lock(mutex_);
    roomOrClosed_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    itemOrClosed_.notify_one();
    return true;
  }

  // Waits for an item; nothing once the queue is closed and empty.
  std::optional<T> Pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    itemOrClosed_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    roomOrClosed_.notify_one();
    return item;
  }

  // No more items come; those queued are still given out.
  void Close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    itemOrClosed_.notify_all();
    roomOrClosed_.notify_all();
  }

  // Closes and drops what is queued: for a batch that stops early.
  void Abandon() {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    items_.clear();
    itemOrClosed_.notify_all();
    roomOrClosed_.notify_all();
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable itemOrClosed_;
  std::condition_variable roomOrClosed_;
  std::deque<T> items_;
  bool closed_ = false;
};
