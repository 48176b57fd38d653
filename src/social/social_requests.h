#pragma once
// Writing to the service the way its own pages did: a status update or a wall post through
// the profile composer, a shared link through the composer's attachment endpoints, and a
// private message through the message composer. Each scrapes the composer's instance id from
// a page first, then posts a form that echoes the session's tokens, on a one-shot client with a
// copy of the session's cookies.
//
// Thread: any; each call blocks its caller until the exchange ends and shares nothing but the
// read of the session's cookie jar.

#include <QString>

namespace quillo {

class HttpLayer;
struct SessionState;

// The composer instance id of a profile page ("UIComposer.focusInstance(&quot;...&quot;"),
// "0" when absent.
QString ComposerIdFromProfile(const QString& page);
// The composer instance id of the home page, "0" when absent.
QString ComposerIdFromHome(const QString& page);

struct ShareStage {
    QString title;
    QString summary;
    QString finalUrl = QStringLiteral("0");
};
ShareStage ParseShareStage(const QString& answer);

// A status update (targetId = the user's own id) or a post on a friend's wall.
bool PostToProfile(HttpLayer& http, const SessionState& state, const QString& targetId,
                   const QString& text);
bool SendPrivateMessage(HttpLayer& http, const SessionState& state, const QString& recipientId,
                        const QString& body, const QString& subject);
bool ShareLink(HttpLayer& http, const SessionState& state, const QString& url);

} // namespace quillo
