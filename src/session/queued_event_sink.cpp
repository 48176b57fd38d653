#include "session/queued_event_sink.h"

#include "session/handover.h"

#include <QThread>
#include <future>

namespace quillo {

QueuedEventSink::QueuedEventSink(SessionEventHandler& handler, QObject* parent)
    : QObject(parent)
    , handler_(handler) {}

void QueuedEventSink::enqueue(std::function<void()> run, qsizetype lines) {
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({std::move(run), lines});
        post = !std::exchange(drainPosted_, true);
    }
    if (post)
        RunOnThreadOf(
            this, [this] { drain(kLinesPerTurn); }, Qt::QueuedConnection);
}

void QueuedEventSink::drain(qsizetype lineBudget) {
    qsizetype handed = 0;
    for (;;) {
        Report next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                drainPosted_ = false;
                return;
            }
            if (lineBudget >= 0 && handed >= lineBudget)
                break; // the rest in the next turn: input and painting come between
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        handed += next.lines;
        next.run();
    }
    RunOnThreadOf(
        this, [this] { drain(kLinesPerTurn); }, Qt::QueuedConnection);
}

void QueuedEventSink::postEvent(int kind, int code) {
    enqueue([this, kind, code] {
        if (!closed_)
            handler_.handleSessionEvent(kind, code);
    });
}

void QueuedEventSink::postTypingNotice(ContactId from, bool typing) {
    enqueue([this, from, typing] {
        if (!closed_)
            handler_.handleTypingNotice(from, typing);
    });
}

void QueuedEventSink::postBuddyList(int code, BuddyList lines) {
    enqueue([this, code, lines = std::move(lines)] {
        if (!closed_)
            handler_.handleBuddyList(code, lines);
    });
}

void QueuedEventSink::postMessages(std::vector<std::unique_ptr<TMSg>> records) {
    if (closed_)
        return;
    // In parts, so that one turn of the event loop hands on at most kLinesPerTurn lines.
    for (size_t from = 0; from < records.size(); from += size_t(kLinesPerTurn)) {
        const size_t to = std::min(records.size(), from + size_t(kLinesPerTurn));
        // Held by the report: if it never runs, the records are freed with it.
        auto part = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(
            std::make_move_iterator(records.begin() + qsizetype(from)),
            std::make_move_iterator(records.begin() + qsizetype(to)));
        enqueue(
            [this, part] {
                if (!closed_)
                    handler_.handleMessages(std::move(*part));
            },
            qsizetype(to - from));
    }
}

void QueuedEventSink::postMessagesMayBeMissing(QList<ContactId> friends) {
    enqueue([this, friends = std::move(friends)] {
        if (!closed_)
            handler_.handleMessagesMayBeMissing(friends);
    });
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
    auto held = std::make_shared<std::vector<std::unique_ptr<TMSg>>>(std::move(batch));
    auto handled = std::make_shared<std::promise<void>>();
    std::future<void> done = handled->get_future();
    // The report runs (or is dropped with the queue) exactly once; either way the worker goes
    // on when the report is destroyed, which its last owner of `release` does.
    std::shared_ptr<void> release(nullptr, [handled](void*) { handled->set_value(); });
    enqueue(
        [this, held, release] {
            if (!closed_)
                handler_.handleMessages(std::move(*held));
        },
        1);
    release.reset();
    done.wait();
}

void QueuedEventSink::releaseWaitingWorkers() {
    drain(-1);
}

} // namespace quillo
