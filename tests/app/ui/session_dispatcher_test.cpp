// What the main window shows for each report of the session engine, and the window's steps of
// signing in and out. The engine's signals are raised directly: the window's side alone.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/session_engine.h"
#include "app/ui/main_window.h"
#include "app/ui/session_dispatcher.h"
#include "contacts/ui/buddy_tree.h"
#include "platform/memory_settings_store.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"

using namespace quillo;

namespace {

class DispatcherTest : public ::testing::Test {
protected:
    DispatcherTest()
        : engine_(Endpoints{}, strings_)
        , window_(strings_)
        , tree_(strings_)
        , dispatcher_(engine_, window_, tree_, strings_, settings_, store_) {
        window_.setContactTree(&tree_);
        QObject::connect(&dispatcher_, &SessionDispatcher::trayStateChanged,
                         [this](int state) { tray_ = state; });
    }

    QLabel* label(const char* name) { return window_.findChild<QLabel*>(QLatin1String(name)); }
    bool errorShows(LanguageKey text) {
        QLabel* error = label("lblLoginError");
        return !error->isHidden() && error->text() == WithSingleLineBreaks(strings_.text(text));
    }
    void showContacts() {
        emit engine_.sessionEvent(SessionEventName::SignedIn);
        emit engine_.buddyListLoaded({{ContactId(7), QStringLiteral("Zo\\u00eb"), true},
                                      {ContactId(9), QStringLiteral("Bob"), false}});
    }

    LanguageStrings strings_;
    Settings settings_;
    MemorySettingsStore store_;
    SessionEngine engine_;
    MainWindow window_;
    BuddyTree tree_;
    SessionDispatcher dispatcher_;
    int tray_ = -1;
};

struct Failure {
    SessionEventName event;
    std::optional<LanguageKey> text; // the error label's text; none: the label stays hidden
};

} // namespace

TEST_F(DispatcherTest, EveryFailureReturnsToTheLoginPageWithItsText) {
    const Failure failures[] = {
        {SessionEventName::LoginFailed, LanguageKey::msgLoginFail},
        {SessionEventName::ConnectionLost, LanguageKey::msgConnectFail},
        {SessionEventName::SessionExpired, LanguageKey::msgLoginExpire},
        {SessionEventName::NoContacts, LanguageKey::msgFriendList},
        {SessionEventName::SignInCancelled, std::nullopt},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(sessionEventKey(failure.event).toStdString());
        window_.hideLoginError();
        showContacts();
        ASSERT_TRUE(window_.contactPageShown());
        window_.showSigningPanel(QStringLiteral("busy"), true);
        emit engine_.sessionEvent(failure.event);
        EXPECT_FALSE(window_.contactPageShown());
        EXPECT_FALSE(window_.signingPanelShown());
        EXPECT_EQ(tray_, 0);
        EXPECT_TRUE(window_.btnSignin->isEnabled());
        EXPECT_FALSE(window_.Signout1->isEnabled());
        if (failure.text)
            EXPECT_TRUE(errorShows(*failure.text));
        else
            EXPECT_TRUE(label("lblLoginError")->isHidden());
    }
}

TEST_F(DispatcherTest, SignedInThenTheListShowsTheContactPageOnline) {
    engine_.state().FullName.set(QStringLiteral("Zo\\u00eb \\u00c5ngstr\\u00f6m"));
    window_.showSigningPanel(QStringLiteral("Signing in"), true);
    emit engine_.sessionEvent(SessionEventName::SignedIn);
    EXPECT_TRUE(window_.signingPanelShown()) << "the list is still to come";
    EXPECT_FALSE(window_.btnCancel->isEnabled());
    EXPECT_EQ(label("Panel1")->text(), strings_.text(LanguageKey::msgGetBuddy));
    EXPECT_EQ(label("Label1")->text(), QStringLiteral("Zoë Ångström"));

    QList<bool> signOutItems;
    QObject::connect(&dispatcher_, &SessionDispatcher::signOutEnabledChanged,
                     [&](bool enabled) { signOutItems.append(enabled); });
    emit engine_.buddyListLoaded({{ContactId(7), QStringLiteral("Zo\\u00eb"), true}});
    EXPECT_TRUE(window_.contactPageShown());
    EXPECT_FALSE(window_.signingPanelShown());
    EXPECT_EQ(tray_, 1);
    EXPECT_TRUE(window_.Signout1->isEnabled());
    EXPECT_EQ(signOutItems, QList<bool>{true});
    EXPECT_NE(tree_.FindBuddyNode(tree_.onlineGroup(), ContactId(7)), nullptr);
}

