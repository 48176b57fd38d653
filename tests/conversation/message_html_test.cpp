#include <gtest/gtest.h>

#include "conversation/message_html.h"
#include "conversation/received_text.h"

#include <QElapsedTimer>

using namespace quillo;

namespace {

const QString kFolder = QStringLiteral("file:///opt/quillo/Emoticons");

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

QString img(const char* file) {
    return QStringLiteral("<img src=\"%1/%2\"></img>").arg(kFolder, QLatin1String(file));
}

// Length of the formatting element at html[at], or 0 when none starts there: <B>, <U>, <Br>
// and the emoticon pictures of the folder are the only elements a message body may hold.
qsizetype formattingElementAt(QStringView html, qsizetype at) {
    const QStringView rest = html.sliced(at);
    for (QStringView tag : {u"<B>", u"</B>", u"<U>", u"</U>", u"<Br>", u"</img>"}) {
        if (rest.startsWith(tag))
            return tag.size();
    }
    const QString prefix = QStringLiteral("<img src=\"") + kFolder + QStringLiteral("/ref");
    if (!rest.startsWith(prefix))
        return 0;
    qsizetype p = prefix.size();
    const qsizetype digits = p;
    while (p < rest.size() && rest[p].isDigit())
        ++p;
    if (p == digits)
        return 0;
    for (QStringView end : {u".png\">", u".gif\">"}) {
        if (rest.sliced(p).startsWith(end))
            return p + end.size();
    }
    return 0;
}

// No element but the formatting's own, and every "&" one of the three escapes.
::testing::AssertionResult OnlyFormattingMarkup(const QString& html) {
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QStringView rest = QStringView(html).sliced(i);
        if (html[i] == u'<') {
            const qsizetype length = formattingElementAt(html, i);
            if (length == 0)
                return ::testing::AssertionFailure() << "unexpected markup at " << i << ": "
                                                     << rest.left(40).toString().toStdString();
            i += length - 1;
        } else if (html[i] == u'>') {
            return ::testing::AssertionFailure() << "stray > at " << i;
        } else if (html[i] == u'&' && !rest.startsWith(u"&amp;") && !rest.startsWith(u"&lt;") &&
                   !rest.startsWith(u"&gt;")) {
            return ::testing::AssertionFailure() << "unexpected reference at " << i << ": "
                                                 << rest.left(20).toString().toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

// An expected text, written as a literal or built from pieces.
struct Text {
    Text(const char16_t* literal)
        : value(QString::fromUtf16(literal)) {}
    Text(QString built)
        : value(std::move(built)) {}
    QString value;
};

struct Case {
    const char16_t* in;
    Text out;
};

} // namespace

TEST(DecodeReceivedText, Table) {
    const Case cases[] = {
        {u"caf\\u00e9", u"caf\u00e9"},
        {u"say \\\"hi\\\" \\/ ok", u"say \"hi\" / ok"},
        {u"a\\nb", u"a\nb"},
        {u"a\\\\nb", u"a\nb"},        // an escaped line break escaped again
        {u"a<Br>b<br>c", u"a\nb\nc"}, // as the history replay marks line breaks
        {u"&lt;3 &amp;lt;", u"<3 &lt;"},
        {u"\\u003cb\\u003e", u"<b>"},
        {u"\\u0026lt;", u"<"},          // a reference may arrive with its "&" escaped
        {u"\\u003cBr\\u003e", u"<Br>"}, // escaped markup is text, no line break
        {u"&lt;Br&gt;", u"<Br>"},
        {u"broken \\u12", u"broken \\u12"},
        {u"abc\\", u"abc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeReceivedText(q(c.in)), c.out.value) << q(c.in).toStdString();
}

TEST(EscapeForView, Table) {
    const Case cases[] = {
        {u"", u""},
        {u"a<b>&c", u"a&lt;b&gt;&amp;c"},
        {u"&lt;", u"&amp;lt;"},
        {u"a\nb\rc\n\rd\r\ne\n\nf", u"a<Br>b<Br>c<Br>d<Br>e<Br><Br>f"},
        {u"\U0001F600", u"\U0001F600"},
        {u"x\xD83Dy", u"x\uFFFDy"},         // a lone high surrogate
        {u"x\xDE00y", u"x\uFFFDy"},         // a lone low surrogate
        {u"\xDE00\xD83D", u"\uFFFD\uFFFD"}, // the wrong order is no pair
        {u"end\xD83D", u"end\uFFFD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapeForView(q(c.in)), c.out.value) << q(c.in).toStdString();
}

TEST(ReceivedMessageHtml, Table) {
    const Case cases[] = {
        {u"Hello :)", q(u"Hello ") + img("ref1.png")}, // the added space completes the code
        {u":):)", q(u":)") + img("ref1.png")},
        {u"3:) ", img("ref13.png") + q(u" ")},
        {u"&gt;:( ", img("ref10.png") + q(u" ")},
        {u"&lt;3", img("ref20.gif")},
        {u"\\u003c3", img("ref20.gif")},
        {u"&circ;_&circ;", img("ref16.png")},
        {u":p and :d :o", img("ref3.gif") + q(u"and ") + img("ref4.png") + q(u":o ")},
        {u"*bold* and _under_", u"<B>bold</B> and <U>under</U> "},
        {u"2*3", u"2*3 "},
        {u"*a* 2*3", u"<B>a</B> 2*3 "},
        {u"%0A", u"<Br> "},
        {u"line\\nbreak", u"line<Br>break "},
        {u"&lt;", u"&lt; "},         // "<" shows, escaped once
        {u"&amp;lt;", u"&amp;lt; "}, // the typed text "&lt;" shows
        {u"a &amp; b", u"a &amp; b "},
        {u"^_^ -_-", img("ref16.png") + img("ref17.png")},
        {u"snake_case :)", q(u"snake_case ") + img("ref1.png")}, // one "_" is no run
    };
    for (const Case& c : cases) {
        const QString html = ReceivedMessageHtml(q(c.in), kFolder);
        EXPECT_EQ(html, c.out.value) << q(c.in).toStdString();
        EXPECT_TRUE(OnlyFormattingMarkup(html)) << q(c.in).toStdString();
    }
}

TEST(ReceivedMessageHtml, HostileTextShowsAsTyped) {
    const Case cases[] = {
        {u"<script>alert(1)</script>", u"&lt;script&gt;alert(1)&lt;/script&gt; "},
        {u"<img src=http://evil.example/x.png>", u"&lt;img src=http://evil.example/x.png&gt; "},
        {u"\\u003cimg src=\\\"http://evil.example/x.png\\\"\\u003e",
         u"&lt;img src=\"http://evil.example/x.png\"&gt; "},
        {u"\\u003cb\\u003ehi\\u003c/b\\u003e", u"&lt;b&gt;hi&lt;/b&gt; "},
        {u"&lt;script&gt;", u"&lt;script&gt; "},
        {u"&#60;script&#62;", u"&lt;script&gt; "},
        {u"&amp;#60;", u"&amp;#60; "},
        {u"\\\\u003cb\\\\u003e", u"&lt;b&gt; "},
        {u"<Br><b onclick=x>", u"<Br>&lt;b onclick=x&gt; "},
        {u"\">:) <a href='x'>", q(u"\"&gt;") + img("ref1.png") + q(u"&lt;a href='x'&gt; ")},
        {u"<facebookBold>*x", u"&lt;facebookBold&gt;*x "},
        {u"broken \\u00", u"broken \\u00 "},
        {u"broken \\uzzzz<", u"broken \\uzzzz&lt; "},
        {u"lone \\ud83d here", u"lone \uFFFD here "},
        {u"lone &#xDE00;", u"lone \uFFFD "},
        {u"pair \\ud83d\\ude00", u"pair \U0001F600 "},
        {u"\\u0000", QString(QChar(0)) + q(u" ")},
    };
    for (const Case& c : cases) {
        const QString html = ReceivedMessageHtml(q(c.in), kFolder);
        EXPECT_EQ(html, c.out.value) << q(c.in).toStdString();
        EXPECT_TRUE(OnlyFormattingMarkup(html)) << q(c.in).toStdString();
    }
}

TEST(OwnMessageHtml, ShowsTheSentMarkupAsTyped) {
    const Case cases[] = {
        {u" *hi* ", u" <B>hi</B>  "},
        {u"a\n\rb", u"a<Br>b "},
        {u"<3 ", img("ref20.gif") + q(u" ")}, // typed "<" matches the escaped code
        {u">:O ", img("ref19.png") + q(u" ")},
        {u"<script>x</script>", u"&lt;script&gt;x&lt;/script&gt; "},
        {u"<I>it</I>", u"&lt;I&gt;it&lt;/I&gt; "}, // sent as typed, shown as sent
        {u"&lt;", u"&amp;lt; "},
    };
    for (const Case& c : cases) {
        const QString html = OwnMessageHtml(q(c.in), kFolder);
        EXPECT_EQ(html, c.out.value) << q(c.in).toStdString();
        EXPECT_TRUE(OnlyFormattingMarkup(html)) << q(c.in).toStdString();
    }
}

TEST(ReceivedMessageHtml, FolderWithMarkersKeepsItsPictures) {
    const QString folder = QStringLiteral("file:///home/my_name/quillo*/Emoticons");
    EXPECT_EQ(
        ReceivedMessageHtml(QStringLiteral("_a :) b_"), folder),
        QStringLiteral("<U>a <img src=\"file:///home/my%5Fname/quillo%2A/Emoticons/ref1.png\">"
                       "</img>b</U> "));
}

TEST(ReceivedMessageHtml, MegabyteMessagesFinishInLinearTime) {
    // Each pattern hits a different step: markers, emoticons, escapes, references, breaks.
    const char16_t* pieces[] = {u"*a_", u":) ", u"\\u003c", u"&lt;3 ", u"&#60;",
                                u"\\n", u"<b>", u"\\ud83d", u"&amp;",  u"%0A"};
    for (const char16_t* piece : pieces) {
        const QString unit = q(piece);
        const QString text = unit.repeated((1 << 20) / unit.size());
        QElapsedTimer timer;
        timer.start();
        const QString html = ReceivedMessageHtml(text, kFolder);
        EXPECT_LT(timer.elapsed(), 5000) << q(piece).toStdString();
        EXPECT_TRUE(OnlyFormattingMarkup(html)) << q(piece).toStdString();
    }
}
