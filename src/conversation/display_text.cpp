#include "conversation/display_text.h"

#include "conversation/text_codecs.h"
#include "session/html_entities.h"

namespace quillo {

QString MessagePlainText(QString escaped) {
    escaped.replace(QStringLiteral("\\n"), QStringLiteral("<Br>"));
    QString text = DecodeUnicodeEscapes(StripBackslashEscapes(escaped));
    text.replace(QStringLiteral("<Br>"), QStringLiteral("\n"), Qt::CaseInsensitive);
    return DecodeEntities(text);
}

} // namespace quillo
