#pragma once
// QueuedEventSink: the Qt delivery of session events to a front end.
// Thread: the object lives on the front end's thread (where it is created); workers call it
// from theirs. Posted events become queued calls; a sent record becomes a blocking queued call,
// or a direct call when the sender already is the front end's thread (blocking on the own
// thread would deadlock). A record that can no longer be delivered is freed, never leaked.

#include <QObject>
#include <atomic>

#include "chat/typing_notice.h"
#include "contacts/buddy_thread.h"
#include "session/session_event.h"

namespace quillo {

// What a front end implements; both calls run on the front end's thread.
class SessionEventHandler {
public:
    virtual ~SessionEventHandler() = default;
    virtual void handleSessionEvent(int kind, int code) = 0;
    virtual void handleMessage(std::unique_ptr<TMSg> record) = 0;
    virtual void handleTypingNotice(qint64 /*from*/, bool /*typing*/) {}
    // Kind 2 (BuddyListLoaded, PresenceChanged) arrives here, with its own copy of the list.
    virtual void handleBuddyList(int /*code*/, BuddyList /*lines*/) {}
};

class QueuedEventSink final : public QObject,
                              public SessionEventSink,
                              public TypingNoticeSink,
                              public BuddyListSink {
    Q_OBJECT
public:
    explicit QueuedEventSink(SessionEventHandler& handler, QObject* parent = nullptr);

    void postEvent(int kind, int code) override;
    using SessionEventSink::postEvent;
    void sendMessage(std::unique_ptr<TMSg> record) override;
    void postTypingNotice(qint64 from, bool typing) override;
    void postBuddyList(int code, BuddyList lines) override;

    // From now on nothing reaches the handler (it may be going away); records are freed and
    // workers waiting on a sent record are released as soon as this thread handles its events.
    void close() { closed_ = true; }

private:
    SessionEventHandler& handler_;
    std::atomic<bool> closed_{false};
};

} // namespace quillo
