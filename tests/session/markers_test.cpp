#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/markers.h"

using namespace quillo;

namespace {

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

struct FieldCase {
    const char16_t* text;
    const char16_t* marker;
    int n;
    const char16_t* expected;
};

} // namespace

TEST(NthField, Table) {
    const FieldCase cases[] = {
        {u"a,b,c", u",", 1, u"b"},
        {u"a,b,c", u",", 2, u"c"}, // the last field runs to the end
        {u"a,b,c", u",", 3, u""},  // fewer occurrences than n
        {u"a,b,c", u",", 0, u""},
        {u"a,b,c", u",", -1, u""},
        {u"a,b,c", u"", 1, u""},
        {u"", u",", 1, u""},
        {u"abc", u";", 1, u""},
        {u"a,,c", u",", 1, u""},
        {u"submit*ICED*login*ICED*Log In", u"*ICED*", 1, u"login"},
        {u"submit*ICED*login*ICED*Log In", u"*ICED*", 2, u"Log In"},
        {u"*ICED*name*ICED*", u"*ICED*", 2, u""},
        {u"aaaaa", u"aa", 1, u""}, // occurrences at 0 and 2 do not overlap
        {u"aaaaa", u"aa", 2, u"a"},
        {u"xAy", u"a", 1, u""}, // case-sensitive
        {u"\u00e9=1\u00e9=2", u"\u00e9=", 2, u"2"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(NthField(q(c.text), q(c.marker), c.n), q(c.expected))
            << q(c.text).toStdString() << " n=" << c.n;
}

TEST(NthFieldNoCase, MatchesAnyCaseAndKeepsTheTextsCase) {
    const FieldCase cases[] = {
        {u"x<FORM a=1>B<form b=2>C", u"<form", 1, u" a=1>B"},
        {u"x<FORM a=1>B<form b=2>C", u"<Form", 2, u" b=2>C"},
        {u"x<FORM a=1>B<form b=2>C", u"<form", 3, u""},
        {u"A.b.C", u".", 1, u"b"},
        {u"abc", u"", 1, u""},
        {u"\u00c9x\u00e9y", u"\u00e9", 1, u"y"}, // non-ASCII letters do not fold
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(NthFieldNoCase(q(c.text), q(c.marker), c.n), q(c.expected))
            << q(c.text).toStdString() << " n=" << c.n;
}

TEST(CountPieces, Table) {
    const struct {
        const char16_t* text;
        const char16_t* marker;
        qsizetype expected;
    } cases[] = {
        {u"", u",", 1},     {u"abc", u",", 1},   {u"a,b,c", u",", 3}, {u",", u",", 2},
        {u"aaa", u"aa", 2}, {u"aaaa", u"aa", 3}, {u"abc", u"", 1},    {u"<FORM<form", u"<form", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountPieces(q(c.text), q(c.marker)), c.expected) << q(c.text).toStdString();
}
