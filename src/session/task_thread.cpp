#include "session/task_thread.h"

namespace quillo {

TaskThread::TaskThread(const QString& name)
    : context_(new QObject) {
    thread_.setObjectName(name);
    context_->moveToThread(&thread_);
    thread_.start();
}

TaskThread::~TaskThread() {
    stop();
}

void TaskThread::post(std::function<void()> task) {
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

void TaskThread::stop(const std::function<void()>& whileWaiting) {
    if (!context_)
        return;
    thread_.quit();
    while (!thread_.wait(5)) {
        if (whileWaiting)
            whileWaiting();
    }
    // The thread has ended: the context and the tasks still queued for it go here.
    delete context_;
    context_ = nullptr;
}

} // namespace quillo
