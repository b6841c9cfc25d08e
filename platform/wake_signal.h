// A wake-up that is never lost: a wake() that comes before wait() makes that
// wait return at once. What front ends build waitForEvents on. Any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class WakeSignal {
 public:
  void wake() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      woken_ = true;
    }
    condition_.notify_all();
  }

  // Waits until woken or timeoutMs have passed (-1: no limit); consumes the
  // wake. Returns whether it was woken.
  bool wait(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (timeoutMs < 0) {
      condition_.wait(lock, [this] { return woken_; });
    } else {
      condition_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
    }
    const bool woken = woken_;
    woken_ = false;
    return woken;
  }

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool woken_ = false;
};
