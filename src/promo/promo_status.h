#pragma once
// The promotional status posts: the user's consent, asked once per account at sign-in, the
// once-a-day "signed in" and "signed out" statuses, the one-time link share, and the
// "chatting with 4 friends" status. The decisions live here; the question is asked by the
// front end (askUser) and the posts go through the social requests.
//
// Thread: the front end's thread (the consent and the store); the posts block their caller, so
// a front end may run PostSignInStatus and friends on a worker.

#include <QString>
#include <atomic>
#include <functional>

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

// At the first buddy list of a session.
void PostSignInStatus(PromoContext& c);
// When the user signs out, before the sign-out request.
void PostSignOutStatus(PromoContext& c);
// When the user sends from a conversation tab; tabCount: open conversation tabs.
void PostChattingStatus(PromoContext& c, int tabCount);

} // namespace quillo
