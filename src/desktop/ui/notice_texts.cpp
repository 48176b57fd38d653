#include "desktop/ui/notice_texts.h"

#include "prefs/language_strings.h"

namespace quillo {

namespace {

constexpr qsizetype kLongestWholeName = 20;
constexpr qsizetype kKeptOfLongName = 19;

QString Friends(int count, const char* one, const char* many) {
    return QString::number(count) + QLatin1String(count == 1 ? one : many);
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

// No language file has these texts, so they are English wherever the program runs.
QString SummaryNoticeText(int online, int offline) {
    if (online == 0)
        return Friends(offline, " friend is offline", " friends are offline");
    QString text = Friends(online, " friend is online", " friends are online");
    if (offline > 0)
        text += QStringLiteral(", ") + QString::number(offline) + QStringLiteral(" offline");
    return text;
}

} // namespace quillo
