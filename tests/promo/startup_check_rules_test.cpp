#include <QSet>
#include <gtest/gtest.h>

#include "promo/startup_check_rules.h"
#include "support/qt_printers.h"

using namespace quillo;

TEST(VersionCheck, NewerOnlyWhenTheDottedNumbersAreGreater) {
    const struct {
        const char* remote;
        bool newer;
    } cases[] = {
        {"1.361", false},
        {"1.360", false},
        {"1.362", true},
        {"2.0", true},
        {"1.361.1", true},
        {"1.4", false},
        {"0.999", false},
        {"", false},
        {"1.a", false},
        {"1..2", false},
        {".1", false},
        {"1.", false},
        {"http://update.quillo.test/version.htm", false},
        {"<html>1.400</html>", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNewerVersion(QString::fromLatin1(c.remote), QStringLiteral("1.361")), c.newer)
            << c.remote;
}

TEST(VersionCheck, AddressesMustLookLikeAddresses) {
    for (const char* yes : {"127.0.0.1", "203.0.113.7", "::1", "2001:db8::7", "fe80::1:2:3:4",
                            "::ffff:192.0.2.1", "1:2:3:4:5:6:7:8", "::", "1::", "1:2:3:4:5:6:7::"})
        EXPECT_TRUE(LooksLikeIpAddress(QString::fromLatin1(yes))) << yes;
    for (const char* no :
         {"", "256.1.1.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", "1.2.3.4 ", "http://ipecho.test/x",
          "1::2::3", "1:2:3:4:5:6:7:8:9", "12345::", "<html>",
          // a single colon at either end leaves a group out
          "::ffff:", ":1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8:", ":1::", "1::2:", ":::"})
        EXPECT_FALSE(LooksLikeIpAddress(QString::fromLatin1(no))) << no;
}

TEST(VersionCheck, MacIdIsTwelveUpperHexDigitsAndNewEachTime) {
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString id = NewMacId();
        ASSERT_EQ(id.size(), 12);
        for (QChar c : id)
            EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 50);
}

TEST(VersionCheck, ErrorReportCarriesLanguageFileAndCode) {
    const FormFields fields =
        ErrorReportFields(QStringLiteral("German.lang"), QStringLiteral("0001"));
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0], (QPair<QString, QString>{"act", "err"}));
    EXPECT_EQ(fields[1], (QPair<QString, QString>{"lang", "German.lang#0001"}));
}
