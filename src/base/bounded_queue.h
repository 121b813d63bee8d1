// A queue of bounded length between one producing and one consuming thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>

namespace kov {

template <typename T>
class BoundedQueue {
 public:
  /// `capacity` is the most items the queue holds (at least 1).
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  /// Appends an item, waiting while the queue is full. Returns false (and
  /// drops the item) once the queue is closed.
  bool push(T item) {
    std::unique_lock<std::mutex> lock(mutex_);
    notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }
  /// Appends an item where there is room, without waiting.
  bool tryPush(T item) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || items_.size() >= capacity_) return false;
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }
  /// Takes the first item, waiting while the queue is empty. Returns false
  /// once the queue is closed and empty.
  bool pop(T& item) {
    std::unique_lock<std::mutex> lock(mutex_);
    notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return false;
    item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return true;
  }
  /// Takes the first item where there is one, without waiting.
  bool tryPop(T& item) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (items_.empty()) return false;
    item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return true;
  }
  /// Wakes every waiting thread; later pushes fail, pops drain what is left.
  void close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    notFull_.notify_all();
    notEmpty_.notify_all();
  }

 private:
  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable notFull_;
  std::condition_variable notEmpty_;
  std::deque<T> items_;
  bool closed_ = false;
};

}  // namespace kov
