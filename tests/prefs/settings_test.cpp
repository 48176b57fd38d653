// Loading and saving the preferences, the per-account values and the window sizes, against the
// in-memory store (values of any type can be planted, single reads and writes made to fail) and,
// where the file matters, the settings file. The remembered password with a vault is tested here
// against one in memory; tests/platform/keychain/ does it against a real keyring.
#include <QFile>
#include <gtest/gtest.h>

#include "platform/autorun.h"
#include "platform/file_settings_store.h"
#include "platform/folders.h"
#include "platform/memory_settings_store.h"
#include "prefs/language_detect.h"
#include "prefs/settings.h"
#include "support/memory_password_vault.h"
#include "support/temp_home.h"

namespace quillo {
namespace {

const QString kAlice = QStringLiteral("alice@quillo.test");

// A stored value: exactly one of the three types.
struct Planted {
    QString name;
    QVariant value; // uint: 32-bit integer, QString: text, QByteArray: binary
};

void Plant(SettingsStore& store, const QList<Planted>& values) {
    auto key = std::move(store.OpenKey(KeyAccess::ReadWriteCreate)).value();
    ASSERT_NE(key, nullptr);
    for (const Planted& planted : values) {
        StoreStatus written;
        if (planted.value.typeId() == QMetaType::UInt)
            written = key->WriteDword(planted.name, planted.value.toUInt());
        else if (planted.value.typeId() == QMetaType::QString)
            written = key->WriteText(planted.name, planted.value.toString());
        else
            written = key->WriteBinary(planted.name, planted.value.toByteArray());
        ASSERT_TRUE(written.ok()) << planted.name.toStdString();
    }
}

QVariant Dword(quint32 value) {
    return QVariant::fromValue(value);
}

// The stored value of name in any spelling, as a QVariant of its type; invalid when missing.
QVariant Stored(SettingsStore& store, const QString& name) {
    auto key = std::move(store.OpenKey(KeyAccess::ReadOnly)).value();
    if (!key || !key->ValueExists(name))
        return {};
    if (StoreResult<quint32> dword = key->ReadDword(name); dword.ok())
        return Dword(dword.value());
    if (StoreResult<QString> text = key->ReadText(name); text.ok())
        return text.value();
    return key->ReadBinary(name).value();
}

class SettingsTest : public ::testing::Test {
protected:
    void Load() { LoadSettings(store_, settings_, demographic_, session_); }
    StoreStatus Save() { return SaveSettings(store_, settings_, demographic_, session_); }

