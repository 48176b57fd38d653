#pragma once
// BuddyList: the contacts as text lines, in the two forms the front end reads.
//  - full form (BuddyListLoaded): "O" or "X", the id, ":", the service-escaped name; the friend
//    list's order, then online contacts the friend list lacked, in the online set's order;
//  - online form (PresenceChanged): the bare ids of the contacts online now.
// Reading the service's answers into them, by marker search. Pure functions.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillo {

using BuddyList = QStringList;

// The ids of the online set of a buddy-list answer ("nowAvailableList"), in order, and the
// user-information text that follows it (BuddyTail). found is false when either marker is
// missing; the ids read so far are kept.
struct OnlineSet {
    bool found = false;
    QStringList ids;
    QString tail;
};
OnlineSet OnlineSetOf(const QString& answer);

// Marks the online ids in a full-form list: every line for the id becomes "O"; an online id
// with no line is added as "O" id ":" name when the tail names it. Linear in the sizes of the
// list and the set.
void MarkOnline(BuddyList& list, const QStringList& onlineIds, const QString& tail);

// The name of contact id in the user-information text ("<id>":{"name":"..."), still escaped,
// or empty.
QString NameFromBuddyTail(const QString& id, const QString& tail);

// One page of the friend list: "X" lines for the list and "id:url" lines for the pictures.
// False when the page holds no friend at all (no "title"), which ends the fetch.
bool ReadFriendPage(const QString& answer, BuddyList& list, QStringList& pictures);

// The picture URL the "id:url" lines hold for id, or empty.
QString FriendPictureUrl(const QString& id, const QStringList& pictures);

} // namespace quillo
