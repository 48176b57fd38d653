// The chat window in the whole program against the stand-in: the program's own wiring (engine,
// main window, contact tree, dispatcher, chat window) signed in as a person does, then talking.
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/main_window.h"
#include "app/ui/messenger.h"
#include "contacts/ui/buddy_tree.h"
#include "conversation/chat_log.h"
#include "conversation/ui/chat_input.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/link_label.h"
#include "harness/demo_accounts.h"
#include "harness/standin_process.h"
#include "platform/memory_settings_store.h"
#include "prefs/settings.h"
#include "signed_in_messenger.h"

using namespace quillo;
using namespace quillo::test;

namespace {

ContactId id(const QString& text) {
    return ContactId::fromText(text);
}

class ChatStandInTest : public SignedInMessengerTest {
protected:
    void SetUp() override {
        SignedInMessengerTest::SetUp();
        if (HasFatalFailure())
            return;
        chat()->setDialogs({[](QWidget*, const QString&) { return true; },
                            [](QWidget*) { return QString(); }, [](QWidget*, const QString&) {}});
    }

    ChatWindow* chat() { return messenger_->chatWindow(); }
    QString shown(ContactId friendId) {
        ChatTab* tab = chat()->tabOf(friendId);
        return tab ? tab->view()->toPlainText() : QString();
    }
    ChatTab* openFromTree(ContactId friendId) {
        QTreeWidgetItem* node = tree()->FindBuddyNode(tree()->onlineGroup(), friendId);
        if (!node)
            return nullptr;
        tree()->OpenChatWith(node);
        return chat()->tabOf(friendId);
    }
    void send(ChatTab* tab, const QString& text) {
        tab->input()->setFocus();
        // Key by key, as typed; QTest::keyClicks knows only ASCII.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(tab->input(), &press);
        }
        QTest::keyClick(tab->input(), Qt::Key_Return);
    }
};

} // namespace

TEST_F(ChatStandInTest, TheEchoBotAnswersInItsTabAfterItsTypingLine) {
    ChatTab* tab = openFromTree(id(kEcho));
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(chat()->isVisible());
    EXPECT_EQ(chat()->activeTab(), tab);
    QStringList statusLines;
    QObject::connect(chat()->findChild<QStatusBar*>(QStringLiteral("StatusBar1")),
                     &QStatusBar::messageChanged, chat(),
                     [&](const QString& text) { statusLines.append(text); });

    send(tab, QStringLiteral("Grüße <b>x</b> :)"));
    ASSERT_TRUE(runUntil([&] { return shown(id(kEcho)).count(QStringLiteral("Grüße")) == 2; }));
    const QJsonArray chats = standin_.records(QStringLiteral("chat"));
    ASSERT_FALSE(chats.isEmpty());
    EXPECT_EQ(chats.last().toObject().value(QStringLiteral("text")).toString(),
              QStringLiteral("Grüße <b>x</b> :)"));
    const qsizetype typing = statusLines.indexOf(QStringLiteral("Echo Bot is typing message..."));
    const qsizetype received =
        statusLines.indexOf(QStringLiteral("Message received from Echo Bot"));
    EXPECT_GE(typing, 0) << statusLines.join(u'|').toStdString();
    EXPECT_GT(received, typing);
    EXPECT_TRUE(shown(id(kEcho)).contains(QStringLiteral("<b>x</b>"))) << "text, not markup";
    EXPECT_TRUE(QFile(ChatLogPath(id(kAlice), id(kEcho))).size() > 0);
}

TEST_F(ChatStandInTest, AFriendWhoLeftGetsTheUndeliveredNoticeAndMovesToOffline) {
    ChatTab* tab = openFromTree(id(kZoe));
    ASSERT_NE(tab, nullptr);
    standin_.control(QStringLiteral("act"), {{QStringLiteral("as"), kZoe.toLongLong()},
                                             {QStringLiteral("online"), false}});
    send(tab, QStringLiteral("still there?"));
    ASSERT_TRUE(runUntil([&] { return shown(id(kZoe)).contains(QStringLiteral("no longer")); }));
    EXPECT_TRUE(shown(id(kZoe)).contains(QStringLiteral(
        "is no longer online. Following message \"still there?\" has not been sent.")));
    EXPECT_NE(tree()->FindBuddyNode(tree()->offlineGroup(), id(kZoe)), nullptr);
    EXPECT_EQ(tab->image(), TabImage::Offline);
    EXPECT_FALSE(tab->input()->isEnabled());
}

