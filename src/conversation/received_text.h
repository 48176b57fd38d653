#pragma once
// A received message body, still in the service's escaped form, as the plain text the person
// typed.

#include <QString>

namespace quillo {

// Escaped line breaks ("\n", also escaped twice) and "<Br>" (any case, as the history replay
// inserts it) become line feeds; then StripBackslashEscapes, DecodeUnicodeEscapes, and the
// character references resolved once. Nothing in the result is markup any more: a "<" is a
// typed "<", however it arrived.
QString DecodeReceivedText(const QString& escaped);

} // namespace quillo
