// Feeds arbitrary bytes, decoded as the replay gets its pages and answers, through the history
// reader the way ReplayHistory uses it: every message it hands over, then the conversations
// named in what follows them, then the text of the user's own lines. Checks what the front end
// relies on: every record has text and a sender, another person's line carries the name the
// lookup gave, no escaped line break reaches the window, and an id is a plain piece of text.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "chat/history.h"
#include "conversation/text_codecs.h"
#include "fuzz_text.h"
#include "session/http_text.h"
#include "session/message_record.h"

namespace {

const QString kUserId = QStringLiteral("100000418294721");

QString nameOf(const QString& id) {
    return id.isEmpty() ? QString() : QStringLiteral("Name of ") + id;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = quillo::fuzz::AnswerText(data, size);

    qsizetype delivered = 0;
    const QString rest = quillo::ParseHistory(
        text, kUserId, nameOf, [&delivered](std::unique_ptr<quillo::TMSg> record) {
            ++delivered;
            if (!record || record->Text.isEmpty() || record->Text.contains(u"\\n") ||
                record->FromId.contains(u','))
                std::abort();
            if (record->FromId == kUserId) {
                if (record->Replayed || !record->FromName.isEmpty())
                    std::abort();
                quillo::OwnLineText(record->Text);
            } else if (!record->Replayed || record->FromName != nameOf(record->FromId)) {
                std::abort();
            }
            quillo::DecodeUnicodeEscapes(quillo::StripBackslashEscapes(record->Text));
        });
    // Every message needs its text marker, so there are never more than the text has.
    if (delivered > text.count(u"text"))
        std::abort();

    for (const QString& id : quillo::ConversationsWithMore(rest)) {
        if (id.isEmpty() || id.contains(u"\\\"") || id.contains(u'}'))
            std::abort();
    }
    // The replay also reads a history answer's own rest, and a page's whole text.
    quillo::ConversationsWithMore(text);
    return 0;
}
