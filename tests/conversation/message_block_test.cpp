#include <gtest/gtest.h>

#include "conversation/message_block.h"

#include <QByteArray>
#include <ctime>

using namespace quillo;

namespace {

// The block tests read times in UTC, whatever the computer's zone.
class UtcScope {
public:
    UtcScope()
        : had_(qEnvironmentVariableIsSet("TZ"))
        , previous_(qgetenv("TZ")) {
        qputenv("TZ", "UTC0");
        tzset();
    }
    ~UtcScope() {
        if (had_)
            qputenv("TZ", previous_);
        else
            qunsetenv("TZ");
        tzset();
    }
    UtcScope(const UtcScope&) = delete;
    UtcScope& operator=(const UtcScope&) = delete;

private:
    bool had_;
    QByteArray previous_;
};

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QDate kToday(2026, 12, 9);
const QString kNoon = QStringLiteral("1262347500000"); // 2010-01-01 12:05 UTC

} // namespace

TEST(ColorToHtml, RedGreenBlueAsUpperCaseHex) {
    EXPECT_EQ(ColorToHtml(kOwnMessageColor), QStringLiteral("#800000"));
    EXPECT_EQ(ColorToHtml(kOtherPartyColor), QStringLiteral("#0000FF"));
    EXPECT_EQ(ColorToHtml(0x0A0B0C), QStringLiteral("#0A0B0C"));
    EXPECT_EQ(ColorToHtml(0xFFABCDEF), QStringLiteral("#ABCDEF")); // only 24 bits
}

TEST(MessageHeaders, WithAndWithoutTime) {
    UtcScope utc;
    struct Case {
        const char16_t* name;
        QString stamp;
        const char16_t* view;
        const char16_t* log;
    };
    const Case cases[] = {
        {u"Zo\\u00eb", kNoon, u"Zo\u00eb (12:05 pm):",
         u"Zo\u00eb (Wednesday, December 09, 2026 12:05 pm):"},
        {u"Bob", QString(), u"Bob:", u"Bob (Wednesday, December 09, 2026):"},
        // A stamp that is not a number gives the headers without a time; the message stays.
        {u"Bob", QStringLiteral("soon"), u"Bob:", u"Bob (Wednesday, December 09, 2026):"},
        {u"Bob", QStringLiteral("12x"), u"Bob:", u"Bob (Wednesday, December 09, 2026):"},
        // A name is text too.
        {u"\\u003cimg src=x\\u003e", QString(), u"&lt;img src=x&gt;:",
         u"&lt;img src=x&gt; (Wednesday, December 09, 2026):"},
        {u"Tom &amp; Jerry", QString(), u"Tom &amp; Jerry:",
         u"Tom &amp; Jerry (Wednesday, December 09, 2026):"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        EXPECT_EQ(ViewMessageHeader(name, c.stamp), QString::fromUtf16(c.view));
        EXPECT_EQ(LogMessageHeader(name, c.stamp, kToday, kEnglish), QString::fromUtf16(c.log));
    }
}

TEST(MessageBlocks, ViewAndLogBlocks) {
    UtcScope utc;
    const QString body = QStringLiteral("<B>hi</B> ");
    EXPECT_EQ(
        MessageViewBlock(kOtherPartyColor, QStringLiteral("Bob"), kNoon, body),
        QStringLiteral("<font color=\"#0000FF\">Bob (12:05 pm):<br /></font><B>hi</B> <br />"));
    EXPECT_EQ(
        MessageLogBlock(kOwnMessageColor, QStringLiteral("Al"), QString(), body, kToday, kEnglish),
        QStringLiteral("<font color=\"#800000\">Al (Wednesday, December 09, 2026):<br />"
                       "</font><B>hi</B> <br />"));
}

TEST(ViewDocument, WrapsTheBody) {
    EXPECT_EQ(ViewDocument(QStringLiteral("X")),
              QStringLiteral("<!doctype html><head><meta http-equiv=\"Content-Type\" "
                             "content=\"text/html; charset=utf-8\"></head><body>X</body></html>"));
}
