#pragma once
// QueuedEventSink: the Qt delivery of the workers' reports to the thread that owns it.
// Thread: the object lives on the receiving thread (where it is created); workers call it from
// theirs. Posted reports become queued calls, handled in the order posted; a large batch of
// lines becomes parts of at most kLinesPerTurn lines, and at most one part is handed on per turn
// of the receiving thread's event loop: a burst of thousands of lines leaves the thread free for
// input and painting between its parts. Reports that come while parts wait are handed on after
// them. A sent record becomes a blocking queued call, or a direct call when the sender already
// is the receiving thread (blocking on the own thread would deadlock); everything posted before
// it is handed on first. A report that can no longer be delivered is freed, never leaked.

#include <QObject>
#include <atomic>
#include <deque>
#include <functional>

#include "session/session_event.h"

namespace quillo {

// What the receiver implements; every call runs on the sink's thread.
class SessionEventHandler {
public:
    virtual ~SessionEventHandler() = default;
    virtual void handleSessionEvent(int kind, int code) = 0;
    // Records in order; a sent record is a batch of one, a large posted batch comes in parts.
    virtual void handleMessages(std::vector<std::unique_ptr<TMSg>> records) = 0;
    virtual void handleMessagesMayBeMissing(const QList<ContactId>& friends) = 0;
    virtual void handleTypingNotice(ContactId from, bool typing) = 0;
    // Kind 2 (BuddyListLoaded, PresenceChanged), with its own copy of the list.
    virtual void handleBuddyList(int code, BuddyList lines) = 0;
};

class QueuedEventSink final : public QObject, public SessionEventSink {
    Q_OBJECT
public:
    explicit QueuedEventSink(SessionEventHandler& handler, QObject* parent = nullptr);

    void postEvent(int kind, int code) override;
    using SessionEventSink::postEvent;
    void sendMessage(std::unique_ptr<TMSg> record) override;
    void postMessages(std::vector<std::unique_ptr<TMSg>> records) override;
    void postMessagesMayBeMissing(QList<ContactId> friends) override;
    void postTypingNotice(ContactId from, bool typing) override;
    void postBuddyList(int code, BuddyList lines) override;

    // From now on nothing reaches the handler (it may be going away); records are freed and
    // workers waiting on a sent record are released as soon as this thread handles its events
    // (see releaseWaitingWorkers).
    void close() { closed_ = true; }
    // For an owner that waits for its workers after close(): hands back, at once, every sent
    // record that a worker is blocked on. Call on the sink's thread.
    void releaseWaitingWorkers();
    // Hands on at once every report that waits for a turn, for an owner about to act on a
    // worker's end: what the worker reported comes first. Call on the sink's thread.
    void handOnWaiting();

    // A posted batch reaches the handler in parts of at most this many lines.
    static constexpr qsizetype kLinesPerTurn = 200;

private:
    struct Report {
        std::function<void()> run;
        bool lines = false; // a part of a batch: one per turn
    };
    // On the receiving thread: a report in the order it came, handed on now or at a later turn.
    void takeIn(std::function<void()> run, bool lines);
    void takeTurn();

    SessionEventHandler& handler_;
    std::atomic<bool> closed_{false};
    // Receiving thread only.
    std::deque<Report> waiting_;
    bool turnTaken_ = false; // a part went on in this turn; a queued call starts the next
};

} // namespace quillo
