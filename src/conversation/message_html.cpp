#include "conversation/message_html.h"

#include "conversation/emoticons.h"
#include "conversation/markup.h"
#include "conversation/received_text.h"
#include "conversation/shown_text.h"

namespace quillo {

namespace {

constexpr QChar kReplacementCharacter = QChar(0xFFFD);

} // namespace

QString EscapeForView(const QString& text) {
    const qsizetype n = text.size();
    QString out;
    out.reserve(n + n / 8);
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&':
            out.append(u"&amp;");
            break;
        case u'<':
            out.append(u"&lt;");
            break;
        case u'>':
            out.append(u"&gt;");
            break;
        case u'\n':
        case u'\r':
            out.append(u"<Br>");
            // The input's line end is LF CR, a Windows one CR LF: either pair is one break.
            if (i + 1 < n && (text[i + 1] == u'\n' || text[i + 1] == u'\r') && text[i + 1] != c)
                ++i;
            break;
        default:
            if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
                out.append(c);
                out.append(text[++i]);
            } else if (c.isSurrogate()) {
                out.append(kReplacementCharacter);
            } else {
                out.append(c);
            }
        }
    }
    return out;
}

QString MessageBodyHtml(const QString& text, const QString& folderUrl) {
    return MarkupToHtml(ApplyEmoticons(EscapeForView(text) + u' ', folderUrl));
}

QString ViewMessageBodyHtml(const QString& text, const QString& folderUrl,
                            const CutNotice& cutNotice) {
    const ShownMessage shown = ShownMessageText(text);
    QString html = MessageBodyHtml(shown.text, folderUrl);
    if (shown.hiddenCharacters > 0) {
        html += QStringLiteral("<Br><i>") + EscapeForView(cutNotice(shown.hiddenCharacters)) +
                QStringLiteral("</i>");
    }
    return html;
}

QString ReceivedMessageHtml(const QString& escaped, const QString& folderUrl) {
    return MessageBodyHtml(DecodeReceivedText(escaped), folderUrl);
}

QString OwnMessageHtml(const QString& markup, const QString& folderUrl) {
    return MessageBodyHtml(markup, folderUrl);
}

} // namespace quillo
