// The rules of the banner strip: targeting, the sorted list of lines, splitting a line, the
// minutes a banner stays, the picture formats and the links a click may open.
#include <QStringList>
#include <gtest/gtest.h>

#include "prefs/settings.h"
#include "promo/banners.h"
#include "support/qt_printers.h"

using namespace quillo;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// A user in Ireland who reads English, male, under 18, college-educated, with an income band.
class BannerUser : public ::testing::Test {
protected:
    BannerUser() {
        user_.Country.set(s("Ireland"));
        user_.Language.set(s("English"));
        user_.Gender.set(s("male"));
        user_.Age.set(s("<18"));
        user_.Education.set(s("College"));
        user_.AnnualHouseHold.set(s("50k-75k"));
    }

    // An entry aimed at everybody except where the case says otherwise.
    static BannerTargets forEverybody() {
        return {s("all"), s("all"), s("all"), s("all"), s("all"), s("all")};
    }

    // One banner entry of a settings document.
    static QString entry(const char* rank, const char* image, const char* more = "") {
        return QStringLiteral("<BANNER><COUNTRY>all</COUNTRY><LANGUAGE>all</LANGUAGE>"
                              "<GENDER>all</GENDER><AGE>all</AGE><EDUCATION>all</EDUCATION>"
                              "<INCOME>all</INCOME><IMAGE>%1</IMAGE><LINKTO>http://l.test/%2"
                              "</LINKTO><DURATION>1m</DURATION><TOOLTIP>Hint %2</TOOLTIP>"
                              "<RANK>%2</RANK>%3</BANNER>")
            .arg(s(image), s(rank), s(more));
    }

    static QString document(const QString& entries) {
        return QStringLiteral("<?xml version=\"1.0\"?>\n<BANNERS>\n") + entries +
               QStringLiteral("</BANNERS>\n");
    }

    TDemographic user_;
};

} // namespace

