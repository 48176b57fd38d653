#include "console/console_front_end.h"

#include <QDateTime>
#include <QJsonArray>

#include "conversation/display_text.h"
#include "conversation/text_codecs.h"

namespace quillo {

namespace {

QString clock(const QString& millis) {
    bool ok = false;
    const qint64 ms = millis.toLongLong(&ok);
    const QDateTime at = ok ? QDateTime::fromMSecsSinceEpoch(ms) : QDateTime::currentDateTime();
    return at.toString(QStringLiteral("h:mm ap"));
}

// Texts of the language strings use LF CR line breaks; a terminal wants one.
QString oneLine(QString text) {
    return text.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, QTextStream& out, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , out_(out, options_.json)
    , engine_(options_.endpoints, strings_) {
    engine_.setReplayHistory(options_.replayHistory);
    engine_.setBuddyTiming(options_.buddyTiming);
    connect(&engine_, &SessionEngine::sessionEvent, this, &ConsoleFrontEnd::onSessionEvent);
    connect(&engine_, &SessionEngine::signInRefused, this, [this](SignInRefusal why) {
        const LanguageKey text = why == SignInRefusal::NoInternet
                                     ? LanguageKey::msgInternetProblem
                                     : LanguageKey::msgIncorrectPassword;
        out_.emitEvent(QStringLiteral("login_failed"), strings_.text(text),
                       {{QStringLiteral("reason"), why == SignInRefusal::NoInternet
                                                       ? QStringLiteral("internet")
                                                       : QStringLiteral("input")}});
        finish(1);
    });
    connect(&engine_, &SessionEngine::buddyListLoaded, this, &ConsoleFrontEnd::onBuddyListLoaded);
    connect(&engine_, &SessionEngine::presenceChanged, this, &ConsoleFrontEnd::onPresenceChanged);
    connect(&engine_, &SessionEngine::messagesArrived, this,
            [this](const QList<ChatMessage>& messages) {
                for (const ChatMessage& message : messages)
                    onMessage(message);
            });
    connect(
        &engine_, &SessionEngine::messagesMayBeMissing, this,
        [this](const QList<ContactId>& friends) {
            for (const ContactId& id : friends)
                out_.emitEvent(
                    QStringLiteral("messages_missed"),
                    QStringLiteral("Some messages from %1 may have been missed.").arg(nameOf(id)),
                    {{QStringLiteral("from"), id.toText()}});
        });
    connect(&engine_, &SessionEngine::typingNotice, this, &ConsoleFrontEnd::onTyping);
    connect(&engine_, &SessionEngine::messageSent, this, &ConsoleFrontEnd::onMessageSent);
    connect(&engine_, &SessionEngine::startupCheckDone, this, [this](int newVersion) {
        if (newVersion == 1)
            out_.emitEvent(QStringLiteral("new_version"),
                           oneLine(strings_.text(LanguageKey::msgNewVersion)));
    });
    connect(&engine_, &SessionEngine::signedOut, this, [this] {
        out_.emitEvent(QStringLiteral("signed_out"), QStringLiteral("Signed out."));
        finish(0);
    });
}

void ConsoleFrontEnd::start() {
    out_.emitEvent(QStringLiteral("signing_in"),
                   strings_.format(LanguageKey::msgSignin, {options_.email}),
                   {{QStringLiteral("email"), options_.email}});
    engine_.signIn(options_.email, options_.password);
}

void ConsoleFrontEnd::onSessionEvent(SessionEventName name) {
    const QString event = sessionEventKey(name);
    using enum SessionEventName;
    switch (name) {
    case SignedIn: {
        const QString fullName = DecodeUnicodeEscapes(engine_.state().FullName.get());
        out_.emitEvent(event, QStringLiteral("Signed in as %1.").arg(fullName),
                       {{QStringLiteral("id"), engine_.state().UserId.get()},
                        {QStringLiteral("name"), fullName}});
        out_.emitEvent(QStringLiteral("loading"), strings_.text(LanguageKey::msgGetBuddy));
        return;
    }
    case LoginFailed:
        out_.emitEvent(event, strings_.text(LanguageKey::msgLoginFail));
        return finish(1);
    case ConnectionLost:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgConnectFail)));
        return finish(2);
    case SessionExpired:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgLoginExpire)));
        return finish(3);
    case SignInCancelled:
        out_.emitEvent(event, QStringLiteral("Sign-in cancelled."));
        return finish(4);
    case StartupCheckFailed:
        out_.emitEvent(event, strings_.text(LanguageKey::msgInternetProblem));
        return finish(5);
    case NoContacts:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgFriendList)));
        return finish(6);
    default:
        return; // other events are not this front end's
    }
}

QString ConsoleFrontEnd::nameOf(ContactId id) const {
    const auto it = contacts_.constFind(id);
    return it == contacts_.constEnd() ? id.toText() : it->name;
}

void ConsoleFrontEnd::onBuddyListLoaded(const QList<BuddyEntry>& contacts) {
    contacts_.clear();
    order_.clear();
    for (const BuddyEntry& entry : contacts) {
        if (!contacts_.contains(entry.id))
            order_.append(entry.id);
        contacts_[entry.id] = {DecodeUnicodeEscapes(entry.name), entry.online};
    }
    printContacts();
}

void ConsoleFrontEnd::setPresence(ContactId id, bool online) {
    const auto it = contacts_.find(id);
    if (it == contacts_.end() || it->online == online)
        return;
    it->online = online;
    out_.emitEvent(QStringLiteral("presence"),
                   it->name + strings_.text(online ? LanguageKey::msgOnlinenotify
                                                   : LanguageKey::msgOfflinenotify),
                   {{QStringLiteral("id"), id.toText()},
                    {QStringLiteral("name"), it->name},
                    {QStringLiteral("online"), online}});
}

