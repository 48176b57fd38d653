#include "session/sign_out.h"

#include <QStringList>
#include <QThread>

#include "session/form_extract.h"
#include "session/http_layer.h"
#include "session/markers.h"
#include "session/session_event.h"
#include "session/session_state.h"

namespace quillo {

void LogOut(SessionState& state, HttpLayer& http) {
    state.Email.clear();
    state.Password.clear();
    QStringList controls;
    ExtractForm(state.LogoutTarget.get(), QString(), controls); // a link gives no controls
    FormFields fields;
    for (auto it = controls.crbegin(); it != controls.crend(); ++it)
        fields.append({NthField(*it, kControlSeparator, 1), NthField(*it, kControlSeparator, 2)});
    state.LogoutTarget.set(http.ServicePost(QStringLiteral("/logout.php"), QString(), fields));
}

void EndSession(SessionState& state, HttpLayer& http, int code, bool calledByBuddyWorker) {
    state.Stopping = true;
    // No buddy-list request may follow the sign-out; that worker ends within one request.
    while (!calledByBuddyWorker && state.BuddyRefreshRunning)
        QThread::msleep(100);
    LogOut(state, http);
    state.PollRunning = false;
    if (SessionEventSink* mainWindow = state.MainWindow.load())
        mainWindow->postEvent(static_cast<int>(SessionEventKind::SignIn), code);
}

void BeginSignOut(SessionState& state, HttpLayer& http) {
    state.Stopping = true;
    http.DropChannelConnection();
}

bool WorkersStopped(const SessionState& state) {
    return !state.PollRunning && !state.BuddyRefreshRunning;
}

} // namespace quillo
