#pragma once
// WorkerPool: at most a fixed number of worker threads taking tasks from one queue, in the
// order posted. A role with many small, independent jobs (fetching pictures) gets a bounded
// number of threads however many jobs arrive at once, instead of a thread per job. Threads
// start as the queue needs them, up to the limit, and stay until stop().
//
// Thread: post() and the thread count from any thread; stop() and the destructor from the
// owner's.

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

namespace quillo {

class WorkerPool {
public:
    WorkerPool(QString name, int maxThreads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues task; after stop() it is dropped. A task that throws fails alone.
    void post(std::function<void()> task);

    // Drops the tasks not yet begun and returns once every thread has ended (those under way
    // finish first: make them quick to end, an interrupted download say).
    void stop();

    // The threads started so far; never more than maxThreads.
    int threadCount() const;

private:
    void run();

    const QString name_;
    const int maxThreads_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    int idle_ = 0; // threads waiting for a task
    bool stopping_ = false;
    std::vector<std::unique_ptr<QThread>> threads_;
};

} // namespace quillo
