// Feeds arbitrary bytes, decoded as the long poll gets its answers, through everything the poll
// loop reads from a channel answer: the sequence number, the items, each item's sender and
// message. Checks what the loop relies on: the values are pieces of the answer that stop at
// their terminators, the items cover the list without a gap, and a message text never holds
// the quote that should have ended it.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "chat/channel_answer.h"
#include "fuzz_text.h"
#include "session/http_text.h"
#include "session/message_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString answer = quillo::fuzz::AnswerText(data, size);

    quillo::fuzz::CheckCut(quillo::SeqOf(answer), answer, {u",", u"}"});
    quillo::fuzz::CheckCut(quillo::FromOf(answer), answer, {u","});

    // Every item starts with its type and runs up to the next item, the last one to the end of
    // the answer: nothing is skipped and no item holds another.
    const QStringView itemStart = u"{\"type\":\"";
    const QList<quillo::ChannelItem> items = quillo::ChannelItems(answer);
    QString joined;
    for (const quillo::ChannelItem& item : items) {
        if (!item.text.startsWith(itemStart) || item.text.indexOf(itemStart, 1) >= 0 ||
            item.messageId.contains(u'"'))
            std::abort();
        joined += item.text;
        if (item.kind == quillo::ChannelItem::Kind::Typing &&
            item.from != quillo::SenderIdOf(quillo::FromOf(item.text)))
            std::abort();

        quillo::TMSg record;
        quillo::ParseMessage(item.text, record);
        if (quillo::fuzz::HasUnescapedQuote(record.Text) ||
            quillo::fuzz::HasUnescapedQuote(record.FromName) || record.Time.contains(u',') ||
            record.FromId.contains(u','))
            std::abort();
    }
    if (!answer.endsWith(joined))
        std::abort();
    return 0;
}
