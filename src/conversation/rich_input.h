#pragma once
// The chat input's content (the HTML its editor exports) read back as the simple HTML the
// service form is made from: characters as typed, lines joined with <BR>, and formatting only
// as <B>, <I>, <STRIKE> and <U> runs.

#include <QString>

namespace quillo {

// `inputHtml` is the editor's HTML export (a QTextEdit's toHtml()), or a bare fragment.
// - Every paragraph and every line break inside one is a line; later lines start with <BR>.
// - Characters come out as typed: the export's references are resolved, and only "<", ">" and
//   "&" are written as references again, so that nothing typed can pass for a tag.
// - Runs of equal attributes (bold, italic, underline, strike-out, colour, size, font) open
//   with "<B>", "<I>", "<STRIKE>", "<U>" as they apply and close in reverse order; the first
//   run opens with the document's default attributes.
// - A right-aligned or centred paragraph, or a list item, is wrapped in <P ALIGN="...">
//   or <LI ALIGN="...">; no font, colour or size element is written.
QString RichInputToHtml(const QString& inputHtml);

} // namespace quillo
