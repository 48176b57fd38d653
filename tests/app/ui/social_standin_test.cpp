// The bulk dialog, the recommendation and the preferences in the whole program against the
// stand-in: what a person does from the contact tree, the links and the Tools menu, and what
// the service records.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include "conversation/ui/link_label.h"
#include "harness/demo_accounts.h"
#include "platform/autorun.h"
#include "prefs/ui/option_dialog.h"
#include "signed_in_messenger.h"
#include "social/ui/bulk_dialog.h"

using namespace quillo;
using namespace quillo::test;

namespace {

class SocialStandInTest : public SignedInMessengerTest {
protected:
    BulkDialog* bulk() { return messenger_->bulkDialog(); }
    QAction* menuItem(const char* name) {
        return tree()->popupMenu()->findChild<QAction*>(QLatin1String(name));
    }
    void select(const QStringList& ids) {
        tree()->clearSelection();
        for (const QString& id : ids)
            onlineNode(id)->setSelected(true);
    }
    QList<QJsonObject> posts(const QString& kind) {
        QList<QJsonObject> found;
        for (const QJsonValue& post : standin_.records(QStringLiteral("posts"))) {
            if (post[u"kind"].toString() == kind)
                found.append(post.toObject());
        }
        return found;
    }
    static QString field(const QJsonObject& post, const QString& name) {
        for (const QJsonValue& pair : post[u"fields"].toArray()) {
            if (pair[0].toString() == name)
                return pair[1].toString();
        }
        return {};
    }
    // Answers every message box that comes up while the test runs, noting its text.
    void answerMessageBoxes() {
        auto* watcher = new QTimer(messenger_.get());
        QObject::connect(watcher, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes_.append(box->text());
                box->accept();
            }
        });
        watcher->start(20);
    }

    const QStringList three_ = {kZoe, kEcho, QStringLiteral("100000101000973")};
    QStringList boxes_;
};

} // namespace

TEST_F(SocialStandInTest, WallPostsToThreeFriendsFromTheTreesMenu) {
    select(three_);
    menuItem("Writetouserswall1")->trigger();
    ASSERT_TRUE(bulk()->isVisible());
    EXPECT_EQ(bulk()->mode(), int(BulkKind::WallPost));
    EXPECT_EQ(bulk()->recipients().size(), 3);
    EXPECT_TRUE(bulk()->textEdit()->toPlainText().isEmpty());
    bulk()->textEdit()->setPlainText(QStringLiteral("  Happy new year! 🎆  "));
    bulk()->sendButton()->click();
    ASSERT_TRUE(runUntil([&] { return bulk()->okButton()->isVisible(); }));
    EXPECT_EQ(bulk()->statusLabel()->text(), QStringLiteral("Done"));
    const QList<QJsonObject> walls = posts(QStringLiteral("wall"));
    ASSERT_EQ(walls.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(field(walls[i], QStringLiteral("target_id")), three_[i]);
        EXPECT_EQ(field(walls[i], QStringLiteral("status")), QStringLiteral("Happy new year! 🎆"));
    }
    bulk()->okButton()->click();
    EXPECT_TRUE(bulk()->isHidden());
    EXPECT_EQ(bulk()->mode(), 0);
}

TEST_F(SocialStandInTest, TheRecommendationLinkSendsPrivateMessagesWithTheTextFilledIn) {
    select(three_);
    emit main()->lbSendMail->clicked();
    ASSERT_TRUE(bulk()->isVisible());
    EXPECT_EQ(bulk()->mode(), int(BulkKind::PrivateMessage));
    EXPECT_EQ(bulk()->subjectEdit()->text(),
              QStringLiteral("Alice Lindqvist Recommends Quillo for Facebook"));
    EXPECT_TRUE(bulk()->textEdit()->toPlainText().contains(
        QStringLiteral("Alice Lindqvist is using Quillo for Facebook")));

    bulk()->sendButton()->click();
    ASSERT_TRUE(runUntil([&] { return bulk()->okButton()->isVisible(); }));
    const QList<QJsonObject> messages = posts(QStringLiteral("message"));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(field(messages[2], QStringLiteral("ids[0]")), three_[2]);
    EXPECT_EQ(field(messages[0], QStringLiteral("subject")),
              QStringLiteral("Alice Lindqvist Recommends Quillo for Facebook"));
}

// The links act on the selection whatever menus were opened before, and their fill-in is for
// their own opening only.
TEST_F(SocialStandInTest, TheLinksFollowTheSelectionAndLeaveNoFillInBehind) {
    tree()->PrepareContextMenu(tree()->visualItemRect(tree()->onlineGroup()).center());
    EXPECT_FALSE(main()->lbSendWall->isEnabled()) << "a group is no friend";
    select({kZoe});
    EXPECT_TRUE(main()->lbSendWall->isEnabled());
    EXPECT_TRUE(main()->lbSendMail->isEnabled());
    emit main()->lbSendWall->clicked();
    ASSERT_TRUE(bulk()->isVisible());
    EXPECT_EQ(bulk()->mode(), int(BulkKind::WallPost));
    EXPECT_FALSE(bulk()->textEdit()->toPlainText().isEmpty()) << "the recommendation";

    tree()->PrepareContextMenu(tree()->visualItemRect(onlineNode(kZoe)).center());
    menuItem("Sendmail1")->trigger();
    EXPECT_EQ(bulk()->mode(), int(BulkKind::PrivateMessage));
    EXPECT_TRUE(bulk()->textEdit()->toPlainText().isEmpty()) << "the menu's command fills nothing";

    tree()->clearSelection();
    EXPECT_FALSE(main()->lbSendMail->isEnabled());
}

