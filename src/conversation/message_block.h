#pragma once
// The block of one message as the conversation view shows it and as the chat log keeps it:
// the sender's header in the sender's colour, then the message body.

#include <QDate>
#include <QLocale>
#include <QString>

namespace quillo {

// Colours as 24-bit RGB, 0xRRGGBB.
inline constexpr quint32 kOwnMessageColor = 0x800000; // maroon
inline constexpr quint32 kOtherPartyColor = 0x0000FF; // blue

// "#" and red, green and blue as two upper-case hexadecimal digits each: "#800000".
QString ColorToHtml(quint32 rgb);

// The sender's name (escaped as the service sends it) as view HTML: decoded, bounded as
// ShownName bounds it (no direction override runs on into the message), then escaped, so a
// name cannot form an element either.
QString SenderNameHtml(const QString& escapedName);

// name + " (" + time + "):", or name + ":" when the stamp is empty or not a number.
QString ViewMessageHeader(const QString& escapedName, const QString& timeStamp);

// name + " (" + date + " " + time + "):", or name + " (" + date + "):" when the stamp is empty
// or not a number. `today` is the day the block is written, not the day of the message.
QString LogMessageHeader(const QString& escapedName, const QString& timeStamp, QDate today,
                         const QLocale& locale = QLocale());

// <font color="#RRGGBB">HEADER<br /></font>BODY<br />, with `bodyHtml` from MessageBodyHtml.
QString MessageViewBlock(quint32 rgb, const QString& escapedName, const QString& timeStamp,
                         const QString& bodyHtml);
QString MessageLogBlock(quint32 rgb, const QString& escapedName, const QString& timeStamp,
                        const QString& bodyHtml, QDate today, const QLocale& locale = QLocale());

// The whole document of a conversation view around its body.
QString ViewDocument(const QString& body);

} // namespace quillo
