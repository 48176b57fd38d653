#include "session/form_action.h"

#include "session/pattern_search.h"

namespace quillo {

namespace {

constexpr QStringView kSchemeEnd = u"://";

QString withPlainAmpersands(const QString& url) {
    return ReplaceAll(url, u"&amp;", u"&", Qt::CaseInsensitive);
}

bool isSchemeUnit(char16_t u, bool first) {
    const char16_t lower = AsciiLower(u);
    if (lower >= u'a' && lower <= u'z')
        return true;
    return !first && ((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.');
}

// Whether the action names its own scheme. A "://" further on, as in
// "next.php?continue=http://x", does not make a relative action absolute.
bool hasScheme(QStringView action) {
    const qsizetype end = action.indexOf(kSchemeEnd);
    if (end <= 0)
        return false;
    for (qsizetype i = 0; i < end; ++i) {
        if (!isSchemeUnit(action[i].unicode(), i == 0))
            return false;
    }
    return true;
}

QStringView afterScheme(QStringView url) {
    const qsizetype end = url.indexOf(kSchemeEnd);
    return end < 0 ? url : url.sliced(end + kSchemeEnd.size());
}

QStringView cutBefore(QStringView text, QChar c) {
    const qsizetype at = text.indexOf(c);
    return at < 0 ? text : text.first(at);
}

bool isHexUnit(char16_t u) {
    const char16_t lower = AsciiLower(u);
    return (u >= u'0' && u <= u'9') || (lower >= u'a' && lower <= u'f');
}

// Whether the "#" at `hash` opens a character reference such as "&#38;" or "&#x26;", which
// the caller decodes later; such a "#" does not start the fragment.
bool opensCharacterReference(QStringView url, qsizetype hash) {
    if (hash == 0 || url[hash - 1] != u'&')
        return false;
    qsizetype i = hash + 1;
    const bool hex = i < url.size() && AsciiLower(url[i].unicode()) == u'x';
    if (hex)
        ++i;
    const qsizetype digitsStart = i;
    while (i < url.size() &&
           (hex ? isHexUnit(url[i].unicode()) : (url[i] >= u'0' && url[i] <= u'9')))
        ++i;
    return i > digitsStart && i < url.size() && url[i] == u';';
}

qsizetype fragmentStart(QStringView url) {
    for (qsizetype hash = url.indexOf(u'#'); hash >= 0; hash = url.indexOf(u'#', hash + 1)) {
        if (!opensCharacterReference(url, hash))
            return hash;
    }
    return -1;
}

} // namespace

QString ResolveFormAction(QStringView action, QStringView pageUrl) {
    QStringView target = action.trimmed();
    const QStringView page = pageUrl.trimmed();
    if (target.isEmpty())
        return {};

    if (target.startsWith(u'?')) {
        QString joined = cutBefore(page, u'?').toString();
        joined.append(target);
        return withPlainAmpersands(joined.trimmed());
    }

    QString result;
    if (hasScheme(target)) {
        result = target.toString();
    } else {
        if (target.startsWith(u"./"))
            target = target.sliced(2);
        if (target.isEmpty())
            return {};
        const qsizetype schemeEnd = page.indexOf(kSchemeEnd);
        result = schemeEnd < 0 ? QStringLiteral("http") : page.first(schemeEnd).toString();
        result += kSchemeEnd;
        result += UrlHost(page);
        if (!target.startsWith(u'/'))
            result += UrlDirectory(page);
        result += target;
    }
    const qsizetype hash = fragmentStart(result);
    if (hash >= 0)
        result.truncate(hash);
    return withPlainAmpersands(result.trimmed());
}

QString UrlHost(QStringView url) {
    QStringView host = afterScheme(url);
    host = cutBefore(host, u'/');
    host = cutBefore(host, u'?');
    host = cutBefore(host, u':');
    return host.toString();
}

QString UrlDirectory(QStringView url) {
    QStringView path = afterScheme(url);
    const qsizetype slash = path.indexOf(u'/');
    path = slash < 0 ? QStringView() : path.sliced(slash);
    path = cutBefore(path, u'?');
    path = path.first(path.lastIndexOf(u'/') + 1);
    QString directory = path.toString();
    if (!directory.endsWith(u'/'))
        directory += u'/';
    return directory;
}

} // namespace quillo
