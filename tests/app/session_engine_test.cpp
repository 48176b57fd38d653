// The session engine against the local stand-in, driven as a front end drives it: the whole
// sequence, teardown at any moment, exit and sign-out while requests wait, and the session
// lifecycle faults that a front end could otherwise provoke (two pollers, two attempts, a
// failure count that outlives its session).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <iostream>
#include <numeric>

#include "app/session_engine.h"
#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "platform/memory_settings_store.h"
#include "session/answer_limits.h"
#include "support/oversized_answers.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;
using namespace std::chrono_literals;

namespace {

const QString kAliceEmail = QStringLiteral("alice@quillo.test");
const QString kAlicePassword = QStringLiteral("alice");

// What a front end sees of the engine, in order, and whether it all came on its thread.
class Observer : public QObject {
public:
    explicit Observer(SessionEngine& engine) {
        connect(&engine, &SessionEngine::sessionEvent, this,
                [this](SessionEventName name) { note(sessionEventKey(name)); });
        connect(&engine, &SessionEngine::signInRefused, this,
                [this](SignInRefusal why) { note(QStringLiteral("refused %1").arg(int(why))); });
        connect(&engine, &SessionEngine::buddyListLoaded, this,
                [this](const QList<BuddyEntry>& list) {
                    contacts = list;
                    note(QStringLiteral("buddy_list_loaded"));
                });
        connect(&engine, &SessionEngine::messagesArrived, this,
                [this](const QList<ChatMessage>& m) { messages.append(m); });
        connect(&engine, &SessionEngine::messageSent, this,
                [this](ContactId, const QString&, SendOutcome o) { outcomes.append(o); });
        connect(&engine, &SessionEngine::pictureFound, this, [this](const QString& url) {
            picture = url;
            onOwnThread = onOwnThread && QThread::currentThread() == thread();
        });
        connect(&engine, &SessionEngine::signedOut, this,
                [this] { note(QStringLiteral("signed_out")); });
    }

    void note(const QString& what) {
        events.append(what);
        onOwnThread = onOwnThread && QThread::currentThread() == thread();
    }
    bool saw(const QString& what) const { return events.contains(what); }

    QStringList events;
    QList<BuddyEntry> contacts;
    QList<ChatMessage> messages;
    QList<SendOutcome> outcomes;
    QString picture;
    bool onOwnThread = true;
};

// Runs the event loop until check holds; false when the time is up.
bool waitUntil(const std::function<bool()>& check, std::chrono::milliseconds timeout = 15s) {
    QElapsedTimer clock;
    clock.start();
    while (!check()) {
        if (clock.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString(); }

    std::unique_ptr<SessionEngine> newEngine() {
        auto engine = std::make_unique<SessionEngine>(standin_.endpoints(), strings_);
        engine->setBuddyTiming({0ms, 60000ms});
        return engine;
    }
    // Signs in and waits for the long poll to be held.
    void signInFully(SessionEngine& engine, Observer& seen) {
        ASSERT_TRUE(engine.signIn(kAliceEmail, kAlicePassword));
        ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("buddy_list_loaded")); }))
            << seen.events.join(u',').toStdString();
        ASSERT_TRUE(pollHeld());
    }
    // Waits for a held long poll while this thread goes on handling the engine's reports (a
    // worker may be waiting for it to take a message).
    bool pollHeld() {
        return waitUntil([this] { return standin_.waitForHeldPolls(1, 0); });
    }
    void fault(const QJsonObject& rule) { standin_.control(QStringLiteral("faults"), rule); }
    void clearFaults() { standin_.control(QStringLiteral("faults/clear")); }
    // The long polls the service saw after request number `after`.
    int pollsAfter(int after) {
        int polls = 0;
        for (const QJsonValue& r : standin_.requests(QStringLiteral("since=%1").arg(after)))
            polls += r[u"host"].toString().startsWith(u"0.channel");
        return polls;
    }
    int lastRequest() {
        const QJsonArray all = standin_.requests();
        return all.isEmpty() ? 0 : all.last()[u"n"].toInt();
    }

    StandInProcess standin_;
    LanguageStrings strings_;
};

} // namespace

