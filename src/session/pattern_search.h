#pragma once
// Fixed-pattern search and replace-all over UTF-16 text. Every entity, escape and emoticon
// replacement goes through ReplaceAll: pages are large and a naive loop of search and
// concatenation copies the whole text once per occurrence.
//
// Case-insensitive matching folds ASCII letters only. Every other code unit matches only
// itself, so a replacement never swallows a non-ASCII character that merely lower-cases to
// an ASCII one. The markers and entity names searched for are ASCII.

#include <QString>
#include <QStringView>
#include <array>

namespace quillo {

constexpr char16_t AsciiLower(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + (u'a' - u'A')) : unit;
}

// Whether two texts are equal when ASCII letters are folded.
bool EqualsNoCase(QStringView a, QStringView b);

// A Horspool search for one fixed pattern. The skip table has 256 entries indexed by the low
// byte of a (folded) code unit; units that share a low byte share the smallest skip, which
// keeps every shift safe for the whole UTF-16 range.
//
// Thread: none of its own; it is immutable once built, so one instance may serve several
// threads at once. Ownership: holds its own copy of the pattern.
class PatternSearcher {
public:
    explicit PatternSearcher(QStringView pattern, Qt::CaseSensitivity cs = Qt::CaseSensitive);

    // Start of the first occurrence at or after `from`, or -1. An empty pattern is never found.
    qsizetype indexIn(QStringView text, qsizetype from = 0) const;
    bool isFoundIn(QStringView text) const { return indexIn(text) >= 0; }

    qsizetype size() const { return pattern_.size(); }
    Qt::CaseSensitivity caseSensitivity() const { return cs_; }

private:
    QString pattern_; // folded when the search ignores case
    Qt::CaseSensitivity cs_;
    std::array<qsizetype, 256> skip_{};
};

// Replaces every non-overlapping occurrence of `pattern`, left to right, in one pass. The
// result is allocated once (sized from an upper bound when the text cannot grow, from a count
// of the occurrences otherwise); a text without any occurrence is returned as it is, shared.
// An empty pattern replaces nothing.
QString ReplaceAll(const QString& text, QStringView pattern, QStringView replacement,
                   Qt::CaseSensitivity cs = Qt::CaseSensitive);
QString ReplaceAll(const QString& text, const PatternSearcher& pattern, QStringView replacement);

// Whether `pattern` occurs in `text`, ASCII letters folded. The empty pattern occurs in every
// text, as with QString::contains.
bool ContainsNoCase(QStringView text, QStringView pattern);

} // namespace quillo
