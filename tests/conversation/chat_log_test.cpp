#include <gtest/gtest.h>

#include "conversation/chat_log.h"
#include "platform/folders.h"
#include "support/qt_printers.h"
#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

using namespace quillo;

namespace {

constexpr QFileDevice::Permissions kGroupOrOther =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QString LogIn(const test::TempHome& home, const char* name) {
    return home.path() + QStringLiteral("/logs/") + QLatin1String(name);
}

} // namespace

TEST(ChatLogPath, NamesOneFilePerAccountAndContact) {
    test::TempHome home;
    struct Case {
        qint64 account;
        qint64 contact;
        const char* name; // empty: no log
    };
    const Case cases[] = {
        {100001, 4242, "100001_4242.htm"},
        {12, 345, "12_345.htm"},
        {123, 45, "123_45.htm"},
        {100000123456789, 1, "100000123456789_1.htm"},
        {0, 4242, ""},
        {100001, 0, ""},
        {-5, 4242, ""},
    };
    for (const Case& c : cases) {
        const QString path = ChatLogPath(ContactId(c.account), ContactId(c.contact));
        const QString expected =
            *c.name ? UserDataFolder() + QLatin1Char('/') + QLatin1String(c.name) : QString();
        EXPECT_EQ(path, expected) << c.account << " " << c.contact;
    }
    EXPECT_TRUE(ChatLogPath(ContactId(1), ContactId(2)).startsWith(home.path()));
    EXPECT_NE(ChatLogPath(ContactId(12), ContactId(345)),
              ChatLogPath(ContactId(123), ContactId(45)));
}

TEST(ChatLog, AppendsBlocksInOrderAndReadsThemBack) {
    test::TempHome home;
    const QString path = ChatLogPath(ContactId(100001), ContactId(4242));
    EXPECT_FALSE(ReadChatLog(path).exists);
    EXPECT_TRUE(ReadChatLog(path).text.isEmpty());

    const QStringList blocks = {
        QStringLiteral("<font color=\"#800000\">Me (Wednesday, December 09, 2026 9:05 am):<br "
                       "/></font>hello <B>there</B><br />"),
        QStringLiteral("<font color=\"#0000FF\">Ann (Wednesday, December 09, 2026):<br "
                       "/></font>hi<Br>again<br />"),
        QStringLiteral("third"),
    };
    QByteArray expectedBytes = QByteArrayLiteral("\xEF\xBB\xBF");
    QString expectedText;
    for (const QString& block : blocks) {
        const ChatLogWrite written = AppendLogLine(path, block);
        EXPECT_TRUE(written.ok) << written.error.toStdString();
        EXPECT_TRUE(written.error.isEmpty());
        expectedBytes += block.toUtf8() + "\r\n";
        expectedText += block + QStringLiteral("\r\n");
        EXPECT_EQ(ReadBytes(path), expectedBytes); // appended, never rewritten
    }
    const ChatLogText log = ReadChatLog(path);
    EXPECT_TRUE(log.exists);
    EXPECT_TRUE(log.error.isEmpty());
    EXPECT_EQ(log.text, expectedText);
}

TEST(ChatLog, KeepsEveryCharacterInUtf8) {
    test::TempHome home;
    const QString texts[] = {
        QStringLiteral("caf\u00e9 \u20ac \u201cquoted\u201d"),  // inside Windows-1252
        QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442"), // Cyrillic
        QStringLiteral("\u4f60\u597d \u3053\u3093\u306b\u3061\u306f"),
        QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u0645\u0631\u062d\u0628\u0627"),
        QStringLiteral("emoji \U0001F600\U0001F44D\U0001F3FD"),
    };
    const QString path = LogIn(home, "unicode.htm");
    QString expected;
    for (const QString& text : texts) {
        ASSERT_TRUE(AppendLogLine(path, text).ok);
        expected += text + QStringLiteral("\r\n");
    }
    EXPECT_EQ(ReadChatLog(path).text, expected);
    EXPECT_EQ(ReadBytes(path), QByteArrayLiteral("\xEF\xBB\xBF") + expected.toUtf8());
}

