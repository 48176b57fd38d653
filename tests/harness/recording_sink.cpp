#include "harness/recording_sink.h"

namespace quillo::test {

void RecordingSink::postEvent(int kind, int code) {
    {
        std::lock_guard lock(mutex_);
        events_.append({kind, code});
    }
    changed_.notify_all();
}

void RecordingSink::sendMessage(std::unique_ptr<TMSg> record) {
    {
        std::lock_guard lock(mutex_);
        messages_.append(*record);
    }
    changed_.notify_all();
}

void RecordingSink::postTypingNotice(ContactId from, bool typing) {
    {
        std::lock_guard lock(mutex_);
        typing_.append({from, typing});
    }
    changed_.notify_all();
}

void RecordingSink::postBuddyList(int code, BuddyList lines) {
    {
        std::lock_guard lock(mutex_);
        lists_.append({code, std::move(lines)});
    }
    changed_.notify_all();
}

QList<std::pair<int, int>> RecordingSink::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

QList<TMSg> RecordingSink::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

QList<RecordingSink::Typing> RecordingSink::typing() const {
    std::lock_guard lock(mutex_);
    return typing_;
}

QList<RecordingSink::Lists> RecordingSink::buddyLists() const {
    std::lock_guard lock(mutex_);
    return lists_;
}

bool RecordingSink::waitFor(const std::function<bool(const RecordingSink&)>& check,
                            std::chrono::milliseconds timeout) const {
    // The check reads through the public accessors, which take the lock themselves; wake on
    // every report, and look again at least every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!check(*this)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(20));
    }
    return true;
}

bool RecordingSink::waitForEvent(int kind, int code, std::chrono::milliseconds timeout) const {
    return waitFor(
        [&](const RecordingSink& s) {
            return s.events().contains({kind, code});
        },
        timeout);
}

bool RecordingSink::waitForMessages(qsizetype count, std::chrono::milliseconds timeout) const {
    return waitFor([&](const RecordingSink& s) { return s.messages().size() >= count; }, timeout);
}

} // namespace quillo::test
