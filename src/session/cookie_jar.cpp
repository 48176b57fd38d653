#include "session/cookie_jar.h"

#include <QDateTime>

namespace quillo {

const Cookie* CookieJar::find(const QString& name) const {
    for (const Cookie& c : entries_) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

void CookieJar::set(const QString& name, const QString& value, const QString& domain) {
    for (Cookie& c : entries_) {
        if (c.name == name) {
            c.value = value;
            return;
        }
    }
    entries_.append({name, value, domain});
}

QByteArray CookieJar::headerValueFor(const QString& host) const {
    QByteArray out;
    for (const Cookie& c : entries_) {
        QString domain = c.domain;
        if (domain.startsWith(u'.'))
            domain.remove(0, 1);
        const bool covers = domain.isEmpty() || host.compare(domain, Qt::CaseInsensitive) == 0 ||
                            host.endsWith(u'.' + domain, Qt::CaseInsensitive);
        if (!covers)
            continue;
        if (!out.isEmpty())
            out.append("; ");
        out.append(c.name.toUtf8()).append('=').append(c.value.toUtf8());
    }
    return out;
}

void StoreCookies(CookieJar& jar, const QList<QByteArray>& headerLines, const QString& baseDomain) {
    static const QByteArray kMarker = "Set-Cookie: ";
    for (const QByteArray& raw : headerLines) {
        const qsizetype at = raw.indexOf(kMarker);
        if (at < 0)
            continue;
        QByteArray line = raw.mid(at + kMarker.size());
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QString name = QString::fromUtf8(line.left(eq));
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (name.isEmpty() || value.isEmpty())
            continue;
        jar.set(name, value, baseDomain);
    }
}

QList<QByteArray> ChannelCookieLines(const CookieJar& jar, const QString& webHost,
                                     const QString& channelName, const QString& userId,
                                     const QString& unixMillis, const QString& unixSeconds) {
    QList<QByteArray> lines;
    auto cookieLine = [](const QString& nameValue) {
        return QByteArray("Cookie: ") + nameValue.toUtf8() + ';';
    };
    for (const Cookie& c : jar.entries()) {
        if (c.name != u"made_write_conn")
            lines.append(cookieLine(c.name + u'=' + c.value));
    }
    lines.append(cookieLine(QStringLiteral("x-referer=http%3A%2F%2F") + webHost +
                            QStringLiteral("%2Fhome.php")));
    // The presence cookie the service's page script would have set, percent-encoded as built.
    const QString presence =
        QStringLiteral("presence=%7B%22v%22%3A2%2C%22time%22%3A") + unixSeconds +
        QStringLiteral("%2C%22ch%22%3A%7B%22h%22%3A%22") + channelName +
        QStringLiteral("%22%2C%22p%22%3A80%2C%22sub%22%3A%5B1%5D%2C%22p_") + userId +
        QStringLiteral("%22%3A0%2C%22ri%22%3A0%7D%2C%22state") +
        QStringLiteral("%22%3A%7B%22p%22%3A0%2C%22w%22%3A1024%2C%22h%22%3A632%2C%22ut%22%3A") +
        unixMillis +
        QStringLiteral("%2C%22pt%22%3A0%2C%22vis%22%3A1%2C%22smf%22%3A1%2C%22bls%22%3A0%2C%22blc%"
                       "22%3A0%2C%22snd%22%3A1%2C%22blo%22%3A0%2C%22") +
        QStringLiteral("bvt%22%3A0%2C%22ct%22%3A0%2C%22sb%22%3A1%2C%22t%22%3A%7B%7D%2C%22f%22%"
                       "3Anull%2C%22uct%22%3A0%2C%22s%22%3A0%7D%2C%22ntf%22%3A0%2C%22bl%22%3A%7B%"
                       "22ac%22%3A0%2C%22al%22%3A%7B%7D%2C%22ut%22%3A") +
        unixSeconds +
        QStringLiteral("%2C%22ud%22%3A430%2C%22lc%22%3A0%2C%22uo%22%3A%7B%7D%2C%22cvr%22%3Anull%"
                       "7D%7D");
    lines.append(cookieLine(presence));
    lines.append(cookieLine(
        QStringLiteral("s_sq=facebookpoc%3D%2526pid%253DWelcome%2526pidt%253D1%2526oid%"
                       "253Dfunctiononclick%252528") +
        QStringLiteral("event%252529%25257Breturnwait_for_load%252528this%25252Cevent%25252Cfunct"
                       "ion%252528%252529%25257Bseo_tracking_onclick%252528this%25252C%252522face"
                       "book%2526oidt%253D2%2526ot%253DSUBMIT")));
    return lines;
}

QString NowUnixMillis() {
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

QString NowUnixSeconds() {
    return QString::number(QDateTime::currentSecsSinceEpoch());
}

} // namespace quillo
