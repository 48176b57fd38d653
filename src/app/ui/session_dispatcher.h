#pragma once
// SessionDispatcher: what the main window does for each report of the session engine (the
// sign-in outcomes, the session's end, the buddy lists, messages), the Sign in button's and the
// Sign out command's window steps, and automatic sign-in again after a lost session. The engine
// runs the session; this only changes what the user sees, and sends the error reports.
//
// Thread: the user-interface thread. Owned by the program, beside the windows it changes.

#include <QObject>
#include <QTimer>

#include "chat/chat_message.h"
#include "contacts/buddy_entry.h"
#include "conversation/ui/chat_window.h"
#include "session/endpoints.h"
#include "session/sign_in_again.h"

namespace quillo {

class BuddyTree;
class LanguageStrings;
class MainWindow;
class PasswordVault;
class SessionEngine;
class SettingsStore;
struct Settings;
enum class SessionEventName;
enum class SignInRefusal;

class SessionDispatcher final : public QObject {
    Q_OBJECT
public:
    SessionDispatcher(SessionEngine& engine, MainWindow& window, BuddyTree& tree,
                      const LanguageStrings& strings, Settings& settings, SettingsStore& store,
                      QObject* parent = nullptr);

    // The Sign in button (and automatic sign-in): the window's steps around the engine's.
    void StartSignIn();
    // The Sign out command.
    void SignOut();
    // Automatic sign-in after a lost session, when it is asked for and the public address is
    // known: at once, then after longer waits, then no more (SignInAgainRule).
    void signInAgainIfAsked();

    // Where a remembered password goes when the Sign in button saves the settings.
    void setPasswordVault(PasswordVault* vault) { vault_ = vault; }

signals:
    // The tray's state: 0 offline, 1 online.
    void trayStateChanged(int state);
    // The Sign out items of the menus.
    void signOutEnabledChanged(bool enabled);
    // Lines for the chat window (the dispatcher has marked their senders online first), each
    // with what the contact tree says of the conversation's friend.
    void chatMessages(const QList<quillo::IncomingLine>& lines);
    // The conversation with a friend may miss lines that the service dropped.
    void messagesMayBeMissing(quillo::ContactId friendId);
    // A friend came or went: the notice, unless notices are turned off.
    void presenceNotice(const QString& name, quillo::ContactId id, bool online);
    // The session's sign-in succeeded: notices start from the bottom again, the chat window's
    // typing line empties.
    void sessionStarted();

private:
    void onSessionEvent(SessionEventName name);
    void onSignInRefused(SignInRefusal why);
    void onBuddyListLoaded(const QList<BuddyEntry>& contacts);
    void onPresenceChanged(const QList<ContactId>& online);
    void onMessages(const QList<ChatMessage>& messages);
    void onSignedOut();
    void onPicture(const QString& url);

    void loginFailure(const QString& text);
    bool askUser(const QString& question);

    SessionEngine& engine_;
    MainWindow& window_;
    BuddyTree& tree_;
    const LanguageStrings& strings_;
    Settings& settings_;
    SettingsStore& store_;
    PasswordVault* vault_ = nullptr;
    SignInAgainRule signInAgain_;
    QTimer signInAgainTimer_;
};

} // namespace quillo
