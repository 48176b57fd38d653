#pragma once
// The request headers with which the messenger presents itself as the desktop browser the
// service's pages were made for, shared by the long-lived and the one-shot clients.

#include <QByteArray>
#include <QString>

#include "session/http_text.h"
#include "session/http_transfer.h"

namespace quillo::browser {

inline const QByteArray kAgent =
    "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.9.0.7) Gecko/2009021910 Firefox/3.0.7";
// The channel client presents a later browser build.
inline const QByteArray kChannelAgent = "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; "
                                        "rv:1.9.0.11) Gecko/2009060215 Firefox/3.0.11";
inline const QByteArray kAcceptPages =
    "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline const QByteArray kAcceptCharsetLine = "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7";
inline const QByteArray kAcceptLanguageLine = "Accept-Language: en-us,en;q=0.5";
inline const QByteArray kKeepAliveLine = "Keep-Alive: 300";
inline const QByteArray kFormType = "application/x-www-form-urlencoded";

inline QByteArray headerLine(const char* name, const QByteArray& value) {
    return QByteArray(name) + ": " + value;
}

// User-Agent, Accept, Accept-Charset and Accept-Language of a browser asking for a page.
inline void addIdentity(HttpRequest& request, const QByteArray& agent = kAgent) {
    request.userAgent = agent;
    request.headers.append(headerLine("Accept", kAcceptPages));
    request.headers.append(kAcceptCharsetLine);
    request.headers.append(kAcceptLanguageLine);
}

inline void addReferer(HttpRequest& request, const QString& referer) {
    if (!referer.isEmpty())
        request.headers.append(headerLine("Referer", referer.toUtf8()));
}

inline QString bodyText(const HttpResponse& response) {
    return BodyToText(response.body, response.header("Content-Type"));
}

} // namespace quillo::browser
