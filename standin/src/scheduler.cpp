#include "scheduler.h"

namespace quillo::standin {

Scheduler::Scheduler()
    : thread_([this] { Run(); }) {}

Scheduler::~Scheduler() {
    Stop();
}

void Scheduler::After(std::chrono::milliseconds delay, std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        jobs_.emplace(std::chrono::steady_clock::now() + delay, std::move(job));
    }
    changed_.notify_all();
}

void Scheduler::Clear() {
    std::lock_guard lock(mutex_);
    jobs_.clear();
}

void Scheduler::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Scheduler::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (jobs_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const auto due = jobs_.begin()->first;
        if (std::chrono::steady_clock::now() < due) {
            changed_.wait_until(lock, due);
            continue;
        }
        std::function<void()> job = std::move(jobs_.begin()->second);
        jobs_.erase(jobs_.begin());
        lock.unlock();
        job();
        lock.lock();
    }
}

} // namespace quillo::standin
