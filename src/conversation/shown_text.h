#pragma once
// How much of a text from outside the program a window shows. Names and messages come from
// friends and the service and may be of any length or hold any character; laying out a
// 100,000-character name or message would freeze the window, and a right-to-left override in a
// name would turn the text after it around. These rules bound what is shown; what is kept (the
// chat log, the message sent) stays whole.
//
// Pure functions; any thread.

#include <QString>

namespace quillo {

// Longer than any real name: a longer name is shown cut to this many characters, the last of
// them an ellipsis.
inline constexpr qsizetype kLongestShownName = 100;

// A message is shown whole up to this many characters; beyond, its start is shown with a line
// that says how much more the chat log holds.
inline constexpr qsizetype kLongestShownMessage = 20000;
// Nor more lines than this: every line is laid out on its own.
inline constexpr qsizetype kMostShownLines = 500;

// A decoded name as one line of text a window can show: line breaks, tabs and other control
// characters become spaces, the explicit direction marks that would reach past the name
// (embeddings, overrides, isolates) are dropped, and a name longer than kLongestShownName is cut
// (never inside a character) to end in "…" at that length. Showing a shown name changes nothing.
QString ShownName(const QString& decodedName);

// True when ShownName shows less than the whole name, so a window offers the whole of it as a
// tooltip.
bool IsNameCut(const QString& decodedName);

// The text of a message (plain text with the bold and underline markers) as the view shows it:
// whole up to kLongestShownMessage characters and kMostShownLines lines, otherwise its start
// (never cut inside a character).
struct ShownMessage {
    QString text;
    qsizetype hiddenCharacters = 0; // how many characters are only in the log
};
ShownMessage ShownMessageText(const QString& text);

} // namespace quillo
