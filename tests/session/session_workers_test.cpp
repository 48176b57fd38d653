// Sending through the session's workers against the local stand-in: the front end's thread
// never waits, and quick messages reach the service in the order they were typed.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <gtest/gtest.h>

#include "chat/send_message.h"
#include "harness/demo_accounts.h"
#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "session/http_layer.h"
#include "session/queued_event_sink.h"
#include "session/session_state.h"
#include "session/session_workers.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class IgnoringHandler : public SessionEventHandler {
public:
    void handleSessionEvent(int, int) override {}
    void handleMessage(std::unique_ptr<TMSg>) override {}
};

} // namespace

TEST(SessionWorkers, QuickMessagesGoOutInTheOrderTyped) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    SessionState state;
    HttpLayer http(state, standin.endpoints());
    ASSERT_TRUE(
        SignInAs(state, http, QStringLiteral("alice@quillo.test"), QStringLiteral("alice")));
    IgnoringHandler handler;
    QueuedEventSink sink(handler);
    ChatSender sender(state, http);
    QStringList typed, reported;
    {
        SessionWorkers workers(state, http, sink);
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= 8; ++i) {
            typed.append(QStringLiteral("line %1").arg(i));
            // Offline Łukasz in the middle: his outcome differs, the order must not.
            const QString to = i == 4 ? kLukasz : kEcho;
            workers.sendMessage(sender, to, typed.constLast(), [&, to](SendOutcome outcome) {
                reported.append(QStringLiteral("%1 %2").arg(to).arg(int(outcome)));
            });
        }
        EXPECT_LT(clock.elapsed(), 50) << "sending never blocks the caller";
        while (reported.size() < typed.size() && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QStringList expected;
    for (int i = 1; i <= 8; ++i)
        expected.append(i == 4 ? kLukasz + QStringLiteral(" 2") : kEcho + QStringLiteral(" 1"));
    EXPECT_EQ(reported, expected) << "outcomes come back in order, each on the caller's thread";

    QStringList received;
    for (const QJsonValue& chat : standin.records(QStringLiteral("chat")))
        if (chat[u"via"].toString() == u"web")
            received.append(chat[u"text"].toString());
    EXPECT_EQ(received, typed);
}
