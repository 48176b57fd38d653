#pragma once
// Filling a gap in the channel from a conversation's history. The channel keeps only its last
// few hundred items; when the long poll falls further behind than that, the service answers
// with a later seq and the items in between are gone from the channel. They are still in the
// history of each conversation, which the service keeps longer. These functions pick out of a
// history answer the friend's lines that the poll has not handed on yet. Pure functions.

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "session/message_record.h"

namespace quillo {

struct MissingLines {
    // The friend's lines from after the gap began that were not handed on, oldest first.
    std::vector<std::unique_ptr<TMSg>> lines;
    // The history reaches back to a line from before the gap (one handed on already, or one
    // older than the gap), so nothing of this conversation can be missing beyond `lines`.
    bool reachesBack = false;
};

// From a history answer of the conversation with friendId: the lines written by the friend
// after the newest line that handedOn knows; when handedOn knows none of them, the lines whose
// service time is at least gapStart (ms since 1970). The user's own lines are left out: the
// program showed them when it sent them. shownBefore: lines of this friend were handed on
// before; a history that holds none of them starts after them, inside the gap.
MissingLines FindMissingLines(const QString& historyAnswer, const QString& userId,
                              const QString& friendId,
                              const std::function<bool(const TMSg&)>& handedOn, qint64 gapStart,
                              bool shownBefore);

// The key by which the long poll tells a line it handed on from a new one: the service's
// message id, or sender, time and text for a line without one.
QString HandedOnKey(const TMSg& record);

} // namespace quillo
