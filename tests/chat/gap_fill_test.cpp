// Picking the lines a channel gap took out of a conversation's history: only the friend's, only
// those after the newest line already shown (or, with none shown, those from the gap on), and
// whether the history reaches back far enough to say that nothing else is missing.
#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

#include "chat/gap_fill.h"
#include "support/qt_printers.h"

using namespace quillo;

namespace {

const QString kUser = QStringLiteral("100");
const QString kFriend = QStringLiteral("200");

struct Line {
    const char* from;
    const char* text;
    qint64 time;
    const char* id;
};

// A history endpoint answer as the service writes it.
QString answer(const QList<Line>& lines) {
    QStringList entries;
    for (const Line& l : lines) {
        const QString to = QString::fromLatin1(l.from) == kUser ? kFriend : kUser;
        entries.append(QStringLiteral(R"({"type":"msg","msg":{"text":"%1"},"from":%2,"to":%3,)"
                                      R"("time":%4,"msgID":"%5","from_name":"X","to_name":"Y"})")
                           .arg(QString::fromLatin1(l.text), QString::fromLatin1(l.from), to)
                           .arg(l.time)
                           .arg(QString::fromLatin1(l.id)));
    }
    return QStringLiteral(R"(for (;;);{"error":0,"payload":{"history":[)") + entries.join(u',') +
           QStringLiteral("]}}");
}

const QList<Line> kHistory = {
    {"200", "old", 1000, "m1"},   {"100", "mine", 1500, "m2"},  {"200", "seen", 2000, "m3"},
    {"200", "gone1", 3000, "m4"}, {"100", "mine2", 3100, "m5"}, {"200", "gone2", 3000, "m6"},
};

} // namespace

TEST(GapFill, PicksTheFriendsLinesTheGapTook) {
    struct Case {
        const char* name;
        QStringList handed; // message ids shown before
        qint64 gapStart;
        QStringList expected;
        bool reachesBack;
        bool shownBefore = true; // lines of the friend were shown before (not always in handed)
    };
    const Case cases[] = {
        // The newest line shown anchors the gap; a time older than it changes nothing.
        {"after the newest shown line", {"m3"}, 2500, {"gone1", "gone2"}, true},
        {"a line after the anchor shown already", {"m3", "m4"}, 0, {"gone2"}, true},
        // Nothing of the history shown: the gap's start decides which lines are new. For a
        // friend new to the session an older line proves the history reaches back before the
        // gap; for one whose lines were shown, the history starts after them.
        {"new friend, gap from 2500", {}, 2500, {"gone1", "gone2"}, true, false},
        {"new friend, gap older than the history",
         {},
         500,
         {"old", "seen", "gone1", "gone2"},
         false,
         false},
        {"known friend, history starts after the shown lines", {}, 2500, {"gone1", "gone2"}, false},
        {"everything shown", {"m1", "m3", "m4", "m6"}, 0, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QSet<QString> handed(c.handed.begin(), c.handed.end());
        const MissingLines found = FindMissingLines(
            answer(kHistory), kUser, kFriend,
            [&](const TMSg& line) { return handed.contains(line.MessageId); }, c.gapStart,
            c.shownBefore);
        QStringList texts;
        for (const auto& line : found.lines) {
            texts.append(line->Text);
            EXPECT_EQ(line->FromId, kFriend) << "the user's own lines are never picked";
        }
        EXPECT_EQ(texts, c.expected);
        EXPECT_EQ(found.reachesBack, c.reachesBack);
    }
}

TEST(GapFill, AnEmptyOrBrokenAnswerGivesNothingAndCannotVouchForTheGap) {
    for (const QString& text :
         {QString(), QStringLiteral("for (;;);{\"error\":1}"), answer(kHistory).left(80)}) {
        const MissingLines found = FindMissingLines(
            text, kUser, kFriend, [](const TMSg&) { return false; }, 2500, false);
        EXPECT_TRUE(found.lines.empty());
        EXPECT_FALSE(found.reachesBack);
    }
}

TEST(GapFill, HistoryLinesCarryTheServicesIdAndTime) {
    const MissingLines found = FindMissingLines(
        answer(kHistory), kUser, kFriend, [](const TMSg&) { return false; }, 0, false);
    ASSERT_EQ(found.lines.size(), 4u);
    EXPECT_EQ(found.lines[1]->MessageId, QStringLiteral("m3"));
    EXPECT_EQ(found.lines[1]->ServiceTime, 2000);
    EXPECT_EQ(HandedOnKey(*found.lines[1]), QStringLiteral("m3"));
}
