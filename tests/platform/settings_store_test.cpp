// The settings store's registry rules, held by both the in-memory store and the settings file,
// and what only the file must get right: odd names and texts on disk, damaged lines, privacy.
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "platform/file_settings_store.h"
#include "platform/folders.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_file_format.h"
#include "support/temp_home.h"

namespace quillo {
namespace {

std::unique_ptr<SettingsKey> Open(SettingsStore& store, KeyAccess access) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(access);
    EXPECT_TRUE(opened.ok()) << opened.status().detail().toStdString();
    return std::move(opened).value();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& contents) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

// QSettings keeps a parsed copy of each file for the process and re-reads the file only when
// its size or time changed; moving the time makes the next open read what is on disk.
void ForceReread(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
}

enum class Backend { Memory, File };

class SettingsStoreRules : public ::testing::TestWithParam<Backend> {
protected:
    SettingsStoreRules() {
        if (GetParam() == Backend::Memory)
            store_ = std::make_unique<MemorySettingsStore>();
        else
            store_ = std::make_unique<FileSettingsStore>([] { return SettingsFilePath(); });
    }

    // Closes and opens again; for the file, from what is on disk.
    std::unique_ptr<SettingsKey> Reopen(std::unique_ptr<SettingsKey>& key, KeyAccess access) {
        EXPECT_TRUE(key->Close().ok());
        key.reset();
        if (GetParam() == Backend::File)
            ForceReread(SettingsFilePath());
        return Open(*store_, access);
    }

