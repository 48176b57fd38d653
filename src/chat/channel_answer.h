#pragma once
// Reading the channel host's answers by marker search: the sequence number, the sender, one
// message, and the items of an answer. The service puts every waiting item in one answer
// ("ms":[{...},{...}]), often a typing notice before the message, so an answer is read item by
// item. Pure functions.

#include <QList>
#include <QString>

#include "session/message_record.h"

namespace quillo {

// The text after the first "seq": up to the next "," or "}", whichever comes first; "0" when
// the marker or both terminators are missing.
QString SeqOf(const QString& answer);

// The text after the first "from": up to the next ","; "0" when missing.
QString FromOf(const QString& answer);

// Fills Text, Time (the client time), FromId and FromName, each found after the previous one;
// stops at the first missing marker. The text ends at its closing quote: an escaped quote
// inside it (\") does not end it.
void ParseMessage(const QString& answer, TMSg& record);

// One item of a channel answer.
struct ChannelItem {
    enum class Kind { Message, Typing, Other };
    Kind kind = Kind::Other;
    QString text; // the item's own text, for ParseMessage and FromOf
    // Typing: the sender, and whether typing started (st 1) or stopped (st 0).
    qint64 from = 0;
    bool typing = false;
    // Message: the service's message id ("msgID"), empty when the item has none, and when the
    // service took it (its "time", ms since 1970; 0 when missing).
    QString messageId;
    qint64 serviceTime = 0;
};

// The items of an answer in order; empty when the answer carries no "ms" list.
QList<ChannelItem> ChannelItems(const QString& answer);

// The sender's id as a 64-bit integer; 0 when it does not read as one.
qint64 SenderIdOf(const QString& from);

} // namespace quillo
