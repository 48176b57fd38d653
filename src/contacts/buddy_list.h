#pragma once
// Reading the service's answers into a BuddyList (session/session_event.h), by marker search.
//  - full form (BuddyListLoaded): "O" or "X", the id, ":", the service-escaped name; the friend
//    list's order, then online contacts the friend list lacked, in the online set's order;
//  - online form (PresenceChanged): the bare ids of the contacts online now.
// Pure functions.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "session/session_event.h"

namespace quillo {

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

// The service lists at most 5,000 friends, 100 a page.
inline constexpr int kMaxFriendPages = 50;

// The whole friend list, page by page from page 0, read with ReadFriendPage into list and
// pictures. Stops at the first page without any friend, when stopping() is true after a page,
// after kMaxFriendPages pages, or at a page whose answer is the previous one again (a service
// that ignores the page asked for would otherwise be asked for ever); that page adds nothing.
void ReadFriendList(const std::function<QString(int page)>& fetchPage,
                    const std::function<bool()>& stopping, BuddyList& list, QStringList& pictures);

// The "id:url" lines as one block of UTF-8 text, a line each, as the session keeps them: one
// allocation for thousands of friends instead of a string each. A line holding a line break
// is left out (no picture address has one).
QByteArray PackFriendPictures(const QStringList& pictures);

// The picture URL the packed "id:url" lines hold for id (the first line for it), or empty.
QString FriendPictureUrl(const QString& id, const QByteArray& pictures);

} // namespace quillo
