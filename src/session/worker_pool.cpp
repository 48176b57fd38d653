#include "session/worker_pool.h"

#include <QThread>
#include <algorithm>

#include "session/handover.h"
#include "session/worker_guard.h"

namespace quillo {

WorkerPool::WorkerPool(QString name, int maxThreads)
    : name_(std::move(name))
    , maxThreads_(std::max(1, maxThreads)) {}

WorkerPool::~WorkerPool() {
    stop();
}

// The marks restate the order the lock gives, as MarkedLockGuard does (handover.h); the waits on
// the condition take the lock again inside the wait, so this lock is marked by hand.
void WorkerPool::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        TakeOver(this);
        if (stopping_)
            return;
        queue_.push_back(std::move(task));
        // A thread more only when every one is busy: a queue that idle threads can take from
        // needs none.
        if (idle_ < static_cast<int>(queue_.size()) &&
            static_cast<int>(threads_.size()) < maxThreads_) {
            auto thread = std::unique_ptr<QThread>(QThread::create([this] { run(); }));
            thread->setObjectName(name_);
            thread->start();
            threads_.push_back(std::move(thread));
        }
        HandOver(this);
    }
    wake_.notify_one();
}

void WorkerPool::run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            ++idle_;
            wake_.wait(lock, [this] {
                TakeOver(this);
                return stopping_ || !queue_.empty();
            });
            --idle_;
            const bool stopping = stopping_;
            if (!stopping) {
                task = std::move(queue_.front());
                queue_.pop_front();
            }
            HandOver(this);
            if (stopping)
                break;
        }
        runGuarded("a pooled task", task);
    }
    // The thread's last deed, seen by stop() once it has ended.
    HandOver(QThread::currentThread());
}

void WorkerPool::stop() {
    std::vector<std::unique_ptr<QThread>> threads;
    std::deque<std::function<void()>> dropped; // let go of outside the lock
    {
        std::lock_guard lock(mutex_);
        TakeOver(this);
        stopping_ = true;
        dropped.swap(queue_);
        threads.swap(threads_);
        HandOver(this);
    }
    wake_.notify_all();
    for (const std::unique_ptr<QThread>& thread : threads) {
        thread->wait();
        TakeOver(thread.get());
    }
}

int WorkerPool::threadCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(threads_.size());
}

} // namespace quillo