    test::TempHome home_;
    std::unique_ptr<SettingsStore> store_;
};

TEST_P(SettingsStoreRules, KeyMustExistUnlessCreated) {
    for (const KeyAccess access : {KeyAccess::ReadOnly, KeyAccess::ReadWrite}) {
        StoreResult<std::unique_ptr<SettingsKey>> opened = store_->OpenKey(access);
        EXPECT_EQ(opened.status().failure(), StoreFailure::KeyNotFound);
        EXPECT_EQ(opened.value(), nullptr);
    }
    Open(*store_, KeyAccess::ReadWriteCreate);
    EXPECT_NE(Open(*store_, KeyAccess::ReadOnly), nullptr);
}

TEST_P(SettingsStoreRules, NamesMatchWithoutRegardToCase) {
    auto key = Open(*store_, KeyAccess::ReadWriteCreate);
    ASSERT_TRUE(key->WriteFlag(QStringLiteral("RememberWindowSize"), true).ok());
    ASSERT_TRUE(key->WriteFlag(QStringLiteral("RememberwindowSize"), false).ok());
    key = Reopen(key, KeyAccess::ReadWrite);

    EXPECT_TRUE(key->ValueExists(QStringLiteral("REMEMBERWINDOWSIZE")));
    EXPECT_FALSE(key->ReadFlag(QStringLiteral("rememberwindowsize")).value());
    // One value, not two: deleting it under a third spelling leaves none.
    ASSERT_TRUE(key->DeleteValue(QStringLiteral("rememberWindowSize")).ok());
    EXPECT_FALSE(key->ValueExists(QStringLiteral("RememberWindowSize")));
}

TEST_P(SettingsStoreRules, ReadOfAnotherTypeFails) {
    auto key = Open(*store_, KeyAccess::ReadWriteCreate);
    ASSERT_TRUE(key->WriteText(QStringLiteral("text"), QStringLiteral("1")).ok());
    ASSERT_TRUE(key->WriteDword(QStringLiteral("dword"), 1).ok());
    ASSERT_TRUE(key->WriteBinary(QStringLiteral("short binary"), QByteArray(4, '\1')).ok());

    EXPECT_EQ(key->ReadFlag(QStringLiteral("text")).status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(key->ReadInteger(QStringLiteral("text")).status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(key->ReadText(QStringLiteral("dword")).status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(key->ReadDate(QStringLiteral("dword")).status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(key->ReadDate(QStringLiteral("short binary")).status().failure(),
              StoreFailure::WrongType);
    EXPECT_EQ(key->ReadText(QStringLiteral("missing")).status().failure(),
              StoreFailure::ValueNotFound);
    // A failed read still answers with the type's zero.
    EXPECT_EQ(key->ReadText(QStringLiteral("dword")).value(), QString());
}

TEST_P(SettingsStoreRules, FlagsAndIntegersKeepTheir32Bits) {
    auto key = Open(*store_, KeyAccess::ReadWriteCreate);
    ASSERT_TRUE(key->WriteDword(QStringLiteral("seven"), 7).ok());
    ASSERT_TRUE(key->WriteFlag(QStringLiteral("on"), true).ok());
    ASSERT_TRUE(key->WriteInteger(QStringLiteral("negative"), -5).ok());
    key = Reopen(key, KeyAccess::ReadOnly);

    EXPECT_TRUE(key->ReadFlag(QStringLiteral("seven")).value()); // any non-zero is true
    EXPECT_EQ(key->ReadDword(QStringLiteral("on")).value(), 1U);
    EXPECT_EQ(key->ReadInteger(QStringLiteral("negative")).value(), -5);
}

TEST_P(SettingsStoreRules, DateIsTheDayCountDouble) {
    auto key = Open(*store_, KeyAccess::ReadWriteCreate);
    ASSERT_TRUE(key->WriteDate(QStringLiteral("Lastday"), QDate(2009, 6, 15)).ok());
    key = Reopen(key, KeyAccess::ReadOnly);

    // 39979.0, little-endian.
    EXPECT_EQ(key->ReadBinary(QStringLiteral("Lastday")).value(),
              QByteArray::fromHex("000000006085e340"));
    EXPECT_EQ(key->ReadDate(QStringLiteral("LASTDAY")).value(), QDate(2009, 6, 15));
}

TEST_P(SettingsStoreRules, ReadOnlyKeyRefusesChanges) {
    Open(*store_, KeyAccess::ReadWriteCreate)->WriteFlag(QStringLiteral("kept"), true);
    auto key = Open(*store_, KeyAccess::ReadOnly);
    EXPECT_EQ(key->WriteFlag(QStringLiteral("kept"), false).failure(), StoreFailure::AccessDenied);
    EXPECT_EQ(key->DeleteValue(QStringLiteral("kept")).failure(), StoreFailure::AccessDenied);
    EXPECT_TRUE(key->ReadFlag(QStringLiteral("kept")).value());

    key = Open(*store_, KeyAccess::ReadWrite);
    EXPECT_EQ(key->DeleteValue(QStringLiteral("missing")).failure(), StoreFailure::ValueNotFound);
    ASSERT_TRUE(key->Close().ok());
    EXPECT_FALSE(key->ValueExists(QStringLiteral("kept")));
    EXPECT_FALSE(key->WriteFlag(QStringLiteral("kept"), false).ok());
}

TEST_P(SettingsStoreRules, OddNamesAndTextsRoundTrip) {
    const QString names[] = {
        QStringLiteral("Auto signin"),
        QStringLiteral("alice@quillo.test"),
        QStringLiteral("Lastdayalice@quillo.test"),
        QStringLiteral("a/b"),
        QStringLiteral("a//b"),
        QStringLiteral("/a"),
        QStringLiteral("a\\b"),
        QStringLiteral("=50% #1;"),
        QStringLiteral(" padded "),
        QStringLiteral("tab\tand\nnewline"),
        QString(),
        QStringLiteral("Ünïcödé 😀"),
        QString(QChar(0xD800)) + QStringLiteral("lone"),
    };
    const QString texts[] = {
        QStringLiteral("line one\nline two\r\n"),
        QStringLiteral("a=b; c=\"d\" 'e' [f] #g"),
        QStringLiteral("back\\slash \\u0041 \\n"),
        QStringLiteral("Ünïcödé 😀 пароль"),
        QStringLiteral(" padded "),
        QString(),
        QStringLiteral("nul") + QChar(u'\0') + QStringLiteral("inside"),
        QStringLiteral("lone ") + QChar(0xDC00) + QChar(0x7F),
    };
    auto key = Open(*store_, KeyAccess::ReadWriteCreate);
    for (std::size_t i = 0; i < std::size(names); ++i)
        ASSERT_TRUE(key->WriteText(names[i], texts[i % std::size(texts)]).ok());
    key = Reopen(key, KeyAccess::ReadOnly);

    for (std::size_t i = 0; i < std::size(names); ++i) {
        SCOPED_TRACE(names[i].toStdString());
        StoreResult<QString> read = key->ReadText(names[i]);
        ASSERT_TRUE(read.ok()) << read.status().detail().toStdString();
        EXPECT_EQ(read.value(), texts[i % std::size(texts)]);
    }
    // "a/b" and "a//b" stay two values.
    EXPECT_NE(key->ReadText(QStringLiteral("a//b")).value(),
              key->ReadText(QStringLiteral("a/b")).value());
}

INSTANTIATE_TEST_SUITE_P(Backends, SettingsStoreRules,
                         ::testing::Values(Backend::Memory, Backend::File),
                         [](const ::testing::TestParamInfo<Backend>& backend) {
                             return backend.param == Backend::Memory ? "Memory" : "File";
                         });

TEST(DayCount, DecodesOnlyEightBytesOfAFiniteNumber) {
    const struct {
        const char* hex;
        QDate expected;
    } cases[] = {
        {"000000006085e340", QDate(2009, 6, 15)},  // 39979.0
        {"000000007885e340", QDate(2009, 6, 15)},  // 39979.75: the day part only
        {"0000000000000000", QDate(1899, 12, 30)}, // day 0
        {"000000000000f4bf", QDate(1899, 12, 29)}, // -1.25 counts toward zero
        {"000000006085e3", QDate()},               // seven bytes
        {"000000006085e34000", QDate()},           // nine bytes
        {"000000000000f87f", QDate()},             // NaN
        {"000000000000f07f", QDate()},             // infinity
        {"ffffffffffffef7f", QDate()},             // the largest double
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        const std::optional<QDate> date = DecodeDayCount(QByteArray::fromHex(c.hex));
        EXPECT_EQ(date.value_or(QDate()), c.expected);
        if (c.expected.isValid()) {
            EXPECT_EQ(DecodeDayCount(EncodeDayCount(c.expected)), c.expected);
        }
    }
}

class SettingsFile : public ::testing::Test {
protected:
    QFileDevice::Permissions PermissionsOfFile() const {
        return QFile::permissions(SettingsFilePath()) &
               ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    }

    test::TempHome home_;
    FileSettingsStore store_{[] { return SettingsFilePath(); }};
};

TEST_F(SettingsFile, LivesInTheConfigurationFolder) {
    EXPECT_EQ(SettingsFilePath(),
              home_.configPath() + QStringLiteral("/Rezidezo Zori Ruziva/settings.conf"));
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
    Open(store_, KeyAccess::ReadWriteCreate);
    EXPECT_TRUE(QFile::exists(SettingsFilePath()));
}

TEST_F(SettingsFile, StaysPrivateToItsOwner) {
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    auto key = Open(store_, KeyAccess::ReadWriteCreate);
    EXPECT_EQ(PermissionsOfFile(), ownerOnly); // before anything is written
    ASSERT_TRUE(key->WriteText(QStringLiteral("Password"), QStringLiteral("secret")).ok());
    ASSERT_TRUE(key->Close().ok());
    EXPECT_EQ(PermissionsOfFile(), ownerOnly);

    for (int save = 0; save < 2; ++save) {
        key = Open(store_, KeyAccess::ReadWrite);
        ASSERT_TRUE(key->WriteText(QStringLiteral("Password"), QStringLiteral("other")).ok());
        ASSERT_TRUE(key->Close().ok());
        EXPECT_EQ(PermissionsOfFile(), ownerOnly);
    }

    // A file opened up by hand is narrowed before the next write goes into it.
    ASSERT_TRUE(QFile::setPermissions(SettingsFilePath(),
                                      ownerOnly | QFileDevice::ReadOther | QFileDevice::ReadGroup));
    key = Open(store_, KeyAccess::ReadWrite);
    EXPECT_EQ(PermissionsOfFile(), ownerOnly);
}

TEST_F(SettingsFile, DamagedLinesCostOnlyTheirOwnValue) {
    QDir().mkpath(QFileInfo(SettingsFilePath()).absolutePath());
    WriteAll(SettingsFilePath(), "Gender=sz:male\n"
                                 "Age=sz:bad escape \\q\n"
                                 "Education=number:12\r\n"
                                 "no equals sign\n"
                                 "hideoffline=dword:1\n"
                                 "HIDEOFFLINE=dword:0\n"
                                 "iwidth=dword:12345678 9\n");
    auto key = Open(store_, KeyAccess::ReadWrite);
    EXPECT_EQ(key->ReadText(QStringLiteral("Gender")).value(), QStringLiteral("male"));
    EXPECT_EQ(key->ReadText(QStringLiteral("Age")).status().failure(), StoreFailure::WrongType);
    EXPECT_EQ(key->ReadText(QStringLiteral("Education")).status().failure(),
              StoreFailure::WrongType);
    EXPECT_EQ(key->ReadDword(QStringLiteral("iwidth")).status().failure(), StoreFailure::WrongType);
    EXPECT_FALSE(key->ReadFlag(QStringLiteral("hideoffline")).value()); // the later line wins

    // Writing something else keeps the unreadable lines as they were.
    ASSERT_TRUE(key->WriteFlag(QStringLiteral("AutoUpdate"), true).ok());
    ASSERT_TRUE(key->Close().ok());
    const QByteArray contents = ReadAll(SettingsFilePath());
    EXPECT_TRUE(contents.contains("\nAge=sz:bad escape \\q\n")) << contents.constData();
    EXPECT_TRUE(contents.contains("\nEducation=number:12\n")) << contents.constData();
    EXPECT_EQ(contents.count("hideoffline="), 0) << contents.constData();
    EXPECT_EQ(contents.count("HIDEOFFLINE="), 1) << contents.constData();
}

TEST(SettingsFileFormat, EveryLineParsesBackToItsValue) {
    QSettings::SettingsMap values;
    values.insert(EscapeValueName(QStringLiteral("a=b\n#c/d\\e%")), QStringLiteral("x\ny"));
    values.insert(EscapeValueName(QString()), QVariant::fromValue(quint32{0xFFFFFFFF}));
    values.insert(EscapeValueName(QStringLiteral("bin")), QByteArray("\0\xff", 2));
    values.insert(EscapeValueName(QStringLiteral("empty bin")), QByteArray());
    const QByteArray contents = FormatSettingsFile(values);
    EXPECT_EQ(contents.count('\n'), 2 + values.size()) << contents.constData(); // 2: header
    EXPECT_EQ(ParseSettingsFile(contents), values);
}

} // namespace
} // namespace quillo
