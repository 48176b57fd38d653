#include "channel.h"

namespace quillo::standin {

std::int64_t Channel::Append(Json item) {
    std::int64_t seq = 0;
    {
        std::lock_guard lock(mutex_);
        seq = next_seq_++;
        entries_.push_back({seq, std::move(item)});
        while (entries_.size() > retained_) {
            entries_.pop_front();
        }
        ++generation_;
    }
    changed_.notify_all();
    return seq;
}

std::int64_t Channel::FirstServableLocked() const {
    return entries_.empty() ? next_seq_ : entries_.front().seq;
}

Channel::PollOutcome Channel::Poll(std::int64_t seq, std::chrono::milliseconds hold,
                                   const std::function<bool()>& still_valid) {
    const auto deadline = std::chrono::steady_clock::now() + hold;
    PollOutcome outcome;
    for (;;) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            seen = generation_;
        }
        // Asked without the channel lock: the validity check takes the service's lock, and
        // appending to a channel happens while that lock is not held, so no order is fixed.
        if (!still_valid()) {
            outcome.kind = PollOutcome::Kind::Gone;
            return outcome;
        }
        std::unique_lock lock(mutex_);
        if (shut_down_) {
            outcome.kind = PollOutcome::Kind::Continue;
            return outcome;
        }
        const std::int64_t first = FirstServableLocked();
        if (seq < first || seq > next_seq_) {
            outcome.kind = PollOutcome::Kind::Refresh;
            outcome.seq = seq < first ? first : next_seq_;
            return outcome;
        }
        if (seq < next_seq_) {
            outcome.kind = PollOutcome::Kind::Items;
            outcome.seq = seq;
            for (const Entry& entry : entries_) {
                if (entry.seq >= seq) {
                    outcome.items.push_back(entry.item);
                }
            }
            return outcome;
        }
        if (generation_ == seen) {
            const bool woken = changed_.wait_until(
                lock, deadline, [&] { return generation_ != seen || shut_down_; });
            if (!woken) {
                outcome.kind = PollOutcome::Kind::Continue;
                return outcome;
            }
        }
    }
}

void Channel::DropBacklog() {
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
        ++generation_;
    }
    changed_.notify_all();
}

void Channel::Restart() {
    {
        std::lock_guard lock(mutex_);
        entries_.clear();
        next_seq_ = 0;
        ++generation_;
    }
    changed_.notify_all();
}

void Channel::Wake() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
    }
    changed_.notify_all();
}

void Channel::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        shut_down_ = true;
        ++generation_;
    }
    changed_.notify_all();
}

std::int64_t Channel::NextSeq() const {
    std::lock_guard lock(mutex_);
    return next_seq_;
}

std::vector<std::pair<std::int64_t, Json>> Channel::Snapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<std::int64_t, Json>> out;
    for (const Entry& entry : entries_) {
        out.emplace_back(entry.seq, entry.item);
    }
    return out;
}

} // namespace quillo::standin
