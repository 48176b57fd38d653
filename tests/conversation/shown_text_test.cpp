// What a window shows of names and messages from outside: bounded, one line, no direction
// override that reaches past the name, and never more emoticon pictures than a view can lay out.
#include <gtest/gtest.h>

#include "conversation/emoticons.h"
#include "conversation/message_html.h"
#include "conversation/shown_text.h"
#include "support/text_cases.h"

using namespace quillo;
using namespace quillo::test;

namespace {

QString repeated(const QString& piece, qsizetype times) {
    return piece.repeated(times);
}

} // namespace

TEST(ShownName, IsOneLineWithoutDirectionControls) {
    const TextCase cases[] = {
        {u"Zoë Quinn", u"Zoë Quinn"},
        {u"<b>Bold</b> & co", u"<b>Bold</b> & co"}, // text, whatever it looks like
        {u"Two\nlines\r\tand a tab", u"Two lines  and a tab"},
        {u"Evil\u202Egnp.exe", u"Evilgnp.exe"},           // right-to-left override
        {u"\u2067isolated\u2069 name", u"isolated name"}, // an isolate that a name opens
        {u"زهرة", u"زهرة"},                               // right-to-left script stays
        {u"a\u200Db\u200Cc", u"a\u200Db\u200Cc"},         // joiners are part of scripts
        {u"", u""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(ShownName(q(c.in)), q(c.out)) << q(c.in).toStdString();
        EXPECT_FALSE(IsNameCut(q(c.in)));
    }
}

TEST(ShownName, ALongNameIsCutWithAnEllipsisAndStaysCutTheSame) {
    const QString longName = repeated(QStringLiteral("x"), 100000);
    const QString shown = ShownName(longName);
    EXPECT_EQ(shown.size(), kLongestShownName);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
    EXPECT_TRUE(IsNameCut(longName));
    EXPECT_EQ(ShownName(shown), shown) << "showing a shown name changes nothing";

    const QString exact = repeated(QStringLiteral("y"), kLongestShownName);
    EXPECT_EQ(ShownName(exact), exact);
    EXPECT_FALSE(IsNameCut(exact));

    // A character of two units across the cut is dropped whole, never halved.
    const QString emoji =
        repeated(QStringLiteral("a"), kLongestShownName - 2) + QString::fromUtf16(u"😀😀😀");
    const QString cut = ShownName(emoji);
    EXPECT_FALSE(cut.at(cut.size() - 2).isHighSurrogate()) << "no half character before …";
    EXPECT_LE(cut.size(), kLongestShownName);
}

TEST(ShownMessage, IsWholeUpToItsLimitAndCutBeyondWithALineThatSaysSo) {
    const QString whole = repeated(QStringLiteral("a"), kLongestShownMessage);
    EXPECT_EQ(ShownMessageText(whole).text, whole);
    EXPECT_EQ(ShownMessageText(whole).hiddenCharacters, 0);

    const QString longer = whole + QStringLiteral("tail");
    const ShownMessage shown = ShownMessageText(longer);
    EXPECT_EQ(shown.text, whole);
    EXPECT_EQ(shown.hiddenCharacters, 4);
    const CutNotice cutNotice = [](qsizetype hidden) {
        return QStringLiteral("[%1 more characters]").arg(hidden);
    };
    const QString html = ViewMessageBodyHtml(longer, QStringLiteral("file:///e"), cutNotice);
    EXPECT_TRUE(html.contains(QStringLiteral("[4 more characters]")));
    EXPECT_FALSE(html.contains(QStringLiteral("tail")));

    // Lines count too, each LF, CR or pair of them one break.
    const QString manyLines = repeated(QStringLiteral("x\r\n"), kMostShownLines + 10);
    const ShownMessage fewer = ShownMessageText(manyLines);
    EXPECT_EQ(fewer.text, repeated(QStringLiteral("x\r\n"), kMostShownLines - 1) + u'x');
    EXPECT_EQ(fewer.hiddenCharacters, manyLines.size() - fewer.text.size());
    const QString justEnough = repeated(QStringLiteral("y\n"), kMostShownLines - 1) + u'y';
    EXPECT_EQ(ShownMessageText(justEnough).hiddenCharacters, 0);

    EXPECT_EQ(ViewMessageBodyHtml(QStringLiteral("hi"), QStringLiteral("file:///e"), cutNotice),
              MessageBodyHtml(QStringLiteral("hi"), QStringLiteral("file:///e")));
}

TEST(Emoticons, AMessageGetsAtMostItsShareOfPicturesAndKeepsTheRestAsTyped) {
    const int codes = kMostEmoticonPictures + 50;
    const QString html =
        ApplyEmoticons(repeated(QStringLiteral(":) "), codes), QStringLiteral("file:///e"));
    EXPECT_EQ(html.count(QStringLiteral("<img ")), kMostEmoticonPictures);
    EXPECT_EQ(html.count(QStringLiteral(":) ")), 50);
    // Line breaks are no pictures and are never held back.
    const QString breaks =
        ApplyEmoticons(repeated(QStringLiteral(":) "), codes) + repeated(QStringLiteral("%0A"), 3),
                       QStringLiteral("file:///e"));
    EXPECT_EQ(breaks.count(QStringLiteral("<Br>")), 3);
}
