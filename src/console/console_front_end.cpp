#include "console/console_front_end.h"

#include <QDateTime>
#include <QJsonArray>
#include <QSet>

#include "conversation/text_codecs.h"
#include "session/html_entities.h"
#include "session/sign_in.h"

namespace quillo {

namespace {

// A received body as a person reads it in a terminal: escapes decoded, line breaks kept, HTML
// entities resolved. Markup is never interpreted, only shown.
QString displayText(QString text) {
    text.replace(QStringLiteral("\\n"), QStringLiteral("<Br>"));
    text = DecodeUnicodeEscapes(StripBackslashEscapes(text));
    text.replace(QStringLiteral("<Br>"), QStringLiteral("\n"), Qt::CaseInsensitive);
    return DecodeEntities(text);
}

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

QString eventNameOf(int kind, int code) {
    static const char* const kNames[] = {"login_failed",      "signed_in",
                                         "connection_lost",   "session_expired",
                                         "sign_in_cancelled", "startup_check_failed",
                                         "no_contacts"};
    if (kind == 1 && code >= 0 && code < 7)
        return QString::fromLatin1(kNames[code]);
    return QStringLiteral("event_%1_%2").arg(kind).arg(code);
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, QTextStream& out, QObject* parent)
    : QObject(parent)
    , options_(std::move(options))
    , out_(out, options_.json)
    , http_(state_, options_.endpoints)
    , sink_(*this)
    , workers_(state_, http_, sink_)
    , sender_(state_, http_)
    , startupCheck_(
          options_.endpoints, state_, demographic_.IP, demographic_.Mac, [] { return true; },
          [this](int newVersion) {
              if (newVersion == 1)
                  QMetaObject::invokeMethod(this, [this] {
                      out_.emitEvent(QStringLiteral("new_version"),
                                     oneLine(strings_.text(LanguageKey::msgNewVersion)));
                  });
          }) {}

ConsoleFrontEnd::~ConsoleFrontEnd() = default;

void ConsoleFrontEnd::start() {
    if (!CheckSignInInput(options_.email, options_.password)) {
        out_.emitEvent(QStringLiteral("login_failed"),
                       strings_.text(LanguageKey::msgIncorrectPassword),
                       {{QStringLiteral("reason"), QStringLiteral("input")}});
        finish(1);
        return;
    }
    state_.Email.set(options_.email);
    state_.Password.set(options_.password);
    out_.emitEvent(QStringLiteral("signing_in"),
                   strings_.format(LanguageKey::msgSignin, {options_.email}),
                   {{QStringLiteral("email"), options_.email}});
    SignInHooks hooks;
    hooks.startupCheck = [this] { return startupCheck_.run(); };
    workers_.startSignIn(std::move(hooks));
}

void ConsoleFrontEnd::handleSessionEvent(int kind, int code) {
    const QString event = eventNameOf(kind, code);
    switch (sessionEventName(kind, code).value_or(SessionEventName::BannerReady)) {
    case SessionEventName::SignedIn: {
        signedIn_ = true;
        const QString name = DecodeUnicodeEscapes(state_.FullName.get());
        out_.emitEvent(
            event, QStringLiteral("Signed in as %1.").arg(name),
            {{QStringLiteral("id"), state_.UserId.get()}, {QStringLiteral("name"), name}});
        out_.emitEvent(QStringLiteral("loading"), strings_.text(LanguageKey::msgGetBuddy));
        workers_.startBuddyList(options_.buddyTiming);
        return;
    }
    case SessionEventName::LoginFailed:
        out_.emitEvent(event, strings_.text(LanguageKey::msgLoginFail));
        return finish(1);
    case SessionEventName::ConnectionLost:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgConnectFail)));
        signedIn_ = false;
        return finish(2);
    case SessionEventName::SessionExpired:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgLoginExpire)));
        signedIn_ = false;
        return finish(3);
    case SessionEventName::SignInCancelled:
        out_.emitEvent(event, QStringLiteral("Sign-in cancelled."));
        return finish(4);
    case SessionEventName::StartupCheckFailed:
        out_.emitEvent(event, strings_.text(LanguageKey::msgInternetProblem));
        return finish(5);
    case SessionEventName::NoContacts:
        out_.emitEvent(event, oneLine(strings_.text(LanguageKey::msgFriendList)));
        signOut();
        return;
    default:
        return; // other events are not this front end's
    }
}

QString ConsoleFrontEnd::nameOf(const QString& id) const {
    const auto it = contacts_.constFind(id);
    return it == contacts_.constEnd() ? id : it->name;
}

QString ConsoleFrontEnd::escapedNameOf(const QString& id) const {
    const auto it = contacts_.constFind(id);
    return it == contacts_.constEnd() ? QString() : EncodeUnicodeEscapes(it->name);
}

void ConsoleFrontEnd::handleBuddyList(int code, BuddyList lines) {
    if (code == 0) {
        contacts_.clear();
        order_.clear();
        for (const QString& line : lines) {
            const qsizetype colon = line.indexOf(u':');
            if (line.size() < 2 || colon < 2)
                continue;
            const QString id = line.mid(1, colon - 1);
            if (!contacts_.contains(id))
                order_.append(id);
            contacts_[id] = {DecodeUnicodeEscapes(line.mid(colon + 1)), line[0] == u'O'};
        }
        printContacts();
        auto startPolling = [this] {
            state_.HomePage.clear();
            workers_.startPoll();
        };
        if (options_.replayHistory) {
            // The escaped names are read on the worker: hand it a copy of the contacts.
            QHash<QString, QString> names;
            for (auto it = contacts_.cbegin(); it != contacts_.cend(); ++it)
                names.insert(it.key(), EncodeUnicodeEscapes(it->name));
            workers_.startHistoryReplay(
                state_.HomePage.get(), [names](const QString& id) { return names.value(id); },
                startPolling);
        } else {
            startPolling();
        }
        return;
    }
    if (!state_.Stopping)
        setPresence(QSet<QString>(lines.cbegin(), lines.cend()), true);
}

