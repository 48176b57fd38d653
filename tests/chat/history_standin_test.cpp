// The history replay and the clearing of a conversation against the local stand-in, whose
// demo account has open conversations with Bob (three lines), Zoë (one), José (none) and the
// echo bot (two, one of them the user's own).
#include <QJsonArray>
#include <gtest/gtest.h>

#include "chat/history.h"
#include "conversation/text_codecs.h"
#include "harness/demo_accounts.h"
#include "harness/recording_sink.h"
#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        http_ = std::make_unique<HttpLayer>(state_, standin_.endpoints());
        ASSERT_TRUE(signIn());
    }

    bool signIn() {
        return SignInAs(state_, *http_, QStringLiteral("alice@quillo.test"),
                        QStringLiteral("alice"));
    }

    // Replays the current home page; each line as "sender: decoded text".
    QStringList replay() {
        RecordingSink sink;
        state_.MainWindow = &sink;
        ReplayHistory(state_.HomePage.get(), state_, *http_,
                      [](const QString& id) { return QStringLiteral("name of ") + id; });
        state_.MainWindow = nullptr;
        QStringList lines;
        for (const TMSg& m : sink.messages()) {
            lines.append(m.FromId + QStringLiteral(": ") +
                         DecodeUnicodeEscapes(StripBackslashEscapes(m.Text)));
            replayed_.append(m);
        }
        return lines;
    }

    QStringList historyRequests() {
        QStringList ids;
        const QJsonArray requests =
            standin_.requests(QStringLiteral("path=/ajax/chat/history.php"));
        for (const QJsonValue& r : requests)
            for (const QJsonValue& pair : r[u"query"].toArray())
                if (pair[0].toString() == u"id")
                    ids.append(pair[1].toString());
        return ids;
    }

    StandInProcess standin_;
    SessionState state_;
    std::unique_ptr<HttpLayer> http_;
    QList<TMSg> replayed_;
};

} // namespace

namespace {

const QString kBobsLastLine = QStringLiteral("The \"big\" one from http://www.quillo.test/cakes?");

// The demo account's replay, each conversation in order, each line once.
QStringList DemoReplay(bool withZoe) {
    const QString own = kAlice + QStringLiteral(": ");
    QStringList lines{
        kBob + QStringLiteral(": Are you coming on Friday?"),
        own + QStringLiteral("Yes! I'll bring the cake &lt;3"),
        kBob + QStringLiteral(": Great, see you &amp; the cake then"),
        kBob + QStringLiteral(": ") + kBobsLastLine,
    };
    if (withZoe)
        lines.append(kZoe + QStringLiteral(": Tack för i går! 😀"));
    lines.append({own + QStringLiteral("hello bot"), kEcho + QStringLiteral(": hello bot")});
    return lines;
}

} // namespace

TEST_F(HistoryTest, ReplaysEachConversationOnceAndInOrder) {
    EXPECT_EQ(replay(), DemoReplay(true))
        << "the page's last lines wait for their conversation's history and come once";
    EXPECT_EQ(historyRequests(), (QStringList{kBob, kZoe, kEcho}))
        << "José's conversation has nothing more and is not fetched";
    EXPECT_FALSE(state_.HistoryLoading);

    for (const TMSg& m : replayed_) {
        SCOPED_TRACE(m.Text.toStdString());
        EXPECT_FALSE(m.Live);
        const bool others = m.FromId != kAlice;
        EXPECT_EQ(m.Replayed, others);
        EXPECT_EQ(m.FromName, others ? QStringLiteral("name of ") + m.FromId : QString());
        EXPECT_EQ(m.To, others ? kAlice : (m.Text.contains(u"bot") ? kEcho : kBob));
        EXPECT_FALSE(m.Time.isEmpty());
    }
}

TEST_F(HistoryTest, PageLinesSurviveAFailedHistoryFetchInTheAnswersForm) {
    standin_.control(QStringLiteral("faults"),
                     {{"path", "/ajax/chat/history.php"}, {"action", "empty"}});
    EXPECT_EQ(replay(), (QStringList{
                            kBob + QStringLiteral(": ") + kBobsLastLine,
                            kZoe + QStringLiteral(": Tack för i går! 😀"),
                            kEcho + QStringLiteral(": hello bot"),
                        }));
    EXPECT_FALSE(state_.HistoryLoading);
    ASSERT_FALSE(replayed_.isEmpty());
    EXPECT_EQ(replayed_[0].Text,
              QStringLiteral("The \\\"big\\\" one from http:\\/\\/www.quillo.test\\/cakes?"))
        << "escaped once, as in a history answer, not twice as in the page's script string";
}

TEST_F(HistoryTest, ClearingAConversationRemovesItFromTheService) {
    EXPECT_TRUE(ClearHistory(*http_, state_, kZoe));
    const QJsonArray cleared = standin_.records(QStringLiteral("history"));
    ASSERT_EQ(cleared.size(), 1);
    EXPECT_EQ(QString::number(cleared[0][u"cleared"].toInteger()), kZoe);

    const QJsonArray posts = standin_.requests(QStringLiteral("path=/ajax/chat/settings.php"));
    ASSERT_EQ(posts.size(), 1);
    EXPECT_EQ(posts[0][u"form"].toArray(),
              (QJsonArray{QJsonArray{"clear_history_id", kZoe},
                          QJsonArray{"post_form_id", state_.PostFormId.get()},
                          QJsonArray{"post_form_id_source", "AsyncRequest"}}));

    ASSERT_TRUE(signIn());
    EXPECT_EQ(replay(), DemoReplay(false));
}

TEST_F(HistoryTest, ClearingFailsWithoutTheServicesConfirmation) {
    standin_.control(QStringLiteral("faults"),
                     {{"path", "/ajax/chat/settings.php"}, {"action", "empty"}, {"count", 1}});
    EXPECT_FALSE(ClearHistory(*http_, state_, kZoe)) << "an empty answer";
    state_.PostFormId.set(QStringLiteral("stale"));
    EXPECT_FALSE(ClearHistory(*http_, state_, kZoe)) << "a token the service refuses";
    EXPECT_TRUE(standin_.records(QStringLiteral("history")).isEmpty());
}
