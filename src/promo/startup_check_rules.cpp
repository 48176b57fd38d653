#include "promo/startup_check_rules.h"

#include <QStringList>
#include <QUuid>
#include <algorithm>
#include <cctype>

namespace quillo {

namespace {

bool allDigits(QStringView part, int maxDigits) {
    if (part.isEmpty() || part.size() > maxDigits)
        return false;
    for (QChar c : part) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool isIpv4(QStringView text) {
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        if (!allDigits(part, 3) || part.toInt() > 255)
            return false;
    }
    return true;
}

bool isIpv6(QStringView text) {
    if (!text.contains(u':') || text.size() > 45)
        return false;
    // A colon at either end belongs to a "::"; a single one there would leave a group out, and
    // the count below cannot tell ":1:2:3:4:5:6:7:8" from eight groups.
    if ((text.startsWith(u':') && !text.startsWith(u"::")) ||
        (text.endsWith(u':') && !text.endsWith(u"::")))
        return false;
    const qsizetype gap = text.indexOf(u"::");
    if (gap >= 0 && text.indexOf(u"::", gap + 1) >= 0)
        return false;
    const QList<QStringView> groups = text.split(u':');
    int filled = 0;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        QStringView g = groups[i];
        if (g.isEmpty())
            continue; // part of a "::"
        if (i == groups.size() - 1 && g.contains(u'.')) {
            if (!isIpv4(g))
                return false;
            filled += 2;
            continue;
        }
        if (g.size() > 4)
            return false;
        for (QChar c : g) {
            if (c.unicode() > 0x7f || !std::isxdigit(static_cast<unsigned char>(c.toLatin1())))
                return false;
        }
        ++filled;
    }
    return gap >= 0 ? filled < 8 : filled == 8;
}

} // namespace

bool LooksLikeVersion(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QStringView part : QStringView(text).split(u'.')) {
        if (!allDigits(part, 9))
            return false;
    }
    return true;
}

bool IsNewerVersion(const QString& remote, const QString& own) {
    if (!LooksLikeVersion(remote) || !LooksLikeVersion(own))
        return false;
    const QList<QStringView> a = QStringView(remote).split(u'.');
    const QList<QStringView> b = QStringView(own).split(u'.');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const long long x = i < a.size() ? a[i].toLongLong() : 0;
        const long long y = i < b.size() ? b[i].toLongLong() : 0;
        if (x != y)
            return x > y;
    }
    return false;
}

bool LooksLikeIpAddress(const QString& text) {
    return isIpv4(text) || isIpv6(text);
}

QString NewMacId() {
    const QByteArray bytes = QUuid::createUuid().toRfc4122();
    return QString::fromLatin1(bytes.mid(10, 6).toHex().toUpper());
}

FormFields ErrorReportFields(const QString& currentLang, const QString& code) {
    return {{QStringLiteral("act"), QStringLiteral("err")},
            {QStringLiteral("lang"), currentLang + u'#' + code}};
}

} // namespace quillo