    test::TempHome home_; // the autostart entry is looked up in it
    MemorySettingsStore store_;
    Settings settings_;
    TDemographic demographic_;
    SessionState session_;
};

TEST_F(SettingsTest, FirstRunGivesTheDefaults) {
    Load();
    EXPECT_FALSE(store_.KeyExists()); // loading creates nothing
    for (const std::atomic<bool>* on :
         {&settings_.AutoUpdate, &settings_.ShowLastMsg, &settings_.RememberWindowSize,
          &settings_.RememberMainWindowSize, &settings_.ShowDemoGraphics})
        EXPECT_TRUE(*on);
    for (const std::atomic<bool>* off :
         {&settings_.AutoDetectLanguage, &settings_.AutoSignin, &settings_.Autorun,
          &settings_.HideOffline, &settings_.TurnOffNotify, &settings_.RememberSignin,
          &settings_.ShowStatus, &settings_.AutoClearHistory, &settings_.DisableChatLog})
        EXPECT_FALSE(*off);
    for (const SharedText* empty :
         {&settings_.CurrentLang, &session_.Email, &session_.Password, &demographic_.Gender,
          &demographic_.Age, &demographic_.Education, &demographic_.AnnualHouseHold})
        EXPECT_TRUE(empty->get().isEmpty());
    EXPECT_EQ(demographic_.Language.get(), DetectLanguage());
    EXPECT_EQ(demographic_.Country.get(), DetectCountry());
}

// Every stored value set away from its default, so a field that falls back shows.
QList<Planted> FullStore() {
    return {
        {QStringLiteral("Auto signin"), Dword(1)},
        {QStringLiteral("Remember signin"), Dword(1)},
        {QStringLiteral("Email"), QStringLiteral("alice@quillo.test")},
        {QStringLiteral("Password"), QStringLiteral("pa=ss\nword")},
        {QStringLiteral("AutoDetectLanguage"), Dword(0)},
        {QStringLiteral("CurrentLang"), QStringLiteral("Deutsch.lang")},
        {QStringLiteral("Autorun"), Dword(1)},
        {QStringLiteral("AutoUpdate"), Dword(0)},
        {QStringLiteral("ShowDemoGraphics"), Dword(1)},
        {QStringLiteral("ShowLastMsg"), Dword(0)},
        {QStringLiteral("Gender"), QStringLiteral("F")},
        {QStringLiteral("Age"), QStringLiteral("25-34")},
        {QStringLiteral("Education"), QStringLiteral("College")},
        {QStringLiteral("AnnualHouseHold"), QStringLiteral("50k")},
        {QStringLiteral("AutoClearHistory"), Dword(1)},
        {QStringLiteral("hideoffline"), Dword(1)},
        {QStringLiteral("Turnoffnotify"), Dword(1)},
        {QStringLiteral("RememberWindowSize"), Dword(0)},
        {QStringLiteral("RememberMainWindowSize"), Dword(0)},
        {QStringLiteral("DisableChatLog"), Dword(1)},
    };
}

// What LoadSettings gives for FullStore(), the one field skippedName leaves at its default.
void ExpectFullStoreLoaded(const Settings& s, const TDemographic& d, const SessionState& session,
                           const QString& skippedName) {
    const auto is = [&](const char* name) { return skippedName == QLatin1String(name); };
    EXPECT_EQ(s.AutoSignin, !is("Auto signin"));
    EXPECT_EQ(s.RememberSignin, !is("Remember signin"));
    EXPECT_EQ(session.Email.get(), is("Email") ? QString() : kAlice);
    EXPECT_EQ(session.Password.get(), is("Password") ? QString() : QStringLiteral("pa=ss\nword"));
    EXPECT_FALSE(s.AutoDetectLanguage);
    EXPECT_EQ(s.CurrentLang.get(), is("CurrentLang") ? QString() : QStringLiteral("Deutsch.lang"));
    EXPECT_FALSE(s.Autorun); // no autostart entry, whatever was stored
    EXPECT_EQ(s.AutoUpdate, is("AutoUpdate"));
    EXPECT_TRUE(s.ShowDemoGraphics);
    EXPECT_EQ(s.ShowLastMsg, is("ShowLastMsg"));
    EXPECT_EQ(d.Gender.get(), is("Gender") ? QString() : QStringLiteral("F"));
    EXPECT_EQ(d.Age.get(), is("Age") ? QString() : QStringLiteral("25-34"));
    EXPECT_EQ(d.Education.get(), is("Education") ? QString() : QStringLiteral("College"));
    EXPECT_EQ(d.AnnualHouseHold.get(), is("AnnualHouseHold") ? QString() : QStringLiteral("50k"));
    EXPECT_EQ(s.AutoClearHistory, !is("AutoClearHistory"));
    EXPECT_EQ(s.HideOffline, !is("hideoffline"));
    EXPECT_EQ(s.TurnOffNotify, !is("Turnoffnotify"));
    EXPECT_EQ(s.RememberWindowSize, is("RememberWindowSize"));
    EXPECT_EQ(s.RememberMainWindowSize, is("RememberMainWindowSize"));
    EXPECT_EQ(s.DisableChatLog, !is("DisableChatLog"));
    EXPECT_EQ(d.Language.get(), DetectLanguage());
    EXPECT_EQ(d.Country.get(), DetectCountry());
}

TEST_F(SettingsTest, LoadsEveryStoredValue) {
    Plant(store_, FullStore());
    Load();
    ExpectFullStoreLoaded(settings_, demographic_, session_, QString());
}

TEST(SettingsLoad, UnreadableValueIsSkippedAndTheRestLoads) {
    const struct {
        const char* name;
        QVariant wrong; // planted over the good value; invalid: the read fails instead
    } cases[] = {
        {"Auto signin", QStringLiteral("1")}, // the first value read
        {"Email", Dword(7)},
        {"CurrentLang", QByteArray("x")},
        {"ShowLastMsg", QStringLiteral("0")},
        {"Gender", Dword(1)},
        {"hideoffline", QVariant()},
        {"DisableChatLog", QByteArray(4, '\1')}, // the last value read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempHome home;
        MemorySettingsStore store;
        Plant(store, FullStore());
        if (c.wrong.isValid())
            Plant(store, {{QString::fromLatin1(c.name), c.wrong}});
        else
            store.FailReadsOf(QString::fromLatin1(c.name));
        Settings settings;
        TDemographic demographic;
        SessionState session;
        LoadSettings(store, settings, demographic, session);
        ExpectFullStoreLoaded(settings, demographic, session, QString::fromLatin1(c.name));
    }
}

TEST_F(SettingsTest, StoreThatCannotBeOpenedLoadsDefaults) {
    Plant(store_, FullStore());
    store_.FailOpens();
    Load();
    EXPECT_TRUE(settings_.AutoUpdate);
    EXPECT_FALSE(settings_.AutoSignin);
    EXPECT_TRUE(settings_.ShowDemoGraphics);
    EXPECT_EQ(demographic_.Language.get(), DetectLanguage());
}

TEST_F(SettingsTest, AutorunComesFromTheAutostartEntry) {
    const struct {
        quint32 stored;
        bool registered;
    } cases[] = {{1, false}, {0, true}, {1, true}};
    for (const auto& c : cases) {
        Plant(store_, {{QStringLiteral("Autorun"), Dword(c.stored)}});
        SetAutorun(c.registered, QStringLiteral("/usr/bin/quillo"));
        Load();
        EXPECT_EQ(settings_.Autorun, c.registered) << "stored " << c.stored;
    }
}

TEST_F(SettingsTest, DetectedLanguageSkipsTheStoredOne) {
    Plant(store_, {{QStringLiteral("AutoDetectLanguage"), Dword(1)},
                   {QStringLiteral("CurrentLang"), QStringLiteral("Deutsch.lang")}});
    Load();
    EXPECT_TRUE(settings_.AutoDetectLanguage);
    EXPECT_TRUE(settings_.CurrentLang.get().isEmpty());
}

TEST_F(SettingsTest, MissingDemographicValueAsksForThem) {
    Plant(store_, {{QStringLiteral("ShowDemoGraphics"), Dword(0)},
                   {QStringLiteral("Gender"), QString()},
                   {QStringLiteral("Age"), QString()},
                   {QStringLiteral("Education"), QString()},
                   {QStringLiteral("AnnualHouseHold"), QString()}});
    Load();
    EXPECT_FALSE(settings_.ShowDemoGraphics); // all four exist, empty or not

    {
        auto key = std::move(store_.OpenKey(KeyAccess::ReadWrite)).value();
        ASSERT_TRUE(key->DeleteValue(QStringLiteral("Education")).ok());
    }
    Load();
    EXPECT_TRUE(settings_.ShowDemoGraphics);
}

TEST_F(SettingsTest, SaveWritesEveryValueInOrder) {
    session_.Email.set(kAlice);
    settings_.RememberSignin = true;
    ASSERT_TRUE(Save().ok());
    EXPECT_EQ(store_.Names(), QStringList({"Auto signin",
                                           "Remember signin",
                                           "Email",
                                           "Password",
                                           "AutoDetectLanguage",
                                           "CurrentLang",
                                           "Autorun",
                                           "AutoUpdate",
                                           "ShowDemoGraphics",
                                           "ShowLastMsg",
                                           "Gender",
                                           "Age",
                                           "Education",
                                           "AnnualHouseHold",
                                           "AutoClearHistory",
                                           "hideoffline",
                                           "Turnoffnotify",
                                           "DisableChatLog",
                                           "RememberwindowSize",
                                           "RememberMainWindowSize"}));
    EXPECT_EQ(Stored(store_, QStringLiteral("Email")), QVariant(kAlice));
    EXPECT_EQ(Stored(store_, QStringLiteral("Remember signin")), Dword(1));
}

TEST_F(SettingsTest, ForgottenCredentialsAreSavedEmpty) {
    Plant(store_, {{QStringLiteral("Email"), kAlice},
                   {QStringLiteral("Password"), QStringLiteral("secret")}});
    session_.Email.set(kAlice);
    session_.Password.set(QStringLiteral("secret"));
    settings_.RememberSignin = false;
    ASSERT_TRUE(Save().ok());
    EXPECT_EQ(Stored(store_, QStringLiteral("Email")), QVariant(QString()));
    EXPECT_EQ(Stored(store_, QStringLiteral("Password")), QVariant(QString()));
    EXPECT_EQ(session_.Password.get(), QStringLiteral("secret")); // only the store forgets
}

TEST_F(SettingsTest, SaveStopsAtTheFirstFailingWrite) {
    store_.FailWritesOf(QStringLiteral("autodetectlanguage"));
    const StoreStatus saved = Save();
    EXPECT_EQ(saved.failure(), StoreFailure::IoError);
    EXPECT_EQ(store_.Names(), QStringList({"Auto signin", "Remember signin", "Email", "Password"}));
}

TEST(SettingsFileRoundTrip, WindowSizeFlagKeepsOneValueUnderBothSpellings) {
    test::TempHome home;
    FileSettingsStore store([] { return SettingsFilePath(); });
    Plant(store, {{QStringLiteral("RememberWindowSize"), Dword(0)}});
    Settings settings;
    TDemographic demographic;
    SessionState session;
    LoadSettings(store, settings, demographic, session);
    EXPECT_FALSE(settings.RememberWindowSize);

    ASSERT_TRUE(SaveSettings(store, settings, demographic, session).ok());
    QFile file(SettingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray contents = file.readAll().toLower();
    EXPECT_EQ(contents.count("rememberwindowsize="), 1) << contents.constData();
    EXPECT_TRUE(contents.contains("\nrememberwindowsize=dword:00000000\n"));

    Settings reloaded;
    LoadSettings(store, reloaded, demographic, session);
    EXPECT_FALSE(reloaded.RememberWindowSize);
}

const QString kBob = QStringLiteral("bob@quillo.test");

TEST(SettingsPasswordVault, SavePutsThePasswordInTheVaultOrElseInTheFile) {
    using Entries = QMap<QString, QString>;
    const struct {
        const char* what;
        bool remember;
        QString email; // session's
        QString password;
        QString storedEmail; // the account the file remembered before
        Entries before;      // in the vault
        bool answering;
        QString filePassword; // expected
        Entries after;
        bool noKeyring;
    } cases[] = {
        {"remembered: into the vault, not the file",
         true,
         kAlice,
         "n3w",
         kAlice,
         {{kAlice, "old"}, {kBob, "bobs"}},
         true,
         "",
         {{kAlice, "n3w"}, {kBob, "bobs"}},
         false},
        {"no keyring: the file keeps it", true, kAlice, "n3w", kAlice, {}, false, "n3w", {}, true},
        {"empty password: the vault keeps what it has",
         true,
         kAlice,
         "",
         kAlice,
         {{kAlice, "old"}},
         true,
         "",
         {{kAlice, "old"}},
         false},
        {"no address: remembered nowhere", true, "", "n3w", "", {}, true, "", {}, false},
        {"another account: the one before is forgotten",
         true,
         kBob,
         "bobs",
         kAlice,
         {{kAlice, "old"}},
         true,
         "",
         {{kBob, "bobs"}},
         false},
        // The window empties the session's address when the box is cleared.
        {"not remembered: the file's account goes",
         false,
         "",
         "",
         kAlice,
         {{kAlice, "old"}, {kBob, "bobs"}},
         true,
         "",
         {{kBob, "bobs"}},
         false},
        {"not remembered: the session's account goes too",
         false,
         kBob,
         "bobs",
         kAlice,
         {{kAlice, "old"}, {kBob, "bobs"}},
         true,
         "",
         {},
         false},
        {"not remembered, no keyring: nothing in the file",
         false,
         kAlice,
         "n3w",
         kAlice,
         {{kAlice, "old"}},
         false,
         "",
         {{kAlice, "old"}},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempHome home;
        MemorySettingsStore store;
        Plant(store, {{QStringLiteral("Email"), c.storedEmail}});
        test::MemoryPasswordVault vault;
        vault.entries = c.before;
        vault.answering = c.answering;
        Settings settings;
        settings.RememberSignin = c.remember;
        TDemographic demographic;
        SessionState session;
        session.Email.set(c.email);
        session.Password.set(c.password);
        PasswordKeeping keeping{.noKeyring = !c.noKeyring}; // set anew by every save

        ASSERT_TRUE(SaveSettings(store, settings, demographic, session, &vault, &keeping).ok());
        EXPECT_EQ(Stored(store, QStringLiteral("Password")), QVariant(c.filePassword));
        EXPECT_EQ(Stored(store, QStringLiteral("Email")), QVariant(c.remember ? c.email : ""));
        EXPECT_EQ(vault.entries, c.after);
        EXPECT_EQ(keeping.noKeyring, c.noKeyring);
    }
}

TEST(SettingsPasswordVault, LoadTakesTheFilesPasswordBeforeTheVaults) {
    const struct {
        const char* what;
        quint32 remember;
        QString filePassword;
        bool answering;
        QString password; // expected
        int reads;
        bool noKeyring;
    } cases[] = {
        {"a password in the file wins", 1, "plain", true, "plain", 0, false},
        {"none in the file: the vault's", 1, "", true, "vaulted", 1, false},
        {"no keyring: none", 1, "", false, "", 1, true},
        {"not remembered: the vault is not asked", 0, "", true, "", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempHome home;
        MemorySettingsStore store;
        Plant(store, {{QStringLiteral("Remember signin"), Dword(c.remember)},
                      {QStringLiteral("Email"), kAlice},
                      {QStringLiteral("Password"), c.filePassword}});
        test::MemoryPasswordVault vault;
        vault.entries = {{kAlice, QStringLiteral("vaulted")}};
        vault.answering = c.answering;
        Settings settings;
        TDemographic demographic;
        SessionState session;
        PasswordKeeping keeping{.noKeyring = !c.noKeyring};

        LoadSettings(store, settings, demographic, session, &vault, &keeping);
        EXPECT_EQ(session.Email.get(), kAlice);
        EXPECT_EQ(session.Password.get(), c.password);
        EXPECT_EQ(vault.reads, c.reads);
        EXPECT_EQ(keeping.noKeyring, c.noKeyring);
    }

    // Without the password of the account the file names, the vault has none to give.
    test::TempHome home;
    MemorySettingsStore store;
    Plant(store, {{QStringLiteral("Remember signin"), Dword(1)}, {QStringLiteral("Email"), kBob}});
    test::MemoryPasswordVault vault;
    vault.entries = {{kAlice, QStringLiteral("vaulted")}};
    Settings settings;
    TDemographic demographic;
    SessionState session;
    PasswordKeeping keeping;
    LoadSettings(store, settings, demographic, session, &vault, &keeping);
    EXPECT_TRUE(session.Password.get().isEmpty());
    EXPECT_FALSE(keeping.noKeyring);
}

// An older file's plain password, through a keyring that is missing at first and then back.
TEST(SettingsPasswordVault, PlainPasswordLeavesTheFileOnceAKeyringAnswers) {
    test::TempHome home;
    FileSettingsStore store([] { return SettingsFilePath(); });
    Plant(store, {{QStringLiteral("Remember signin"), Dword(1)},
                  {QStringLiteral("Email"), kAlice},
                  {QStringLiteral("Password"), QStringLiteral("pa=ss\nword")}});
    const auto fileHolds = [](const QByteArray& text) {
        QFile file(SettingsFilePath());
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
    };
    test::MemoryPasswordVault vault;
    vault.answering = false;
    const auto loadAndSave = [&] {
        Settings settings;
        TDemographic demographic;
        SessionState session;
        PasswordKeeping keeping;
        LoadSettings(store, settings, demographic, session, &vault, &keeping);
        EXPECT_EQ(session.Password.get(), QStringLiteral("pa=ss\nword"));
        EXPECT_TRUE(SaveSettings(store, settings, demographic, session, &vault, &keeping).ok());
        return keeping;
    };

    EXPECT_TRUE(loadAndSave().noKeyring);
    EXPECT_TRUE(fileHolds("pa=ss"));
    EXPECT_TRUE(vault.entries.isEmpty());

    vault.answering = true;
    EXPECT_FALSE(loadAndSave().noKeyring);
    EXPECT_FALSE(fileHolds("pa=ss"));
    EXPECT_EQ(vault.entries, (QMap<QString, QString>{{kAlice, QStringLiteral("pa=ss\nword")}}));
    EXPECT_FALSE(loadAndSave().noKeyring); // now read from the vault, and stored again
    EXPECT_FALSE(fileHolds("pa=ss"));
}

TEST_F(SettingsTest, ConsentIsPerAccount) {
    settings_.ShowStatus = true;
    StoreResult<bool> first = ReadAccountConsent(store_, kAlice, settings_);
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first.value());
    EXPECT_TRUE(settings_.ShowStatus); // never seen: left as it was
    EXPECT_TRUE(store_.KeyExists());   // the key is created for the answer to come

    ASSERT_TRUE(WriteAccountConsent(store_, kAlice, false).ok());
    StoreResult<bool> again =
        ReadAccountConsent(store_, QStringLiteral("ALICE@quillo.test"), settings_);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again.value());
    EXPECT_FALSE(settings_.ShowStatus);

    EXPECT_TRUE(ReadAccountConsent(store_, QStringLiteral("bob@quillo.test"), settings_).value());

    // A value that cannot be read is an error for the caller; ShowStatus stays.
    Plant(store_, {{kAlice, QStringLiteral("yes")}});
    settings_.ShowStatus = true;
    StoreResult<bool> broken = ReadAccountConsent(store_, kAlice, settings_);
    EXPECT_EQ(broken.status().failure(), StoreFailure::WrongType);
    EXPECT_FALSE(broken.value());
    EXPECT_TRUE(settings_.ShowStatus);
}

TEST_F(SettingsTest, StatusPostedTodayLastsOneCalendarDay) {
    const QDate day(2009, 6, 15);
    EXPECT_FALSE(WasStatusPostedToday(store_, kAlice, day).value());
    EXPECT_FALSE(store_.KeyExists()); // asking creates nothing
    ASSERT_TRUE(MarkStatusPostedToday(store_, kAlice, day).ok());

    EXPECT_EQ(Stored(store_, QStringLiteral("Lastday") + kAlice),
              QVariant(QByteArray::fromHex("000000006085e340")));
    EXPECT_TRUE(WasStatusPostedToday(store_, kAlice, day).value());
    EXPECT_FALSE(WasStatusPostedToday(store_, kAlice, day.addDays(1)).value());
    EXPECT_FALSE(WasStatusPostedToday(store_, QStringLiteral("bob@quillo.test"), day).value());

    Plant(store_, {{QStringLiteral("Lastday") + kAlice, Dword(1)}});
    StoreResult<bool> broken = WasStatusPostedToday(store_, kAlice, day);
    EXPECT_EQ(broken.status().failure(), StoreFailure::WrongType);
    EXPECT_FALSE(broken.value());
}

TEST_F(SettingsTest, WindowSizesAreStoredAndRead) {
    EXPECT_EQ(LoadChatWindowSize(store_).value(), WindowSize{}); // no key
    ASSERT_TRUE(SaveChatWindowSize(store_, 640, 480).ok());
    ASSERT_TRUE(SaveMainWindowSize(store_, 300, 0).ok());
    EXPECT_EQ(LoadChatWindowSize(store_).value(), (WindowSize{640, 480}));
    EXPECT_EQ(LoadMainWindowSize(store_).value(), (WindowSize{300, 0}));
    EXPECT_EQ(Stored(store_, QStringLiteral("iHeight")), Dword(480));
    EXPECT_EQ(Stored(store_, QStringLiteral("mwidth")), Dword(300));

    Plant(store_, {{QStringLiteral("iwidth"), QStringLiteral("640")}});
    StoreResult<WindowSize> broken = LoadChatWindowSize(store_);
    EXPECT_EQ(broken.status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(broken.value(), (WindowSize{0, 480}));
    // The window then falls back to the default width.
    settings_.RememberWindowSize = true;
    EXPECT_EQ(ChatWindowSizeFor(store_, settings_, QSize(1280, 1024)), QSize(620, 480));
}

TEST(WindowSizeRules, ChatWindow) {
    const struct {
        WindowSize stored;
        QSize screen;
        QSize expected;
    } cases[] = {
        {{640, 480}, {1280, 1024}, {640, 480}},
        {{0, 0}, {1280, 1024}, {620, 522}},
        {{0, 300}, {1025, 769}, {492, 300}}, // integer halves
        {{700, 0}, {1025, 769}, {700, 394}},
        {{-640, -1}, {1280, 1024}, {620, 522}}, // a damaged entry is no size
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChatWindowSizeRule(c.stored, c.screen), c.expected);
}

TEST(WindowSizeRules, MainWindowDocksRightWithoutAStoredHeight) {
    const struct {
        WindowSize stored;
        QRect screen;
        MainWindowPlacement expected;
    } cases[] = {
        {{400, 700}, {0, 0, 1280, 1024}, {{400, 700}, false, {}}},
        {{0, 700}, {0, 0, 1280, 1024}, {{350, 700}, false, {}}},
        {{0, 0}, {0, 0, 1280, 1024}, {{350, 924}, true, {930, 70}}},
        {{400, 0}, {0, 0, 1280, 1024}, {{400, 924}, true, {880, 70}}},
        {{0, 0}, {1280, 0, 1920, 1080}, {{350, 980}, true, {2850, 70}}}, // a second screen
        {{-5, -700}, {0, 0, 1280, 1024}, {{350, 924}, true, {930, 70}}}, // a damaged entry
    };
    for (const auto& c : cases) {
        const MainWindowPlacement got = MainWindowPlacementRule(c.stored, c.screen);
        EXPECT_EQ(got.size, c.expected.size);
        EXPECT_EQ(got.move, c.expected.move);
        if (c.expected.move) {
            EXPECT_EQ(got.topLeft, c.expected.topLeft);
        }
    }
}

TEST_F(SettingsTest, StoredSizesCountOnlyWhenRemembered) {
    ASSERT_TRUE(SaveChatWindowSize(store_, 640, 480).ok());
    ASSERT_TRUE(SaveMainWindowSize(store_, 400, 700).ok());
    const QRect screen(0, 0, 1280, 1024);

    settings_.RememberWindowSize = true;
    settings_.RememberMainWindowSize = true;
    EXPECT_EQ(ChatWindowSizeFor(store_, settings_, screen.size()), QSize(640, 480));
    EXPECT_FALSE(MainWindowPlacementFor(store_, settings_, screen).move);

    settings_.RememberWindowSize = false;
    settings_.RememberMainWindowSize = false;
    EXPECT_EQ(ChatWindowSizeFor(store_, settings_, screen.size()), QSize(620, 522));
    const MainWindowPlacement docked = MainWindowPlacementFor(store_, settings_, screen);
    EXPECT_TRUE(docked.move);
    EXPECT_EQ(docked.size, QSize(350, 924));
}

} // namespace
} // namespace quillo
