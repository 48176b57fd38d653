#pragma once
// Sending a chat message: one form POST to the service's send endpoint, made the way its web
// chat made it, reduced to an outcome. Blocks until the answer arrives; any thread.
// SessionWorkers::sendMessage runs it on a worker and reports the outcome on the front end's
// thread, so no front end has to block on it.

#include <QString>
#include <atomic>

namespace quillo {

class HttpLayer;
struct SessionState;

enum class SendOutcome : int {
    NotSent = 0, // no answer, an error answer, or a failure
    Sent = 1,
    Offline = 2, // the receiver is no longer online; not delivered
};

// The outcome of an answer of the send endpoint.
SendOutcome SendOutcomeOf(const QString& answer);

// text: the message as it should arrive (UTF-8 on the wire).
SendOutcome SendChatMessage(HttpLayer& http, const SessionState& state, const QString& to,
                            const QString& text);

// How the chat window sends: a message that is not sent is retried once at once; when the retry
// fails too, that counts as one failure, and the third failure in a row (a sent or offline
// outcome resets the count) ends the session as a lost connection. A send while the session is
// ending is not made and counts as no failure.
// Thread: send() blocks; one thread at a time uses an instance (the session engine's sender
// worker), so that no window waits on the network.
class ChatSender {
public:
    ChatSender(SessionState& state, HttpLayer& http)
        : state_(state)
        , http_(http) {}

    SendOutcome send(const QString& to, const QString& text);
    // A new session starts counting afresh.
    void reset() { failuresInRow_ = 0; }

    static constexpr int kFailuresBeforeGivingUp = 3;

private:
    SessionState& state_;
    HttpLayer& http_;
    std::atomic<int> failuresInRow_{0};
};

// The recommendation from the contact tree: sent, and once more at once when not sent; when
// the second try fails too, the session ends as a lost connection. Blocks; any thread.
SendOutcome RecommendToBuddy(HttpLayer& http, SessionState& state, const QString& to,
                             const QString& text);

} // namespace quillo
