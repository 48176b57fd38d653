#pragma once
// WaitableFlag: a flag that one thread sets and others read, and that a thread can wait on
// instead of sleeping in slices. Stopping is one: a worker in its pause wakes the moment the
// session ends. BuddyRefreshRunning is another: the end of a session waits for it to clear.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quillo {

class WaitableFlag {
public:
    WaitableFlag& operator=(bool value) {
        {
            std::lock_guard lock(mutex_);
            flag_.store(value);
        }
        changed_.notify_all();
        return *this;
    }
    operator bool() const { return flag_.load(); }

    // Sets the flag to value and says what it held before: of several threads that set it at
    // once, exactly one sees false.
    bool exchange(bool value) {
        bool before;
        {
            std::lock_guard lock(mutex_);
            before = flag_.exchange(value);
        }
        changed_.notify_all();
        return before;
    }

    // Waits up to `timeout`; true when the flag is (or becomes) set.
    bool waitFor(std::chrono::milliseconds timeout) const { return waitUntil(true, timeout); }

    // Waits, for as long as it takes, until the flag holds `value`.
    void waitUntil(bool value) const {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this, value] { return flag_.load() == value; });
    }

    // Waits up to `timeout` for the flag to hold `value`; true when it does.
    bool waitUntil(bool value, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this, value] { return flag_.load() == value; });
    }

private:
    std::atomic<bool> flag_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
};

} // namespace quillo
