#include "harness/sign_in_as.h"

#include "harness/recording_sink.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/sign_in.h"

namespace quillo::test {

bool SignInAs(SessionState& state, HttpLayer& http, const QString& email, const QString& password) {
    state.Email.set(email);
    state.Password.set(password);
    RecordingSink sink;
    SignInThread(state, http, &sink, {});
    state.MainWindow = nullptr; // the sign-in kept its sink, which ends here
    if (sink.events() != QList<std::pair<int, int>>{{1, 1}})
        return false;
    http.ServiceGet(QStringLiteral("/home.php"), QString());
    return true;
}

} // namespace quillo::test
