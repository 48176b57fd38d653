#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "session/pattern_search.h"

using namespace quillo;

namespace {

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

// The obvious quadratic implementation the fast one must agree with.
bool unitsMatch(QChar a, QChar b, Qt::CaseSensitivity cs) {
    if (cs == Qt::CaseSensitive)
        return a == b;
    return AsciiLower(a.unicode()) == AsciiLower(b.unicode());
}

qsizetype naiveIndexOf(const QString& text, const QString& pattern, qsizetype from,
                       Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return -1;
    for (qsizetype i = std::max<qsizetype>(from, 0); i + pattern.size() <= text.size(); ++i) {
        qsizetype k = 0;
        while (k < pattern.size() && unitsMatch(text[i + k], pattern[k], cs))
            ++k;
        if (k == pattern.size())
            return i;
    }
    return -1;
}

QString naiveReplaceAll(const QString& text, const QString& pattern, const QString& replacement,
                        Qt::CaseSensitivity cs) {
    QString result;
    qsizetype copied = 0;
    for (qsizetype at = naiveIndexOf(text, pattern, 0, cs); at >= 0;
         at = naiveIndexOf(text, pattern, copied, cs)) {
        result += text.mid(copied, at - copied) + replacement;
        copied = at + pattern.size();
    }
    return result + text.mid(copied);
}

// Units chosen to collide in the skip table: U+0161 and U+0141 share their low byte with "a"
// and "A", and a surrogate pair is two units that must never be split or mistaken.
QString randomText(QRandomGenerator& random, int maxLength) {
    static const char16_t alphabet[] = {u'a',      u'A',      u'b',      u'&',      u';',
                                        u'\u0161', u'\u0141', u'\u00e9', u'\xd83d', u'\xde00'};
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += QChar(alphabet[random.bounded(int(std::size(alphabet)))]);
    return text;
}

} // namespace

TEST(ReplaceAll, Table) {
    const struct {
        const char16_t* text;
        const char16_t* pattern;
        const char16_t* replacement;
        Qt::CaseSensitivity cs;
        const char16_t* expected;
    } cases[] = {
        {u"", u"a", u"b", Qt::CaseSensitive, u""},
        {u"abc", u"", u"x", Qt::CaseSensitive, u"abc"},         // empty pattern: nothing
        {u"ab", u"abc", u"x", Qt::CaseSensitive, u"ab"},        // pattern longer than text
        {u"abc", u"abc", u"", Qt::CaseSensitive, u""},          // whole text
        {u"aaa", u"aa", u"b", Qt::CaseSensitive, u"ba"},        // left to right,
        {u"aaaa", u"aa", u"b", Qt::CaseSensitive, u"bb"},       // no overlaps
        {u"aa", u"a", u"aa", Qt::CaseSensitive, u"aaaa"},       // no re-scan of the result
        {u"a,b,c", u",", u", ", Qt::CaseSensitive, u"a, b, c"}, // growing
        {u"x&amp;y&AMP;z", u"&amp;", u"&", Qt::CaseSensitive, u"x&y&AMP;z"},
        {u"x&amp;y&AMP;z&aMp;", u"&amp;", u"&", Qt::CaseInsensitive, u"x&y&z&"},
        {u"&LT;&lt;", u"&Lt;", u"<", Qt::CaseInsensitive, u"<<"}, // pattern case folds too
        // Only ASCII folds: a non-ASCII letter is never taken for another.
        {u"caf\u00e9 CAF\u00c9", u"caf\u00e9", u"!", Qt::CaseInsensitive, u"! CAF\u00c9"},
        {u"\u0130i", u"i", u"-", Qt::CaseInsensitive, u"\u0130-"},
        {u"\u212Aey key", u"key", u"!", Qt::CaseInsensitive, u"\u212Aey !"},
        // Units sharing a low byte with the pattern's must not be matched or skipped wrongly.
        {u"\u0161b ab \u0141b Ab", u"ab", u"X", Qt::CaseSensitive, u"\u0161b X \u0141b Ab"},
        {u"\u0161b ab \u0141b Ab", u"ab", u"X", Qt::CaseInsensitive, u"\u0161b X \u0141b X"},
        {u"x\U0001F600y\U0001F600", u"\U0001F600", u":)", Qt::CaseSensitive, u"x:)y:)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(q(c.text), q(c.pattern), q(c.replacement), c.cs), q(c.expected))
            << q(c.text).toStdString() << " / " << q(c.pattern).toStdString();
    }
}

TEST(ReplaceAll, AgreesWithANaiveReplaceOnRandomTexts) {
    QRandomGenerator random(20090401);
    for (int round = 0; round < 5000; ++round) {
        const QString text = randomText(random, 40);
        const QString pattern = randomText(random, 4);
        const QString replacement = randomText(random, 6);
        const Qt::CaseSensitivity cs = round % 2 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        ASSERT_EQ(ReplaceAll(text, pattern, replacement, cs),
                  naiveReplaceAll(text, pattern, replacement, cs))
            << "text " << text.toStdString() << " pattern " << pattern.toStdString();

        const PatternSearcher searcher(pattern, cs);
        const qsizetype from = random.bounded(text.size() + 3) - 1; // -1 .. size + 1
        ASSERT_EQ(searcher.indexIn(text, from), naiveIndexOf(text, pattern, from, cs));
    }
}

TEST(ContainsNoCase, FoldsAsciiOnly) {
    EXPECT_TRUE(ContainsNoCase(u"<input CHECKED>", u"checked"));
    EXPECT_TRUE(ContainsNoCase(u"anything", u""));
    EXPECT_FALSE(ContainsNoCase(u"chec", u"checked"));
    EXPECT_FALSE(ContainsNoCase(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
}
