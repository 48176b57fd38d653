#include "session/sign_out.h"

#include <QStringList>

#include "session/form_extract.h"
#include "session/http_layer.h"
#include "session/markers.h"
#include "session/session_event.h"
#include "session/session_state.h"

namespace quillo {

void LogOut(SessionState& state, HttpLayer& http) {
    const HttpLayer::OutlastStopping signOutRequest;
    state.Email.clear();
    state.Password.clear();
    QStringList controls;
    ExtractForm(state.LogoutTarget.get(), QString(), controls); // a link gives no controls
    FormFields fields;
    for (auto it = controls.crbegin(); it != controls.crend(); ++it)
        fields.append({NthField(*it, kControlSeparator, 1), NthField(*it, kControlSeparator, 2)});
    state.LogoutTarget.set(http.ServicePost(QStringLiteral("/logout.php"), QString(), fields));
}

void InterruptSessionWork(HttpLayer& http) {
    http.DropChannelConnection();
    http.CancelSessionRequests();
}

void EndSession(SessionState& state, HttpLayer& http, int code, bool calledByBuddyWorker) {
    // The first to end a session ends it: a second worker giving up at the same moment, or one
    // that finds the user already signing out, must not sign out again or report a second end
    // (which could arrive as the outcome of the next sign-in).
    if (state.Stopping.exchange(true))
        return;
    // A long poll of this session must end now, not when its hold runs out: the next sign-in
    // waits for it.
    InterruptSessionWork(http);
    // No buddy-list request may follow the sign-out; with its requests ended, that worker
    // leaves its pause or its request at once.
    if (!calledByBuddyWorker)
        state.BuddyRefreshRunning.waitUntil(false);
    LogOut(state, http);
    state.PollRunning = false;
    if (SessionEventSink* mainWindow = state.MainWindow.load())
        mainWindow->postEvent(static_cast<int>(SessionEventKind::SignIn), code);
}

} // namespace quillo
