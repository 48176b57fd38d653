#pragma once
// When to sign in again by itself after a session was lost: at once the first time, as a
// person would expect after a short break in the connection, then after longer and longer
// waits, and not at all after that, so that a service that keeps accepting the password but
// ends every session at once is not asked again and again (with an error report each time).
// A session that stayed up a while, or a sign-in the person asks for, starts the count anew.
//
// Thread: one owner. Times are the owner's clock in milliseconds.

#include <QList>
#include <chrono>
#include <optional>

namespace quillo {

class SignInAgainRule {
public:
    using Wait = std::chrono::milliseconds;

    // The waits before each automatic attempt in a row; past the last there is none.
    static inline const QList<Wait> kWaits = {Wait(0), Wait(5000), Wait(30000), Wait(120000)};
    // A session that lasted this long was no failure of the last attempt.
    static constexpr Wait kLastedLongEnough{std::chrono::minutes(2)};

    // A session began (the contact list arrived) at nowMs.
    void sessionStarted(qint64 nowMs) { startedMs_ = nowMs; }
    // The person signed in (or out) themselves: the next loss starts a new count.
    void reset() {
        attempts_ = 0;
        startedMs_.reset();
    }
    // The session was lost at nowMs: how long to wait before signing in again, or nothing when
    // the automatic attempts are spent.
    std::optional<Wait> afterLoss(qint64 nowMs) {
        if (startedMs_ && nowMs - *startedMs_ >= kLastedLongEnough.count())
            attempts_ = 0;
        startedMs_.reset();
        if (attempts_ >= kWaits.size())
            return std::nullopt;
        return kWaits[attempts_++];
    }

private:
    qsizetype attempts_ = 0;
    std::optional<qint64> startedMs_;
};

} // namespace quillo
