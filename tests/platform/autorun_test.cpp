// The autostart entry: written and removed, disabled entries, quoting of the program's path,
// and failures that must stay quiet.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "platform/autorun.h"
#include "support/temp_home.h"

namespace quillo {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Autorun : public ::testing::Test {
protected:
    test::TempHome home_;
};

TEST_F(Autorun, EntryComesAndGoes) {
    EXPECT_EQ(AutostartEntryPath(),
              home_.configPath() + QStringLiteral("/autostart/quillo.desktop"));
    EXPECT_FALSE(IsAutorunRegistered());

    SetAutorun(true, QStringLiteral("/opt/Quillo App/quillo"));
    EXPECT_TRUE(IsAutorunRegistered());
    const QByteArray entry = ReadAll(AutostartEntryPath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nName=Quillo for Facebook\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Quillo App/quillo\"\n")) << entry.constData();

    SetAutorun(false, QStringLiteral("/opt/Quillo App/quillo"));
    EXPECT_FALSE(IsAutorunRegistered());
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    SetAutorun(false, QStringLiteral("/opt/Quillo App/quillo")); // nothing left to remove
    EXPECT_FALSE(IsAutorunRegistered());
}

// The entry starts the program in the tray: an installed one by its command, so that it
// outlives upgrades, one run from its build folder by its own path.
TEST(AutostartExec, InstalledByCommandElseByPathBothInTheTray) {
    EXPECT_EQ(AutostartExecValue(QStringLiteral("/usr/bin/quillo"), true),
              QStringLiteral("quillo --minimized"));
    EXPECT_EQ(AutostartExecValue(QStringLiteral("/home/me/Quillo App/build/quillo"), false),
              QStringLiteral("\"/home/me/Quillo App/build/quillo\" --minimized"));
}

TEST_F(Autorun, DisabledEntryIsNotRegisteredUntilWrittenAgain) {
    const char* entries[] = {
        "[Desktop Entry]\nName=Quillo for Facebook\nExec=quillo\nHidden=true\n",
        "[Desktop Entry]\nExec=quillo\nX-GNOME-Autostart-enabled=false\n",
    };
    for (const char* contents : entries) {
        SCOPED_TRACE(contents);
        QDir().mkpath(QFileInfo(AutostartEntryPath()).absolutePath());
        QFile file(AutostartEntryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        EXPECT_FALSE(IsAutorunRegistered());

        SetAutorun(true, QStringLiteral("/usr/bin/quillo"));
        EXPECT_TRUE(IsAutorunRegistered());
    }
    // The same keys in another group say nothing about the entry.
    QFile file(AutostartEntryPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Desktop Entry]\nExec=quillo\n[Desktop Action x]\nHidden=true\n");
    file.close();
    EXPECT_TRUE(IsAutorunRegistered());
}

TEST(DesktopExecValue, QuotesThePathForTheDesktop) {
    const struct {
        QString path;
        QString exec; // as it stands in the file
    } cases[] = {
        {QStringLiteral("/usr/bin/quillo"), QStringLiteral("\"/usr/bin/quillo\"")},
        {QStringLiteral("/opt/My App/quillo"), QStringLiteral("\"/opt/My App/quillo\"")},
        {QStringLiteral("/a\"b"), QStringLiteral("\"/a\\\\\"b\"")},
        {QStringLiteral("/a$b`c"), QStringLiteral("\"/a\\\\$b\\\\`c\"")},
        {QStringLiteral("/a\\b"), QStringLiteral("\"/a\\\\\\\\b\"")},
        {QStringLiteral("/100%/quillo"), QStringLiteral("\"/100%%/quillo\"")},
        {QStringLiteral("/new\nline"), QStringLiteral("\"/new\\nline\"")},
        {QStringLiteral("/ünï/quillo"), QStringLiteral("\"/ünï/quillo\"")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopExecValue(c.path), c.exec) << c.path.toStdString();
}

TEST_F(Autorun, FailuresStayQuiet) {
    // A folder where the entry should be: it can be neither written nor read as an entry.
    ASSERT_TRUE(QDir().mkpath(AutostartEntryPath()));
    SetAutorun(true, QStringLiteral("/usr/bin/quillo"));
    EXPECT_FALSE(IsAutorunRegistered());
    SetAutorun(false, QStringLiteral("/usr/bin/quillo"));
    EXPECT_TRUE(QFileInfo(AutostartEntryPath()).isDir());
}

} // namespace
} // namespace quillo