TEST_F(BannerUser, TargetsAdmitTheUserOnlyWhenEveryOneMatches) {
    enum Field { Country, Language, Gender, Age, Education, Income };
    const struct {
        const char* what;
        Field field;
        const char* target;
        const char* userValue; // nullptr: the fixture's value
        bool admitted;
    } cases[] = {
        {"a country among several", Country, "United Kingdom, Ireland", nullptr, true},
        {"\"all\" with a trailing blank", Country, "all ", nullptr, true},
        {"\"all\" in capitals", Country, "ALL", nullptr, true},
        {"another name for the country", Country, "Eire", nullptr, false},
        {"an empty target", Country, "", nullptr, false},
        {"case is ignored", Language, "ENGLISH, German", nullptr, true},
        {"another language", Language, "German", nullptr, false},
        {"female excludes male", Gender, "female", nullptr, false},
        {"male admits male", Gender, "male", nullptr, true},
        {"male, female admits male", Gender, "male, female", nullptr, true},
        {"male, female admits female", Gender, "male, female", "female", true},
        {"female admits female in any case", Gender, "Female", "FEMALE", true},
        {"male excludes female", Gender, "male", "female", false},
        {"no stored gender, a gender target", Gender, "male, female", "", false},
        {"no stored gender, all", Gender, "all", "", true},
        {"an escaped less-than as parsed", Age, "&lt;18, 18-24", nullptr, true},
        {"a plain less-than", Age, "<18", nullptr, true},
        {"another age band", Age, "18-24, 25-34", nullptr, false},
        {"no stored age band", Age, "18-24", "", false},
        {"an education target", Education, "High school, College", nullptr, true},
        {"no stored education", Education, "College", "", false},
        {"another income band", Income, "100k+", nullptr, false},
        {"the user's income band", Income, "25k-50k; 50k-75k", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BannerTargets targets = forEverybody();
        QString* target[] = {&targets.country, &targets.language,  &targets.gender,
                             &targets.age,     &targets.education, &targets.income};
        SharedText* value[] = {&user_.Country, &user_.Language,  &user_.Gender,
                               &user_.Age,     &user_.Education, &user_.AnnualHouseHold};
        *target[c.field] = s(c.target);
        const QString kept = value[c.field]->get();
        if (c.userValue)
            value[c.field]->set(s(c.userValue));
        EXPECT_EQ(BannerTargeted(targets, user_), c.admitted);
        value[c.field]->set(kept);
    }
}

TEST_F(BannerUser, ListIsSortedByRankAsTextWithoutDuplicates) {
    const QString xml =
        document(entry("2", "http://b.test/two.png") + entry("10", "http://b.test/ten.png") +
                 entry("1", "http://b.test/one.png") +
                 // Differs from rank 1 only in case: not added again.
                 entry("1", "HTTP://B.TEST/ONE.PNG")
                     .replace(QStringLiteral("Hint 1"), QStringLiteral("HINT 1")));
    EXPECT_EQ(LoadBannerList(xml, user_),
              QStringList({s("1|http://b.test/one.png|http://l.test/1|1m|Hint 1"),
                           s("10|http://b.test/ten.png|http://l.test/10|1m|Hint 10"),
                           s("2|http://b.test/two.png|http://l.test/2|1m|Hint 2")}));
}

TEST_F(BannerUser, ListSortsLettersWithoutRegardToCase) {
    const QString xml =
        document(entry("b", "http://b.test/b.png") + entry("C", "http://b.test/c.png") +
                 entry("A", "http://b.test/a.png"));
    QStringList ranks;
    for (const QString& line : LoadBannerList(xml, user_))
        ranks.append(line.section(u'|', 0, 0));
    EXPECT_EQ(ranks, QStringList({s("A"), s("b"), s("C")}));
}

TEST_F(BannerUser, ListReadsEntriesAsTheMakerWritesThem) {
    const struct {
        const char* what;
        QString xml;
        QStringList lines;
    } cases[] = {
        {"texts are trimmed, the root and entry names are not checked",
         QStringLiteral("<anything><!-- note -->text<X>\n <COUNTRY> Ireland </COUNTRY>"
                        "<LANGUAGE>all</LANGUAGE><GENDER>all</GENDER><AGE>all</AGE>"
                        "<EDUCATION>all</EDUCATION><INCOME>all</INCOME>"
                        "<IMAGE>\n  http://b.test/a.png \n</IMAGE><RANK> 7 </RANK></X></anything>"),
         {s("7|http://b.test/a.png|||")}},
        {"an age written with an escaped ampersand",
         document(entry("1", "http://b.test/a.png")
                      .replace(QStringLiteral("<AGE>all"), QStringLiteral("<AGE>&amp;lt;18"))),
         {s("1|http://b.test/a.png|http://l.test/1|1m|Hint 1")}},
        {"a missing target excludes the entry",
         document(entry("1", "http://b.test/a.png").remove(QStringLiteral("<INCOME>all</INCOME>"))),
         {}},
        {"an entry for somebody else",
         document(entry("1", "http://b.test/a.png")
                      .replace(QStringLiteral("<GENDER>all"), QStringLiteral("<GENDER>female"))),
         {}},
        {"a hint and a link with markup escapes",
         document(entry("1", "http://b.test/a.png")
                      .replace(QStringLiteral("Hint 1"), QStringLiteral("Friends &amp; family"))
                      .replace(QStringLiteral("l.test/1"), QStringLiteral("l.test/?a=1&amp;b=2"))),
         {s("1|http://b.test/a.png|http://l.test/?a=1&b=2|1m|Friends & family")}},
        {"not XML", s("<html><body>Not Found"), {}},
        {"a redirect's target instead of a document", s("http://elsewhere.test/"), {}},
        {"an empty download", QString(), {}},
        {"a root without entries", s("<BANNERS/>"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LoadBannerList(c.xml, user_), c.lines);
    }
}

TEST(BannerLines, SplitIntoAddressLinkDurationAndHint) {
    const struct {
        const char* line;
        const char* address;
        const char* link;
        const char* duration;
        const char* hint;
    } cases[] = {
        {"1|http://b.test/a.png|http://l.test/|10m|Hint", "http://b.test/a.png", "http://l.test/",
         "10", "Hint"},
        {"1|a.png|l|5|one | two|three", "a.png", "l", "5", "one | two|three"},
        {"1|a.png|l||", "a.png", "l", "", ""},
        {"1|a.png|l|m|h", "a.png", "l", "", "h"},
        {"1|a.png|l|5", "a.png", "l", "", ""},
        {"1|a.png|l", "a.png", "", "", ""},
        {"1|a.png", "", "", "", ""},
        {"no bar at all", "", "", "", ""},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const BannerLine parsed = ParseBannerLine(s(c.line));
        EXPECT_EQ(parsed.address, s(c.address));
        EXPECT_EQ(parsed.link, s(c.link));
        EXPECT_EQ(parsed.duration, s(c.duration));
        EXPECT_EQ(parsed.hint, s(c.hint));
    }
}

TEST(BannerLines, DurationIsWholeMinutesWithFiveForNonsense) {
    const struct {
        const char* duration;
        int minutes;
    } cases[] = {
        {"10m", 10}, {"10", 10}, {"0", 0},           {"-3", 0},  {"-3m", 0},
        {"ten", 5},  {"", 5},    {"m", 5},           {"1.5", 5}, {"10 minutes", 5},
        {"10h", 5},  {"2m0", 5}, {"99999999999", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BannerMinutes(s(c.duration)), c.minutes) << c.duration;
    // As the worker reads it: through the line.
    EXPECT_EQ(BannerMinutes(ParseBannerLine(s("1|a.png|l|10m|h")).duration), 10);
}

TEST(BannerLines, PictureFormatFollowsThePathsExtension) {
    const struct {
        const char* address;
        const char* format;
    } cases[] = {
        {"http://b.test/banners/banner0.png", "PNG"},
        {"http://b.test/banners/banner1.jpg", "JPEG"},
        {"http://b.test/banners/banner1.JPEG", "JPEG"},
        {"http://b.test/banners/banner2.gif", "GIF"},
        {"http://b.test/banner.PNG?x=1", "PNG"},
        {"http://b.test/banner.png#top", "PNG"},
        {"http://b.test/show.php?file=a.png", ""},
        {"http://b.test/banner.bmp", ""},
        {"http://b.test/banner", ""},
        {"http://b.test.png/banner", ""},
        {"http://b.test/pictures.png/banner", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BannerPictureFormat(s(c.address)), QByteArray(c.format)) << c.address;
}

TEST(BannerLines, OnlyWebAddressesMayBeOpened) {
    const struct {
        const char* link;
        bool openable;
    } cases[] = {
        {"http://www.quillo.test/index.php?lang=en&banner=1", true},
        {"https://www.quillo.test/", true},
        {"HTTP://WWW.QUILLO.TEST/", true},
        {"file:///etc/passwd", false},
        {"file://server/share/setup.exe", false},
        {"javascript:alert(1)", false},
        {"mailto:someone@quillo.test", false},
        {"ftp://ftp.quillo.test/", false},
        {"/index.php", false},
        {"www.quillo.test", false},
        {"C:\\Windows\\notepad.exe", false},
        {"http:///no-host", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BannerLinkOpenable(s(c.link)), c.openable) << c.link;
}
