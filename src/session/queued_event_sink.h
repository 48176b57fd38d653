#pragma once
// QueuedEventSink: the Qt delivery of the workers' reports to the thread that owns it.
// Thread: the object lives on the receiving thread (where it is created); workers call it from
// theirs. Every report goes into one queue, in the order the workers made them, and the
// receiving thread takes them out a bounded number of message lines per turn of its event loop:
// a burst of thousands of lines never holds that thread for long, and nothing overtakes a line
// that came before it. Posted reports return at once; a sent record waits until it has been
// handled, or is handled directly when the sender already is the receiving thread (waiting on
// the own thread would deadlock). A report that can no longer be delivered is freed, never
// leaked.

#include <QObject>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

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
    // For an owner that waits for its workers after close(): runs, at once, every report still
    // queued, so that a worker blocked on a sent record goes on. Call on the sink's thread.
    void releaseWaitingWorkers();

    // At most this many message lines reach the handler in one turn of the event loop.
    static constexpr qsizetype kLinesPerTurn = 200;

private:
    struct Report {
        std::function<void()> run; // calls the handler unless the sink is closed
        qsizetype lines = 0;
    };
    void enqueue(std::function<void()> run, qsizetype lines = 0);
    // Runs queued reports until lineBudget lines were handed on (-1: until none is left), then
    // asks for another turn if reports remain.
    void drain(qsizetype lineBudget);

    SessionEventHandler& handler_;
    std::atomic<bool> closed_{false};
    std::mutex mutex_;
    std::deque<Report> queue_;
    bool drainPosted_ = false; // a drain is queued on this thread's event loop
};

} // namespace quillo
