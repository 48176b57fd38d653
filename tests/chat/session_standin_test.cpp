// The session's workers against the local stand-in: the buddy list, the long poll, sending,
// the ways a session ends, and sign-out while a poll is held.
#include <QElapsedTimer>
#include <QJsonArray>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

#include "chat/poll_thread.h"
#include "chat/send_message.h"
#include "contacts/buddy_thread.h"
#include "conversation/text_codecs.h"
#include "harness/demo_accounts.h"
#include "harness/recording_sink.h"
#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "session/sign_out.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;
using namespace std::chrono_literals;

namespace {

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        http_ = std::make_unique<HttpLayer>(state_, standin_.endpoints());
        ASSERT_TRUE(
            SignInAs(state_, *http_, QStringLiteral("alice@quillo.test"), QStringLiteral("alice")));
        postFormId_ = state_.PostFormId.get(); // kept: ending a session may clear the state's
        ASSERT_TRUE(sessionAlive());
        state_.MainWindow = &sink_;
    }

    void TearDown() override {
        state_.Stopping = true;
        http_->DropChannelConnection();
        for (std::thread& t : threads_)
            t.join();
    }

    void startPoll() {
        state_.PollRunning = true;
        threads_.emplace_back([this] { PollThread(state_, *http_); });
    }
    void startBuddyList(BuddyThreadTiming timing = {0ms, 60000ms}) {
        state_.BuddyRefreshRunning = true;
        threads_.emplace_back([this, timing] { BuddyThread(state_, *http_, sink_, timing); });
    }

    QJsonDocument act(const QString& as, const QJsonObject& what) {
        QJsonObject body = what;
        body.insert(QStringLiteral("as"), as);
        return standin_.control(QStringLiteral("act"), body);
    }
    void say(const QString& from, const QString& text) {
        act(from, {{"send", QJsonObject{{"to", kAlice}, {"text", text}}}});
    }
    void fault(const QJsonObject& rule) { standin_.control(QStringLiteral("faults"), rule); }
    bool sessionAlive() { return standin_.sessionAlive(postFormId_); }
    // How many later polls (not the first of a channel) asked with seqSuffix in their target.
    int channelPollsFor(const QString& seqSuffix) {
        int polls = 0;
        const QJsonArray requests = standin_.requests();
        for (const QJsonValue& r : requests)
            polls += r[u"target"].toString().contains(u"/false/") &&
                     r[u"target"].toString().contains(seqSuffix);
        return polls;
    }
    QStringList texts() {
        QStringList out;
        for (const TMSg& m : sink_.messages())
            out.append(m.Text);
        return out;
    }

    StandInProcess standin_;
    SessionState state_;
    std::unique_ptr<HttpLayer> http_;
    RecordingSink sink_;
    std::vector<std::thread> threads_;
    QString postFormId_;
};

} // namespace

TEST_F(SessionTest, FullListWithNamesThenPresenceBothWays) {
    startBuddyList({0ms, 300ms});
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return !s.buddyLists().isEmpty(); }));
    const BuddyList full = sink_.buddyLists().constFirst().lines;
    EXPECT_EQ(sink_.buddyLists().constFirst().code, 0);
    EXPECT_EQ(full.size(), 40);
    EXPECT_TRUE(full.contains(QStringLiteral("O") + kEcho + QStringLiteral(":Echo Bot")));
    // Names arrive escaped as the service wrote them and decode to the real name.
    auto listed = [&full](QChar mark, const QString& id, const QString& name) {
        const QString prefix = mark + id + u':';
        return std::any_of(full.begin(), full.end(), [&](const QString& line) {
            return line.startsWith(prefix) && DecodeUnicodeEscapes(line.mid(prefix.size())) == name;
        });
    };
    EXPECT_TRUE(listed(u'X', kLukasz, QStringLiteral("Łukasz Wójcik")));
    EXPECT_TRUE(listed(u'O', kZoe, QStringLiteral("Zoë Ångström")));

    act(kLukasz, {{"online", true}});
    EXPECT_TRUE(sink_.waitFor([](const RecordingSink& s) {
        const auto lists = s.buddyLists();
        return lists.constLast().code == 1 && lists.constLast().lines.contains(kLukasz);
    }));
    act(kLukasz, {{"online", false}});
    EXPECT_TRUE(sink_.waitFor([](const RecordingSink& s) {
        const auto lists = s.buddyLists();
        return lists.constLast().code == 1 && !lists.constLast().lines.contains(kLukasz);
    }));
}

