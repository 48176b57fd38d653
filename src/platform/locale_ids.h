#pragma once
// The user's language and nation as Windows identifies them: the primary language identifier
// of the user-interface language (LANG_GERMAN = 0x07, ...) and the nation GEOID (Germany =
// 0x5E, ...). On Windows the system is asked; elsewhere the user's QLocale is translated, so the
// same tables and language file names serve every platform.
//
// Free functions without state; safe on any thread.

#include <QLocale>
#include <QtGlobal>

#include <optional>

namespace quillo {

// The Windows primary language identifier of a language; empty for languages without a row in
// the language-name table, and for the C locale's language.
std::optional<quint32> PrimaryLanguageIdFor(QLocale::Language language);
std::optional<quint32> PrimaryLanguageIdForLocale(const QLocale& locale);

// The nation GEOID of a territory; empty when the territory is unset or has no row in the
// country table.
std::optional<qint64> NationGeoIdFor(QLocale::Territory territory);
std::optional<qint64> NationGeoIdForLocale(const QLocale& locale);

// The current user's user-interface language identifier. On Windows the full LANGID (the
// caller keeps the primary part); elsewhere the primary identifier of the first user-interface
// language the system names.
std::optional<quint32> UserUiLanguageId();

// The current user's nation GEOID; empty when the system does not know it.
std::optional<qint64> UserNationGeoId();

} // namespace quillo
