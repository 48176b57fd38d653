#include "app/ui/session_dispatcher.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <chrono>

#include "app/session_engine.h"
#include "app/ui/main_window.h"
#include "contacts/ui/buddy_tree.h"
#include "conversation/text_codecs.h"
#include "desktop/ui/desktop_pictures.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "promo/startup_check.h"

namespace quillo {

namespace {

// The program's icon at the size message boxes give their icons.
QPixmap ProgramIconForBox(const QWidget& owner) {
    const int side = owner.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &owner);
    return DrawApplicationIcon().pixmap(QSize(side, side), owner.devicePixelRatio());
}

} // namespace

SessionDispatcher::SessionDispatcher(SessionEngine& engine, MainWindow& window, BuddyTree& tree,
                                     const LanguageStrings& strings, Settings& settings,
                                     SettingsStore& store, QObject* parent)
    : QObject(parent)
    , engine_(engine)
    , window_(window)
    , tree_(tree)
    , strings_(strings)
    , settings_(settings)
    , store_(store) {
    connect(&engine_, &SessionEngine::sessionEvent, this, &SessionDispatcher::onSessionEvent);
    connect(&engine_, &SessionEngine::signInRefused, this, &SessionDispatcher::onSignInRefused);
    connect(&engine_, &SessionEngine::buddyListLoaded, this, &SessionDispatcher::onBuddyListLoaded);
    connect(&engine_, &SessionEngine::presenceChanged, this, &SessionDispatcher::onPresenceChanged);
    connect(&engine_, &SessionEngine::messagesArrived, this, &SessionDispatcher::onMessages);
    connect(&engine_, &SessionEngine::messagesMayBeMissing, this,
            [this](const QList<ContactId>& friends) {
                for (const ContactId& id : friends)
                    emit messagesMayBeMissing(id);
            });
    connect(&engine_, &SessionEngine::signedOut, this, &SessionDispatcher::onSignedOut);
    connect(&engine_, &SessionEngine::pictureFound, this, &SessionDispatcher::onPicture);
    // What the person asks for starts the count of automatic attempts anew.
    connect(&window_, &MainWindow::signInClicked, this, [this] {
        signInAgainTimer_.stop();
        signInAgain_.reset();
        StartSignIn();
    });
    connect(&window_, &MainWindow::signOutRequested, this, [this] {
        signInAgainTimer_.stop();
        signInAgain_.reset();
        SignOut();
    });
    signInAgainTimer_.setSingleShot(true);
    connect(&signInAgainTimer_, &QTimer::timeout, this, [this] {
        // Unless the person signed in meanwhile or turned automatic sign-in off.
        if (!engine_.signedIn() && window_.btnSignin->isEnabled() && window_.chkAuto->isChecked())
            StartSignIn();
    });
    connect(&window_, &MainWindow::cancelClicked, this, [this] {
        window_.btnCancel->setEnabled(false);
        window_.btnSignin->setEnabled(true);
        engine_.cancelSignIn();
    });
    connect(&tree_, &BuddyTree::presenceNotice, this,
            [this](const QString& name, ContactId id, bool online) {
                if (!settings_.TurnOffNotify)
                    emit presenceNotice(name, id, online);
            });
}

bool SessionDispatcher::askUser(const QString& question) {
    return askYesNo(&window_, WithSingleLineBreaks(question));
}

void SessionDispatcher::StartSignIn() {
    const QString email = window_.txtEmail->text();
    const QString password = window_.txtPassword->text();
    // The reason of a failure stays shown until the next SignedIn.
    window_.btnSignin->setEnabled(false);
    SignInQuestions questions;
    questions.goOnAfterExpiries = [this](const QString& q) { return askUser(q); };
    // The program asks on its own behalf whether it may post: the box shows its own mark.
    questions.allowStatusPosts = [this](const QString& q) {
        return askYesNo(&window_, WithSingleLineBreaks(q), ProgramIconForBox(window_));
    };
    if (!engine_.signIn(email, password, questions)) {
        if (engine_.signedIn())
            return; // a session runs: nothing to start
        window_.btnSignin->setEnabled(true);
        return;
    }
    window_.showSigningPanel(strings_.format(LanguageKey::msgSignin, {email}), true);
    engine_.state().Email.set(email);
    engine_.state().Password.set(password);
    settings_.AutoSignin = window_.chkAuto->isChecked();
    settings_.RememberSignin = window_.chkremember->isChecked();
    if (!window_.chkremember->isChecked()) {
        window_.txtEmail->clear();
        window_.txtPassword->clear();
    }
    tree_.clearTree();
    // Last: asking the keyring runs an event loop, and the sign-in's first reports must find
    // the tree already cleared.
    PasswordKeeping keeping;
    SaveSettings(store_, settings_, engine_.demographic(), engine_.state(), vault_, &keeping);
    if (keeping.noKeyring)
        window_.showPasswordInFileNote();
}

