#pragma once
// The codecs between the service's escaped script-string text and display text. Names and
// message bodies are kept escaped while stored and decoded only when shown, logged or
// formatted. Every rule works per UTF-16 code unit; none reads past the end of its input.
//
// An incoming body is decoded in this order: "\n" pairs to "<Br>" (by the caller), then
// StripBackslashEscapes, then DecodeUnicodeEscapes.

#include <QString>

namespace quillo {

// Replaces "\uXXXX" and "\\uXXXX" (four hexadecimal digits) by the code unit they name. An
// escape that is cut short or not hexadecimal is copied as it stands.
QString DecodeUnicodeEscapes(const QString& text);

// Drops the backslash of every backslash escape except "\u", which is left for
// DecodeUnicodeEscapes. A lone backslash at the very end is dropped.
QString StripBackslashEscapes(const QString& text);

// Inverse of DecodeUnicodeEscapes for code units above 255: each becomes "\u" and four
// upper-case hexadecimal digits.
QString EncodeUnicodeEscapes(const QString& text);

} // namespace quillo
