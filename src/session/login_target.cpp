#include "session/login_target.h"

#include "session/endpoints.h"

namespace quillo {

namespace {

// Anything a URL parser might read differently from this one (libcurl, a proxy, the server):
// controls, spaces, a backslash taken for a slash, characters outside ASCII.
bool hasAmbiguousUnit(QStringView url) {
    for (const QChar c : url) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u >= 0x7f || u == u'\\')
            return true;
    }
    return false;
}

bool isHostUnit(char16_t u) {
    return (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9') || u == u'-' || u == u'.';
}

// Lower-case letters, digits and "-" in non-empty labels between single dots.
bool isPlainHostName(QStringView host) {
    if (host.isEmpty() || host.startsWith(u'.') || host.endsWith(u'.') || host.contains(u".."))
        return false;
    for (const QChar c : host) {
        if (!isHostUnit(c.unicode()))
            return false;
    }
    return true;
}

// The web host, or a name with at least one label in front of ".<base domain>".
bool isServiceHost(const QString& host, const Endpoints& endpoints) {
    if (host == endpoints.webHost.toLower())
        return true;
    const QString base = endpoints.baseDomain.toLower();
    if (!isPlainHostName(base))
        return false;
    const QString suffix = QLatin1Char('.') + base;
    return host.size() > suffix.size() && host.endsWith(suffix);
}

} // namespace

QString loginPostTarget(QStringView actionUrl, const Endpoints& endpoints) {
    if (actionUrl.isEmpty() || hasAmbiguousUnit(actionUrl))
        return {};

    const qsizetype schemeEnd = actionUrl.indexOf(u"://");
    if (schemeEnd < 0)
        return {};
    const QString scheme = actionUrl.first(schemeEnd).toString().toLower();
    const bool tls = scheme == u"https";
    if (!tls && !(scheme == u"http" && endpoints.plainSignIn))
        return {};

    // The authority runs up to the first "/", "?" or "#", as every URL parser agrees.
    const QStringView afterScheme = actionUrl.sliced(schemeEnd + 3);
    qsizetype authorityEnd = 0;
    while (authorityEnd < afterScheme.size() && afterScheme[authorityEnd] != u'/' &&
           afterScheme[authorityEnd] != u'?' && afterScheme[authorityEnd] != u'#')
        ++authorityEnd;
    const QStringView authority = afterScheme.first(authorityEnd);
    QStringView rest = afterScheme.sliced(authorityEnd);
    const qsizetype fragment = rest.indexOf(u'#');
    if (fragment >= 0)
        rest = rest.first(fragment);

    // No user part: "https://login.<base>@elsewhere/" names elsewhere.
    if (authority.contains(u'@'))
        return {};
    QStringView hostPart = authority;
    const qsizetype colon = authority.indexOf(u':');
    if (colon >= 0) {
        // Only the scheme's own port, written plainly: the service listens nowhere else.
        const QStringView ownPort = tls ? QStringView(u"443") : QStringView(u"80");
        if (authority.sliced(colon + 1) != ownPort)
            return {};
        hostPart = authority.first(colon);
    }
    const QString host = hostPart.toString().toLower();
    if (!isPlainHostName(host) || !isServiceHost(host, endpoints))
        return {};

    QString target = scheme + QStringLiteral("://") + host;
    if (colon >= 0)
        target += authority.sliced(colon);
    target += rest;
    return target;
}

} // namespace quillo
