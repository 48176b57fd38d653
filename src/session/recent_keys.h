#pragma once
// The keys of the last few thousand messages, for telling a message seen before from a new one
// when the service may hand the same one out twice. Bounded: past its capacity the oldest key
// is forgotten first, so a conversation of any length costs the same.
//
// Thread: one owner.

#include <QHash>
#include <QString>
#include <deque>
#include <utility>

namespace quillo {

class RecentKeys {
public:
    explicit RecentKeys(qsizetype capacity = 4096)
        : capacity_(capacity) {}

    // True when key was not among the recent ones; it is from now on.
    bool insert(const QString& key) {
        if (serials_.contains(key))
            return false;
        serials_.insert(key, ++lastSerial_);
        order_.emplace_back(key, lastSerial_);
        while (qsizetype(serials_.size()) > capacity_)
            forgetOldest();
        // Erased keys leave their entries behind; they go when they outnumber the live ones.
        if (qsizetype(order_.size()) > 2 * capacity_ + 1)
            dropErasedEntries();
        return true;
    }

    // True when key was among the recent ones; it is not any more.
    bool erase(const QString& key) { return serials_.remove(key); }

    bool contains(const QString& key) const { return serials_.contains(key); }
    qsizetype size() const { return serials_.size(); }
    // The entries of the order kept, erased keys' included: at most twice the capacity, plus one.
    qsizetype entriesHeld() const { return qsizetype(order_.size()); }

private:
    bool isCurrent(const QString& key, quint64 serial) const {
        const auto found = serials_.constFind(key);
        return found != serials_.cend() && found.value() == serial;
    }

    void dropErasedEntries() {
        std::erase_if(order_,
                      [this](const auto& entry) { return !isCurrent(entry.first, entry.second); });
    }

    void forgetOldest() {
        while (!order_.empty()) {
            auto [key, serial] = std::move(order_.front());
            order_.pop_front();
            // An entry of a key erased (and maybe inserted again since) is no longer the key's.
            if (isCurrent(key, serial)) {
                serials_.remove(key);
                return;
            }
        }
    }

    qsizetype capacity_;
    quint64 lastSerial_ = 0;
    QHash<QString, quint64> serials_;
    std::deque<std::pair<QString, quint64>> order_; // oldest first; may hold erased keys
};

} // namespace quillo