TEST_F(EngineTest, SessionRunsFromSignInToSignOutOnTheFrontEndThread) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    EXPECT_EQ(seen.events.mid(0, 2),
              (QStringList{QStringLiteral("signed_in"), QStringLiteral("buddy_list_loaded")}));
    EXPECT_EQ(seen.contacts.size(), 40);
    EXPECT_FALSE(seen.picture.isEmpty()) << "the user's own picture";

    // The user's own replayed lines belong to the conversation with the friend they were
    // written to, and carry the user's name.
    const auto own = std::find_if(seen.messages.cbegin(), seen.messages.cend(),
                                  [](const ChatMessage& m) { return m.own; });
    ASSERT_NE(own, seen.messages.cend());
    EXPECT_EQ(own->conversation, ContactId::fromText(kBob));
    EXPECT_EQ(own->from, ContactId::fromText(kAlice));
    EXPECT_FALSE(own->fromName.isEmpty());
    EXPECT_FALSE(own->live);

    engine->sendMessage(ContactId::fromText(kEcho), QStringLiteral("hello bot"));
    ASSERT_TRUE(waitUntil([&] {
        return std::any_of(seen.messages.cbegin(), seen.messages.cend(), [](const ChatMessage& m) {
            return m.live && m.from == ContactId::fromText(kEcho);
        });
    }));
    EXPECT_EQ(seen.outcomes, QList<SendOutcome>{SendOutcome::Sent});

    const QString postFormId = engine->state().PostFormId.get();
    engine->signOut();
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("signed_out")); }));
    EXPECT_FALSE(standin_.sessionAlive(postFormId));
    EXPECT_FALSE(engine->state().PollRunning);
    EXPECT_FALSE(engine->state().BuddyRefreshRunning);
    EXPECT_TRUE(seen.onOwnThread) << "every signal arrives on the front end's thread";
}

TEST_F(EngineTest, SignOutPostsTheStatusThenEndsEveryRequestOfTheSession) {
    MemorySettingsStore store;
    Settings settings;
    settings.ShowStatus = true;
    auto engine = newEngine();
    engine->enablePromotion(store, settings);
    Observer seen(*engine);
    SignInQuestions questions;
    questions.allowStatusPosts = [](const QString&) { return true; };
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword, questions));
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("buddy_list_loaded")); }));
    ASSERT_TRUE(pollHeld());
    const int statusesBefore = standin_.records(QStringLiteral("posts")).size();

    // A history fetch that would take 20 s is under way when the user signs out.
    fault({{"path", "/ajax/chat/settings.php"}, {"action", "delay"}, {"ms", 20000}});
    bool cleared = true;
    engine->clearHistory(ContactId::fromText(kZoe), &seen, [&](bool ok) { cleared = ok; });
    QThread::msleep(300);
    QElapsedTimer clock;
    clock.start();
    engine->signOut();
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("signed_out")); }));
    EXPECT_LT(clock.elapsed(), 10000) << "the delayed request was ended, not awaited";
    ASSERT_TRUE(waitUntil([&] { return !cleared; }));

    const QJsonArray posts = standin_.records(QStringLiteral("posts"));
    ASSERT_EQ(posts.size(), statusesBefore + 1) << "the sign-out status";
    EXPECT_TRUE(seen.events.endsWith(QStringLiteral("signed_out")));
    EXPECT_FALSE(seen.saw(QStringLiteral("connection_lost"))) << "a sign-out reports no event";
}

TEST_F(EngineTest, FrontEndDestroyedAtAnyMomentLeavesNothingBehind) {
    // Under the sanitizers a use after free or a leak fails the run; the end must also never
    // wait for the network.
    QRandomGenerator random(20261210);
    for (int run = 0; run < 100; ++run) {
        auto engine = newEngine();
        Observer seen(*engine);
        engine->signIn(kAliceEmail, kAlicePassword);
        if (run % 4 == 0)
            engine->sendMessage(ContactId::fromText(kEcho), QStringLiteral("run %1").arg(run));
        const int lifetimeMs = random.bounded(0, 400);
        waitUntil([] { return false; }, std::chrono::milliseconds(lifetimeMs));
        if (run % 5 == 0 && engine->signedIn())
            engine->signOut();
        QElapsedTimer clock;
        clock.start();
        engine.reset();
        EXPECT_LT(clock.elapsed(), 5000) << "run " << run << " after " << lifetimeMs << " ms";
        QCoreApplication::processEvents(); // what was queued for the engine is gone with it
    }
}

