// The remembered password in the system keyring through QtKeychain, and the settings file as
// the fallback, in three surroundings that each need a process of their own (GLib and QtKeychain
// keep the bus of their first call): tests/CMakeLists.txt runs each suite on its own.
//   SecretService     - a real Secret Service: gnome-keyring on a private session bus, started by
//                       with_private_keyring.sh
//   NoSecretService   - no session bus at all
//   HungSecretService - a session bus that accepts the connection and never answers
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/file_settings_store.h"
#include "platform/folders.h"
#include "platform/keychain/keychain_password_vault.h"
#include "prefs/settings.h"
#include "support/temp_home.h"

namespace quillo {
namespace {

using namespace std::chrono_literals;

// Never the program's own service: the test entries cannot meet a real remembered password.
const QString kService = QStringLiteral("Quillo for Facebook (keyring test)");
const QString kAlice = QStringLiteral("alice@quillo.test");
const QString kBob = QStringLiteral("bob@quillo.test");
const QString kPassword = QStringLiteral("pä=ss\nwörd ✓");

// Whether this process may go on with the surroundings of suite: the first suite to ask has
// them, a later one would find the bus of the first.
bool OwnsProcess(const char* suite) {
    static const std::string owner = suite;
    return owner == suite;
}

QByteArray FileContents() {
    QFile file(SettingsFilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The stored text value name, read past the settings operations.
QString StoredText(SettingsStore& store, const QString& name) {
    auto key = std::move(store.OpenKey(KeyAccess::ReadOnly)).value();
    return key ? key->ReadText(name).value() : QString();
}

// The settings file of an older version: the password as plain text.
void WriteOlderFile(SettingsStore& store, const QString& email, const QString& password) {
    auto key = std::move(store.OpenKey(KeyAccess::ReadWriteCreate)).value();
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->WriteFlag(QStringLiteral("Remember signin"), true).ok());
    ASSERT_TRUE(key->WriteText(QStringLiteral("Email"), email).ok());
    ASSERT_TRUE(key->WriteText(QStringLiteral("Password"), password).ok());
    ASSERT_TRUE(key->Close().ok());
}

// A load and a save as the program does them at its start and end.
struct Round {
    Settings settings;
    TDemographic demographic;
    SessionState session;
    PasswordKeeping keeping;

    void Load(SettingsStore& store, PasswordVault& vault) {
        LoadSettings(store, settings, demographic, session, &vault, &keeping);
    }
    StoreStatus Save(SettingsStore& store, PasswordVault& vault) {
        return SaveSettings(store, settings, demographic, session, &vault, &keeping);
    }
};

class SecretService : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OwnsProcess("SecretService"))
            GTEST_SKIP() << "needs a process of its own";
        if (qEnvironmentVariableIsEmpty("QUILLO_PRIVATE_KEYRING"))
            GTEST_SKIP() << "writes to a keyring: run it through with_private_keyring.sh";
    }
    void TearDown() override {
        if (IsSkipped())
            return;
        for (const QString& email : {kAlice, kBob})
            EXPECT_EQ(vault_.Remove(email), VaultAnswer::Done) << vault_.lastError().toStdString();
    }

    // The entries the Secret Service holds for email under the test's service, asked over D-Bus
    // past QtKeychain: the password really is in the keyring, not in a file of QtKeychain's.
    static int EntriesInKeyring(const QString& email) {
        using Attributes = QMap<QString, QString>;
        qDBusRegisterMetaType<Attributes>();
        QDBusMessage search = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
            QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
        search << QVariant::fromValue(
            Attributes{{QStringLiteral("user"), email}, {QStringLiteral("server"), kService}});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(search);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
            ADD_FAILURE() << "SearchItems: " << reply.errorMessage().toStdString();
            return -1;
        }
        return static_cast<int>(qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0)).size() +
                                qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(1)).size());
    }

    test::TempHome home_;
    FileSettingsStore store_{[] { return SettingsFilePath(); }};
    KeychainPasswordVault vault_{kService};
};

