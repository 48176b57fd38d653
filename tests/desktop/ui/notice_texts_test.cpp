// The texts of the presence notices and of the summary notice.
#include <QRect>
#include <gtest/gtest.h>

#include "desktop/ui/notice_stack.h"
#include "desktop/ui/notice_texts.h"
#include "desktop/ui/notify_dialog.h"
#include "event_waiting.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"
#include "support/shipped_languages.h"

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
    const LanguageStrings english;
    for (const Case& c : cases)
        EXPECT_EQ(SummaryNoticeText(english, c.online, c.offline), c.text)
            << c.online << "/" << c.offline;
}

// A language counts in its own words; a file without the summary's keys counts in English.
TEST(NoticeTexts, SummaryCountsInTheLanguageInUse) {
    struct Case {
        int online;
        int offline;
        QString german;
        QString older; // German.lang without the later keys
    } const cases[] = {
        {1, 0, u"1 Freund ist online"_s, u"1 friend is online"_s},
        {2, 0, u"2 Freunde sind online"_s, u"2 friends are online"_s},
        {0, 1, u"1 Freund ist offline"_s, u"1 friend is offline"_s},
        {0, 5, u"5 Freunde sind offline"_s, u"5 friends are offline"_s},
        {1, 1, u"1 Freund ist online, offline: 1"_s, u"1 friend is online, 1 offline"_s},
        {3, 2, u"3 Freunde sind online, offline: 2"_s, u"3 friends are online, 2 offline"_s},
    };
    const LanguageStrings german = test::GermanStrings();
    const LanguageStrings older = test::OlderGermanStrings();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.online << "/" << c.offline);
        EXPECT_EQ(SummaryNoticeText(german, c.online, c.offline), c.german);
        EXPECT_EQ(SummaryNoticeText(older, c.online, c.offline), c.older);
    }
}

// The summary on the screen takes its words when it counts, not when the stack was made.
TEST(NoticeTexts, TheShownSummaryIsInTheLanguageInUse) {
    LanguageStrings strings;
    int frame = 0;
    {
        NoticeStack probe(strings);
        probe.ShowPresenceNotice(u"Probe"_s, ContactId(1), true);
        frame = probe.notices().value(0)->frameGeometry().height();
    }
    // Room for one notice: the second and later ones are counted in the summary.
    const QRect area(100, 40, 1280, NoticeStack::kBottomGap + frame + frame / 2);
    NoticeStack stack(strings);
    stack.setAvailableArea([area] { return area; });
    strings = test::GermanStrings();
    stack.ShowPresenceNotice(u"Ann"_s, ContactId(2), true);
    stack.ShowPresenceNotice(u"Bob"_s, ContactId(3), false);
    ASSERT_NE(stack.summary(), nullptr);
    EXPECT_EQ(stack.summary()->text(), u"1 Freund ist online, offline: 1"_s);
    stack.ShowPresenceNotice(u"Cid"_s, ContactId(4), true);
    EXPECT_EQ(stack.summary()->text(), u"2 Freunde sind online, offline: 1"_s);
    LetEventsRun();
}

} // namespace
} // namespace quillo