void ConsoleFrontEnd::setPresence(const QSet<QString>& online, bool announce) {
    for (const QString& id : std::as_const(order_)) {
        Contact& contact = contacts_[id];
        const bool now = online.contains(id);
        if (now == contact.online)
            continue;
        contact.online = now;
        if (announce)
            out_.emitEvent(QStringLiteral("presence"),
                           contact.name + strings_.text(now ? LanguageKey::msgOnlinenotify
                                                            : LanguageKey::msgOfflinenotify),
                           {{QStringLiteral("id"), id},
                            {QStringLiteral("name"), contact.name},
                            {QStringLiteral("online"), now}});
    }
}

void ConsoleFrontEnd::printContacts() {
    QJsonArray online, offline;
    QStringList onlineLines, offlineLines;
    for (const QString& id : std::as_const(order_)) {
        const Contact& c = contacts_[id];
        (c.online ? online : offline)
            .append(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("name"), c.name}});
        (c.online ? onlineLines : offlineLines)
            .append(QStringLiteral("  %1  (%2)").arg(c.name, id));
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

void ConsoleFrontEnd::handleMessage(std::unique_ptr<TMSg> record) {
    const bool own = record->FromId == state_.UserId.get();
    const QString text = displayText(record->Text);
    QString name =
        own ? DecodeUnicodeEscapes(state_.FullName.get()) : DecodeUnicodeEscapes(record->FromName);
    if (name.isEmpty())
        name = nameOf(record->FromId);
    if (!own && state_.HomePage.get().isEmpty() && contacts_.contains(record->FromId) &&
        !contacts_[record->FromId].online) {
        // A message proves its sender is online.
        QSet<QString> online;
        for (auto it = contacts_.cbegin(); it != contacts_.cend(); ++it)
            if (it->online || it.key() == record->FromId)
                online.insert(it.key());
        setPresence(online, true);
    }
    out_.emitEvent(QStringLiteral("message"),
                   QStringLiteral("[%1] %2: %3").arg(clock(record->Time), name, text),
                   {{QStringLiteral("from"), record->FromId},
                    {QStringLiteral("to"), own ? record->To : state_.UserId.get()},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("text"), text},
                    {QStringLiteral("time"), record->Time},
                    {QStringLiteral("replayed"), !record->Live}});
}

void ConsoleFrontEnd::handleTypingNotice(qint64 from, bool typing) {
    const QString id = QString::number(from);
    const QString name = nameOf(id);
    out_.emitEvent(QStringLiteral("typing"),
                   typing ? strings_.format(LanguageKey::msgTyping, {name})
                          : QStringLiteral("%1 stopped typing.").arg(name),
                   {{QStringLiteral("from"), id},
                    {QStringLiteral("name"), name},
                    {QStringLiteral("typing"), typing}});
}

QString ConsoleFrontEnd::resolveTarget(const QString& target) const {
    if (contacts_.contains(target))
        return target;
    QString found;
    for (const QString& id : order_) {
        if (contacts_[id].name.startsWith(target, Qt::CaseInsensitive)) {
            if (!found.isEmpty())
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
    const QString to = target.isEmpty() ? QString() : resolveTarget(target);
    if (!signedIn_ || to.isEmpty() || text.isEmpty()) {
        out_.emitEvent(QStringLiteral("error"),
                       !signedIn_
                           ? QStringLiteral("Not signed in yet.")
                           : QStringLiteral("Type ID: text, or a unique name: text, or /quit."),
                       {{QStringLiteral("line"), line}});
        return;
    }
    send(to, text);
}

void ConsoleFrontEnd::send(const QString& to, const QString& text) {
    ++pendingSends_;
    workers_.sendMessage(sender_, to, text, [this, to, text](SendOutcome outcome) {
        --pendingSends_;
        const QString name = nameOf(to);
        QString line;
        QString result;
        switch (outcome) {
        case SendOutcome::Sent:
            line = strings_.text(LanguageKey::msgMessageSent);
            result = QStringLiteral("sent");
            break;
        case SendOutcome::Offline:
            line = strings_.format(LanguageKey::msgOffline, {name, text});
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
                       {{QStringLiteral("to"), to},
                        {QStringLiteral("text"), text},
                        {QStringLiteral("outcome"), result}});
        if (quitRequested_ && pendingSends_ == 0)
            signOut();
    });
}

void ConsoleFrontEnd::inputClosed() {
    handleLine(QStringLiteral("/quit"));
}

void ConsoleFrontEnd::signOut() {
    if (!signedIn_ || state_.Stopping) {
        if (!signedIn_)
            finish(0);
        return;
    }
    out_.emitEvent(QStringLiteral("signing_out"), QStringLiteral("Signing out..."));
    workers_.signOut([this] {
        signedIn_ = false;
        out_.emitEvent(QStringLiteral("signed_out"), QStringLiteral("Signed out."));
        finish(0);
    });
}

void ConsoleFrontEnd::finish(int exitCode) {
    if (finished_)
        return;
    finished_ = true;
    emit finished(exitCode);
}

} // namespace quillo
