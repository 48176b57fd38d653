#include "session/queued_event_sink.h"

#include "session/handover.h"

#include <QCoreApplication>
#include <QThread>

namespace quillo {

QueuedEventSink::QueuedEventSink(SessionEventHandler& handler, QObject* parent)
    : QObject(parent)
    , handler_(handler) {}

void QueuedEventSink::postEvent(int kind, int code) {
    RunOnThreadOf(this, [this, kind, code] {
        takeIn(
            [this, kind, code] {
                if (!closed_)
                    handler_.handleSessionEvent(kind, code);
            },
            false);
    });
}

void QueuedEventSink::postTypingNotice(ContactId from, bool typing) {
    RunOnThreadOf(this, [this, from, typing] {
        takeIn(
            [this, from, typing] {
                if (!closed_)
                    handler_.handleTypingNotice(from, typing);
            },
            false);
    });
}

void QueuedEventSink::postBuddyList(int code, BuddyList lines) {
    RunOnThreadOf(this, [this, code, lines = std::move(lines)] {
        takeIn(
            [this, code, lines] {
                if (!closed_)
                    handler_.handleBuddyList(code, lines);
            },
            false);
    });
}

void QueuedEventSink::postMessages(std::vector<std::unique_ptr<TMSg>> records) {
    if (closed_)
        return;
    // In parts of at most kLinesPerTurn lines, each a queued call of its own, handed on one per
    // turn of the receiver's event loop.
    for (size_t from = 0; from < records.size(); from += size_t(kLinesPerTurn)) {
        const size_t to = std::min(records.size(), from + size_t(kLinesPerTurn));
        // Held by the call: if the call never runs, the records are freed with it.
        auto part = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(
            std::make_move_iterator(records.begin() + qsizetype(from)),
            std::make_move_iterator(records.begin() + qsizetype(to)));
        RunOnThreadOf(this, [this, part] {
            takeIn(
                [this, part] {
                    if (!closed_)
                        handler_.handleMessages(std::move(*part));
                },
                true);
        });
    }
}

void QueuedEventSink::postMessagesMayBeMissing(QList<ContactId> friends) {
    RunOnThreadOf(this, [this, friends = std::move(friends)] {
        takeIn(
            [this, friends] {
                if (!closed_)
                    handler_.handleMessagesMayBeMissing(friends);
            },
            false);
    });
}

void QueuedEventSink::sendMessage(std::unique_ptr<TMSg> record) {
    if (closed_)
        return;
    std::vector<std::unique_ptr<TMSg>> batch;
    batch.push_back(std::move(record));
    if (QThread::currentThread() == thread()) {
        handOnWaiting();
        handler_.handleMessages(std::move(batch));
        return;
    }
    // Held by the call: if the call never runs, the record is freed with it.
    auto held = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(std::move(batch));
    RunOnThreadOf(
        this,
        [this, held] {
            handOnWaiting(); // what came before it goes first, at once: a worker waits
            if (!closed_)
                handler_.handleMessages(std::move(*held));
        },
        Qt::BlockingQueuedConnection);
}

void QueuedEventSink::takeIn(std::function<void()> run, bool lines) {
    waiting_.push_back({std::move(run), lines});
    if (!turnTaken_)
        takeTurn();
}

void QueuedEventSink::takeTurn() {
    while (!waiting_.empty()) {
        Report next = std::move(waiting_.front());
        waiting_.pop_front();
        next.run();
        if (next.lines) {
            // The next part waits for the next turn, queued behind what the thread already has
            // to do; the call also lets reports that come meanwhile go on.
            turnTaken_ = true;
            RunOnThreadOf(this, [this] {
                turnTaken_ = false;
                takeTurn();
            });
            return;
        }
    }
}

void QueuedEventSink::handOnWaiting() {
    while (!waiting_.empty()) {
        Report next = std::move(waiting_.front());
        waiting_.pop_front();
        next.run();
    }
}

void QueuedEventSink::releaseWaitingWorkers() {
    QCoreApplication::sendPostedEvents(this);
}

} // namespace quillo
