#pragma once
// QueuedEventSink: the Qt delivery of session events to a front end.
// Thread: the object lives on the front end's thread (where it is created); workers call it
// from theirs. Posted events become queued calls; a sent record becomes a blocking queued call,
// or a direct call when the sender already is the front end's thread (blocking on the own
// thread would deadlock). A record that can no longer be delivered is freed, never leaked.

#include <QObject>

#include "session/session_event.h"

namespace quillo {

// What a front end implements; both calls run on the front end's thread.
class SessionEventHandler {
public:
    virtual ~SessionEventHandler() = default;
    virtual void handleSessionEvent(int kind, int code) = 0;
    virtual void handleMessage(std::unique_ptr<TMSg> record) = 0;
};

class QueuedEventSink final : public QObject, public SessionEventSink {
    Q_OBJECT
public:
    explicit QueuedEventSink(SessionEventHandler& handler, QObject* parent = nullptr);

    void postEvent(int kind, int code) override;
    using SessionEventSink::postEvent;
    void sendMessage(std::unique_ptr<TMSg> record) override;

private:
    SessionEventHandler& handler_;
};

} // namespace quillo
