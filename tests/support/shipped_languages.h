#pragma once
// Language files for the tests that check that windows show the text of the language in use:
// the shipped German file, which translates every key, and the same file as it was before the
// later keys were added, as older and third-party files still are.

#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "prefs/language_file.h"
#include "prefs/language_strings.h"

namespace quillo::test {

inline QString ShippedLanguageFilePath(const char* name) {
    return QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/") + QLatin1String(name);
}

// The keys that came after the original ones.
inline QList<LanguageKey> LaterLanguageKeys() {
    const auto& all = AllLanguageKeys();
    return QList<LanguageKey>(all.begin() + kOriginalLanguageKeyCount, all.end());
}

// The bytes of German.lang; without the later keys' entries unless withLaterKeys.
inline QByteArray GermanFileBytes(bool withLaterKeys) {
    QFile shipped(ShippedLanguageFilePath("German.lang"));
    EXPECT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray bytes = shipped.readAll();
    if (withLaterKeys)
        return bytes;
    QDomDocument document;
    EXPECT_TRUE(document.setContent(bytes));
    QDomElement root = document.documentElement();
    for (LanguageKey key : LaterLanguageKeys()) {
        const QDomElement entry = root.firstChildElement(LanguageKeyName(key));
        EXPECT_FALSE(entry.isNull()) << LanguageKeyName(key).toStdString();
        root.removeChild(entry);
    }
    return document.toByteArray();
}

// Writes bytes as folder/Langs/fileName, where the program looks for its language file.
inline void WriteLanguageFile(const QString& folder, const QString& fileName,
                              const QByteArray& bytes) {
    EXPECT_TRUE(QDir().mkpath(folder + QStringLiteral("/Langs")));
    QFile file(LanguageFilePath(folder, fileName));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The strings the program has after loading a file of these bytes.
inline LanguageStrings StringsFromFile(const QByteArray& bytes) {
    const QTemporaryDir folder;
    WriteLanguageFile(folder.path(), QStringLiteral("German.lang"), bytes);
    const LanguageFile file =
        LanguageFile::Load(LanguageFilePath(folder.path(), QStringLiteral("German.lang")));
    EXPECT_TRUE(file.isLoaded()) << file.problem().toStdString();
    LanguageStrings strings;
    LoadLanguageStrings(file, strings);
    return strings;
}

inline LanguageStrings GermanStrings() {
    return StringsFromFile(GermanFileBytes(true));
}

inline LanguageStrings OlderGermanStrings() {
    return StringsFromFile(GermanFileBytes(false));
}

// A language for a table of window texts: the file, and whether it translates the later keys
// (else they must show in English).
struct LanguageCase {
    const char* name;
    bool translatesLaterKeys;

    QByteArray bytes() const { return GermanFileBytes(translatesLaterKeys); }
    LanguageStrings strings() const { return StringsFromFile(bytes()); }
};

inline const LanguageCase kLanguageCases[] = {
    {"German.lang", true},
    {"German.lang without the later keys", false},
};

} // namespace quillo::test
