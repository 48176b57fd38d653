#pragma once
// The session's cookie jar and the cookie lines the system builds itself.
// Thread: a CookieJar is a plain value; the HTTP layer guards the service jar with its lock.

#include <QByteArray>
#include <QList>
#include <QString>

namespace quillo {

struct Cookie {
    QString name;
    QString value; // may carry the attributes of the Set-Cookie line that set it
    QString domain;
};

class CookieJar {
public:
    // First entry with the name, or nullptr.
    const Cookie* find(const QString& name) const;
    // Replaces the value of the entry with that name, or appends (name, value, domain).
    void set(const QString& name, const QString& value, const QString& domain);
    const QList<Cookie>& entries() const { return entries_; }
    bool isEmpty() const { return entries_.isEmpty(); }

    // One Cookie header value ("a=1; b=2") of the entries whose domain covers host.
    QByteArray headerValueFor(const QString& host) const;

private:
    QList<Cookie> entries_;
};

// Applies the Set-Cookie lines among a response's raw header lines to the jar: the name is the
// text before the first "=", the value the whole rest of the line (attributes included). Lines
// without "=" or with an empty name or value change nothing. New entries get baseDomain.
void StoreCookies(CookieJar& jar, const QList<QByteArray>& headerLines, const QString& baseDomain);

// The extra "Cookie: name=value;" header lines of the channel client: every jar entry except
// made_write_conn, then x-referer, the presence cookie and s_sq, each on its own line.
QList<QByteArray> ChannelCookieLines(const CookieJar& jar, const QString& webHost,
                                     const QString& channelName, const QString& userId,
                                     const QString& unixMillis, const QString& unixSeconds);

// The current time as whole milliseconds / seconds since 1970-01-01 UTC, in decimal.
QString NowUnixMillis();
QString NowUnixSeconds();

} // namespace quillo