TEST_F(SecretService, OlderFilesPasswordMovesIntoTheKeyringAndComesBack) {
    WriteOlderFile(store_, kAlice, kPassword);
    Round first;
    first.Load(store_, vault_);
    EXPECT_EQ(first.session.Password.get(), kPassword);
    ASSERT_TRUE(first.Save(store_, vault_).ok());
    EXPECT_FALSE(first.keeping.noKeyring) << vault_.lastError().toStdString();

    EXPECT_EQ(StoredText(store_, QStringLiteral("Email")), kAlice);
    EXPECT_EQ(StoredText(store_, QStringLiteral("Password")), QString());
    EXPECT_FALSE(FileContents().contains("=ss")) << FileContents().constData();
    EXPECT_EQ(EntriesInKeyring(kAlice), 1);

    Round next; // the next start
    next.Load(store_, vault_);
    EXPECT_EQ(next.session.Email.get(), kAlice);
    EXPECT_EQ(next.session.Password.get(), kPassword);
    EXPECT_FALSE(next.keeping.noKeyring);
}

TEST_F(SecretService, ForgettingTheSignInRemovesThePasswordEverywhere) {
    Round remembered;
    remembered.settings.RememberSignin = true;
    remembered.session.Email.set(kAlice);
    remembered.session.Password.set(kPassword);
    ASSERT_TRUE(remembered.Save(store_, vault_).ok());
    ASSERT_EQ(EntriesInKeyring(kAlice), 1);

    // As the window saves when the box is cleared: the address is emptied first.
    Round forgotten;
    forgotten.Load(store_, vault_);
    forgotten.settings.RememberSignin = false;
    forgotten.session.Email.set(QString());
    forgotten.session.Password.set(QString());
    ASSERT_TRUE(forgotten.Save(store_, vault_).ok());
    EXPECT_EQ(EntriesInKeyring(kAlice), 0);
    EXPECT_EQ(StoredText(store_, QStringLiteral("Email")), QString());
    EXPECT_EQ(StoredText(store_, QStringLiteral("Password")), QString());
    EXPECT_EQ(vault_.Read(kAlice).answer, VaultAnswer::NotFound);
}

TEST_F(SecretService, EachAccountHasAnEntryOfItsOwn) {
    ASSERT_EQ(vault_.Write(kAlice, QStringLiteral("first")), VaultAnswer::Done)
        << vault_.lastError().toStdString();
    ASSERT_EQ(vault_.Write(kBob, QStringLiteral("bobs")), VaultAnswer::Done);
    ASSERT_EQ(vault_.Write(kAlice, kPassword), VaultAnswer::Done); // replaces, adds none
    EXPECT_EQ(EntriesInKeyring(kAlice), 1);
    EXPECT_EQ(vault_.Read(kAlice).password, kPassword);
    EXPECT_EQ(vault_.Read(kBob).password, QStringLiteral("bobs"));
    // Another service name sees none of them.
    KeychainPasswordVault other(kService + QStringLiteral(" 2"));
    EXPECT_EQ(other.Read(kAlice).answer, VaultAnswer::NotFound);

    ASSERT_EQ(vault_.Remove(kAlice), VaultAnswer::Done);
    EXPECT_EQ(vault_.Read(kAlice).answer, VaultAnswer::NotFound);
    EXPECT_EQ(vault_.Remove(kAlice), VaultAnswer::Done); // nothing left to remove
    const VaultRead bob = vault_.Read(kBob);
    EXPECT_EQ(bob.answer, VaultAnswer::Done);
    EXPECT_EQ(bob.password, QStringLiteral("bobs"));

    // The settings file remembers one account: signing in as bob forgets alice's password.
    ASSERT_EQ(vault_.Write(kAlice, kPassword), VaultAnswer::Done);
    WriteOlderFile(store_, kAlice, QString());
    Round asBob;
    asBob.settings.RememberSignin = true;
    asBob.session.Email.set(kBob);
    asBob.session.Password.set(QStringLiteral("bobs2"));
    ASSERT_TRUE(asBob.Save(store_, vault_).ok());
    EXPECT_EQ(EntriesInKeyring(kAlice), 0);
    EXPECT_EQ(vault_.Read(kBob).password, QStringLiteral("bobs2"));
}