TEST(ChatLog, ReadsOlderAndOtherEncodings) {
    test::TempHome home;
    struct Case {
        const char* name;
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        // An older log: Windows-1252, no byte-order mark, lines ending in any way.
        {"cp1252.htm", QByteArrayLiteral("caf\xE9 \x80 \x93q\x94\r\n\x8A\x9F\x81\nend"),
         QStringLiteral("caf\u00e9 \u20ac \u201cq\u201d\r\n\u0160\u0178\u0081\r\nend\r\n")},
        {"cr.htm", QByteArrayLiteral("a\rb\r\n\r\nc\r\n"), QStringLiteral("a\r\nb\r\n\r\nc\r\n")},
        {"utf8.htm", QByteArrayLiteral("\xEF\xBB\xBF\xD0\x96 \xF0\x9F\x98\x80\r\n"),
         QStringLiteral("\u0416 \U0001F600\r\n")},
        {"utf16.htm", QByteArrayLiteral("\xFF\xFEz\x00\x16\x04\r\x00\n\x00"),
         QStringLiteral("z\u0416\r\n")},
        {"empty.htm", QByteArray(), QString()},
    };
    for (const Case& c : cases) {
        const QString path = LogIn(home, c.name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteBytes(path, c.bytes);
        const ChatLogText log = ReadChatLog(path);
        EXPECT_TRUE(log.exists) << c.name;
        EXPECT_EQ(log.text, c.text) << c.name;
    }
}

TEST(ChatLog, AppendingToAnOlderLogKeepsOneEncoding) {
    test::TempHome home;
    const QString path = LogIn(home, "old.htm");
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteBytes(path, QByteArrayLiteral("Ren\xE9: \x80 5<br />\r\n"));

    ASSERT_TRUE(AppendLogLine(path, QStringLiteral("\u0416\U0001F600")).ok);
    const QString expected = QStringLiteral("Ren\u00e9: \u20ac 5<br />\r\n\u0416\U0001F600\r\n");
    EXPECT_EQ(ReadChatLog(path).text, expected);
    EXPECT_EQ(ReadBytes(path), QByteArrayLiteral("\xEF\xBB\xBF") + expected.toUtf8());
}

#ifdef Q_OS_UNIX
TEST(ChatLog, KeepsLogsPrivateToTheUser) {
    test::TempHome home;
    const QString path = ChatLogPath(ContactId(1), ContactId(2));
    const QString folder = UserDataFolder();
    ASSERT_FALSE(QFileInfo::exists(folder));

    ASSERT_TRUE(AppendLogLine(path, QStringLiteral("a")).ok);
    EXPECT_EQ((QFile::permissions(folder) & kGroupOrOther).toInt(), 0);
    EXPECT_EQ((QFile::permissions(path) & kGroupOrOther).toInt(), 0);
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadOwner);
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);

    // A folder and a file made open to everybody before are closed again by the next append.
    const QFileDevice::Permissions open = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                          QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(folder, open));
    ASSERT_TRUE(QFile::setPermissions(path, open));
    ASSERT_TRUE(AppendLogLine(path, QStringLiteral("b")).ok);
    EXPECT_EQ((QFile::permissions(folder) & kGroupOrOther).toInt(), 0);
    EXPECT_EQ((QFile::permissions(path) & kGroupOrOther).toInt(), 0);
    EXPECT_EQ(ReadChatLog(path).text, QStringLiteral("a\r\nb\r\n"));
}
#endif

TEST(ChatLog, ReportsAFileThatCannotBeWritten) {
    test::TempHome home;
    const QString blocker = home.path() + QStringLiteral("/blocker");
    WriteBytes(blocker, QByteArrayLiteral("not a folder"));
    const QString folderPath = home.path() + QStringLiteral("/a-folder.htm");
    ASSERT_TRUE(QDir().mkpath(folderPath));

    const QString paths[] = {
        blocker + QStringLiteral("/1_2.htm"),        // its folder cannot be made
        blocker + QStringLiteral("/deeper/1_2.htm"), // nor any folder above it
        folderPath,                                  // a folder where the file should be
        ChatLogPath(ContactId(), ContactId(2)),      // no valid account
    };
    for (const QString& path : paths) {
        const ChatLogWrite written = AppendLogLine(path, QStringLiteral("block"));
        EXPECT_FALSE(written.ok) << path.toStdString();
        EXPECT_FALSE(written.error.isEmpty()) << path.toStdString();
        if (!path.isEmpty()) {
            EXPECT_TRUE(written.error.contains(QDir::toNativeSeparators(path)))
                << written.error.toStdString();
        }
    }
    // Nothing else was touched.
    EXPECT_EQ(ReadBytes(blocker), QByteArrayLiteral("not a folder"));
    EXPECT_TRUE(QFileInfo(folderPath).isDir());
    EXPECT_TRUE(QDir(folderPath).isEmpty());

    const ChatLogText unreadable = ReadChatLog(folderPath);
    EXPECT_TRUE(unreadable.exists);
    EXPECT_TRUE(unreadable.text.isEmpty());
    EXPECT_TRUE(unreadable.error.contains(QDir::toNativeSeparators(folderPath)))
        << unreadable.error.toStdString();
}
