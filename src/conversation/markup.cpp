#include "conversation/markup.h"

#include "session/pattern_search.h"

namespace quillo {

namespace {

struct Replacement {
    QStringView find;
    QStringView replace;
    Qt::CaseSensitivity cs;
};

// Order matters: runs are joined and nested first, so both ends of a run get their markers
// in the same order. Two touching runs (a colour or font change inside bold text) join into
// one; keeping a "</b>" there would leave a closing marker without its opening one, and the
// other party would see a stray "*" and lose the bold of the second run.
constexpr Replacement kHtmlToMarkup[] = {
    {u"</b><b>", u"", Qt::CaseInsensitive},
    {u"</u><u>", u"", Qt::CaseInsensitive},
    {u"<u><b>", u"<b><u>", Qt::CaseInsensitive},
    {u"</b></u>", u"</u></b>", Qt::CaseInsensitive},
    {u"<b>", u" *", Qt::CaseInsensitive},
    {u"</b>", u"* ", Qt::CaseInsensitive},
    {u"<u>", u" _", Qt::CaseInsensitive},
    {u"</u>", u"_ ", Qt::CaseInsensitive},
    {u"&lt;", u"<", Qt::CaseSensitive},
    {u"&gt;", u">", Qt::CaseSensitive},
    {u"&circ;", u"^", Qt::CaseSensitive},
    {u"<BR>", u"\n\r", Qt::CaseInsensitive},
    // Last: a typed "&lt;" comes as "&amp;lt;", which no row above may take for a "<".
    {u"&amp;", u"&", Qt::CaseSensitive},
};

// How many of the markers belong to a pair: all of them, or all but the last when the count is
// odd, because that one is never closed and is shown as itself.
qsizetype pairedCount(const QString& text, QChar marker) {
    const qsizetype count = text.count(marker);
    return count - count % 2;
}

} // namespace

QString HtmlToMarkup(const QString& html) {
    QString out = html;
    for (const Replacement& row : kHtmlToMarkup)
        out = ReplaceAll(out, row.find, row.replace, row.cs);
    return out;
}

QString MarkupToHtml(const QString& text) {
    // Each marker's fate is known from the counts alone: a marker opens or closes a run
    // alternately, and only an odd last one stays unpaired. That replaces the rewriting of the
    // whole result at every closing marker, which made long texts quadratic.
    const qsizetype boldPaired = pairedCount(text, u'*');
    const qsizetype underlinePaired = pairedCount(text, u'_');
    qsizetype boldSeen = 0;
    qsizetype underlineSeen = 0;
    QString out;
    out.reserve(text.size() + (boldPaired + underlinePaired) * 3);
    for (const QChar c : text) {
        if (c == u'*' && boldSeen < boldPaired) {
            out.append(boldSeen % 2 == 0 ? QStringView(u"<B>") : QStringView(u"</B>"));
            ++boldSeen;
        } else if (c == u'_' && underlineSeen < underlinePaired) {
            out.append(underlineSeen % 2 == 0 ? QStringView(u"<U>") : QStringView(u"</U>"));
            ++underlineSeen;
        } else {
            out.append(c);
        }
    }
    // "*a**b*" is one bold run "ab": touching runs are joined, not left with a stray "</B>".
    out = ReplaceAll(out, u"</b><b>", u"", Qt::CaseInsensitive);
    return ReplaceAll(out, u"</u><u>", u"", Qt::CaseInsensitive);
}

} // namespace quillo
