#include "promo/banners.h"

#include <QCollator>
#include <QDomDocument>
#include <QLocale>
#include <QUrl>
#include <algorithm>

#include "prefs/settings.h"

namespace quillo {

namespace {

const QString kAll = QStringLiteral("all");

void replaceFirst(QString& text, const QString& what, const QString& with) {
    const qsizetype at = text.indexOf(what);
    if (at >= 0)
        text.replace(at, what.size(), with);
}

enum class Rewrite { None, Age, Gender };

bool admits(const QString& targetText, const QString& userValue, Rewrite rewrite) {
    QString target = targetText.toLower().trimmed();
    if (target == kAll)
        return true;
    QString user = userValue.toLower();
    if (rewrite == Rewrite::Age) {
        // The maker's documents escape the ampersand, so the parsed text still reads "&lt;18".
        replaceFirst(target, QStringLiteral("&lt;"), QStringLiteral("<"));
    } else if (rewrite == Rewrite::Gender) {
        // Otherwise "male" would be found inside every "female".
        replaceFirst(target, QStringLiteral("female"), QStringLiteral("fedale"));
        replaceFirst(user, QStringLiteral("female"), QStringLiteral("fedale"));
    }
    // An empty text occurs in every text; an unknown value must not count as a match.
    return !user.isEmpty() && target.contains(user);
}

QCollator lineCollator() {
    // The C locale compares code points, which would put "10|" before "1|"; a real collation
    // sorts the separator ahead of the digits, so that the rank decides as the maker meant.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

bool BannerTargeted(const BannerTargets& entry, const TDemographic& user) {
    return admits(entry.country, user.Country.get(), Rewrite::None) &&
           admits(entry.language, user.Language.get(), Rewrite::None) &&
           admits(entry.gender, user.Gender.get(), Rewrite::Gender) &&
           admits(entry.age, user.Age.get(), Rewrite::Age) &&
           admits(entry.education, user.Education.get(), Rewrite::None) &&
           admits(entry.income, user.AnnualHouseHold.get(), Rewrite::None);
}

QStringList LoadBannerList(const QString& xmlText, const TDemographic& user) {
    QStringList lines;
    QDomDocument document;
    if (!document.setContent(xmlText))
        return lines;
    const QDomElement root = document.documentElement();
    if (root.isNull())
        return lines;

    const QCollator collator = lineCollator();
    for (QDomElement entry = root.firstChildElement(); !entry.isNull();
         entry = entry.nextSiblingElement()) {
        // A missing element reads as empty text: as a target it then admits nobody.
        const auto text = [&entry](const char16_t* name) {
            return entry.firstChildElement(QString::fromUtf16(name)).text().trimmed();
        };
        const BannerTargets targets{text(u"COUNTRY"), text(u"LANGUAGE"),  text(u"GENDER"),
                                    text(u"AGE"),     text(u"EDUCATION"), text(u"INCOME")};
        if (!BannerTargeted(targets, user))
            continue;
        const QString line = QStringList{text(u"RANK"), text(u"IMAGE"), text(u"LINKTO"),
                                         text(u"DURATION"), text(u"TOOLTIP")}
                                 .join(u'|');
        const bool known = std::any_of(lines.cbegin(), lines.cend(), [&line](const QString& kept) {
            return kept.compare(line, Qt::CaseInsensitive) == 0;
        });
        if (known)
            continue;
        const auto at = std::upper_bound(
            lines.begin(), lines.end(), line,
            [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        lines.insert(at, line);
    }
    return lines;
}

BannerLine ParseBannerLine(const QString& line) {
    BannerLine parsed;
    QStringView rest = line;
    // Takes the text up to the next "|"; without one, the field and the rest stay empty.
    const auto cut = [&rest](QString* field) {
        const qsizetype bar = rest.indexOf(u'|');
        if (bar < 0)
            return false;
        if (field)
            *field = rest.left(bar).toString();
        rest = rest.mid(bar + 1);
        return true;
    };
    if (!cut(nullptr) || !cut(&parsed.address) || !cut(&parsed.link) || !cut(&parsed.duration))
        return parsed;
    if (parsed.duration.endsWith(u'm'))
        parsed.duration.chop(1);
    parsed.hint = rest.toString();
    return parsed;
}

int BannerMinutes(const QString& duration) {
    QStringView number = duration;
    if (number.endsWith(u'm'))
        number.chop(1);
    bool ok = false;
    const int minutes = number.toInt(&ok, 10);
    if (!ok)
        return 5;
    return std::max(minutes, 0);
}

QByteArray BannerPictureFormat(const QString& address) {
    const QString path = QUrl(address).path();
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < path.lastIndexOf(u'/'))
        return {};
    const QString extension = path.mid(dot + 1).toLower();
    if (extension == u"jpg" || extension == u"jpeg")
        return "JPEG";
    if (extension == u"gif")
        return "GIF";
    if (extension == u"png")
        return "PNG";
    return {};
}

bool BannerLinkOpenable(const QString& link) {
    const QUrl url(link);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

} // namespace quillo
