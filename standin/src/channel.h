#pragma once
// One user's channel: the numbered queue of items (messages and typing notices) that the
// channel host hands out to long polls. Thread-safe: items are appended from request and
// scheduler threads while long polls wait on other request threads. Owned by the service
// state through shared pointers, so a poll in progress keeps its channel alive.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "service_json.h"

namespace quillo::standin {

class Channel {
public:
    struct PollOutcome {
        enum class Kind {
            Items,    // items from the asked seq on
            Continue, // nothing arrived in the hold time
            Refresh,  // the asked seq cannot be served; resume at seq
            Gone,     // the poll is no longer valid (session over, channel moved)
        };
        Kind kind = Kind::Continue;
        std::vector<Json> items;
        std::int64_t seq = 0;
    };

    explicit Channel(std::size_t retained = 200)
        : retained_(retained) {}

    // Numbers the item and wakes the polls that wait for it; returns its seq.
    std::int64_t Append(Json item);

    // Answers at once when items from seq on wait, or when seq cannot be served; otherwise
    // waits up to hold for the next item. still_valid is asked before every look, without the
    // channel's lock held.
    PollOutcome Poll(std::int64_t seq, std::chrono::milliseconds hold,
                     const std::function<bool()>& still_valid);

    // Forgets the waiting items; numbering goes on (a new sign-in starts from the next seq).
    void DropBacklog();
    // Back to seq 0 with nothing waiting.
    void Restart();
    // Makes waiting polls look again (their session or channel may have changed).
    void Wake();
    // Ends every waiting poll with Continue and every later one at once.
    void Shutdown();

    std::int64_t NextSeq() const;
    std::vector<std::pair<std::int64_t, Json>> Snapshot() const;

private:
    struct Entry {
        std::int64_t seq;
        Json item;
    };

    std::int64_t FirstServableLocked() const;

    const std::size_t retained_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> entries_;
    std::int64_t next_seq_ = 0;
    std::uint64_t generation_ = 0;
    bool shut_down_ = false;
};

} // namespace quillo::standin
