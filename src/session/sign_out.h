#pragma once
// The end of a session: signing out of the service the way its page did (submitting the
// page's logout form), and the sequence a worker runs when it gives up on the session.
//
// Thread: LogOut and EndSession run on the calling worker's thread; BeginSignOut on the front
// end's, which then waits (without blocking its event loop) for WorkersStopped before LogOut.

namespace quillo {

class HttpLayer;
struct SessionState;

// Signs out of the service and forgets the typed credentials. LogoutTarget then holds the
// service's answer.
void LogOut(SessionState& state, HttpLayer& http);

// A worker gives up: Stopping is set, the buddy-list worker is awaited (unless it is the
// caller), the service is signed out of, and (1, code) is posted.
void EndSession(SessionState& state, HttpLayer& http, int code, bool calledByBuddyWorker = false);

// The user's sign-out, first half: stop the workers and drop a pending long poll.
void BeginSignOut(SessionState& state, HttpLayer& http);
// True once the long-poll and buddy-list workers have ended.
bool WorkersStopped(const SessionState& state);

} // namespace quillo
