#pragma once
// The end of a session: signing out of the service the way its page did (submitting the
// page's logout form), and the sequence a worker runs when it gives up on the session. The
// user's own sign-out sequence is the session engine's (app/session_engine.h).
//
// Thread: both run on the calling worker's thread.

namespace quillo {

class HttpLayer;
struct SessionState;

// Signs out of the service and forgets the typed credentials. LogoutTarget then holds the
// service's answer. Its request is not ended by Stopping, which is set by then.
void LogOut(SessionState& state, HttpLayer& http);

// After Stopping is set: drops the pending long poll and ends every other request of the
// session in flight, so the workers see the end at once instead of after their answers.
void InterruptSessionWork(HttpLayer& http);

// A worker gives up: Stopping is set, the session's requests are ended, the buddy-list worker
// is awaited (unless it is the caller), the service is signed out of, and (1, code) is posted.
// Only when Stopping was not set already: a session ends once.
void EndSession(SessionState& state, HttpLayer& http, int code, bool calledByBuddyWorker = false);

} // namespace quillo
