// A small bounded queue between the renderer and the encoder, so that both
// cores work and memory stays flat. Either side can close it: the other then
// sees the end instead of waiting for ever.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

template <typename T> class BoundedQueue {
  public:
    explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

    // Waits for room; false when the queue was closed.
    bool Push(T item) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_) {
            return false;
        }
        items_.push_back(std::move(item));
        changed_.notify_all();
        return true;
    }

    // Waits for an item; false once the queue is closed and empty.
    bool Pop(T& item) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (items_.empty()) {
            return false;
        }
        item = std::move(items_.front());
        items_.pop_front();
        changed_.notify_all();
        return true;
    }

    // No more pushes; what is queued can still be popped.
    void Close() {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

  private:
    std::size_t capacity_;
    std::deque<T> items_;
    bool closed_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
};
