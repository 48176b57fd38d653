#pragma once
// Which language file and which country name fit the user: the platform's user-interface
// language and nation are mapped to the Windows primary language identifier and nation GEOID,
// so that one pair of tables and one set of file names serves every platform.
//
// Pure functions over the tables of language_tables.h; safe on any thread.

#include <QLocale>
#include <QString>

namespace quillo {

// Name of the language of primary language identifier (low 8 bits of langId); "English" when
// the table has no row for it. The name is also the language file's base name.
QString LanguageNameForId(quint32 langId);

// English name of the country with nation identifier geoId; empty when unknown.
QString CountryNameForGeoId(qint64 geoId);

// The same for the current user (platform/locale_ids.h supplies the identifiers). Never empty;
// "English" when nothing matches.
QString DetectLanguage();
// Empty when the user's nation is unknown or has no row.
QString DetectCountry();

// The same for a given locale, as a platform without Windows identifiers sees its user.
QString DetectLanguage(const QLocale& locale);
QString DetectCountry(const QLocale& locale);

} // namespace quillo