void SessionDispatcher::onSignInRefused(SignInRefusal why) {
    window_.hideSigningPanel();
    window_.btnSignin->setEnabled(true);
    if (why == SignInRefusal::IncorrectInput)
        window_.ShowLoginError(strings_.text(LanguageKey::msgIncorrectPassword));
    else if (why == SignInRefusal::NoInternet)
        window_.ShowLoginError(strings_.text(LanguageKey::msgInternetProblem));
    emit trayStateChanged(0);
}

namespace {

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void SessionDispatcher::signInAgainIfAsked() {
    if (!window_.chkAuto->isChecked() || engine_.demographic().IP.get().isEmpty())
        return;
    const std::optional<SignInAgainRule::Wait> wait = signInAgain_.afterLoss(steadyMs());
    if (!wait)
        return; // the attempts are spent: the error stays shown until the person acts
    if (wait->count() == 0)
        StartSignIn();
    else
        signInAgainTimer_.start(*wait);
}

void SessionDispatcher::loginFailure(const QString& text) {
    window_.ShowLoginError(WithSingleLineBreaks(text));
    emit trayStateChanged(0);
    window_.showLoginPage();
}

void SessionDispatcher::onSessionEvent(SessionEventName name) {
    using enum SessionEventName;
    switch (name) {
    case LoginFailed:
        loginFailure(strings_.text(LanguageKey::msgLoginFail));
        return;
    case SignedIn:
        window_.btnCancel->setEnabled(false);
        window_.setSigningCaption(strings_.text(LanguageKey::msgGetBuddy));
        window_.setUserName(DecodeUnicodeEscapes(engine_.state().FullName.get()));
        window_.hideLoginError();
        emit sessionStarted();
        return;
    case ConnectionLost:
        loginFailure(strings_.text(LanguageKey::msgConnectFail));
        signInAgainIfAsked();
        return;
    case SessionExpired:
        loginFailure(strings_.text(LanguageKey::msgLoginExpire));
        signInAgainIfAsked();
        return;
    case SignInCancelled:
        window_.hideSigningPanel();
        emit trayStateChanged(0);
        window_.showLoginPage();
        return;
    case StartupCheckFailed:
        emit trayStateChanged(0);
        window_.hideSigningPanel();
        window_.btnSignin->setEnabled(true);
        return;
    case NoContacts:
        loginFailure(strings_.text(LanguageKey::msgFriendList));
        signInAgainIfAsked();
        return;
    case BuddyListLoaded:
    case PresenceChanged:
    case MessageArrived:
    case BannerReady:
        return; // with their data, or not this window's yet
    }
}

void SessionDispatcher::onBuddyListLoaded(const QList<BuddyEntry>& contacts) {
    signInAgain_.sessionStarted(steadyMs());
    tree_.BuildBuddyTree(contacts);
    emit trayStateChanged(1);
    window_.hideSigningPanel();
    window_.Signout1->setEnabled(true);
    emit signOutEnabledChanged(true);
    window_.showContactPage();
}

void SessionDispatcher::onPresenceChanged(const QList<ContactId>& online) {
    tree_.UpdateBuddyTree(online);
}

void SessionDispatcher::onMessages(const QList<ChatMessage>& messages) {
    QList<IncomingLine> lines;
    lines.reserve(messages.size());
    for (const ChatMessage& message : messages) {
        // A friend's live line proves the friend is online; replayed lines prove nothing.
        if (!message.own && message.live)
            tree_.MarkBuddyPresence(message.from, true);
        FriendInTree friendInTree;
        if (const QTreeWidgetItem* node =
                tree_.FindBuddyNode(tree_.onlineGroup(), message.conversation)) {
            friendInTree = {node->text(0), true};
        } else if (const QTreeWidgetItem* offline =
                       tree_.FindBuddyNode(tree_.offlineGroup(), message.conversation)) {
            friendInTree.name = offline->text(0);
        }
        lines.append({message, friendInTree});
    }
    emit chatMessages(lines);
}

void SessionDispatcher::SignOut() {
    if (!engine_.signedIn())
        return;
    window_.showLoginPage();
    window_.showSigningPanel(strings_.text(LanguageKey::msgSigningOut), false);
    engine_.signOut();
}

void SessionDispatcher::onSignedOut() {
    emit trayStateChanged(0);
    window_.hideSigningPanel();
    window_.Signout1->setEnabled(false);
    emit signOutEnabledChanged(false);
}

void SessionDispatcher::onPicture(const QString& url) {
    // Decoded on a picture worker at the size shown, in the screen's pixels; only the small
    // result comes here.
    const QSize size = MainWindow::kUserPictureSize * window_.devicePixelRatioF();
    engine_.fetchPicture(url, size, this, [this](const QVariant& picture) {
        const QImage shown = picture.value<QImage>();
        if (!shown.isNull())
            window_.setUserPicture(QPixmap::fromImage(shown));
    });
}

} // namespace quillo
