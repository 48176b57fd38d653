#pragma once
// Signing in: a replay of what a browser did on the service's web host. SignInThread fetches
// the root page, submits its login form with the typed credentials (only to an action that
// loginPostTarget accepts; any other fails as LoginFailed with nothing sent), cuts the session's
// identity, tokens, picture, logout target and channel out of the answer into SessionState,
// and reports exactly one event of kind 1.
//
// Thread: SignInThread runs on its own worker thread, one per attempt; the hooks run there too.

#include <QString>
#include <functional>

namespace quillo {

class HttpLayer;
class SessionEventSink;
struct SessionState;

// The parts of signing in that belong to others.
struct SignInHooks {
    std::function<bool()> startupCheck;              // true when the public address is known
    std::function<void()> startBannerOnce;           // the banner worker, once per process
    std::function<void(const QString&)> showPicture; // the user's own picture, when found
};

// The input check of the Sign in button: both fields filled and an "@" after the first
// character of the e-mail address.
bool CheckSignInInput(const QString& email, const QString& password);

// The whole attempt; posts LoginFailed, SignedIn, ConnectionLost, SignInCancelled or
// StartupCheckFailed to mainWindow, exactly one of them.
void SignInThread(SessionState& state, HttpLayer& http, SessionEventSink* mainWindow,
                  const SignInHooks& hooks);

} // namespace quillo
