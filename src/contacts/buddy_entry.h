#pragma once
// BuddyEntry: one contact of a full-form buddy list, read the way the contact tree reads a
// line, so that no front end cuts "O<id>:<name>" lines itself.

#include <QList>
#include <QString>
#include <optional>

#include "session/contact_id.h"
#include "session/session_event.h"

namespace quillo {

struct BuddyEntry {
    ContactId id;
    QString name; // service-escaped, as the list carries it
    bool online = false;

    friend bool operator==(const BuddyEntry&, const BuddyEntry&) = default;
};

// A line of the full form: the head before the first ":" is the status letter ("O" online,
// anything else offline) and the id; the name follows, less one leading blank. Nothing for a
// line without ":" or without a readable id.
std::optional<BuddyEntry> ParseBuddyLine(const QString& line);

// Every readable line, in order.
QList<BuddyEntry> ParseBuddyLines(const BuddyList& lines);

// The ids of an online-form list, in order; lines that are not ids are left out.
QList<ContactId> ParseOnlineIds(const BuddyList& lines);

} // namespace quillo
