// The language strings and the language file: exact built-in texts, placeholder filling, entry
// lookup, loading over the defaults, damaged and oddly encoded files, and the shipped files.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/build_settings.h"
#include "prefs/language_file.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"
#include "support/shipped_languages.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

// Collects the warnings issued while it lives.
class WarningCatcher {
public:
    WarningCatcher()
        : previous_(qInstallMessageHandler(&WarningCatcher::handle)) {
        caught().clear();
    }
    ~WarningCatcher() { qInstallMessageHandler(previous_); }
    WarningCatcher(const WarningCatcher&) = delete;
    WarningCatcher& operator=(const WarningCatcher&) = delete;

    static QStringList& caught() {
        static QStringList messages;
        return messages;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtWarningMsg)
            caught().append(message);
    }
    QtMessageHandler previous_;
};

// A program folder with a Langs folder, for files written by the test.
class LangsFolder {
public:
    LangsFolder() { QDir(dir_.path()).mkdir(QStringLiteral("Langs")); }
    QString appFolder() const { return dir_.path() + u'/'; }
    QString write(const QString& fileName, const QByteArray& bytes) const {
        const QString path = LanguageFilePath(appFolder(), fileName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

private:
    QTemporaryDir dir_;
};

QDomDocument Parse(const QByteArray& xml) {
    QDomDocument document;
    EXPECT_TRUE(document.setContent(xml));
    return document;
}

// "%s"/"%d" in order of appearance: a translation must take its values in the same order.
QStringList Placeholders(const QString& text) {
    QStringList found;
    static const QRegularExpression placeholder(QStringLiteral("%[sd]"));
    for (const auto& match : placeholder.globalMatch(text))
        found << match.captured();
    return found;
}

TEST(LanguageStrings, DefaultsKeepTheirExactText) {
    const QString site = QLatin1String(build::kMakerWebSite);
    const struct {
        LanguageKey key;
        QString text;
    } cases[] = {
        {LanguageKey::msgOfflinenotify, u" is offline."_s},
        {LanguageKey::msgOnlinenotify, u" is online."_s},
        {LanguageKey::msgOffline,
         u"%s is no longer online. Following message \"%s\" has not been sent."_s},
        {LanguageKey::msgBanner, u"Loading advertisments ..."_s},
        {LanguageKey::msgNoReponse, u"No reponsding from server. Send message fail!"_s},
        {LanguageKey::msgLoginExpire, u"Login session is expired or this account\n\r"
                                      u"may logged in on another computer. Please re-login !"_s},
        {LanguageKey::msgNewVersion,
         u"A New Version Of Quillo for Facebook Has Been Released. \n\r"
         u"In order To continue To Use Quillo, Please Download and Install The New Version."_s},
        {LanguageKey::msgRecommendOffline,
         u"%s is no longer online.Recommend has not been sent."_s},
        {LanguageKey::msgChatHistoryCaption, u"%s 's chat history"_s},
        {LanguageKey::msgSending, u"Progress %d/%d"_s},
        {LanguageKey::msgRecommend,
         u"has invited you to use Quillo for Facebook which can be downloaded at "_s + site +
             u" to chat with him/her."_s},
        {LanguageKey::msgLoginStatus,
         u"%s has signed into Facebook Chat using Quillo for Facebook ("_s + site + u")"_s},
        {LanguageKey::msgDone, u"Done"_s},
    };
    const LanguageStrings strings;
    for (const auto& c : cases)
        EXPECT_EQ(strings.text(c.key), c.text) << LanguageKeyName(c.key).toStdString();
    EXPECT_TRUE(strings.text(LanguageKey::msgFriendList).contains(u"an error has occured in"));
    EXPECT_EQ(strings.text(LanguageKey::msgPromote).count(u"\n\r"), 4);
}

TEST(LanguageStrings, KeysAreNamedExactlyAndInFileOrder) {
    const auto& keys = AllLanguageKeys();
    // The 55 keys every file has carried keep their places; the later ones follow them.
    ASSERT_EQ(kOriginalLanguageKeyCount, 55);
    ASSERT_EQ(keys.size(), std::size_t(kLanguageKeyCount));
    EXPECT_EQ(LanguageKeyName(keys.front()), u"msgGetBuddy");
    EXPECT_EQ(LanguageKeyName(keys[kOriginalLanguageKeyCount - 1]), u"pnClearHistory");
    EXPECT_EQ(LanguageKeyName(keys[kOriginalLanguageKeyCount]), u"msgPasswordInFile");
    QSet<QString> names;
    for (LanguageKey key : keys) {
        const QString name = LanguageKeyName(key);
        names.insert(name);
        EXPECT_EQ(LanguageKeyFromName(name), key) << name.toStdString();
        EXPECT_FALSE(DefaultLanguageText(key).isEmpty()) << name.toStdString();
    }
    EXPECT_EQ(names.size(), kLanguageKeyCount);

    for (const QString& wrong : {u"msgloginfail"_s, u"MsgLoginFail"_s, u" msgLoginFail"_s,
                                 u"msgLoginFail "_s, u""_s, u"Panel1"_s})
        EXPECT_FALSE(LanguageKeyFromName(wrong).has_value()) << wrong.toStdString();

    LanguageStrings strings;
    EXPECT_EQ(strings.text(u"msgDone"), u"Done");
    EXPECT_EQ(strings.text(u"msgdone"), QString());
    strings.setText(LanguageKey::msgDone, u"Fertig"_s);
    EXPECT_EQ(strings.text(u"msgDone"), u"Fertig");
}

TEST(LanguageStrings, FillsPlaceholdersWithoutTrustingThePattern) {
    const struct {
        QString pattern;
        QStringList values;
        QString expected;
    } cases[] = {
        {u"Signing in as %s"_s, {u"a@b.c"_s}, u"Signing in as a@b.c"_s},
        {u"Progress %d/%d"_s, {u"3"_s, u"7"_s}, u"Progress 3/7"_s},
        {u"%s said \"%s\""_s, {u"Ann"_s, u"hi"_s}, u"Ann said \"hi\""_s},
        // A translation with more placeholders than values, or fewer.
        {u"%s and %s"_s, {u"one"_s}, u"one and "_s},
        {u"Done"_s, {u"unused"_s}, u"Done"_s},
        // Values are inserted as they are, never read as patterns.
        {u"%s!"_s, {u"%s %d %n"_s}, u"%s %d %n!"_s},
        // Anything else after "%" is text.
        {u"100% sure, %%s, %x, %"_s, {u"v"_s}, u"100% sure, %s, %x, %"_s},
        {u"%n%p%s"_s, {u"ok"_s}, u"%n%pok"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FillPlaceholders(c.pattern, c.values), c.expected) << c.pattern.toStdString();

    const LanguageStrings strings;
    EXPECT_EQ(strings.format(LanguageKey::msgVersion, {u"1.361"_s}), u"Version 1.361");
}

TEST(LanguageFile, EntryIsTheFirstDirectChildWithTheExactName) {
    const QDomDocument document = Parse(R"(<?xml version="1.0" encoding="UTF-8"?>
<AnyRootName>
  <msgDone Caption="Fertig" Other="ignored"><Nested Caption="inner"/></msgDone>
  <Group><btnSignin Caption="nested, not an entry"/></Group>
  <Twice Caption=""/>
  <Twice Caption="second"/>
  <Dup Caption="first"/>
  <Dup Caption="second"/>
  <NoCaption Text="x"/>
  <!-- <Commented Caption="no"/> -->
  <Spaced Caption="  two  spaces  "/>
</AnyRootName>)");
    const struct {
        const char16_t* key;
        const char16_t* expected;
    } cases[] = {
        {u"msgDone", u"Fertig"}, {u"msgdone", u""}, // case-sensitive
        {u"Nested", u""},                           // below an entry
        {u"btnSignin", u""},                        // below another element
        {u"Twice", u""},                            // the first one counts, even when empty
        {u"Dup", u"first"},      {u"NoCaption", u""},
        {u"Commented", u""},     {u"Spaced", u"  two  spaces  "},
        {u"AnyRootName", u""}, // the root is not an entry
        {u"Missing", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadLanguageEntry(document, QString::fromUtf16(c.key)),
                  QString::fromUtf16(c.expected))
            << QString::fromUtf16(c.key).toStdString();
    EXPECT_EQ(ReadLanguageEntry(QDomDocument(), u"msgDone"_s), QString());
}

TEST(LanguageFile, ReplacesOnlyTheStringsTheFileFills) {
    const LangsFolder folder;
    const QString path = folder.write(u"German.lang"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<Language>
  <msgSignin Caption="Anmeldung als %s"/>
  <msgDone Caption=""/>
  <msgBanner/>
  <msgConnectFail Caption="Keine Verbindung.&#10;&#13;Bitte neu anmelden!"/>
  <Panel1 Caption="Bitte warten"/>
  <UnknownEntry Caption="ignored"/>
  <Group><msgTyping Caption="nested"/></Group>
</Language>)");
    const WarningCatcher warnings;
    const LanguageFile file = LanguageFile::Load(path);
    ASSERT_EQ(file.status(), LanguageFile::Status::Loaded);

    LanguageStrings strings;
    LoadLanguageStrings(file, strings);
    EXPECT_EQ(strings.text(LanguageKey::msgSignin), u"Anmeldung als %s");
    EXPECT_EQ(strings.text(LanguageKey::msgConnectFail),
              u"Keine Verbindung.\n\rBitte neu anmelden!");
    EXPECT_EQ(strings.text(LanguageKey::msgDone), u"Done");
    EXPECT_EQ(strings.text(LanguageKey::msgBanner), u"Loading advertisments ...");
    EXPECT_EQ(strings.text(LanguageKey::msgTyping), u"%s is typing message...");
    EXPECT_EQ(file.caption(u"Panel1"_s), u"Bitte warten");
    EXPECT_TRUE(warnings.caught().isEmpty());
}

// Files written before the later keys existed (older versions' and third-party files) still
// load: their entries replace the original texts, and the later texts stay English.
TEST(LanguageFile, AFileWithoutTheLaterKeysShowsThemInEnglish) {
    const LanguageStrings german = test::GermanStrings();
    const LanguageStrings older = test::OlderGermanStrings();
    for (LanguageKey key : AllLanguageKeys()) {
        const bool later = test::LaterLanguageKeys().contains(key);
        SCOPED_TRACE(LanguageKeyName(key).toStdString());
        EXPECT_EQ(older.text(key), later ? DefaultLanguageText(key) : german.text(key));
        // The shipped German file translates every later text.
        if (later) {
            EXPECT_NE(german.text(key), DefaultLanguageText(key));
        }
    }
}

TEST(LanguageFile, MissingFileIsSilentAndChangesNothing) {
    const LangsFolder folder;
    const WarningCatcher warnings;
    const LanguageFile file =
        LanguageFile::Load(LanguageFilePath(folder.appFolder(), u"German.lang"_s));
    EXPECT_EQ(file.status(), LanguageFile::Status::Missing);
    EXPECT_EQ(file.caption(u"msgDone"_s), QString());

    LanguageStrings strings;
    LoadLanguageStrings(file, strings);
    for (LanguageKey key : AllLanguageKeys())
        EXPECT_EQ(strings.text(key), DefaultLanguageText(key));
    EXPECT_TRUE(warnings.caught().isEmpty());
}

TEST(LanguageFile, DamagedFileIsReportedOnceAndTheDefaultsStay) {
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"unclosed element",
         R"(<?xml version="1.0"?><Language><msgDone Caption="Fertig"></Language>)"},
        {"unquoted attribute", "<Language><msgDone Caption=Fertig/></Language>"},
        {"cut short", R"(<?xml version="1.0"?><Language><msgDone Caption="Fer)"},
        {"empty file", ""},
        {"not XML at all", "msgDone=Fertig\n"},
        {"unknown encoding", R"(<?xml version="1.0" encoding="x-unknown"?><Language/>)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LangsFolder folder;
        const QString path = folder.write(u"German.lang"_s, c.bytes);
        const WarningCatcher warnings;

        const LanguageFile file = LanguageFile::Load(path);
        EXPECT_EQ(file.status(), LanguageFile::Status::Malformed);
        ASSERT_EQ(warnings.caught().size(), 1);
        EXPECT_TRUE(warnings.caught().first().contains(path));
        EXPECT_TRUE(warnings.caught().first().contains(u"line "));
        EXPECT_TRUE(warnings.caught().first().contains(u"column "));

        // The file is shared: the strings and any number of windows use it without new reports.
        LanguageStrings strings;
        LoadLanguageStrings(file, strings);
        LoadLanguageStrings(file, strings);
        EXPECT_EQ(strings.text(LanguageKey::msgDone), u"Done");
        EXPECT_EQ(file.caption(u"msgDone"_s), QString());
        EXPECT_EQ(warnings.caught().size(), 1);
    }
}

TEST(LanguageFile, UnreadableFileIsReportedAndTreatedAsMissing) {
    const LangsFolder folder;
    const QString path = LanguageFilePath(folder.appFolder(), u"German.lang"_s);
    ASSERT_TRUE(QDir().mkdir(path)); // a folder where the file should be
    const WarningCatcher warnings;
    const LanguageFile file = LanguageFile::Load(path);
    EXPECT_EQ(file.status(), LanguageFile::Status::Unreadable);
    EXPECT_EQ(warnings.caught().size(), 1);
    EXPECT_FALSE(file.isLoaded());
}

TEST(LanguageFile, HonoursTheDeclaredEncoding) {
    const LangsFolder folder;
    // "Grüße", "Über" and "ß" as ISO-8859-1 bytes.
    const QString path =
        folder.write(u"German.lang"_s, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                       "<Language><msgDone Caption=\"Gr\xFC\xDF"
                                       "e\"/><AboutCaption Caption=\"\xDC"
                                       "ber\"/>"
                                       "</Language>");
    const LanguageFile file = LanguageFile::Load(path);
    ASSERT_TRUE(file.isLoaded()) << file.problem().toStdString();
    LanguageStrings strings;
    LoadLanguageStrings(file, strings);
    EXPECT_EQ(strings.text(LanguageKey::msgDone), u"Grüße");
    EXPECT_EQ(strings.text(LanguageKey::AboutCaption), u"Über");
}

TEST(LanguageFile, PathIsTheLangsFolderOfTheProgramFolder) {
    EXPECT_EQ(LanguageFilePath(u"/opt/quillo/"_s, u"German.lang"_s),
              u"/opt/quillo/Langs/German.lang");
    EXPECT_EQ(LanguageFilePath(u"/opt/quillo"_s, u"Italian  .lang"_s),
              u"/opt/quillo/Langs/Italian  .lang");
    EXPECT_EQ(LanguageFilePath(u"English.lang"_s),
              QCoreApplication::applicationDirPath() + u"/Langs/English.lang"_s);
}

// The files installed beside the program.
class ShippedLanguageFile : public ::testing::TestWithParam<const char*> {
protected:
    static LanguageFile Load(const char* name) {
        return LanguageFile::Load(QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/") +
                                  QLatin1String(name));
    }
};

TEST_P(ShippedLanguageFile, FillsEveryStringAndKeepsItsPlaceholdersAndLineBreaks) {
    const LanguageFile file = Load(GetParam());
    ASSERT_TRUE(file.isLoaded()) << file.problem().toStdString();
    for (LanguageKey key : AllLanguageKeys()) {
        const QString name = LanguageKeyName(key);
        SCOPED_TRACE(name.toStdString());
        const QString text = file.caption(name);
        const QString english = DefaultLanguageText(key);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_EQ(Placeholders(text), Placeholders(english));
        EXPECT_EQ(text.count(u"\n\r"), english.count(u"\n\r"));
        EXPECT_EQ(text.count(u'\n'), text.count(u"\n\r")); // no half line breaks
        EXPECT_EQ(text.count(u'\r'), text.count(u"\n\r"));
        EXPECT_EQ(text.startsWith(u' '), english.startsWith(u' ')); // appended to a name
    }
}

INSTANTIATE_TEST_SUITE_P(Langs, ShippedLanguageFile,
                         ::testing::Values("English.lang", "German.lang"));

TEST(ShippedLanguageFiles, EnglishRepeatsTheDefaults) {
    const LanguageFile file =
        LanguageFile::Load(QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/English.lang"));
    ASSERT_TRUE(file.isLoaded());
    const QString site = QLatin1String(build::kMakerWebSite);
    for (LanguageKey key : AllLanguageKeys()) {
        const QString name = LanguageKeyName(key);
        const QString text = file.caption(name);
        const QString english = DefaultLanguageText(key);
        // The file names the site the program was shipped with; the rest must be the default.
        const qsizetype at = english.indexOf(site);
        if (at < 0) {
            EXPECT_EQ(text, english) << name.toStdString();
        } else {
            EXPECT_TRUE(text.startsWith(english.left(at))) << name.toStdString();
            EXPECT_TRUE(text.endsWith(english.mid(at + site.size()))) << name.toStdString();
        }
    }
}

TEST(ShippedLanguageFiles, GermanCoversTheSameControlsAsEnglish) {
    const LanguageFile english =
        LanguageFile::Load(QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/English.lang"));
    const LanguageFile german =
        LanguageFile::Load(QStringLiteral(QUILLO_SOURCE_DIR "/resources/Langs/German.lang"));
    ASSERT_TRUE(english.isLoaded() && german.isLoaded());

    QStringList englishNames;
    const QDomElement root = english.document().documentElement();
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        englishNames << e.tagName();
    QStringList germanNames;
    const QDomElement germanRoot = german.document().documentElement();
    for (QDomElement e = germanRoot.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        germanNames << e.tagName();
    EXPECT_EQ(germanNames, englishNames);
    EXPECT_EQ(englishNames.removeDuplicates(), 0);

    for (const QString& name : englishNames) {
        // A caption left empty in one language keeps the window's own text; the other language
        // must then not set one either, or the windows would differ in what they show.
        EXPECT_EQ(english.caption(name).isEmpty(), german.caption(name).isEmpty())
            << name.toStdString();
    }
    EXPECT_EQ(english.caption(u"chkAuto"_s), u"Sign in automatically ");
    EXPECT_EQ(english.caption(u"btnSignin"_s), u"Sign in");
    EXPECT_EQ(english.caption(u"lbSignOut"_s), u"Sign out");
    EXPECT_EQ(english.caption(u"chkremember"_s), u"Remember email and password.");
}

} // namespace
} // namespace quillo