// Settings that fall back to the file when the keyring does not answer, for both suites below.
void ExpectTheFileKeepsThePassword(SettingsStore& store, PasswordVault& vault) {
    Round remembered;
    remembered.settings.RememberSignin = true;
    remembered.session.Email.set(kAlice);
    remembered.session.Password.set(kPassword);
    ASSERT_TRUE(remembered.Save(store, vault).ok());
    EXPECT_TRUE(remembered.keeping.noKeyring);
    EXPECT_EQ(StoredText(store, QStringLiteral("Password")), kPassword);
    struct stat file {};
    ASSERT_EQ(stat(QFile::encodeName(SettingsFilePath()).constData(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);

    Round next;
    next.Load(store, vault);
    EXPECT_EQ(next.session.Password.get(), kPassword);

    next.settings.RememberSignin = false;
    ASSERT_TRUE(next.Save(store, vault).ok());
    EXPECT_FALSE(next.keeping.noKeyring); // nothing is kept, so nothing to say
    EXPECT_EQ(StoredText(store, QStringLiteral("Password")), QString());
}

class NoSecretService : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OwnsProcess("NoSecretService"))
            GTEST_SKIP() << "needs a process of its own";
        static const QTemporaryDir nowhere;
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                QByteArray("unix:path=") + QFile::encodeName(nowhere.path()) + "/no-bus");
    }

    test::TempHome home_;
    FileSettingsStore store_{[] { return SettingsFilePath(); }};
    KeychainPasswordVault vault_{kService};
};

TEST_F(NoSecretService, EveryCallSaysNoKeyring) {
    const VaultRead read = vault_.Read(kAlice);
    EXPECT_EQ(read.answer, VaultAnswer::NoKeyring);
    EXPECT_TRUE(read.password.isEmpty());
    EXPECT_FALSE(vault_.lastError().isEmpty());
    EXPECT_EQ(vault_.Write(kAlice, kPassword), VaultAnswer::NoKeyring);
    EXPECT_EQ(vault_.Remove(kAlice), VaultAnswer::NoKeyring);
}

TEST_F(NoSecretService, TheSettingsFileKeepsThePasswordPrivateAndSaysSo) {
    ExpectTheFileKeepsThePassword(store_, vault_);
}

TEST_F(NoSecretService, APasswordLeftInTheKeyringIsReportedUnreadable) {
    WriteOlderFile(store_, kAlice, QString()); // the keyring held it on the last run
    Round round;
    round.Load(store_, vault_);
    EXPECT_EQ(round.session.Email.get(), kAlice);
    EXPECT_TRUE(round.session.Password.get().isEmpty());
    EXPECT_TRUE(round.keeping.noKeyring);
}

TEST(HungSecretService, IsGivenUpOnOnceAndTheFileKeepsThePassword) {
    ASSERT_TRUE(OwnsProcess("HungSecretService")) << "needs a process of its own";
    // A bus that takes the connection and never says a word: a listening socket nobody reads.
    QTemporaryDir folder;
    const QByteArray socketPath = QFile::encodeName(folder.filePath(QStringLiteral("bus")));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    const auto closeSilent = qScopeGuard([silent] { close(silent); });
    ASSERT_EQ(bind(silent, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socketPath);

    test::TempHome home;
    FileSettingsStore store([] { return SettingsFilePath(); });
    KeychainPasswordVault vault(kService, 1500ms);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(vault.Read(kAlice).answer, VaultAnswer::NoKeyring);
    EXPECT_GE(clock.elapsed(), 1000); // it did wait: the bus hung, it did not fail
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_FALSE(vault.lastError().isEmpty());

    // The job given up on is still waiting: the next calls do not wait again.
    clock.restart();
    ExpectTheFileKeepsThePassword(store, vault);
    EXPECT_LT(clock.elapsed(), 1000);
}

} // namespace
} // namespace quillo
