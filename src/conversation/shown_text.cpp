#include "conversation/shown_text.h"

#include <algorithm>

namespace quillo {

namespace {

constexpr QChar kEllipsis = QChar(0x2026);

// The direction controls whose effect lasts until a matching end that a name cannot be trusted
// to bring: LRE, RLE, PDF, LRO, RLO, and the isolates LRI, RLI, FSI, PDI.
bool isDirectionControl(char16_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool breaksTheLine(QChar c) {
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// The length of text's first `most` units, one less when that would end between the two
// halves of a character.
qsizetype wholeCharacters(const QString& text, qsizetype most) {
    if (text.size() <= most)
        return text.size();
    return text[most - 1].isHighSurrogate() && text[most].isLowSurrogate() ? most - 1 : most;
}

} // namespace

QString ShownName(const QString& decodedName) {
    // A contact list holds thousands of names, nearly all shown as they are: those are handed
    // back shared, not copied.
    if (decodedName.size() <= kLongestShownName &&
        std::all_of(decodedName.cbegin(), decodedName.cend(), [](QChar c) {
            const char16_t u = c.unicode();
            if (u < 0x80) // printable ASCII, read without the character tables
                return u >= 0x20 && u != 0x7F;
            return !isDirectionControl(u) && !breaksTheLine(c);
        }))
        return decodedName;
    QString shown;
    shown.reserve(qMin(decodedName.size(), kLongestShownName + 1));
    for (const QChar c : decodedName) {
        if (isDirectionControl(c.unicode()))
            continue;
        shown.append(breaksTheLine(c) ? QChar(u' ') : c);
        if (shown.size() > kLongestShownName)
            break; // enough to know that it is cut
    }
    if (shown.size() <= kLongestShownName)
        return shown;
    // The ellipsis counts: a name shown once and shown again stays as it was.
    shown.truncate(wholeCharacters(shown, kLongestShownName - 1));
    shown.append(kEllipsis);
    return shown;
}

bool IsNameCut(const QString& decodedName) {
    if (decodedName.size() <= kLongestShownName)
        return false; // dropping units never makes a name longer
    qsizetype shown = 0;
    for (const QChar c : decodedName) {
        if (!isDirectionControl(c.unicode()) && ++shown > kLongestShownName)
            return true;
    }
    return false;
}

ShownMessage ShownMessageText(const QString& text) {
    qsizetype kept = wholeCharacters(text, kLongestShownMessage);
    // A line ends at LF, CR, or a pair of them, as the view breaks it.
    qsizetype lines = 1;
    for (qsizetype i = 0; i < kept; ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        const qsizetype lineEnd = i;
        if (i + 1 < text.size() && (text[i + 1] == u'\n' || text[i + 1] == u'\r') &&
            text[i + 1] != c)
            ++i;
        if (++lines > kMostShownLines) {
            kept = lineEnd;
            break;
        }
    }
    if (kept == text.size())
        return {text, 0};
    return {text.first(kept), text.size() - kept};
}

} // namespace quillo
