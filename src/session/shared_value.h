#pragma once
// A value that several threads read and one replaces: every read sees either the old or the
// new value as a whole, never a half-written one. Reads hand out a copy (QString and QStringList
// copies are cheap, implicitly shared).

#include <QMutex>
#include <QMutexLocker>
#include <utility>

namespace quillo {

template <typename T>
class SharedValue {
public:
    SharedValue() = default;
    SharedValue(const SharedValue&) = delete;
    SharedValue& operator=(const SharedValue&) = delete;

    T get() const {
        QMutexLocker lock(&mutex_);
        return value_;
    }
    void set(T value) {
        QMutexLocker lock(&mutex_);
        std::swap(value_, value); // the old value is released outside the lock
        lock.unlock();
    }
    void clear() { set(T{}); }

    // Changes the value in place under the lock; for appends that must not race other appends.
    template <typename F>
    void update(F&& change) {
        QMutexLocker lock(&mutex_);
        change(value_);
    }

private:
    mutable QMutex mutex_;
    T value_{};
};

} // namespace quillo
