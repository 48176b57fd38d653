#pragma once
// A received message body as plain text for a reader: service escapes decoded, escaped line
// breaks and <Br> made real line breaks, HTML entities resolved. Markup is never interpreted,
// only kept as text, so hostile text shows as what it is.

#include <QString>

namespace quillo {

QString MessagePlainText(QString escaped);

} // namespace quillo
