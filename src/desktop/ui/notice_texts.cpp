#include "desktop/ui/notice_texts.h"

#include "prefs/language_strings.h"

namespace quillo {

namespace {

constexpr qsizetype kLongestWholeName = 20;
constexpr qsizetype kKeptOfLongName = 19;

// One count in its own words: a language says "1 friend" and "2 friends" differently.
QString Friends(const LanguageStrings& strings, int count, LanguageKey one, LanguageKey many) {
    return strings.format(count == 1 ? one : many, {QString::number(count)});
}

} // namespace

QString ShortNoticeName(const QString& name) {
    if (name.size() <= kLongestWholeName)
        return name;
    qsizetype kept = kKeptOfLongName;
    if (name.at(kept - 1).isHighSurrogate() && name.at(kept).isLowSurrogate())
        --kept;
    return name.left(kept) + QStringLiteral("...");
}

QString PresenceNoticeText(const LanguageStrings& strings, const QString& name, bool online) {
    const LanguageKey key = online ? LanguageKey::msgOnlinenotify : LanguageKey::msgOfflinenotify;
    return ShortNoticeName(name) + QLatin1Char(' ') + strings.text(key);
}

QString SummaryNoticeText(const LanguageStrings& strings, int online, int offline) {
    if (online == 0)
        return Friends(strings, offline, LanguageKey::msgSummaryOneOffline,
                       LanguageKey::msgSummaryOffline);
    const QString text =
        Friends(strings, online, LanguageKey::msgSummaryOneOnline, LanguageKey::msgSummaryOnline);
    if (offline == 0)
        return text;
    return strings.format(LanguageKey::msgSummaryAlsoOffline, {text, QString::number(offline)});
}

} // namespace quillo
