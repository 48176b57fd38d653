#pragma once
// The service form of a message: plain text in which "*" opens and closes a bold run and "_"
// an underlined one.

#include <QString>

namespace quillo {

// The chat input's HTML (RichInputToHtml) as the text to send: <B> and <U> runs become " *",
// "* ", " _" and "_ ", underline nested inside bold, "&lt;", "&gt;", "&circ;" and "&amp;" the
// characters they name and <BR> a line feed followed by a carriage return. Italic and strike-out
// tags are left in the text.
QString HtmlToMarkup(const QString& html);

// The markers shown: each closed pair of "*" becomes <B>...</B>, of "_" <U>...</U>; a marker
// that is never closed stays the character it was. Markers count anywhere, inside words too.
// Linear in the length of the text.
QString MarkupToHtml(const QString& text);

} // namespace quillo
