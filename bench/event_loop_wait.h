#pragma once
// Waiting on the GUI thread in the window benchmarks: the event loop turns (as
// QApplication::exec would) until a condition holds, so nothing measured is delayed by a sleep.

#include <QEventLoop>
#include <QTimer>
#include <functional>

// Runs the GUI thread's event loop until done() holds or timeoutMs passes.
inline bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(2);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return done();
}

inline void runFor(int ms) {
    runUntil([] { return false; }, ms);
}
