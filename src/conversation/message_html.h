#pragma once
// The HTML body of one message in the conversation view and the chat log: the characters as
// typed, then emoticon pictures and the bold and underline markers. Text is escaped exactly
// once before any of the formatting, so no text of a message can form an element; the only
// elements are <B>, <U>, <Br> and the emoticon pictures of the emoticon folder.

#include <QString>
#include <functional>

namespace quillo {

// Plain text safe inside an element: "&", "<" and ">" as references, every line break (LF, CR,
// or a pair of them) as "<Br>", and an unpaired surrogate as U+FFFD, which every encoding of
// the view and the log can hold.
QString EscapeForView(const QString& text);

// A message in plain text with markers: escaped, one space added (so a code at the very end
// still ends in its space), emoticons applied with the pictures in `folderUrl`, markers shown.
QString MessageBodyHtml(const QString& text, const QString& folderUrl);

// The words that follow a message cut for the view, given how many characters only the log has
// (the caller's language).
using CutNotice = std::function<QString(qsizetype hiddenCharacters)>;

// MessageBodyHtml of what the view shows of a message: a text beyond kLongestShownMessage
// characters is cut there and followed by a line of cutNotice's words (the log gets
// MessageBodyHtml of the whole text).
QString ViewMessageBodyHtml(const QString& text, const QString& folderUrl,
                            const CutNotice& cutNotice);

// A received body in the service's escaped form, as DecodeReceivedText reads it.
QString ReceivedMessageHtml(const QString& escaped, const QString& folderUrl);

// The user's own message in the form it is sent (HtmlToMarkup of the input), so the view
// shows what the other party receives.
QString OwnMessageHtml(const QString& markup, const QString& folderUrl);

} // namespace quillo
