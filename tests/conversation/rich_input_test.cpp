#include <gtest/gtest.h>

#include "conversation/markup.h"
#include "conversation/rich_input.h"

using namespace quillo;

namespace {

// The chat input's export as the editor writes it, around the given paragraphs.
QString exported(const QString& paragraphs, const QString& bodyWeight = QStringLiteral("400")) {
    return QStringLiteral(
               "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\" "
               "\"http://www.w3.org/TR/REC-html40/strict.dtd\">\n"
               "<html><head><meta name=\"qrichtext\" content=\"1\" /><meta charset=\"utf-8\" />"
               "<style type=\"text/css\">\np, li { white-space: pre-wrap; }\nhr { height: 1px; "
               "border-width: 0; }\nli.unchecked::marker { content: \"\\2610\"; }\n"
               "li.checked::marker { content: \"\\2612\"; }\n</style></head>"
               "<body style=\" font-family:'Sans Serif'; font-size:9pt; font-weight:%1; "
               "font-style:normal;\">\n")
               .arg(bodyWeight) +
           paragraphs + QStringLiteral("</body></html>");
}

QString p(const QString& content) {
    return QStringLiteral("<p style=\" margin-top:0px; margin-bottom:0px; margin-left:0px; "
                          "margin-right:0px; -qt-block-indent:0; text-indent:0px;\">") +
           content + QStringLiteral("</p>");
}

const QString kEmptyParagraph = QStringLiteral(
    "<p style=\"-qt-paragraph-type:empty; margin-top:0px; margin-bottom:0px; margin-left:0px; "
    "margin-right:0px; -qt-block-indent:0; text-indent:0px;\"><br /></p>");

QString span(const char* style, const char* text) {
    return QStringLiteral("<span style=\" %1\">%2</span>")
        .arg(QLatin1String(style), QLatin1String(text));
}

struct Case {
    QString html;
    QString out;
};

} // namespace

TEST(RichInputToHtml, EditorExports) {
    const Case cases[] = {
        {exported(kEmptyParagraph), QString()},
        {exported(p(QStringLiteral("hello"))), QStringLiteral("hello")},
        // Characters as typed: the export's references resolved, and only what could pass for
        // a tag written as a reference again.
        {exported(p(QStringLiteral("a &lt;3 &amp; &quot;q&quot;  x\u00A0y\tz"))),
         QStringLiteral("a &lt;3 &amp; \"q\"  x\u00A0y\tz")},
        {exported(
             p(QStringLiteral("a ") + span("font-weight:700;", "bold") + QStringLiteral(" c"))),
         QStringLiteral("a <B>bold</B> c")},
        {exported(p(span("font-weight:600;", "b"))), QStringLiteral("<B>b</B>")},
        {exported(p(span("font-weight:700; text-decoration: underline;", "bu"))),
         QStringLiteral("<B><U>bu</U></B>")},
        {exported(p(span("font-style:italic; text-decoration: line-through;", "si"))),
         QStringLiteral("<I><STRIKE>si</STRIKE></I>")},
        // Paragraphs and soft breaks are lines; the empty paragraph's <br /> is no extra line.
        {exported(p(QStringLiteral("one<br />two")) + u'\n' + kEmptyParagraph + u'\n' +
                  p(QStringLiteral("three"))),
         QStringLiteral("one<BR>two<BR><BR>three")},
        // A run ends before the line break that follows it.
        {exported(p(span("font-weight:700;", "a")) + u'\n' + p(QStringLiteral("b"))),
         QStringLiteral("<B>a</B><BR>b")},
        {exported(p(span("font-weight:700;", "a<br />b"))), QStringLiteral("<B>a<BR>b</B>")},
        // A colour change inside bold is a new run.
        {exported(p(span("font-weight:700;", "a") + span("font-weight:700; color:#ff0000;", "b"))),
         QStringLiteral("<B>a</B><B>b</B>")},
        // The document's default attributes open the first run.
        {exported(p(QStringLiteral("x")), QStringLiteral("700")), QStringLiteral("<B>x</B>")},
        {exported(p(span("font-weight:400;", "x")), QStringLiteral("700")),
         QStringLiteral("<B></B>x")},
        {exported(QStringLiteral("<p align=\"center\" style=\" margin-top:0px;\">mid</p>")),
         QStringLiteral("<P ALIGN=\"CENTER\">mid</P>")},
        {exported(QStringLiteral("<ul style=\"margin-top: 0px;\"><li style=\" margin-top:0px;\">"
                                 "one</li>\n<li>two</li></ul>")),
         QStringLiteral("<LI ALIGN=\"LEFT\">one</LI><BR><LI ALIGN=\"LEFT\">two</LI>")},
        // A pasted picture or link is no text of its own.
        {exported(p(QStringLiteral("a<img src=\"http://evil.example/x.png\" />b"))),
         QStringLiteral("ab")},
        {exported(p(QStringLiteral("<a href=\"http://x\"><span style=\" text-decoration: "
                                   "underline; color:#0000ff;\">link</span></a>"))),
         QStringLiteral("<U>link</U>")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RichInputToHtml(c.html), c.out) << c.html.toStdString();
}

TEST(RichInputToHtml, Fragments) {
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QStringLiteral("a<b>b</b>c"), QStringLiteral("a<B>b</B>c")},
        {QStringLiteral("<u><b>x</b></u>"), QStringLiteral("<B><U>x</U></B>")},
        {QStringLiteral("a\r\nb\nc\vd"), QStringLiteral("abcd")}, // layout between tags only
        {QStringLiteral("<p>a\r\nb\vc</p>"), QStringLiteral("a<BR>b<BR>c")},
        {QStringLiteral("1 < 2 <3"), QStringLiteral("1 &lt; 2 &lt;3")},
        {QStringLiteral("<p>a</p><p>b</p>"), QStringLiteral("a<BR>b")},
        {QStringLiteral("<div><p>a</p><p>b</p></div>"), QStringLiteral("a<BR>b")},
        {QStringLiteral("<!-- note -->x<script>alert(1)</script>"), QStringLiteral("x")},
        {QStringLiteral("<b>never closed"), QStringLiteral("<B>never closed</B>")},
        {QStringLiteral("a <b"), QStringLiteral("a &lt;b")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RichInputToHtml(c.html), c.out) << c.html.toStdString();
}

TEST(RichInputToHtml, ToMarkupAsSent) {
    // What the send action makes of the input: the service form with markers.
    const QString input = exported(
        p(QStringLiteral("hi ") + span("font-weight:700;", "there") + QStringLiteral(" &lt;3")) +
        u'\n' + p(span("text-decoration: underline;", "x")));
    EXPECT_EQ(HtmlToMarkup(RichInputToHtml(input)), QStringLiteral("hi  *there*  <3\n\r _x_ "));
    // Typed tags and references are text, sent as typed: never a bold run, never a "<".
    const QString typed =
        exported(p(QStringLiteral("&lt;b&gt;x&lt;/b&gt; &amp;lt; &amp;amp; &amp;circ;")));
    EXPECT_EQ(HtmlToMarkup(RichInputToHtml(typed)), QStringLiteral("<b>x</b> &lt; &amp; &circ;"));
    const QString recoloured =
        exported(p(span("font-weight:700;", "a") + span("font-weight:700; color:#ff0000;", "b")));
    EXPECT_EQ(HtmlToMarkup(RichInputToHtml(recoloured)), QStringLiteral(" *ab* "));
}