TEST_F(SessionTest, MessagesEachWayAndTypingStartAndStop) {
    startPoll();
    say(kZoe, QStringLiteral("Hej <b>Alice</b> & Привет 🌸"));
    ASSERT_TRUE(sink_.waitForMessages(1));
    const TMSg in = sink_.messages().constFirst();
    EXPECT_EQ(in.FromId, kZoe);
    EXPECT_EQ(DecodeUnicodeEscapes(in.FromName), QStringLiteral("Zoë Ångström"));
    EXPECT_EQ(DecodeUnicodeEscapes(StripBackslashEscapes(in.Text)),
              QStringLiteral("Hej &lt;b&gt;Alice&lt;/b&gt; &amp; Привет 🌸"));
    EXPECT_TRUE(in.Live);

    act(kZoe, {{"typing", QJsonObject{{"to", kAlice}, {"st", 1}}}});
    act(kZoe, {{"typing", QJsonObject{{"to", kAlice}, {"st", 0}}}});
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return s.typing().size() >= 2; }));
    EXPECT_EQ(sink_.typing()[0].from, ContactId::fromText(kZoe));
    EXPECT_TRUE(sink_.typing()[0].typing);
    EXPECT_FALSE(sink_.typing()[1].typing) << "st 0 means the friend stopped typing";

    ChatSender sender(state_, *http_);
    EXPECT_EQ(sender.send(kEcho, QStringLiteral("Привет, bot 🌸")), SendOutcome::Sent);
    EXPECT_TRUE(sink_.waitFor([](const RecordingSink& s) {
        return s.messages().size() >= 2 && s.messages().constLast().FromId == kEcho;
    })) << "the echo bot answers";
    // The service also delivers a message sent with the form id alone, so the answer does not
    // show that both tokens went along: the request does.
    const QJsonArray sends = standin_.requests(QStringLiteral("path=/ajax/chat/send.php"));
    ASSERT_EQ(sends.size(), 1);
    QJsonArray tokens;
    for (const QJsonValue& field : sends[0][u"form"].toArray()) {
        const QString name = field.toArray()[0].toString();
        if (name == u"post_form_id" || name == u"fb_dtsg")
            tokens.append(field);
    }
    EXPECT_EQ(tokens, (QJsonArray{QJsonArray{"post_form_id", postFormId_},
                                  QJsonArray{"fb_dtsg", state_.Dtsg.get()}}));
    const QJsonArray chats = standin_.records(QStringLiteral("chat"));
    bool utf8Intact = false;
    for (const QJsonValue& c : chats)
        utf8Intact = utf8Intact || c[u"text"].toString() == QStringLiteral("Привет, bot 🌸");
    EXPECT_TRUE(utf8Intact) << "the text reached the service as sent";
    EXPECT_EQ(sender.send(kLukasz, QStringLiteral("are you there?")), SendOutcome::Offline);
}

