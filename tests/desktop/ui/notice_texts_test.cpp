// The texts of the presence notices and of the summary notice.
#include <gtest/gtest.h>

#include "desktop/ui/notice_texts.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

using namespace Qt::StringLiterals;

TEST(NoticeTexts, LongNamesAreCut) {
    const QString smile = u"\U0001F600"_s; // two UTF-16 units
    struct Case {
        const char* what;
        QString name;
        QString shown;
    } const cases[] = {
        {"short", u"Ann"_s, u"Ann"_s},
        {"exactly 20", u"ABCDEFGHIJKLMNOPQRST"_s, u"ABCDEFGHIJKLMNOPQRST"_s},
        {"21", u"ABCDEFGHIJKLMNOPQRSTU"_s, u"ABCDEFGHIJKLMNOPQRS..."_s},
        {"25", u"Maximilian Alexander Ray"_s + u"X"_s, u"Maximilian Alexande..."_s},
        {"pair across the cut", u"ABCDEFGHIJKLMNOPQR"_s + smile + u"XYZ"_s,
         u"ABCDEFGHIJKLMNOPQR..."_s},
        {"pair before the cut", u"ABCDEFGHIJKLMNOPQ"_s + smile + u"XYZ"_s,
         u"ABCDEFGHIJKLMNOPQ"_s + smile + u"..."_s},
        {"empty", QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ShortNoticeName(c.name), c.shown);
    }
}

TEST(NoticeTexts, PresenceTextsComeFromTheLanguageStrings) {
    LanguageStrings strings;
    EXPECT_EQ(PresenceNoticeText(strings, u"Ann"_s, true), u"Ann  is online."_s);
    EXPECT_EQ(PresenceNoticeText(strings, u"Ann"_s, false), u"Ann  is offline."_s);
    strings.setText(LanguageKey::msgOnlinenotify, u"ist online."_s);
    EXPECT_EQ(PresenceNoticeText(strings, u"ABCDEFGHIJKLMNOPQRSTU"_s, true),
              u"ABCDEFGHIJKLMNOPQRS... ist online."_s);
}

TEST(NoticeTexts, SummaryCountsFriends) {
    struct Case {
        int online;
        int offline;
        QString text;
    } const cases[] = {
        {2, 0, u"2 friends are online"_s},     {1, 0, u"1 friend is online"_s},
        {396, 0, u"396 friends are online"_s}, {0, 1, u"1 friend is offline"_s},
        {0, 5, u"5 friends are offline"_s},    {3, 2, u"3 friends are online, 2 offline"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SummaryNoticeText(c.online, c.offline), c.text) << c.online << "/" << c.offline;
}

} // namespace
} // namespace quillo
