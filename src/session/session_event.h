#pragma once
// SessionEvent: the one report by which every worker tells the front end what happened to the
// session, and the interface the front end implements to receive it.
//
// Kinds 1, 2 and 5 are posted: the worker queues the event and goes on. Kind 3 carries a message
// record and is sent: the worker waits until the front end has handled it, so records arrive one
// at a time and in order, and the record belongs to the front end from then on.

#include <memory>
#include <optional>

#include "chat/message_record.h"

namespace quillo {

enum class SessionEventKind : int { SignIn = 1, Buddies = 2, Message = 3, Banner = 5 };

// The events by name; the pair (kind, code) is what travels.
enum class SessionEventName {
    LoginFailed,
    SignedIn,
    ConnectionLost,
    SessionExpired,
    SignInCancelled,
    StartupCheckFailed,
    NoContacts,
    BuddyListLoaded,
    PresenceChanged,
    MessageArrived,
    BannerReady,
};

struct SessionEventCode {
    int kind;
    int code; // for kind 3 the code is unused: the record travels instead
};

// The (kind, code) that carries an event.
SessionEventCode sessionEventCode(SessionEventName name);

// The event a (kind, code) pair stands for; empty for pairs outside the table, which the
// front end ignores. Any code of kind 3 is MessageArrived.
std::optional<SessionEventName> sessionEventName(int kind, int code);

// Implemented by the front end. Both calls may come from any worker thread.
class SessionEventSink {
public:
    virtual ~SessionEventSink() = default;

    // Queue (kind, code) for the front end's thread and return at once. Events posted by one
    // thread are handled in the order posted.
    virtual void postEvent(int kind, int code) = 0;
    void postEvent(SessionEventName name) {
        const SessionEventCode c = sessionEventCode(name);
        postEvent(c.kind, c.code);
    }

    // Hand a message record (kind 3) to the front end and return once it has been handled.
    // Called on the front end's own thread, it is handled directly.
    virtual void sendMessage(std::unique_ptr<TMSg> record) = 0;
};

} // namespace quillo
