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

void QueuedEventSink::postMessages(std::vector<std::unique_ptr<TMSg>> records) {
    if (closed_)
        return;
    // In parts of at most kLinesPerTurn lines, each a queued call of its own: the receiver
    // hands each part on as it comes, and its own slicing keeps the thread free.
    for (size_t from = 0; from < records.size(); from += size_t(kLinesPerTurn)) {
        const size_t to = std::min(records.size(), from + size_t(kLinesPerTurn));
        // Held by the call: if the call never runs, the records are freed with it.
        auto part = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(
            std::make_move_iterator(records.begin() + qsizetype(from)),
            std::make_move_iterator(records.begin() + qsizetype(to)));
        RunOnThreadOf(
            this,
            [this, part] {
                if (!closed_)
                    handler_.handleMessages(std::move(*part));
            },
            Qt::QueuedConnection);
    }
}

void QueuedEventSink::postMessagesMayBeMissing(QList<ContactId> friends) {
    RunOnThreadOf(
        this,
        [this, friends = std::move(friends)] {
            if (!closed_)
                handler_.handleMessagesMayBeMissing(friends);
        },
        Qt::QueuedConnection);
}

void QueuedEventSink::sendMessage(std::unique_ptr<TMSg> record) {
    if (closed_)
        return;
    std::vector<std::unique_ptr<TMSg>> batch;
    batch.push_back(std::move(record));
    if (QThread::currentThread() == thread()) {
        handler_.handleMessages(std::move(batch));
        return;
    }
    // Held by the call: if the call never runs, the record is freed with it.
    auto held = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(std::move(batch));
    RunOnThreadOf(
        this,
        [this, held] {
            if (!closed_)
                handler_.handleMessages(std::move(*held));
        },
        Qt::BlockingQueuedConnection);
}

void QueuedEventSink::releaseWaitingWorkers() {
    QCoreApplication::sendPostedEvents(this);
}

} // namespace quillo