void ConsoleFrontEnd::onPresenceChanged(const QList<ContactId>& online) {
    const QSet<ContactId> now(online.cbegin(), online.cend());
    for (const ContactId id : std::as_const(order_))
        setPresence(id, now.contains(id));
}

void ConsoleFrontEnd::printContacts() {
    QJsonArray online, offline;
    QStringList onlineLines, offlineLines;
    for (const ContactId id : std::as_const(order_)) {
        const Contact& c = contacts_[id];
        (c.online ? online : offline)
            .append(
                QJsonObject{{QStringLiteral("id"), id.toText()}, {QStringLiteral("name"), c.name}});
        (c.online ? onlineLines : offlineLines)
            .append(QStringLiteral("  %1  (%2)").arg(c.name, id.toText()));
    }
    const QString text =
        QStringLiteral("%1 (%2)\n%3%4 (%5)\n%6")
            .arg(strings_.text(LanguageKey::OnlineCaption))
            .arg(online.size())
            .arg(onlineLines.isEmpty() ? QString() : onlineLines.join(u'\n') + u'\n')
            .arg(strings_.text(LanguageKey::OfflineCaption))
            .arg(offline.size())
            .arg(offlineLines.join(u'\n'));
    out_.emitEvent(QStringLiteral("contacts"), text.trimmed(),
                   {{QStringLiteral("online"), online}, {QStringLiteral("offline"), offline}});
}

void ConsoleFrontEnd::onMessage(const ChatMessage& message) {
    const QString text = MessagePlainText(message.text);
    QString name = DecodeUnicodeEscapes(message.fromName);
    if (name.isEmpty())
        name = nameOf(message.from);
    if (!message.own && message.live)
        setPresence(message.from, true); // a message proves its sender is online
    out_.emitEvent(QStringLiteral("message"),
                   QStringLiteral("[%1] %2: %3").arg(clock(message.time), name, text),
                   {{QStringLiteral("from"), message.from.toText()},
                    {QStringLiteral("to"),
                     message.own ? message.conversation.toText() : engine_.state().UserId.get()},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("text"), text},
                    {QStringLiteral("time"), message.time},
                    {QStringLiteral("replayed"), !message.live}});
}

void ConsoleFrontEnd::onTyping(ContactId from, bool typing) {
    const QString name = nameOf(from);
    out_.emitEvent(QStringLiteral("typing"),
                   typing ? strings_.format(LanguageKey::msgTyping, {name})
                          : QStringLiteral("%1 stopped typing.").arg(name),
                   {{QStringLiteral("from"), from.toText()},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("typing"), typing}});
}

ContactId ConsoleFrontEnd::resolveTarget(const QString& target) const {
    const ContactId byId = ContactId::fromText(target);
    if (contacts_.contains(byId))
        return byId;
    ContactId found;
    for (const ContactId id : order_) {
        if (contacts_[id].name.startsWith(target, Qt::CaseInsensitive)) {
            if (found.isValid())
                return {}; // more than one: not unique
            found = id;
        }
    }
    return found;
}

void ConsoleFrontEnd::handleLine(const QString& raw) {
    const QString line = raw.trimmed();
    if (line.isEmpty())
        return;
    if (line == u"/quit") {
        quitRequested_ = true;
        if (pendingSends_ == 0)
            signOut();
        return;
    }
    const qsizetype colon = line.indexOf(u':');
    const QString target = colon > 0 ? line.left(colon).trimmed() : QString();
    const QString text = colon > 0 ? line.mid(colon + 1).trimmed() : QString();
    const ContactId to = target.isEmpty() ? ContactId() : resolveTarget(target);
    if (!engine_.signedIn() || !to.isValid() || text.isEmpty()) {
        out_.emitEvent(QStringLiteral("error"),
                       !engine_.signedIn()
                           ? QStringLiteral("Not signed in yet.")
                           : QStringLiteral("Type ID: text, or a unique name: text, or /quit."),
                       {{QStringLiteral("line"), line}});
        return;
    }
    ++pendingSends_;
    engine_.sendMessage(to, text);
}

void ConsoleFrontEnd::onMessageSent(ContactId to, const QString& text, SendOutcome outcome) {
    --pendingSends_;
    QString line;
    QString result;
    switch (outcome) {
    case SendOutcome::Sent:
        line = strings_.text(LanguageKey::msgMessageSent);
        result = QStringLiteral("sent");
        break;
    case SendOutcome::Offline:
        line = strings_.format(LanguageKey::msgOffline, {nameOf(to), text});
        result = QStringLiteral("offline");
        if (contacts_.contains(to))
            contacts_[to].online = false;
        break;
    case SendOutcome::NotSent:
        line = strings_.text(LanguageKey::msgNoReponse);
        result = QStringLiteral("failed");
        break;
    }
    out_.emitEvent(QStringLiteral("send"), line,
                   {{QStringLiteral("to"), to.toText()},
                    {QStringLiteral("text"), text},
                    {QStringLiteral("outcome"), result}});
    if (quitRequested_ && pendingSends_ == 0)
        signOut();
}

void ConsoleFrontEnd::inputClosed() {
    handleLine(QStringLiteral("/quit"));
}

void ConsoleFrontEnd::signOut() {
    if (!engine_.signedIn())
        return finish(0); // nothing to sign out of: the engine ends what is under way
    out_.emitEvent(QStringLiteral("signing_out"), strings_.text(LanguageKey::msgSigningOut));
    engine_.signOut();
}

void ConsoleFrontEnd::finish(int exitCode) {
    if (finished_)
        return;
    finished_ = true;
    emit finished(exitCode);
}

} // namespace quillo
