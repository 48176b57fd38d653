#include "prefs/language_detect.h"

#include "platform/locale_ids.h"
#include "prefs/language_tables.h"

namespace quillo {

namespace {

QString FallbackLanguage() {
    return QStringLiteral("English");
}

} // namespace

QString LanguageNameForId(quint32 langId) {
    // Only the low byte counts: the sublanguage (the region's variant) never picks another file.
    const quint32 primary = langId & 0xFFu;
    for (const LanguageNameRow& row : LanguageNameTable()) {
        if (row.primaryLanguageId == primary)
            return row.name.toString();
    }
    return FallbackLanguage();
}

QString CountryNameForGeoId(qint64 geoId) {
    for (const CountryRow& row : CountryTable()) {
        if (row.geoId == geoId)
            return row.name.toString();
    }
    return {};
}

QString DetectLanguage() {
    const auto id = UserUiLanguageId();
    return id ? LanguageNameForId(*id) : FallbackLanguage();
}

QString DetectCountry() {
    const auto id = UserNationGeoId();
    return id ? CountryNameForGeoId(*id) : QString();
}

QString DetectLanguage(const QLocale& locale) {
    const auto id = PrimaryLanguageIdForLocale(locale);
    return id ? LanguageNameForId(*id) : FallbackLanguage();
}

QString DetectCountry(const QLocale& locale) {
    const auto id = NationGeoIdForLocale(locale);
    return id ? CountryNameForGeoId(*id) : QString();
}

} // namespace quillo
