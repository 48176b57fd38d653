#include "chat/history.h"

#include <QSet>
#include <QStringList>
#include <map>
#include <vector>

#include "conversation/text_codecs.h"
#include "session/ajax_client.h"
#include "session/http_layer.h"
#include "session/marker_cursor.h"
#include "session/session_event.h"
#include "session/session_state.h"

namespace quillo {

namespace {

// One set of markers serves the home page (JSON inside a script string, quotes escaped) and
// the history endpoint (plain JSON): bring the plain form to the escaped one.
QString normalised(QString text) {
    text.replace(QStringLiteral("\"msg\":{\"text\":\""),
                 QStringLiteral("\\\"msg\\\":{\\\"text\\\":\\\""));
    text.replace(QStringLiteral("\\\"}"), QStringLiteral("\"}"));
    text.replace(QStringLiteral("\"}"), QStringLiteral("\\\"}"));
    text.replace(QStringLiteral("\"to\":"), QStringLiteral("\\\"to\\\":"));
    text.replace(QStringLiteral("\"time\":"), QStringLiteral("\\\"time\\\":"));
    text.replace(QStringLiteral("\"from\":"), QStringLiteral("\\\"from\\\":"));
    return text;
}

// The message id right after an entry's time, in the answer's plain form or the page's escaped
// one; empty when the entry has none there.
QString messageIdAt(QStringView text) {
    for (const QStringView quote : {QStringView(u"\""), QStringView(u"\\\"")}) {
        const QString q = quote.toString();
        const QString marker = q + QStringLiteral("msgID") + q + u':' + q;
        if (!text.startsWith(marker))
            continue;
        const qsizetype end = text.indexOf(quote, marker.size());
        return end < 0 ? QString() : text.mid(marker.size(), end - marker.size()).toString();
    }
    return QString();
}

} // namespace

QString ParseHistory(const QString& raw, const QString& userId,
                     const EscapedNameLookup& escapedName,
                     const std::function<void(std::unique_ptr<TMSg>)>& deliver) {
    const QString text = normalised(raw);
    MarkerCursor cursor(text);
    using Cut = MarkerCursor::Cut;
    qsizetype consumed = 0;
    for (;;) {
        QString body, from, to, time;
        if (cursor.cut(u"\\\"msg\\\":{\\\"text\\\":\\\"", u"\\\"}", body) != Cut::Found ||
            cursor.cut(u"\\\"from\\\":", u",", from) != Cut::Found ||
            cursor.cut(u"\\\"to\\\":", u",", to) != Cut::Found ||
            cursor.cut(u"\\\"time\\\":", u",", time) != Cut::Found)
            break;
        consumed = text.size() - cursor.rest().size();
        const QString messageId = messageIdAt(cursor.rest().mid(time.size() + 1));
        if (body.isEmpty())
            continue;
        body.replace(QStringLiteral("\\\\n"), QStringLiteral("<Br>"));
        body.replace(QStringLiteral("\\n"), QStringLiteral("<Br>"));
        body.replace(QStringLiteral("\\\\\\///"), QStringLiteral("//"));

        auto record = std::make_unique<TMSg>();
        record->Text = body;
        record->FromId = from;
        record->To = to;
        record->Time = time;
        record->MessageId = messageId;
        record->ServiceTime = time.trimmed().toLongLong();
        if (from != userId) {
            record->FromName = escapedName ? escapedName(from) : QString();
            record->Replayed = true;
        }
        deliver(std::move(record));
    }
    return text.mid(consumed);
}

QStringList ConversationsWithMore(QStringView rest) {
    QStringList ids;
    for (;;) {
        qsizetype match = rest.indexOf(u", {\\\"");
        if (match < 0)
            match = rest.indexOf(u",\\\"");
        if (match < 0)
            break;
        rest = rest.mid(match + 3);
        const qsizetype close = rest.indexOf(u'}');
        if (close < 0)
            break;
        QStringView entry = rest.first(close + 1);
        rest = rest.mid(close + 1);
        if (entry.isEmpty())
            break;
        if (!entry.contains(u"\\\"m\\\":") || entry.contains(u"\\\"m\\\":0"))
            continue;
        // The first entry of an object starts with its quoted key; its id is inside the quotes.
        if (entry.startsWith(u"\\\""))
            entry = entry.mid(2);
        const qsizetype quote = entry.indexOf(u"\\\"");
        const QStringView id = quote < 0 ? QStringView() : entry.first(quote);
        if (!id.isEmpty())
            ids.append(id.toString());
    }
    return ids;
}

void ReplayHistory(const QString& homePage, SessionState& state, HttpLayer& http,
                   const EscapedNameLookup& escapedName) {
    MarkerCursor cursor(homePage);
    if (!cursor.skipPast(u"window.chatDisplay = new ChatDisplay("))
        return;
    const QStringView after = cursor.rest();
    const qsizetype pair = after.indexOf(u"}}");
    if (pair < 0)
        return;
    const QString display = after.first(pair + 1).toString();

    const QString userId = state.UserId.get();
    // The history answers repeat the page's last lines: each line is handed over once.
    QSet<QString> shown;
    auto deliver = [&state, &shown](std::unique_ptr<TMSg> record) {
        const QString key = record->FromId + u'\n' + record->To + u'\n' + record->Time + u'\n' +
                            DecodeUnicodeEscapes(StripBackslashEscapes(record->Text));
        if (shown.contains(key))
            return;
        shown.insert(key);
        if (SessionEventSink* mainWindow = state.MainWindow.load())
            mainWindow->sendMessage(std::move(record));
    };
    // A page line sits in a script string, escaped once more than the same line in an answer
    // ("a/b" is a\\\/b there and a\/b here). It is brought to the answers' form, so that the
    // front end gets one form and a repeated line compares equal.
    std::vector<std::unique_ptr<TMSg>> pageLines;
    const QString rest =
        ParseHistory(display, userId, escapedName, [&pageLines](std::unique_ptr<TMSg> record) {
            record->Text = StripBackslashEscapes(record->Text);
            pageLines.push_back(std::move(record));
        });
    const QStringList ids = ConversationsWithMore(rest);

    // The page's lines of a conversation that is fetched wait for its history, so that the
    // conversation replays in order; those the history lacks follow it, so none is lost.
    std::map<QString, std::vector<std::unique_ptr<TMSg>>> waiting;
    for (std::unique_ptr<TMSg>& record : pageLines) {
        const QString other = record->FromId == userId ? record->To : record->FromId;
        if (ids.contains(other))
            waiting[other].push_back(std::move(record));
        else
            deliver(std::move(record));
    }
    auto deliverWaiting = [&waiting, &deliver](const QString& id) {
        const auto held = waiting.find(id);
        if (held == waiting.end())
            return;
        for (std::unique_ptr<TMSg>& record : held->second)
            deliver(std::move(record));
        waiting.erase(held);
    };

    state.HistoryLoading = true;
    for (qsizetype i = 0; i < ids.size() && !state.Stopping; ++i) {
        const QString answer = http.ServiceGet(QStringLiteral("/ajax/chat/history.php?id=") +
                                                   ids[i] + QStringLiteral("&__a=1"),
                                               QString());
        if (i == ids.size() - 1)
            state.HistoryLoading = false;
        ParseHistory(answer, userId, escapedName, deliver);
        deliverWaiting(ids[i]);
    }
    // A replay cut short by sign-out still hands over the page's lines it held back.
    for (const QString& id : ids)
        deliverWaiting(id);
    state.HistoryLoading = false;
}

QString OwnLineText(QString text) {
    text.replace(QStringLiteral("\\\\/"), QStringLiteral("/"));
    text.replace(QStringLiteral("\\/"), QStringLiteral("/"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("<Br>"));
    return text;
}

bool ClearHistory(HttpLayer& http, const SessionState& state, const QString& id) {
    const std::optional<QString> answer =
        http.AjaxPost(QStringLiteral("/ajax/chat/settings.php"),
                      {{QStringLiteral("clear_history_id"), id},
                       {QStringLiteral("post_form_id"), state.PostFormId.get()},
                       {QStringLiteral("post_form_id_source"), QStringLiteral("AsyncRequest")}});
    return AjaxSucceeded(answer);
}

} // namespace quillo
