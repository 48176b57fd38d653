#include <gtest/gtest.h>

#include "conversation/message_time.h"

#include <QByteArray>
#include <cstdlib>
#include <ctime>

using namespace quillo;

namespace {

// Sets the computer's time zone for one test and puts the previous one back.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
        : had_(qEnvironmentVariableIsSet("TZ")) {
        if (had_)
            previous_ = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneScope() {
        if (had_)
            qputenv("TZ", previous_);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    bool had_;
    QByteArray previous_;
};

struct Case {
    const char* zone;
    const char16_t* stamp;
    const char16_t* time;
};

} // namespace

TEST(FormatMessageTime, LocalTimeOfDayOnTheTwelveHourClock) {
    const Case cases[] = {
        {"UTC0", u"1262304000000", u"12:00 am"},   // 2010-01-01 00:00 UTC
        {"<+01>-1", u"1262304000000", u"1:00 am"}, // UTC+1 without daylight saving
        {"UTC0", u"1262347500000", u"12:05 pm"},   // 12:05
        {"UTC0", u"1262336700000", u"9:05 am"},
        {"UTC0", u"1262390340000", u"11:59 pm"},
        {"UTC0", u"0", u"12:00 am"},
        {"UTC0", u"-60000", u"11:59 pm"},
        // New York: standard time in January, daylight saving time in July.
        {"America/New_York", u"1262347500000", u"7:05 am"},
        {"America/New_York", u"1278000000000", u"12:00 pm"}, // 2010-07-01 16:00 UTC
    };
    for (const Case& c : cases) {
        TimeZoneScope zone(c.zone);
        EXPECT_EQ(FormatMessageTime(QString::fromUtf16(c.stamp)), QString::fromUtf16(c.time))
            << c.zone << " " << QString::fromUtf16(c.stamp).toStdString();
    }
}

TEST(FormatMessageTime, NoTimeForAStampThatIsNotANumber) {
    for (const char16_t* stamp : {u"", u"abc", u"12:30", u"1262304000000x", u" 1262304000000", u"-",
                                  u"1e12", u"99999999999999999999", u"\u0661\u0662"})
        EXPECT_EQ(FormatMessageTime(QString::fromUtf16(stamp)), QString())
            << QString::fromUtf16(stamp).toStdString();
}

TEST(FormatLogDate, FullWeekdayAndMonthTwoDigitDay) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(FormatLogDate(QDate(2026, 12, 9), english),
              QStringLiteral("Wednesday, December 09, 2026"));
    EXPECT_EQ(FormatLogDate(QDate(2010, 1, 1), english),
              QStringLiteral("Friday, January 01, 2010"));
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FormatLogDate(QDate(2026, 12, 9), german),
              QStringLiteral("Mittwoch, Dezember 09, 2026"));
}