TEST_F(EngineTest, ExitDuringASignInThatWaitsForTheServiceIsImmediate) {
    fault({{"path", "/login.php"}, {"method", "POST"}, {"action", "delay"}, {"ms", 20000}});
    auto engine = newEngine();
    Observer seen(*engine);
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword));
    ASSERT_TRUE(
        waitUntil([&] { return !standin_.requests(QStringLiteral("path=/login.php")).isEmpty(); }));
    QThread::msleep(200);
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_LT(clock.elapsed(), 5000) << "the 20 s answer is not awaited";
    EXPECT_TRUE(seen.events.isEmpty()) << "nothing reaches a front end after the end";
}

TEST_F(EngineTest, ASessionLostBySendsLeavesNoPollerBehindForTheNext) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    // The web host fails everything, its sign-out included, while three sends fail.
    fault({{"host", "www.*"}, {"action", "status"}, {"status", 500}});
    for (int i = 0; i < 3; ++i)
        engine->sendMessage(ContactId::fromText(kZoe), QStringLiteral("lost %1").arg(i));
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("connection_lost")); }));
    clearFaults();

    seen.events.clear();
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword));
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("buddy_list_loaded")); }));
    ASSERT_TRUE(pollHeld());
    engine->signOut();
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("signed_out")); }));
    const int after = lastRequest();
    QThread::msleep(1500);
    EXPECT_EQ(pollsAfter(after), 0) << "no long poll of either session goes on after sign-out";
    EXPECT_FALSE(engine->state().PollRunning);
}

TEST_F(EngineTest, ASignInAskedForAfterCancelWaitsForTheCancelledAttempt) {
    fault({{"path", "/login.php"},
           {"method", "POST"},
           {"action", "delay"},
           {"ms", 1500},
           {"count", 1}});
    auto engine = newEngine();
    Observer seen(*engine);
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword));
    ASSERT_TRUE(
        waitUntil([&] { return !standin_.requests(QStringLiteral("path=/login.php")).isEmpty(); }));
    engine->cancelSignIn();
    EXPECT_TRUE(engine->signIn(kAliceEmail, kAlicePassword)) << "taken, to follow the first";
    EXPECT_FALSE(engine->signIn(kAliceEmail, kAlicePassword)) << "one follower at most";
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("buddy_list_loaded")); }));
    ASSERT_TRUE(pollHeld());
    EXPECT_EQ(seen.events.mid(0, 2),
              (QStringList{QStringLiteral("signed_in"), QStringLiteral("buddy_list_loaded")}))
        << "the cancelled attempt reports nothing; one session, one list";
    int firstPolls = 0;
    for (const QJsonValue& r : standin_.requests())
        firstPolls += r[u"target"].toString().contains(u"/x/0/true/");
    EXPECT_EQ(firstPolls, 1) << "one long poll";
}

TEST_F(EngineTest, SendFailuresAreCountedPerSession) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    fault({{"path", "/ajax/chat/send.php"}, {"action", "status"}, {"status", 500}});
    engine->sendMessage(ContactId::fromText(kZoe), QStringLiteral("a"));
    engine->sendMessage(ContactId::fromText(kZoe), QStringLiteral("b"));
    ASSERT_TRUE(waitUntil([&] { return seen.outcomes.size() == 2; }));
    engine->signOut();
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("signed_out")); }));

    seen.events.clear();
    signInFully(*engine, seen);
    engine->sendMessage(ContactId::fromText(kZoe), QStringLiteral("c"));
    ASSERT_TRUE(waitUntil([&] { return seen.outcomes.size() == 3; }));
    QThread::msleep(200);
    QCoreApplication::processEvents();
    EXPECT_FALSE(seen.saw(QStringLiteral("connection_lost")))
        << "one failure in a new session does not end it";
    EXPECT_TRUE(engine->signedIn());
}

TEST_F(EngineTest, ARecommendationEndsTheSessionOnItsSecondFailure) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    fault({{"path", "/ajax/chat/send.php"}, {"action", "status"}, {"status", 500}});
    std::optional<SendOutcome> outcome;
    engine->recommend(ContactId::fromText(kZoe), QStringLiteral("try Quillo"), &seen,
                      [&](SendOutcome o) { outcome = o; });
    ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    EXPECT_EQ(*outcome, SendOutcome::NotSent);
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("connection_lost")); }));
    EXPECT_EQ(standin_.requests(QStringLiteral("path=/ajax/chat/send.php")).size(), 2);
}

