#include "session/pattern_search.h"

#include <algorithm>

namespace quillo {

namespace {

template <bool Fold>
inline char16_t unitOf(char16_t unit) {
    if constexpr (Fold)
        return AsciiLower(unit);
    else
        return unit;
}

template <bool Fold>
qsizetype horspool(QStringView text, qsizetype from, QStringView pattern,
                   const std::array<qsizetype, 256>& skip) {
    const qsizetype n = text.size();
    const qsizetype m = pattern.size();
    if (from < 0)
        from = 0;
    if (m == 0 || from > n || m > n - from)
        return -1;
    const char16_t* t = text.utf16();
    const char16_t* p = pattern.utf16();
    const qsizetype last = m - 1;
    const char16_t lastUnit = p[last];
    const qsizetype end = n - m; // last possible start
    for (qsizetype j = from; j <= end;) {
        const char16_t c = unitOf<Fold>(t[j + last]);
        if (c == lastUnit) {
            qsizetype k = 0;
            while (k < last && unitOf<Fold>(t[j + k]) == p[k])
                ++k;
            if (k == last)
                return j;
        }
        j += skip[c & 0xFF];
    }
    return -1;
}

} // namespace

bool EqualsNoCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i].unicode()) != AsciiLower(b[i].unicode()))
            return false;
    }
    return true;
}

PatternSearcher::PatternSearcher(QStringView pattern, Qt::CaseSensitivity cs)
    : pattern_(pattern.toString())
    , cs_(cs) {
    if (cs_ == Qt::CaseInsensitive) {
        for (QChar& c : pattern_)
            c = QChar(AsciiLower(c.unicode()));
    }
    const qsizetype m = pattern_.size();
    skip_.fill(m);
    // Later positions overwrite earlier ones, so each low byte keeps its smallest shift.
    for (qsizetype i = 0; i + 1 < m; ++i)
        skip_[pattern_[i].unicode() & 0xFF] = m - 1 - i;
}

qsizetype PatternSearcher::indexIn(QStringView text, qsizetype from) const {
    if (cs_ == Qt::CaseInsensitive)
        return horspool<true>(text, from, pattern_, skip_);
    return horspool<false>(text, from, pattern_, skip_);
}

QString ReplaceAll(const QString& text, const PatternSearcher& pattern, QStringView replacement) {
    const qsizetype m = pattern.size();
    qsizetype hit = pattern.indexIn(text);
    if (hit < 0)
        return text;

    const qsizetype n = text.size();
    const qsizetype r = replacement.size();
    qsizetype capacity = n;
    if (r > m) {
        qsizetype count = 0;
        for (qsizetype at = hit; at >= 0; at = pattern.indexIn(text, at + m))
            ++count;
        capacity = n + count * (r - m);
    }

    QString result(capacity, Qt::Uninitialized);
    const char16_t* src = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* rep = replacement.utf16();
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    char16_t* const begin = out;
    qsizetype copied = 0; // text before this position is in the result
    while (hit >= 0) {
        out = std::copy(src + copied, src + hit, out);
        out = std::copy(rep, rep + r, out);
        copied = hit + m;
        hit = pattern.indexIn(text, copied);
    }
    out = std::copy(src + copied, src + n, out);
    result.truncate(out - begin);
    return result;
}

QString ReplaceAll(const QString& text, QStringView pattern, QStringView replacement,
                   Qt::CaseSensitivity cs) {
    if (pattern.isEmpty() || pattern.size() > text.size())
        return text;
    return ReplaceAll(text, PatternSearcher(pattern, cs), replacement);
}

bool ContainsNoCase(QStringView text, QStringView pattern) {
    if (pattern.isEmpty())
        return true;
    return PatternSearcher(pattern, Qt::CaseInsensitive).isFoundIn(text);
}

} // namespace quillo
