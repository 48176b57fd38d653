#pragma once
// SessionState: the one record of the session that the workers and the front end share.
// One instance lives for the whole process (the front end owns it and hands it to every worker
// by reference). Texts are service-escaped where noted and empty when unknown.
//
// Threads: flags and counters are atomics, each written by one side and read by the other.
// Texts are SharedValue: replaced as a whole, never seen half-written. Nothing here is written
// to disk except Email and Password, by the settings store when the user asks for it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>

#include "session/shared_value.h"
#include "session/waitable_flag.h"

namespace quillo {

class SessionEventSink;

using SharedText = SharedValue<QString>;

struct SessionState {
    // Credentials as typed on the login page (or loaded from the settings store).
    SharedText Email;
    SharedText Password;

    // Identity and tokens, cut out of the signed-in home page; meaningful after SignedIn only.
    SharedText UserId;     // decimal digits; 64-bit ids
    SharedText FullName;   // service-escaped
    SharedText FirstName;  // FullName up to its first space
    SharedText PostFormId; // post_form_id token of every AJAX request
    SharedText Dtsg;       // fb_dtsg token
    SharedText PictureUrl; // the user's own picture

    SharedText ChannelName;  // "channel" and its number
    SharedText ChannelUrl;   // Referer of every long poll
    SharedText LogoutTarget; // the logout link, or the inner text of the logout form
    SharedText HomePage;     // page that followed the credential POST, until history is replayed

    SharedText PresenceMillis; // presence cookie times (decimal)
    SharedText PresenceSeconds;

    // Receiver of every session event; set before the first event can be posted.
    std::atomic<SessionEventSink*> MainWindow{nullptr};

    WaitableFlag Stopping;                   // the session is ending; workers stop
    std::atomic<bool> PollRunning{false};    // the long-poll worker is alive
    WaitableFlag BuddyRefreshRunning;        // the buddy-list worker is alive
    std::atomic<bool> CancelSignIn{false};   // the user pressed Cancel during sign-in
    std::atomic<bool> HistoryLoading{false}; // the history replay is fetching

    std::atomic<int> ReconnectCount{0}; // consecutive reconnects of the long poll
    std::atomic<int> ExpiryCount{0};    // SessionExpired events seen by this process

    SharedText BuddyTail; // user-information part of the last buddy answer
    // "id:url" lines of the last friend-list fetch, one UTF-8 block (contacts/buddy_list.h).
    SharedValue<QByteArray> FriendPictures;
};

} // namespace quillo
