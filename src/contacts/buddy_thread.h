#pragma once
// The buddy-list worker: fetches the friend list and the online set right after sign-in, hands
// the front end the full list, then the online set every three minutes until the session ends.
// Each report carries its own copy of the list, so the next fetch never changes what the front
// end is reading.
//
// Thread: BuddyThread is the body of its own worker, one per session. BuddyRefreshRunning is set
// for its whole life. The three-minute pause ends the moment Stopping is set.

#include <QStringList>
#include <chrono>

#include "contacts/buddy_list.h"

namespace quillo {

class HttpLayer;
class SessionEventSink;
struct SessionState;

struct BuddyThreadTiming {
    std::chrono::milliseconds firstWait{1000};
    std::chrono::milliseconds refreshEvery{180000};
};

// Fills list: with friends the full form, otherwise the online form. False when the buddy-list
// endpoint gave no answer (after four tries the session is ended) or the friend list stayed
// empty four times (NoContacts is posted).
bool FetchBuddyList(SessionState& state, HttpLayer& http, BuddyList& list, bool withFriends);

// Appends the "X" lines of every friend, page by page, and refills FriendPictures.
void FetchFriendList(SessionState& state, HttpLayer& http, BuddyList& list);

// Reports the lists to sink: code 0 (BuddyListLoaded, full form), then 1 (PresenceChanged,
// online form) at every refresh.
void BuddyThread(SessionState& state, HttpLayer& http, SessionEventSink& sink,
                 BuddyThreadTiming timing = {});

} // namespace quillo
