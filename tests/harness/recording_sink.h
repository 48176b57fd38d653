#pragma once
// A front end for engine tests: records every report the workers make (session events,
// message records, typing notices, buddy lists), from any thread, and lets a test wait for
// one. Sent records are handled at once on the sender's thread.

#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "session/session_event.h"

namespace quillo::test {

class RecordingSink : public SessionEventSink {
public:
    struct Typing {
        ContactId from;
        bool typing;
    };
    struct Lists {
        int code;
        BuddyList lines;
    };

    void postEvent(int kind, int code) override;
    using SessionEventSink::postEvent;
    void sendMessage(std::unique_ptr<TMSg> record) override;
    void postTypingNotice(ContactId from, bool typing) override;
    void postBuddyList(int code, BuddyList lines) override;

    // Copies of what arrived so far.
    QList<std::pair<int, int>> events() const;
    QList<TMSg> messages() const;
    QList<Typing> typing() const;
    QList<Lists> buddyLists() const;

    // Waits until check() holds or the time is up.
    bool waitFor(const std::function<bool(const RecordingSink&)>& check,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    bool waitForEvent(int kind, int code,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    bool waitForMessages(qsizetype count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    QList<std::pair<int, int>> events_;
    QList<TMSg> messages_;
    QList<Typing> typing_;
    QList<Lists> lists_;
};

} // namespace quillo::test
