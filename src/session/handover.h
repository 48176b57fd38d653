#pragma once
// Handing work to another thread's event loop. Every crossing of threads in the engine goes
// through here, so that a ThreadSanitizer build sees the order Qt's own queue gives: Qt is not
// built with the tool, and without these marks every value handed over would look like a race.
// In other builds the marks are nothing.
//
// Thread: any.

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define QUILLO_TSAN_RELEASE(key) __tsan_release(const_cast<void*>(static_cast<const void*>(key)))
#define QUILLO_TSAN_ACQUIRE(key) __tsan_acquire(const_cast<void*>(static_cast<const void*>(key)))
#else
#define QUILLO_TSAN_RELEASE(key) ((void)(key))
#define QUILLO_TSAN_ACQUIRE(key) ((void)(key))
#endif

namespace quillo {

// What the current thread did so far happens before what a thread does after TakeOver(key).
inline void HandOver(const void* key) {
    QUILLO_TSAN_RELEASE(key);
}
inline void TakeOver(const void* key) {
    QUILLO_TSAN_ACQUIRE(key);
}

// A lock_guard that restates, for ThreadSanitizer, the order its mutex gives. With Qt's own calls
// left out of the tool's view (tests/tsan.supp), GCC 12's runtime at times misses the main
// thread's locking of a mutex, and then reports what the mutex guards as a race with a worker.
template <typename Mutex>
class MarkedLockGuard {
public:
    explicit MarkedLockGuard(Mutex& mutex)
        : lock_(mutex) {
        TakeOver(&mutex);
    }
    ~MarkedLockGuard() { HandOver(lock_.mutex()); }
    MarkedLockGuard(const MarkedLockGuard&) = delete;
    MarkedLockGuard& operator=(const MarkedLockGuard&) = delete;

private:
    std::unique_lock<Mutex> lock_;
};

// Runs task on receiver's thread: queued (type Qt::QueuedConnection), or waiting for it to end
// (Qt::BlockingQueuedConnection, after which what task did happens before the caller goes on).
inline void RunOnThreadOf(QObject* receiver, std::function<void()> task,
                          Qt::ConnectionType type = Qt::QueuedConnection) {
    auto held = std::make_shared<std::function<void()>>(std::move(task));
    HandOver(held.get());
    QMetaObject::invokeMethod(
        receiver,
        [held] {
            TakeOver(held.get());
            (*held)();
            HandOver(held.get());
        },
        type);
    if (type == Qt::BlockingQueuedConnection)
        TakeOver(held.get());
}

} // namespace quillo
