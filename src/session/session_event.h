#pragma once
// SessionEvent: the one report by which every worker tells the front end what happened to the
// session, and the interface through which the workers deliver it.
//
// Kinds 1, 2 and 5 are posted: the worker queues the event and goes on. Kind 3 carries message
// records. The history replay sends them one at a time and waits until each is handled; the long
// poll posts each answer's records as one batch and goes on polling, so that a slow window never
// keeps it from the channel. Either way records arrive in order, each once, and belong to the
// front end from then on. Typing notices and buddy lists are posted too; each list is the
// receiver's own copy.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "session/contact_id.h"
#include "session/message_record.h"

namespace quillo {

// The contacts as text lines. Full form (BuddyListLoaded): "O" or "X", the id, ":", the
// service-escaped name. Online form (PresenceChanged): the bare ids of the contacts online now.
using BuddyList = QStringList;

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

// The event's name for scripts and logs ("signed_in", "connection_lost", ...).
QString sessionEventKey(SessionEventName name);

// Where the workers report. Every call may come from any worker thread.
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

    // Message records (kind 3) for the front end, in order, queued as one batch; returns at once.
    // The default hands them over one at a time through sendMessage.
    virtual void postMessages(std::vector<std::unique_ptr<TMSg>> records) {
        for (std::unique_ptr<TMSg>& record : records)
            sendMessage(std::move(record));
    }

    // The channel dropped lines that the service's history could not give back: the
    // conversations with these friends may miss some. Posted, after the lines that were found.
    virtual void postMessagesMayBeMissing(QList<ContactId> friends) { Q_UNUSED(friends); }

    // A friend started (true) or stopped typing. Posted.
    virtual void postTypingNotice(ContactId from, bool typing) = 0;

    // Kind 2: code 0 (BuddyListLoaded, full form) or 1 (PresenceChanged, online form). Posted.
    virtual void postBuddyList(int code, BuddyList lines) = 0;
};

} // namespace quillo
