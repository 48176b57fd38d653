// Language and country detection: the two tables, the translation of a QLocale into the Windows
// identifiers the tables are keyed by, and the names a user ends up with.
#include <QMetaEnum>
#include <QSet>
#include <gtest/gtest.h>

#include "platform/locale_ids.h"
#include "prefs/language_detect.h"
#include "prefs/language_tables.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

TEST(LanguageTables, HoldEveryRowInTableOrder) {
    const auto languages = LanguageNameTable();
    ASSERT_EQ(languages.size(), 75u);
    EXPECT_EQ(languages.front().primaryLanguageId, 0x00u);
    EXPECT_EQ(languages.front().name, u"Neutral");
    EXPECT_EQ(languages.back().primaryLanguageId, 0x65u);
    EXPECT_EQ(languages.back().name, u"Divehi");

    const auto countries = CountryTable();
    ASSERT_EQ(countries.size(), 260u);
    EXPECT_EQ(countries.front().geoId, 0x2);
    EXPECT_EQ(countries.front().name, u"Antigua and Barbuda");
    EXPECT_EQ(countries.back().geoId, 0x6F60E7);
    EXPECT_EQ(countries.back().name, u"Timor-Leste");

    QSet<quint32> languageIds;
    for (const auto& row : languages)
        languageIds.insert(row.primaryLanguageId);
    EXPECT_EQ(languageIds.size(), 75);
    QSet<qint64> geoIds;
    for (const auto& row : countries)
        geoIds.insert(row.geoId);
    EXPECT_EQ(geoIds.size(), 260);
}

TEST(LanguageDetection, NamesTheLanguageOfThePrimaryIdentifier) {
    const struct {
        quint32 id;
        QString name;
    } cases[] = {
        {0x07, u"German"_s},
        {0x0407, u"German"_s}, // German (Germany): the sublanguage does not count
        {0x0C07, u"German"_s}, // German (Austria)
        {0x09, u"English"_s},
        {0x1A, u"Croatian"_s},
        {0x10, u"Italian  "_s}, // two spaces: the installed file is "Italian  .lang"
        {0x00, u"Neutral"_s},
        {0x2F, u"FYRO Macedonian"_s},
        {0x65, u"Divehi"_s},
        {0x17, u"English"_s}, // no row
        {0x28, u"English"_s}, // no row
        {0xFF, u"English"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageNameForId(c.id), c.name) << std::hex << c.id;
}

TEST(CountryDetection, NamesTheCountryOfTheWholeIdentifier) {
    const struct {
        qint64 geoId;
        QString name;
    } cases[] = {
        {0x54, u"France"_s},
        {0x154, u"Rota Island"_s}, // not France: codes are compared whole
        {0x5E, u"Germany"_s},
        {0x77, u"Côte d'Ivoire"_s},
        {0xE9, u"São Tomé and Príncipe"_s},
        {0x16, u"Bahamas, The"_s},
        {0x3B16, u"Isle of Man"_s},
        {0x6F60E7, u"Timor-Leste"_s},
        {0x1, QString()},
        {0x0, QString()},
        {-1, QString()}, // the system does not know the nation
        {0x10E, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountryNameForGeoId(c.geoId), c.name) << std::hex << c.geoId;
}

TEST(LocaleDetection, GivesTheTableNamesForAUsersLocale) {
    const struct {
        const char* locale;
        QString language;
        QString country;
    } cases[] = {
        {"de_DE", u"German"_s, u"Germany"_s},
        {"de_AT", u"German"_s, u"Austria"_s},
        {"fr_FR", u"French"_s, u"France"_s},
        {"it_IT", u"Italian  "_s, u"Italy"_s},
        {"hr_HR", u"Croatian"_s, u"Croatia"_s},
        {"sr_RS", u"Croatian"_s, u"Serbia"_s}, // Windows gives Serbian Croatian's identifier
        {"nn_NO", u"Norwegian"_s, u"Norway"_s},
        {"nb_NO", u"Norwegian"_s, u"Norway"_s},
        {"fa_IR", u"Farsi"_s, u"Iran"_s},
        {"az_AZ", u"Azeri"_s, u"Azerbaijan"_s},
        {"mk_MK", u"FYRO Macedonian"_s, u"Macedonia, FYROM"_s},
        {"zh_HK", u"Chinese"_s, u"Hong Kong SAR"_s},
        {"ko_KR", u"Korean"_s, u"Korea"_s},
        {"en_US", u"English"_s, u"United States"_s},
        {"en_GB", u"English"_s, u"United Kingdom"_s},
        {"pt_ST", u"Portuguese"_s, u"São Tomé and Príncipe"_s},
        {"fil_PH", u"English"_s, u"Philippines"_s}, // a language without a row
        {"sq_XK", u"Albanian"_s, QString()},        // a territory without a row
        {"C", u"English"_s, QString()},
    };
    for (const auto& c : cases) {
        const QLocale locale(QString::fromLatin1(c.locale));
        EXPECT_EQ(DetectLanguage(locale), c.language) << c.locale;
        EXPECT_EQ(DetectCountry(locale), c.country) << c.locale;
    }
}

// The two translation tables are hand-kept lists of Qt enumerators: every identifier they give
// must have a row, and every language row (but Neutral) must be reachable from some language.
TEST(LocaleDetection, EveryTranslationLandsOnARow) {
    QSet<quint32> reached;
    const QMetaEnum languages = QMetaEnum::fromType<QLocale::Language>();
    for (int i = 0; i < languages.keyCount(); ++i) {
        const auto id = PrimaryLanguageIdFor(static_cast<QLocale::Language>(languages.value(i)));
        if (!id)
            continue;
        reached.insert(*id);
        bool hasRow = false;
        for (const auto& row : LanguageNameTable())
            hasRow = hasRow || row.primaryLanguageId == *id;
        EXPECT_TRUE(hasRow) << languages.key(i);
    }
    for (const auto& row : LanguageNameTable()) {
        if (row.primaryLanguageId != 0x00) {
            EXPECT_TRUE(reached.contains(row.primaryLanguageId))
                << row.name.toString().toStdString();
        }
    }

    const QMetaEnum territories = QMetaEnum::fromType<QLocale::Territory>();
    int mapped = 0;
    for (int i = 0; i < territories.keyCount(); ++i) {
        const auto geoId = NationGeoIdFor(static_cast<QLocale::Territory>(territories.value(i)));
        if (!geoId)
            continue;
        ++mapped;
        EXPECT_FALSE(CountryNameForGeoId(*geoId).isEmpty()) << territories.key(i);
    }
    EXPECT_GT(mapped, 240); // every territory Qt knows that has a row, aliases counted twice
    EXPECT_FALSE(NationGeoIdFor(QLocale::AnyTerritory).has_value());
    EXPECT_FALSE(PrimaryLanguageIdFor(QLocale::C).has_value());
    EXPECT_FALSE(PrimaryLanguageIdFor(QLocale::AnyLanguage).has_value());
}

TEST(LocaleDetection, TheUsersLanguageIsNeverEmpty) {
    EXPECT_FALSE(DetectLanguage().isEmpty());
}

} // namespace
} // namespace quillo
