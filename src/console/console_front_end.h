#pragma once
// ConsoleFrontEnd: a second front end on the messenger's engine, with no window code. It signs
// in, prints the contacts, then one line per event (presence, messages, typing, send outcomes,
// the end of the session); a typed line "ID: text" or "name prefix: text" sends a message and
// "/quit" signs out.
//
// Thread: lives on the main thread with its event loop; the engine's workers report to it
// through a QueuedEventSink.

#include <QHash>
#include <QObject>
#include <QStringList>

#include "chat/send_message.h"
#include "console/console_output.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "promo/startup_check.h"
#include "session/http_layer.h"
#include "session/queued_event_sink.h"
#include "session/session_state.h"
#include "session/session_workers.h"

namespace quillo {

struct ConsoleOptions {
    QString email;
    QString password;
    bool json = false;
    bool replayHistory = true;
    Endpoints endpoints;
    BuddyThreadTiming buddyTiming;
};

class ConsoleFrontEnd final : public QObject, public SessionEventHandler {
    Q_OBJECT
public:
    ConsoleFrontEnd(ConsoleOptions options, QTextStream& out, QObject* parent = nullptr);
    ~ConsoleFrontEnd() override;

    void start();
    // One line typed by the user.
    void handleLine(const QString& line);
    // No more input: sign out once the messages already typed have been sent.
    void inputClosed();

    void handleSessionEvent(int kind, int code) override;
    void handleMessage(std::unique_ptr<TMSg> record) override;
    void handleTypingNotice(qint64 from, bool typing) override;
    void handleBuddyList(int code, BuddyList lines) override;

signals:
    // The session is over (signed out, failed or ended); the program may quit with this code.
    void finished(int exitCode);

private:
    struct Contact {
        QString name; // decoded
        bool online = false;
    };

    QString nameOf(const QString& id) const;
    QString escapedNameOf(const QString& id) const;
    // The id a typed target names: an id, or a unique prefix of a name.
    QString resolveTarget(const QString& target) const;
    void send(const QString& to, const QString& text);
    void printContacts();
    void setPresence(const QSet<QString>& online, bool announce);
    void signOut();
    void finish(int exitCode);

    ConsoleOptions options_;
    ConsoleOutput out_;
    LanguageStrings strings_;
    SessionState state_;
    TDemographic demographic_;
    HttpLayer http_;
    QueuedEventSink sink_;
    SessionWorkers workers_;
    ChatSender sender_;
    StartupCheck startupCheck_;

    QHash<QString, Contact> contacts_;
    QStringList order_; // contacts in the list's order
    int pendingSends_ = 0;
    bool quitRequested_ = false;
    bool signedIn_ = false;
    bool finished_ = false;
};

} // namespace quillo
