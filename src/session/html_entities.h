#pragma once
// Decoding of the HTML entities found in form targets. Pure function; any thread.

#include <QString>

namespace quillo {

// Returns `text` with its HTML entities replaced, in three passes:
//  1. "&quot;", "&nbsp;", "&amp;", "&lt;", "&gt;", in this order, each everywhere and
//     regardless of ASCII case; so "&amp;lt;" ends as "<".
//  2. Decimal entities "&#N;", left to right: every occurrence of the same entity text is
//     replaced by the character N, and the scan looks again at the same place, so an entity
//     that decodes to "&" may start a new one. N must be plain digits naming a code point from
//     1 to 0x10FFFF; above 0xFFFF it becomes a surrogate pair. Anything else ("&#x27;", "&#0;",
//     "&#99999999999;", "&#;") is left as written and the scan moves one character on. The
//     pass ends at the last "&#", or at an "&#" with no ";" after it.
//  3. Only when pass 2 ended at an "&#" without ";": escapes "\xHH" from that "&#" onwards,
//     each replaced everywhere by the character 0xHH. "\x00" and escapes cut short or not
//     hexadecimal are left as written.
QString DecodeEntities(const QString& text);

} // namespace quillo
