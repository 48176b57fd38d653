#pragma once
// StopFlag: the one signal by which the end of a session reaches every worker. Reads are a
// plain atomic load; a worker that pauses (the buddy list's three-minute wait) waits on it and
// wakes the moment it is set, instead of sleeping in slices.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quillo {

class StopFlag {
public:
    StopFlag& operator=(bool stopping) {
        {
            std::lock_guard lock(mutex_);
            flag_.store(stopping);
        }
        if (stopping)
            changed_.notify_all();
        return *this;
    }
    operator bool() const { return flag_.load(); }

    // Waits up to `timeout`; true when the flag is (or becomes) set.
    bool waitFor(std::chrono::milliseconds timeout) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return flag_.load(); });
    }

private:
    std::atomic<bool> flag_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
};

} // namespace quillo
