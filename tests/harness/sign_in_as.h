#pragma once
// Signing a demo account in through the engine, for tests and benchmarks that start from a
// live session.

#include <QString>

namespace quillo {
class HttpLayer;
struct SessionState;
} // namespace quillo

namespace quillo::test {

// Runs the sign-in, then one service request, so that the jar takes the sign-in's cookies as
// it does with the first buddy-list fetch of a session. True when the attempt reported
// success (1, 1) and nothing else.
bool SignInAs(SessionState& state, HttpLayer& http, const QString& email, const QString& password);

} // namespace quillo::test
