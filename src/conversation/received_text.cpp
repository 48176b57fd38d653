#include "conversation/received_text.h"

#include "conversation/character_references.h"
#include "conversation/text_codecs.h"
#include "session/pattern_search.h"

namespace quillo {

QString DecodeReceivedText(const QString& escaped) {
    // Line breaks first, before the backslashes go, as the service's escaping requires.
    QString text = ReplaceAll(escaped, u"\\n", u"\n");
    text = ReplaceAll(text, u"<Br>", u"\n", Qt::CaseInsensitive);
    text = DecodeUnicodeEscapes(StripBackslashEscapes(text));
    return DecodeCharacterReferences(text);
}

} // namespace quillo
