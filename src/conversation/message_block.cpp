#include "conversation/message_block.h"

#include "conversation/character_references.h"
#include "conversation/message_html.h"
#include "conversation/message_time.h"
#include "conversation/shown_text.h"
#include "conversation/text_codecs.h"

namespace quillo {

namespace {

QString block(quint32 rgb, const QString& header, const QString& bodyHtml) {
    return QStringLiteral("<font color=\"") + ColorToHtml(rgb) + QStringLiteral("\">") + header +
           QStringLiteral("<br /></font>") + bodyHtml + QStringLiteral("<br />");
}

} // namespace

QString ColorToHtml(quint32 rgb) {
    return u'#' + QStringLiteral("%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

QString SenderNameHtml(const QString& escapedName) {
    return EscapeForView(ShownName(DecodeCharacterReferences(DecodeUnicodeEscapes(escapedName))));
}

QString ViewMessageHeader(const QString& escapedName, const QString& timeStamp) {
    const QString time = FormatMessageTime(timeStamp);
    if (time.isEmpty())
        return SenderNameHtml(escapedName) + u':';
    return SenderNameHtml(escapedName) + QStringLiteral(" (") + time + QStringLiteral("):");
}

QString LogMessageHeader(const QString& escapedName, const QString& timeStamp, QDate today,
                         const QLocale& locale) {
    const QString time = FormatMessageTime(timeStamp);
    QString when = FormatLogDate(today, locale);
    if (!time.isEmpty())
        when += u' ' + time;
    return SenderNameHtml(escapedName) + QStringLiteral(" (") + when + QStringLiteral("):");
}

QString MessageViewBlock(quint32 rgb, const QString& escapedName, const QString& timeStamp,
                         const QString& bodyHtml) {
    return block(rgb, ViewMessageHeader(escapedName, timeStamp), bodyHtml);
}

QString MessageLogBlock(quint32 rgb, const QString& escapedName, const QString& timeStamp,
                        const QString& bodyHtml, QDate today, const QLocale& locale) {
    return block(rgb, LogMessageHeader(escapedName, timeStamp, today, locale), bodyHtml);
}

QString ViewDocument(const QString& body) {
    return QStringLiteral("<!doctype html><head><meta http-equiv=\"Content-Type\" "
                          "content=\"text/html; charset=utf-8\"></head><body>") +
           body + QStringLiteral("</body></html>");
}

} // namespace quillo
