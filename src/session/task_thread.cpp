#include "session/task_thread.h"

#include "session/handover.h"
#include "session/worker_guard.h"

namespace quillo {

TaskThread::TaskThread(const QString& name)
    : context_(new QObject) {
    thread_.setObjectName(name);
    context_->moveToThread(&thread_);
    // The thread's last deed, seen by stop() once the thread has ended.
    QObject::connect(
        &thread_, &QThread::finished, context_, [this] { HandOver(&thread_); },
        Qt::DirectConnection);
    thread_.start();
}

TaskThread::~TaskThread() {
    stop();
}

void TaskThread::post(std::function<void()> task) {
    // A task that throws fails alone; the loop goes on with the next.
    RunOnThreadOf(context_, [task = std::move(task)] { runGuarded("a queued task", task); });
}

void TaskThread::stop(const std::function<void()>& whileWaiting) {
    if (!context_)
        return;
    thread_.quit();
    while (!thread_.wait(5)) {
        if (whileWaiting)
            whileWaiting();
    }
    TakeOver(&thread_);
    // The thread has ended: the context and the tasks still queued for it go here.
    delete context_;
    context_ = nullptr;
}

} // namespace quillo
