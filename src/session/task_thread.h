#pragma once
// TaskThread: one long-lived worker thread with an event loop. Tasks posted to it run there one
// at a time, in the order posted, so a role that must keep an order (sending chat messages)
// gets it from the queue itself.
//
// Thread: post() from any thread; stop() and the destructor from the owner's.

#include <QObject>
#include <QThread>
#include <functional>

namespace quillo {

class TaskThread {
public:
    explicit TaskThread(const QString& name);
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    void post(std::function<void()> task);

    // Ends the loop after the task under way; tasks not yet begun are dropped. Returns once the
    // thread has ended, running whileWaiting every few milliseconds until then (an owner that a
    // task may be blocked on releases it there).
    void stop(const std::function<void()>& whileWaiting = {});

private:
    QThread thread_;
    QObject* context_; // lives on thread_; the posted tasks are its events
};

} // namespace quillo