TEST_F(EngineTest, ACallbackWhoseContextIsGoneNeverRuns) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    bool ran = false;
    auto context = std::make_unique<QObject>();
    engine->clearHistory(ContactId::fromText(kZoe), context.get(), [&](bool) { ran = true; });
    context.reset();
    bool laterRan = false;
    engine->clearHistory(ContactId::fromText(kZoe), &seen, [&](bool) { laterRan = true; });
    ASSERT_TRUE(waitUntil([&] { return laterRan; }));
    // Both requests are answered, and what followed them has had its turn here.
    ASSERT_TRUE(waitUntil([&] {
        return standin_.requests(QStringLiteral("path=/ajax/chat/settings.php")).size() == 2;
    }));
    waitUntil([] { return false; }, 300ms);
    EXPECT_FALSE(ran);
}

TEST_F(EngineTest, AFailedConnectivityTestLeavesSignInPossible) {
    // The address test fails slowly, while the user cancels and asks again.
    fault({{"host", "ipecho*"}, {"action", "status"}, {"status", 500}});
    fault({{"host", "ipecho*"}, {"action", "delay"}, {"ms", 500}});
    auto engine = newEngine();
    Observer seen(*engine);
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword));
    engine->cancelSignIn();
    EXPECT_TRUE(engine->signIn(kAliceEmail, kAlicePassword)) << "to follow the cancelled one";
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("refused 2")); }));
    clearFaults();
    EXPECT_TRUE(engine->signIn(kAliceEmail, kAlicePassword)) << "nothing is left waiting";
    EXPECT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("signed_in")); }));
}

TEST_F(EngineTest, FailuresAreReportedToTheMakerOnlyWhenAskedAndNeverDelayTheEnd) {
    const auto reports = [this] {
        return standin_.controlGet(QStringLiteral("records?kind=reports")).array();
    };
    for (const bool enabled : {false, true}) {
        SCOPED_TRACE(enabled ? "reports enabled" : "reports not enabled");
        const qsizetype before = reports().size();
        auto engine = newEngine();
        if (enabled)
            engine->enableErrorReports(QStringLiteral("German.lang"));
        Observer seen(*engine);
        ASSERT_TRUE(engine->signIn(kAliceEmail, QStringLiteral("not her password")));
        ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("login_failed")); }));
        const qsizetype expected = before + (enabled ? 1 : 0);
        if (enabled)
            waitUntil([&] { return reports().size() == expected; }, 5s);
        else
            QThread::msleep(300);
        const QJsonArray after = reports();
        ASSERT_EQ(after.size(), expected);
        if (enabled) {
            EXPECT_EQ(after.last()[u"lang"].toString(), QStringLiteral("German.lang#0001"));
        }
    }

    // A maker's host that does not answer holds up neither the session nor the program's end.
    fault({{"host", standin_.endpoints().makerWebHost},
           {"path", "/index.php"},
           {"action", "delay"},
           {"ms", 20000}});
    auto engine = newEngine();
    engine->enableErrorReports(QStringLiteral("English.lang"));
    Observer seen(*engine);
    ASSERT_TRUE(engine->signIn(kAliceEmail, QStringLiteral("not her password")));
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("login_failed")); }));
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword)) << "a new attempt may start at once";
    QThread::msleep(200);
    QElapsedTimer clock;
    clock.start();
    engine.reset();
    EXPECT_LT(clock.elapsed(), 5000) << "the unanswered report was ended, not awaited";
}

