// The whole path through the console front end: quillo-console --json against the local
// stand-in, read line by line as a script would.
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "support/qt_printers.h"

using namespace quillo::test;

namespace {

// quillo-console with its own home, talking to the stand-in through an endpoints file.
class ConsoleProcess {
public:
    explicit ConsoleProcess(const StandInProcess& standin) {
        const QString ini = home_.filePath(QStringLiteral("endpoints.ini"));
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly))
            file.write("connect_to=127.0.0.1:" + QByteArray::number(standin.port()) +
                       "\nplain_sign_in=true\n"); // the stand-in runs without TLS
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(QUILLO_CONSOLE_BIN),
                       {QStringLiteral("alice@quillo.test"), QStringLiteral("--json"),
                        QStringLiteral("--endpoints"), ini});
        process_.waitForStarted(5000);
    }
    ~ConsoleProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }

    void type(const QString& line) {
        process_.write(line.toUtf8() + '\n');
        process_.waitForBytesWritten(1000);
    }

    // The first event that satisfies match and was not returned before, in the order printed,
    // whether it came already or comes within timeoutMs (events that work on other threads
    // print, such as a typing notice and a send outcome, may come in either order); an empty
    // object when none comes in time.
    QJsonObject next(const std::function<bool(const QJsonObject&)>& match, int timeoutMs = 10000) {
        for (qsizetype i = 0; i < seen_.size(); ++i) {
            if (!returned_.contains(i) && match(seen_[i])) {
                returned_.insert(i);
                return seen_[i];
            }
        }
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            while (process_.canReadLine()) {
                const QByteArray line = process_.readLine();
                const QJsonObject event = QJsonDocument::fromJson(line).object();
                EXPECT_FALSE(event.isEmpty()) << "every line is one JSON object: " << line.data();
                seen_.append(event);
                if (match(event)) {
                    returned_.insert(seen_.size() - 1);
                    return event;
                }
            }
            if (clock.elapsed() > timeoutMs || process_.state() == QProcess::NotRunning)
                return {};
            process_.waitForReadyRead(100);
        }
    }
    QJsonObject next(const QString& eventName, int timeoutMs = 10000) {
        return next([&](const QJsonObject& e) { return e[u"event"].toString() == eventName; },
                    timeoutMs);
    }

    QProcess& process() { return process_; }

private:
    QTemporaryDir home_;
    QProcess process_;
    QList<QJsonObject> seen_;
    QSet<qsizetype> returned_;
};

} // namespace

TEST(ConsoleJson, SignInContactsHistoryChatAndSignOut) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    ConsoleProcess console(standin);
    console.type(QStringLiteral("alice")); // the password

    const QJsonObject contacts = console.next(QStringLiteral("contacts"));
    ASSERT_FALSE(contacts.isEmpty()) << "no contact list";
    const QJsonArray online = contacts[u"online"].toArray();
    EXPECT_EQ(online.size() + contacts[u"offline"].toArray().size(), 40);
    EXPECT_TRUE(online.contains(QJsonObject{{"id", kEcho}, {"name", "Echo Bot"}}));
    EXPECT_TRUE(online.contains(QJsonObject{{"id", kZoe}, {"name", "Zoë Ångström"}}))
        << "names arrive decoded";

    const QJsonObject replayed = console.next([](const QJsonObject& e) {
        return e[u"event"].toString() == u"message" && e[u"replayed"].toBool() &&
               e[u"from"].toString() == kBob;
    });
    EXPECT_EQ(replayed[u"text"].toString(), u"Are you coming on Friday?");

    console.type(QStringLiteral("Echo: Grüße from the console 🌸"));
    EXPECT_EQ(console.next(QStringLiteral("send"))[u"outcome"].toString(), u"sent");
    EXPECT_EQ(console.next(QStringLiteral("typing"))[u"from"].toString(), kEcho);
    const QJsonObject echoed = console.next([](const QJsonObject& e) {
        return e[u"event"].toString() == u"message" && e[u"from"].toString() == kEcho &&
               !e[u"replayed"].toBool();
    });
    EXPECT_TRUE(echoed[u"text"].toString().contains(u"Grüße from the console 🌸"))
        << echoed[u"text"].toString().toStdString();

    standin.control(QStringLiteral("act"),
                    {{"as", kZoe}, {"send", QJsonObject{{"to", kAlice}, {"text", "<b>hej</b>"}}}});
    const QJsonObject fromZoe = console.next([](const QJsonObject& e) {
        return e[u"event"].toString() == u"message" && e[u"from"].toString() == kZoe &&
               !e[u"replayed"].toBool();
    });
    EXPECT_EQ(fromZoe[u"name"].toString(), u"Zoë Ångström");
    EXPECT_EQ(fromZoe[u"text"].toString(), u"<b>hej</b>") << "shown as typed, not as markup";

    console.type(QStringLiteral("/quit"));
    EXPECT_FALSE(console.next(QStringLiteral("signed_out")).isEmpty());
    ASSERT_TRUE(console.process().waitForFinished(5000));
    EXPECT_EQ(console.process().exitCode(), 0);
    EXPECT_TRUE(standin.controlGet(QStringLiteral("state"))[u"sessions"].toArray().isEmpty())
        << "the session was ended on the service";
}

TEST(ConsoleJson, WrongPasswordIsReportedAndEnds) {
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    ConsoleProcess console(standin);
    console.type(QStringLiteral("not the password"));
    EXPECT_FALSE(console.next(QStringLiteral("login_failed")).isEmpty());
    ASSERT_TRUE(console.process().waitForFinished(5000));
    EXPECT_NE(console.process().exitCode(), 0);
}