TEST_F(ChatStandInTest, ClearingTheHistoryReachesTheServiceAndRemovesTheLog) {
    ChatTab* tab = openFromTree(id(kEcho));
    ASSERT_NE(tab, nullptr);
    send(tab, QStringLiteral("forget this"));
    ASSERT_TRUE(runUntil([&] { return shown(id(kEcho)).count(QStringLiteral("forget")) == 2; }));
    const QString log = ChatLogPath(id(kAlice), id(kEcho));
    ASSERT_TRUE(QFile::exists(log));
    emit tab->clearLink()->clicked();
    EXPECT_TRUE(tab->view()->document()->isEmpty());
    EXPECT_FALSE(QFile::exists(log));
    ASSERT_TRUE(runUntil([&] {
        for (const QJsonValue& cleared : standin_.records(QStringLiteral("history"))) {
            const QJsonObject record = cleared.toObject();
            if (record.value(QStringLiteral("cleared")).toVariant().toString() == kEcho &&
                record.value(QStringLiteral("user")).toVariant().toString() == kAlice)
                return true;
        }
        return false;
    })) << QJsonDocument(standin_.records(QStringLiteral("history"))).toJson().toStdString();
}

TEST_F(ChatStandInTest, TheUsersOwnReplayedLinesLandInTheirConversations) {
    // Alice wrote to Bob "Yes! I'll bring the cake <3" before the program started.
    ASSERT_TRUE(runUntil([&] { return chat()->tabOf(id(kBob)) != nullptr; }));
    const QString bob = shown(id(kBob));
    EXPECT_TRUE(bob.contains(QStringLiteral("Alice Lindqvist ("))) << bob.toStdString();
    EXPECT_TRUE(bob.contains(QStringLiteral("Yes! I'll bring the cake"))) << bob.toStdString();
    EXPECT_TRUE(chat()->tabOf(id(kBob))->view()->toHtml().contains(QStringLiteral("ref20.gif")));
    EXPECT_FALSE(shown(id(kZoe)).contains(QStringLiteral("cake")));
    EXPECT_FALSE(QFile::exists(ChatLogPath(id(kAlice), id(kBob)))) << "replays are not logged";
}

// Zoë sends 1,000 lines at once while the channel host answers the next long poll late, so the
// channel (which keeps its last 200 items) has dropped most of them when the poll comes back.
// The program fills the gap from the service's history: the view and the chat log end with
// every line once, in order, and nothing says lines are missing.
TEST_F(ChatStandInTest, ABurstTheChannelDroppedEndsWholeInTheViewAndTheLog) {
    standin_.control(
        QStringLiteral("faults"),
        {{"host", "0.*"}, {"path", "/x/*"}, {"action", "delay"}, {"ms", 1500}, {"count", 1}});
    standin_.control(
        QStringLiteral("act"),
        {{"as", kZoe}, {"send", QJsonObject{{"to", kAlice}, {"text", "burst"}, {"count", 1000}}}});
    const ContactId zoe = id(kZoe);
    ASSERT_TRUE(runUntil(
        [&] {
            return shown(zoe).contains(QStringLiteral("burst #1000")) &&
                   chat()->waitingLines() == 0;
        },
        60000));
    const QString log = ReadChatLog(ChatLogPath(id(kAlice), zoe)).text;
    for (const QString& text : {shown(zoe), log}) {
        qsizetype at = -1;
        for (int i = 1; i <= 1000; ++i) {
            const QString line = QStringLiteral("burst #%1 ").arg(i);
            const qsizetype found = text.indexOf(line);
            ASSERT_GT(found, at) << line.toStdString() << " missing or out of order";
            ASSERT_EQ(text.indexOf(line, found + 1), -1) << line.toStdString() << " twice";
            at = found;
        }
    }
    EXPECT_FALSE(shown(zoe).contains(QStringLiteral("may have been missed")));
    bool askedHistory = false;
    for (const QJsonValue& r : standin_.requests())
        askedHistory = askedHistory || r[u"path"].toString() == u"/ajax/chat/history.php";
    EXPECT_TRUE(askedHistory) << "the channel did drop lines";
}