TEST_F(EngineTest, ALineInTheReplayedHistoryAndOnTheChannelIsHandedOnOnce) {
    // The history is slow to answer, so a line that Zoë writes meanwhile is both in what the
    // replay reads and waiting on the new channel.
    fault({{"path", "/ajax/chat/history.php"}, {"action", "delay"}, {"ms", 700}});
    auto engine = newEngine();
    Observer seen(*engine);
    ASSERT_TRUE(engine->signIn(kAliceEmail, kAlicePassword));
    ASSERT_TRUE(waitUntil([&] { return seen.saw(QStringLiteral("buddy_list_loaded")); }));
    standin_.control(QStringLiteral("act"),
                     {{"as", kZoe}, {"send", QJsonObject{{"to", kAlice}, {"text", "both ways"}}}});
    ASSERT_TRUE(pollHeld());
    ASSERT_TRUE(waitUntil([&] {
        return std::any_of(seen.messages.begin(), seen.messages.end(),
                           [](const ChatMessage& m) { return m.text == u"both ways"; });
    }));
    waitUntil([] { return false; }, 1500ms); // a second copy would have come by now
    QStringList copies;
    for (const ChatMessage& m : seen.messages) {
        if (m.text == u"both ways")
            copies.append(m.time +
                          (m.replayed ? QStringLiteral(" replayed") : QStringLiteral(" live")));
    }
    EXPECT_EQ(copies.size(), 1) << copies.join(u", ").toStdString();
}

namespace {

struct BurstOutcome {
    QList<int> numbers;       // the burst's lines as they were handed on, by number
    QList<ContactId> mayMiss; // conversations said to miss lines
    int historyRequests = 0;  // asked while the burst came in
    bool complete = false;    // every line came before the time was up
    bool allLive = true;      // every line came as a live one, none as a replay
};

// Zoë sends `count` numbered lines at once while the channel host answers Alice's next poll
// late, so the channel (which keeps its last 200 items) drops most of them before the poll
// comes back. The front end is slow too: each batch costs it 20 ms.
BurstOutcome burstWhilePollIsLate(SessionEngine& engine, StandInProcess& standin,
                                  const std::function<void(const QJsonObject&)>& fault, int count,
                                  int expected) {
    BurstOutcome outcome;
    QObject context;
    QObject::connect(&engine, &SessionEngine::messagesArrived, &context,
                     [&](const QList<ChatMessage>& messages) {
                         for (const ChatMessage& m : messages) {
                             if (!m.text.startsWith(u"burst #"))
                                 continue;
                             outcome.numbers.append(m.text.mid(7).toInt());
                             // Late lines are logged and noticed like any other.
                             outcome.allLive = outcome.allLive && m.live && !m.replayed;
                         }
                         QThread::msleep(20);
                     });
    QObject::connect(&engine, &SessionEngine::messagesMayBeMissing, &context,
                     [&](const QList<ContactId>& friends) { outcome.mayMiss.append(friends); });
    const int before = standin.requests().isEmpty() ? 0 : standin.requests().last()[u"n"].toInt();
    fault({{"host", "0.*"}, {"path", "/x/*"}, {"action", "delay"}, {"ms", 1500}, {"count", 1}});
    standin.control(
        QStringLiteral("act"),
        {{"as", kZoe}, {"send", QJsonObject{{"to", kAlice}, {"text", "burst"}, {"count", count}}}});
    outcome.complete = waitUntil([&] { return outcome.numbers.size() >= expected; }, 30s);
    waitUntil([] { return false; }, 500ms); // a second copy of any line would come by now
    for (const QJsonValue& r : standin.requests(QStringLiteral("since=%1").arg(before)))
        outcome.historyRequests += r[u"path"].toString() == u"/ajax/chat/history.php";
    return outcome;
}

} // namespace

TEST_F(EngineTest, ABurstTheChannelCannotKeepIsFilledFromTheHistoryEachLineOnce) {
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    const BurstOutcome burst = burstWhilePollIsLate(
        *engine, standin_, [this](const QJsonObject& rule) { fault(rule); }, 1000, 1000);
    ASSERT_TRUE(burst.complete) << burst.numbers.size() << " of 1000";
    QList<int> inOrder(1000);
    std::iota(inOrder.begin(), inOrder.end(), 1);
    EXPECT_EQ(burst.numbers, inOrder) << "each line once, in the order written";
    EXPECT_GE(burst.historyRequests, 1) << "the channel did drop lines";
    EXPECT_TRUE(burst.mayMiss.isEmpty()) << "the history had every line";
    EXPECT_TRUE(burst.allLive);
}