TEST_F(DispatcherTest, StartupCheckFailedShowsNoTextAndLetsTheUserTryAgain) {
    window_.btnSignin->setEnabled(false);
    window_.showSigningPanel(QStringLiteral("Signing in"), true);
    emit engine_.sessionEvent(SessionEventName::StartupCheckFailed);
    EXPECT_FALSE(window_.signingPanelShown());
    EXPECT_TRUE(window_.btnSignin->isEnabled());
    EXPECT_TRUE(label("lblLoginError")->isHidden());
    EXPECT_EQ(tray_, 0);
}

TEST_F(DispatcherTest, BadInputIsRefusedOnTheLoginPage) {
    window_.txtEmail->setText(QStringLiteral("no-at-sign"));
    window_.txtPassword->setText(QStringLiteral("secret"));
    dispatcher_.StartSignIn();
    EXPECT_TRUE(errorShows(LanguageKey::msgIncorrectPassword));
    EXPECT_TRUE(window_.btnSignin->isEnabled());
    EXPECT_FALSE(window_.signingPanelShown());
}

TEST_F(DispatcherTest, ALostSessionSignsInAgainOnlyWhenAskedAndOnline) {
    const struct {
        bool automatic;
        bool addressKnown;
        bool signsInAgain;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.automatic << c.addressKnown);
        window_.chkremember->setChecked(true);
        window_.chkAuto->setChecked(c.automatic);
        engine_.demographic().IP.set(c.addressKnown ? QStringLiteral("192.0.2.7") : QString());
        window_.txtEmail->setText(QStringLiteral("alice@quillo.test"));
        window_.txtPassword->setText(QStringLiteral("alice"));
        showContacts();
        emit engine_.sessionEvent(SessionEventName::ConnectionLost);
        EXPECT_EQ(window_.signingPanelShown(), c.signsInAgain);
        EXPECT_EQ(!window_.btnSignin->isEnabled(), c.signsInAgain);
        engine_.cancelSignIn();
        emit engine_.sessionEvent(SessionEventName::SignInCancelled);
    }
}

// A service that accepts the password but ends every session at once: the program signs in
// again at once the first time only, then waits (SignInAgainRule has the waits).
TEST_F(DispatcherTest, SessionsLostInARowAreNotFollowedBySignInsAtOnce) {
    window_.chkremember->setChecked(true);
    window_.chkAuto->setChecked(true);
    engine_.demographic().IP.set(QStringLiteral("192.0.2.7"));
    window_.txtEmail->setText(QStringLiteral("alice@quillo.test"));
    window_.txtPassword->setText(QStringLiteral("alice"));
    QList<bool> signsInAtOnce;
    for (int loss = 0; loss < 3; ++loss) {
        showContacts();
        emit engine_.sessionEvent(SessionEventName::ConnectionLost);
        signsInAtOnce.append(window_.signingPanelShown());
        engine_.cancelSignIn();
        emit engine_.sessionEvent(SessionEventName::SignInCancelled);
    }
    EXPECT_EQ(signsInAtOnce, (QList<bool>{true, false, false}));
    EXPECT_TRUE(errorShows(LanguageKey::msgConnectFail)) << "the reason stays shown meanwhile";
}

TEST_F(DispatcherTest, ALiveMessageMovesItsSenderOnline) {
    showContacts();
    QList<IncomingLine> forChat;
    QObject::connect(&dispatcher_, &SessionDispatcher::chatMessages,
                     [&](const QList<IncomingLine>& lines) { forChat.append(lines); });
    ChatMessage replayed;
    replayed.from = replayed.conversation = ContactId(9);
    replayed.text = QStringLiteral("old");
    emit engine_.messagesArrived({replayed});
    EXPECT_NE(tree_.FindBuddyNode(tree_.offlineGroup(), ContactId(9)), nullptr)
        << "a line from history proves nothing about now";
    ChatMessage live = replayed;
    live.live = true;
    ChatMessage next = live;
    next.text = QStringLiteral("new");
    emit engine_.messagesArrived({live, next});
    EXPECT_NE(tree_.FindBuddyNode(tree_.onlineGroup(), ContactId(9)), nullptr);
    ASSERT_EQ(forChat.size(), 3) << "every line goes to the chat window";
    EXPECT_FALSE(forChat[0].friendInTree.online);
    EXPECT_TRUE(forChat[1].friendInTree.online) << "the live line has moved its sender";
    EXPECT_EQ(forChat[2].message.text, QStringLiteral("new"));
}