TEST_F(SocialStandInTest, ASecondSendWhileOneRunsSendsBoth) {
    standin_.control(QStringLiteral("faults"),
                     {{"path", "/ajax/updatestatus.php"}, {"action", "delay"}, {"ms", 300}});
    select(three_);
    menuItem("Writetouserswall1")->trigger();
    bulk()->textEdit()->setPlainText(QStringLiteral("twice"));
    bulk()->sendButton()->click();
    bulk()->sendButton()->click();
    ASSERT_TRUE(runUntil([&] { return posts(QStringLiteral("wall")).size() == 6; }));
    ASSERT_TRUE(runUntil([&] { return bulk()->okButton()->isVisible(); }));
}

TEST_F(SocialStandInTest, RecommendingKeepsTheWindowAliveWhileTheServiceTakesItsTime) {
    answerMessageBoxes();
    standin_.control(
        QStringLiteral("faults"),
        {{"path", "/ajax/chat/send.php"}, {"action", "delay"}, {"ms", 2000}, {"count", 1}});
    // The window goes on painting and answering while the recommendation waits.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(10);
    emit tree()->recommendRequested(ContactId::fromText(kZoe), QStringLiteral("Zoë Ångström"));
    ASSERT_TRUE(runUntil([&] { return !boxes_.isEmpty(); }, 10000));
    EXPECT_GE(clock.elapsed(), 1900) << "the answer was held";
    // A loaded test machine may stall the loop a little; the answer alone takes 2 s.
    EXPECT_LT(longestGap, 1200) << "the user-interface thread waited for the network";
    EXPECT_EQ(boxes_.value(0), QStringLiteral("Message sent."));

    // A friend who left meanwhile.
    standin_.control(QStringLiteral("act"), {{QStringLiteral("as"), kZoe.toLongLong()},
                                             {QStringLiteral("online"), false}});
    emit tree()->recommendRequested(ContactId::fromText(kZoe), QStringLiteral("Zoë Ångström"));
    ASSERT_TRUE(runUntil([&] { return boxes_.size() == 2; }));
    EXPECT_TRUE(boxes_[1].contains(QStringLiteral("Zoë Ångström"))) << boxes_[1].toStdString();
    const QJsonArray chats = standin_.records(QStringLiteral("chat"));
    ASSERT_FALSE(chats.isEmpty());
}

TEST_F(SocialStandInTest, PreferencesChangeOnlyWithOkAndTakeEffectAtOnce) {
    OptionDialog* options = messenger_->optionDialog();
    struct Round {
        bool ok;
        bool autorun;
        bool hideOffline;
    };
    const Round rounds[] = {{true, true, true}, {false, false, false}, {true, false, false}};
    bool expectAutorun = false;
    bool expectHide = false;
    for (const Round& round : rounds) {
        SCOPED_TRACE(round.ok);
        QTimer::singleShot(0, options, [&] {
            options->box("chkAutorun")->setChecked(round.autorun);
            options->box("chkHideoffline")->setChecked(round.hideOffline);
            options->box("chkShowStatus")->setChecked(true);
            options
                ->findChild<QPushButton*>(
                    QLatin1String(round.ok ? "PreferencesOKBtn" : "PreferencesCancelBtn"))
                ->click();
        });
        main()->findChild<QAction*>(QStringLiteral("Option1"))->trigger();
        if (round.ok) {
            expectAutorun = round.autorun;
            expectHide = round.hideOffline;
        }
        EXPECT_EQ(IsAutorunRegistered(), expectAutorun);
        EXPECT_EQ(tree()->hideOffline(), expectHide);
        Settings stored;
        TDemographic demographic;
        SessionState state;
        LoadSettings(*store_, stored, demographic, state);
        EXPECT_EQ(stored.Autorun.load(), expectAutorun);
        EXPECT_EQ(stored.HideOffline.load(), expectHide);
        // The consent goes with the account signed in (every round ticks it; the first is OK).
        Settings consent;
        ReadAccountConsent(*store_, kAliceEmail, consent);
        EXPECT_TRUE(consent.ShowStatus.load());
    }
}

// Before any sign-in, Preferences show the remembered account's answer about status posts, and
// OK without a change keeps it: the default "No" once replaced a "Yes".
TEST(PreferencesBeforeSignIn, KeepTheRememberedAccountsConsent) {
    TempHome home;
    StandInProcess standin;
    ASSERT_TRUE(standin.started()) << standin.problem().toStdString();
    for (const bool consent : {true, false}) {
        SCOPED_TRACE(consent);
        auto store = std::make_unique<MemorySettingsStore>();
        MemorySettingsStore* kept = store.get();
        Settings remembered;
        remembered.RememberSignin = true;
        TDemographic demographic;
        SessionState session;
        session.Email.set(kAliceEmail);
        ASSERT_TRUE(SaveSettings(*store, remembered, demographic, session).ok());
        WriteAccountConsent(*store, kAliceEmail, consent);
        Messenger messenger(std::move(store), standin.endpoints());
        messenger.start();
        ASSERT_TRUE(runUntil(
            [&] { return messenger.mainWindow() && messenger.mainWindow()->isVisible(); }));
        OptionDialog* options = messenger.optionDialog();
        bool shown = !consent;
        QTimer::singleShot(0, options, [&] {
            shown = options->box("chkShowStatus")->isChecked();
            options->findChild<QPushButton*>(QStringLiteral("PreferencesOKBtn"))->click();
        });
        messenger.mainWindow()->findChild<QAction*>(QStringLiteral("Option1"))->trigger();
        EXPECT_EQ(shown, consent) << "the account's own answer is shown";
        Settings after;
        ASSERT_TRUE(ReadAccountConsent(*kept, kAliceEmail, after).ok());
        EXPECT_EQ(after.ShowStatus.load(), consent);
    }
}
