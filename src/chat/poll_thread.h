#pragma once
// The long-poll worker: keeps one request open on the user's channel host, hands every message
// of every answer to the front end once, posts typing notices, follows the channel when it
// moves, and ends the session when the channel is lost or the service says the user must sign
// in again. When it fell so far behind that the channel dropped items, it asks the histories of
// the conversations for the lines in between (chat/gap_fill.h).
//
// Thread: PollThread is the body of its own worker, one per session; it reports through
// SessionState::MainWindow: each answer's messages posted as one batch, never waited for;
// typing notices and session ends posted. PollRunning is set for its whole life. It keeps the
// channel client it started with.

namespace quillo {

class HttpLayer;
struct SessionState;

void PollThread(SessionState& state, HttpLayer& http);

} // namespace quillo
