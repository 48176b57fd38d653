#pragma once
// The promotional status posts: the user's consent, asked once per account at sign-in, the
// once-a-day "signed in" and "signed out" statuses, the one-time link share, and the
// "chatting with 4 friends" status. The decisions live here; the question is asked by the
// front end (askUser) and the posts go through the social requests.
//
// Thread: the decisions read and write the settings and their store, on the thread that owns
// them (the engine's). The posts block their caller and touch no settings, so an owner decides on
// its own thread and hands the StatusPosts to a worker (MakeStatusPosts).

#include <QString>
#include <atomic>
#include <functional>
#include <optional>

#include "prefs/language_strings.h"

namespace quillo {

class HttpLayer;
class LanguageStrings;
class SettingsStore;
struct SessionState;
struct Settings;

// PromoState: all false at start.
struct PromoState {
    std::atomic<bool> FirstAccountUse{false};
    std::atomic<bool> PostedToday{false};
    std::atomic<bool> ChattingPosted{false};
};

// Everything the decisions read and write.
struct PromoContext {
    SettingsStore& store;
    Settings& settings;
    PromoState& promo;
    SessionState& state;
    HttpLayer& http;
    const LanguageStrings& strings;
};

// The consent step of the Sign in button. askUser shows the msgPromote question and returns
// true for Yes; it runs only the first time an address is used.
void AskStatusConsent(PromoContext& c, const QString& email,
                      const std::function<bool(const QString& question)>& askUser);

// The posts of one moment, as decided: nothing, a status, and the link share.
struct StatusPosts {
    std::optional<LanguageKey> status;
    bool shareLink = false;
};

// At the first buddy list of a session. The day counts as posted from here on, whatever the posts
// then do, so a failing post is not retried all day.
StatusPosts SignInStatusPosts(PromoContext& c);
// When the user signs out, before the sign-out request.
StatusPosts SignOutStatusPosts(const PromoContext& c);
// When the user sends from a conversation tab; tabCount: open conversation tabs. At most once a
// session.
StatusPosts ChattingStatusPosts(PromoContext& c, int tabCount);

// Makes the posts decided, with the name and id of the session in state; blocks until they are
// answered. Any thread.
void MakeStatusPosts(HttpLayer& http, SessionState& state, const LanguageStrings& strings,
                     const StatusPosts& posts);

// A decision and its posts in one go, on the thread that owns the settings.
inline void PostSignInStatus(PromoContext& c) {
    MakeStatusPosts(c.http, c.state, c.strings, SignInStatusPosts(c));
}
inline void PostSignOutStatus(PromoContext& c) {
    MakeStatusPosts(c.http, c.state, c.strings, SignOutStatusPosts(c));
}
inline void PostChattingStatus(PromoContext& c, int tabCount) {
    MakeStatusPosts(c.http, c.state, c.strings, ChattingStatusPosts(c, tabCount));
}

} // namespace quillo
