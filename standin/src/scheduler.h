#pragma once
// Runs small jobs later on one thread of its own (the bots' typing and answers). Thread-safe;
// the owner stops it before destroying what the jobs touch. Jobs still pending at Stop are
// dropped.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace quillo::standin {

class Scheduler {
public:
    Scheduler();
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void After(std::chrono::milliseconds delay, std::function<void()> job);
    // Drops what is pending; jobs already running finish first.
    void Clear();
    void Stop();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace quillo::standin
