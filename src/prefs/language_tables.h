#pragma once
// The two lookup tables of language detection, in their published order: Windows primary
// language identifiers with the language names that also name the language files, and Windows
// nation identifiers (GEOID) with the English country names that banner targeting compares.

#include <QStringView>
#include <QtGlobal>

#include <span>

namespace quillo {

struct LanguageNameRow {
    quint32 primaryLanguageId;
    // The language file's base name. Kept exactly, trailing spaces included: renaming a row
    // would orphan the installed file of that language.
    QStringView name;
};

struct CountryRow {
    qint64 geoId;
    QStringView name;
};

// Rows in table order; the first row of an identifier is the one that counts.
std::span<const LanguageNameRow> LanguageNameTable();
std::span<const CountryRow> CountryTable();

} // namespace quillo
