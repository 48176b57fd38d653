#pragma once
// SessionWorkers: starts the workers of a session (sign-in, buddy list, long poll, history
// replay) and runs the user's sign-out, for any front end. Each worker reports through the
// session's sinks; this object only starts them, tracks them, and on destruction stops the
// session and waits for them, so no worker outlives the state it uses.
//
// Thread: lives on the front end's thread; every method is called there. Completion callbacks
// run there too.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <deque>
#include <functional>

#include "chat/history.h"
#include "chat/send_message.h"
#include "contacts/buddy_thread.h"
#include "session/sign_in.h"

namespace quillo {

class HttpLayer;
class QueuedEventSink;
struct SessionState;

class SessionWorkers final : public QObject {
    Q_OBJECT
public:
    SessionWorkers(SessionState& state, HttpLayer& http, QueuedEventSink& sink,
                   QObject* parent = nullptr);
    ~SessionWorkers() override;

    // Clears Stopping and CancelSignIn, then runs one sign-in attempt.
    void startSignIn(SignInHooks hooks);
    void startBuddyList(BuddyThreadTiming timing = {});
    // Only when the session has a channel; false otherwise.
    bool startPoll();
    void startHistoryReplay(const QString& homePage, EscapedNameLookup escapedName,
                            std::function<void()> done = {});

    // The user's sign-out: stops the workers, drops a pending long poll, waits (without
    // blocking the event loop) until the long poll and the buddy list have ended, then signs out
    // of the service on a worker and calls done. No session event is posted.
    void signOut(std::function<void()> done);

    // Sends one chat message through sender on a worker; done gets the outcome on this thread.
    // Messages go out one at a time in the order they were given, so a quick second message
    // never overtakes the first.
    void sendMessage(ChatSender& sender, const QString& to, const QString& text,
                     std::function<void(SendOutcome)> done);

    // Runs body on a tracked worker thread; done (if any) runs on this thread afterwards.
    void run(std::function<void()> body, std::function<void()> done = {});

private:
    struct PendingSend {
        ChatSender* sender;
        QString to;
        QString text;
        std::function<void(SendOutcome)> done;
    };
    void sendNext();

    SessionState& state_;
    HttpLayer& http_;
    QueuedEventSink& sink_;
    QList<QPointer<QThread>> threads_;
    std::deque<PendingSend> sends_;
    bool sending_ = false;
};

} // namespace quillo