TEST_F(EngineTest, LinesTheHistoryNoLongerHoldsAreReportedAsPossiblyMissed) {
    standin_.control(QStringLiteral("settings"), {{"history_kept", 300}});
    auto engine = newEngine();
    Observer seen(*engine);
    signInFully(*engine, seen);
    const BurstOutcome burst = burstWhilePollIsLate(
        *engine, standin_, [this](const QJsonObject& rule) { fault(rule); }, 1000, 300);
    ASSERT_TRUE(burst.complete) << burst.numbers.size();
    EXPECT_EQ(burst.mayMiss, QList<ContactId>{ContactId::fromText(kZoe)});
    // What came is the first few (before the channel fell behind) and the last 300, once each.
    EXPECT_TRUE(std::is_sorted(burst.numbers.begin(), burst.numbers.end()));
    EXPECT_EQ(std::adjacent_find(burst.numbers.begin(), burst.numbers.end()), burst.numbers.end());
    EXPECT_EQ(burst.numbers.last(), 1000);
    EXPECT_TRUE(burst.numbers.contains(701));
}

namespace {

// A picture "decoded" to its bytes, so a test sees what was fetched.
QVariant keepBytes(const QByteArray& bytes, QSize) {
    return bytes;
}

} // namespace

TEST_F(EngineTest, AnOversizedProfilePictureFailsAtOnceWithinItsLimit) {
    auto engine = newEngine();
    engine->enablePictures(keepBytes);
    QObject context;
    const QString url =
        QStringLiteral("http://profile.facebook.test/pics/n") + kAlice + QStringLiteral(".jpg");
    const auto fetch = [&] {
        std::optional<QByteArray> picture;
        engine->fetchPicture(url, QSize(200, 150), &context,
                             [&](QVariant shown) { picture = shown.toByteArray(); });
        EXPECT_TRUE(waitUntil([&] { return picture.has_value(); }));
        return picture.value_or(QByteArray());
    };
    ASSERT_FALSE(fetch().isEmpty()) << "the picture arrives without a fault";
    for (const char* action : kOversizedFaults) {
        SCOPED_TRACE(action);
        fault({{"host", "profile.*"}, {"action", QLatin1String(action)}, {"count", 1}});
        QByteArray picture("not fetched");
        const RequestCost cost = measureRequest([&] { picture = fetch(); });
        EXPECT_TRUE(picture.isEmpty()) << "a failure, as for a broken connection";
        EXPECT_LT(cost.elapsedMs, 15000);
        EXPECT_LE(cost.peakGrowthBytes, allowedGrowthBytes(answer_limits::kProfilePicture));
        std::cout << "[ figures  ] profile picture, " << action << ": " << cost.elapsedMs
                  << " ms, peak memory +" << megabytes(cost.peakGrowthBytes) << " (limit "
                  << megabytes(answer_limits::kProfilePicture) << ")\n";
    }
    EXPECT_TRUE(standin_.controlGet(QStringLiteral("faults")).array().isEmpty()) << "all met";
}

TEST_F(EngineTest, AWorkerThatThrowsEndsAloneAndTheEngineGoesOn) {
    auto engine = newEngine();
    engine->enablePictures(keepBytes);
    // The banner worker runs the front end's decoder; this one fails as an allocation does.
    std::atomic<int> decoded{0};
    engine->enableBanners([&decoded](const QByteArray&, const QByteArray&) -> QVariant {
        ++decoded;
        throw std::bad_alloc();
    });
    TDemographic& user = engine->demographic();
    user.IP.set(QStringLiteral("127.0.0.1"));
    user.Country.set(QStringLiteral("Ireland"));
    user.Language.set(QStringLiteral("English"));
    user.Gender.set(QStringLiteral("male"));
    user.Age.set(QStringLiteral("18-24"));
    engine->startBanners();
    ASSERT_TRUE(waitUntil([&] { return decoded > 0; }));

    Observer seen(*engine);
    signInFully(*engine, seen);
    std::optional<QByteArray> picture;
    engine->fetchPicture(
        QStringLiteral("http://profile.facebook.test/pics/q") + kAlice + QStringLiteral(".jpg"),
        QSize(50, 50), &seen, [&](QVariant shown) { picture = shown.toByteArray(); });
    ASSERT_TRUE(waitUntil([&] { return picture.has_value(); }));
    EXPECT_FALSE(picture->isEmpty());
    EXPECT_EQ(decoded, 1) << "the worker that threw ended";
}
