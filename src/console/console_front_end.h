#pragma once
// ConsoleFrontEnd: a second front end on the messenger's engine, with no window code. It signs
// in, prints the contacts, then one line per event (presence, messages, typing, send outcomes,
// the end of the session); a typed line "ID: text" or "name prefix: text" sends a message and
// "/quit" signs out.
//
// Thread: lives on the main thread with its event loop, beside the engine it owns.

#include <QHash>
#include <QObject>
#include <QSet>

#include "app/session_engine.h"
#include "console/console_output.h"
#include "prefs/language_strings.h"

namespace quillo {

struct ConsoleOptions {
    QString email;
    QString password;
    bool json = false;
    bool replayHistory = true;
    Endpoints endpoints;
    BuddyThreadTiming buddyTiming;
};

class ConsoleFrontEnd final : public QObject {
    Q_OBJECT
public:
    ConsoleFrontEnd(ConsoleOptions options, QTextStream& out, QObject* parent = nullptr);

    void start();
    // One line typed by the user.
    void handleLine(const QString& line);
    // No more input: sign out once the messages already typed have been sent.
    void inputClosed();

signals:
    // The session is over (signed out, failed or ended); the program may quit with this code.
    void finished(int exitCode);

private:
    struct Contact {
        QString name; // decoded
        bool online = false;
    };

    void onSessionEvent(SessionEventName name);
    void onBuddyListLoaded(const QList<BuddyEntry>& contacts);
    void onPresenceChanged(const QList<ContactId>& online);
    void onMessage(const ChatMessage& message);
    void onTyping(ContactId from, bool typing);
    void onMessageSent(ContactId to, const QString& text, SendOutcome outcome);

    QString nameOf(ContactId id) const;
    // The contact a typed target names: an id, or a unique prefix of a name.
    ContactId resolveTarget(const QString& target) const;
    void printContacts();
    void setPresence(ContactId id, bool online);
    void signOut();
    void finish(int exitCode);

    ConsoleOptions options_;
    ConsoleOutput out_;
    LanguageStrings strings_;
    QHash<ContactId, Contact> contacts_;
    QList<ContactId> order_; // contacts in the list's order
    int pendingSends_ = 0;
    bool quitRequested_ = false;
    bool finished_ = false;
    SessionEngine engine_; // last: it goes first, while what its signals reach still exists
};

} // namespace quillo
