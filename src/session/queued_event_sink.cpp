#include "session/queued_event_sink.h"

#include "session/handover.h"

#include <QCoreApplication>
#include <QThread>

namespace quillo {

QueuedEventSink::QueuedEventSink(SessionEventHandler& handler, QObject* parent)
    : QObject(parent)
    , handler_(handler) {}

void QueuedEventSink::postEvent(int kind, int code) {
    RunOnThreadOf(
        this,
        [this, kind, code] {
            if (!closed_)
                handler_.handleSessionEvent(kind, code);
        },
        Qt::QueuedConnection);
}

void QueuedEventSink::postTypingNotice(ContactId from, bool typing) {
    RunOnThreadOf(
        this,
        [this, from, typing] {
            if (!closed_)
                handler_.handleTypingNotice(from, typing);
        },
        Qt::QueuedConnection);
}

void QueuedEventSink::postBuddyList(int code, BuddyList lines) {
    RunOnThreadOf(
        this,
        [this, code, lines = std::move(lines)] {
            if (!closed_)
                handler_.handleBuddyList(code, lines);
        },
        Qt::QueuedConnection);
}

void QueuedEventSink::sendMessage(std::unique_ptr<TMSg> record) {
    if (closed_)
        return;
    if (QThread::currentThread() == thread()) {
        handler_.handleMessage(std::move(record));
        return;
    }
    // Held by the call: if the call never runs, the record is freed with it.
    auto held = std::make_shared<std::unique_ptr<TMSg>>(std::move(record));
    RunOnThreadOf(
        this,
        [this, held] {
            if (!closed_)
                handler_.handleMessage(std::move(*held));
        },
        Qt::BlockingQueuedConnection);
}

void QueuedEventSink::releaseWaitingWorkers() {
    QCoreApplication::sendPostedEvents(this);
}

} // namespace quillo