TEST_F(SessionTest, EveryItemOfAnAnswerIsShownOnceInOrder) {
    // Queue a typing notice and three messages before the first poll: one answer holds all.
    act(kZoe, {{"typing", QJsonObject{{"to", kAlice}, {"st", 1}}}});
    for (const char* text : {"one", "two", "three"})
        say(kZoe, QString::fromLatin1(text));
    startPoll();
    ASSERT_TRUE(sink_.waitForMessages(3));
    std::this_thread::sleep_for(300ms); // nothing more may come
    EXPECT_EQ(texts(), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(sink_.typing().size(), 1);
    say(kZoe, QStringLiteral("four"));
    ASSERT_TRUE(sink_.waitForMessages(4));
    EXPECT_EQ(texts().constLast(), QStringLiteral("four")) << "seq advanced past all items";
}

TEST_F(SessionTest, AMessageDeliveredTwiceIsShownOnce) {
    standin_.control(QStringLiteral("settings"), {{"hold_ms", 100}});
    startPoll();
    say(kZoe, QStringLiteral("ok"));
    ASSERT_TRUE(sink_.waitForMessages(1));
    // Send the poll back to the start of the channel: the service delivers Zoë's "ok" again,
    // with the same message id.
    const int before = channelPollsFor(QStringLiteral("=0?"));
    fault({{"host", "0.channel*"},
           {"action", "body"},
           {"body", "for (;;);{\"t\":\"refresh\", \"seq\":0}"},
           {"count", 1}});
    ASSERT_TRUE(sink_.waitFor(
        [&](const RecordingSink&) { return channelPollsFor(QStringLiteral("=0?")) > before; }));
    say(kEcho, QStringLiteral("ok")); // another friend's genuine "ok" is no repeat
    ASSERT_TRUE(sink_.waitForMessages(2));
    std::this_thread::sleep_for(300ms); // nothing more may come
    EXPECT_EQ(texts(), (QStringList{"ok", "ok"}));
    EXPECT_EQ(sink_.messages()[0].FromId, kZoe);
    EXPECT_EQ(sink_.messages()[1].FromId, kEcho);
}

TEST_F(SessionTest, MovedChannelIsFollowed) {
    startPoll();
    const QString before = state_.ChannelName.get();
    act(kAlice, {{"move_channel", true}});
    ASSERT_TRUE(
        sink_.waitFor([&](const RecordingSink&) { return state_.ChannelName.get() != before; }));
    say(kZoe, QStringLiteral("after the move"));
    ASSERT_TRUE(sink_.waitForMessages(1));
    EXPECT_EQ(texts(), (QStringList{"after the move"}));
    EXPECT_TRUE(sink_.events().isEmpty());
}

// The ways the long poll gives up on a session, each with a fresh session.
struct LostSession {
    const char* what;
    int code;
};

class SessionEndTest : public SessionTest, public ::testing::WithParamInterface<LostSession> {};

TEST_P(SessionEndTest, PollEndsTheSessionWithItsCode) {
    const std::string what = GetParam().what;
    if (what == "signed in elsewhere") {
        act(kAlice, {{"expire", true}});
    } else if (what == "reconnect answered by the error page") {
        standin_.control(QStringLiteral("account"),
                         {{"id", kAlice}, {"reconnect_mode", "error_page"}});
        act(kAlice, {{"move_channel", true}});
    } else if (what == "second reconnect in a row") {
        // The first answer of a channel is read for its items and seq only, so a refresh there
        // is passed over; the two after it each ask a reconnect.
        fault({{"host", "0.channel*"},
               {"action", "body"},
               {"body", "for (;;);{\"t\":\"refresh\"}"},
               {"count", 3}});
    }
    startPoll();
    EXPECT_TRUE(sink_.waitForEvent(1, GetParam().code));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(sink_.events().size(), 1);
    EXPECT_TRUE(state_.Stopping);
    EXPECT_FALSE(sessionAlive()) << "the session was signed out of";
    EXPECT_TRUE(state_.Email.get().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Causes, SessionEndTest,
                         ::testing::Values(LostSession{"signed in elsewhere", 3},
                                           LostSession{"reconnect answered by the error page", 2},
                                           LostSession{"second reconnect in a row", 2}),
                         [](const auto& param) {
                             std::string name = param.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST_F(SessionTest, FourEmptyBuddyListAnswersEndTheSession) {
    fault({{"path", "/ajax/chat/buddy_list.php"}, {"action", "empty"}, {"count", 4}});
    startBuddyList();
    EXPECT_TRUE(sink_.waitForEvent(1, 2));
    EXPECT_TRUE(state_.Stopping);
    EXPECT_FALSE(sessionAlive());
}

TEST_F(SessionTest, EmptyFriendListFourTimesIsNoContacts) {
    fault({{"path", "/ajax/social_graph/fetch.php"},
           {"action", "body"},
           {"body", "for (;;);{\"error\":0,\"payload\":{\"entries\":[]}}"}});
    startBuddyList();
    EXPECT_TRUE(sink_.waitForEvent(1, 6));
    EXPECT_TRUE(sink_.buddyLists().isEmpty());
    EXPECT_FALSE(state_.Stopping) << "the session itself stays signed in";
}

TEST_F(SessionTest, ThreeFailedSendsInARowEndTheSession) {
    fault({{"path", "/ajax/chat/send.php"}, {"action", "status"}, {"status", 500}});
    ChatSender sender(state_, *http_);
    EXPECT_EQ(sender.send(kZoe, QStringLiteral("a")), SendOutcome::NotSent);
    EXPECT_EQ(sender.send(kZoe, QStringLiteral("b")), SendOutcome::NotSent);
    EXPECT_TRUE(sink_.events().isEmpty());
    EXPECT_EQ(sender.send(kZoe, QStringLiteral("c")), SendOutcome::NotSent);
    EXPECT_EQ(sink_.events(), (QList<std::pair<int, int>>{{1, 2}}));
    EXPECT_FALSE(sessionAlive());
}

TEST_F(SessionTest, TwoWorkersGivingUpTogetherEndTheSessionOnce) {
    std::thread first([this] { EndSession(state_, *http_, 2); });
    std::thread second([this] { EndSession(state_, *http_, 3); });
    first.join();
    second.join();
    EXPECT_EQ(sink_.events().size(), 1) << "one end, one report";
    EXPECT_EQ(standin_.requests(QStringLiteral("path=/logout.php")).size(), 1);
    EXPECT_FALSE(sessionAlive());
}

TEST_F(SessionTest, SendsWhileTheSessionEndsAreNoFailures) {
    ChatSender sender(state_, *http_);
    state_.Stopping = true;
    for (const char* text : {"a", "b", "c"})
        EXPECT_EQ(sender.send(kZoe, QString::fromLatin1(text)), SendOutcome::NotSent);
    EXPECT_TRUE(sink_.events().isEmpty()) << "no session end of its own";
    EXPECT_TRUE(standin_.requests(QStringLiteral("path=/ajax/chat/send.php")).isEmpty());
    EXPECT_TRUE(sessionAlive()) << "only the one who ends the session signs out";
}

TEST_F(SessionTest, SignOutWhileAPollIsHeldIsQuickAndSilent) {
    standin_.control(QStringLiteral("settings"), {{"hold_ms", 20000}});
    startBuddyList();
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return !s.buddyLists().isEmpty(); }));
    startPoll();
    ASSERT_TRUE(standin_.waitForHeldPolls(1));
    QElapsedTimer clock;
    clock.start();
    state_.Stopping = true;
    InterruptSessionWork(*http_);
    while ((state_.PollRunning || state_.BuddyRefreshRunning) && clock.elapsed() < 15000)
        std::this_thread::sleep_for(1ms);
    // The hold is 20 s and the buddy pause a minute: ending well before either shows the
    // workers were woken, whatever the machine's speed (the figure is the benchmark's).
    EXPECT_LT(clock.elapsed(), 10000) << "workers end at once, not after the hold or the pause";
    LogOut(state_, *http_);
    EXPECT_FALSE(sessionAlive());
    EXPECT_TRUE(sink_.events().isEmpty()) << "a user's sign-out posts no event";
}

TEST_F(SessionTest, AReconnectNeverSkipsMessagesThatWaitOnTheChannel) {
    startPoll();
    ASSERT_TRUE(standin_.waitForHeldPolls(1));
    // The poll after the next answer meets an error and the loop asks where to go; while that
    // question waits, two more messages join the channel. The reconnect's answer names the
    // channel's next seq, past both of them.
    fault({{"path", "/x/*"}, {"action", "status"}, {"count", 1}});
    fault(
        {{"path", "/ajax/presence/reconnect.php"}, {"action", "delay"}, {"ms", 800}, {"count", 1}});
    say(kZoe, QStringLiteral("one"));
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return s.messages().size() == 1; }));
    std::this_thread::sleep_for(300ms);
    say(kZoe, QStringLiteral("two"));
    say(kZoe, QStringLiteral("three"));
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return s.messages().size() == 3; }))
        << texts().join(u',').toStdString();
    EXPECT_EQ(texts(), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(standin_.requests(QStringLiteral("path=/ajax/presence/reconnect.php")).size(), 1);
}

TEST_F(SessionTest, ASeqAtTheTopOfTheRangeIsNotCountedOn) {
    startPoll();
    ASSERT_TRUE(standin_.waitForHeldPolls(1));
    // The poll after the next answer gets a seq from which counting items on would overflow.
    fault({{"path", "/x/*"},
           {"action", "body"},
           {"body", "{\"seq\":9223372036854775807}"},
           {"count", 1}});
    say(kZoe, QStringLiteral("one"));
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return s.messages().size() == 1; }));
    std::this_thread::sleep_for(300ms);
    say(kZoe, QStringLiteral("two"));
    ASSERT_TRUE(sink_.waitFor([](const RecordingSink& s) { return s.messages().size() == 2; }));
    EXPECT_EQ(channelPollsFor(QStringLiteral("=9223372036854775807")), 0);
}
