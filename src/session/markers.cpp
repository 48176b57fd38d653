#include "session/markers.h"

#include "session/pattern_search.h"

namespace quillo {

namespace {

// `find(from)` returns the next occurrence at or after `from`, or -1.
template <typename Find>
QString nthField(QStringView text, qsizetype markerSize, int n, Find find) {
    if (n < 1 || markerSize == 0)
        return {};
    qsizetype start = 0;
    for (int k = 0; k < n; ++k) {
        const qsizetype at = find(start);
        if (at < 0)
            return {};
        start = at + markerSize;
    }
    const qsizetype next = find(start);
    const qsizetype end = next < 0 ? text.size() : next;
    return text.sliced(start, end - start).toString();
}

} // namespace

QString NthField(QStringView text, QStringView marker, int n) {
    return nthField(text, marker.size(), n,
                    [&](qsizetype from) { return text.indexOf(marker, from); });
}

QString NthFieldNoCase(QStringView text, QStringView marker, int n) {
    if (n < 1 || marker.isEmpty())
        return {};
    const PatternSearcher searcher(marker, Qt::CaseInsensitive);
    return nthField(text, marker.size(), n,
                    [&](qsizetype from) { return searcher.indexIn(text, from); });
}

qsizetype CountPieces(QStringView text, QStringView marker) {
    qsizetype pieces = 1;
    if (marker.isEmpty())
        return pieces;
    for (qsizetype at = text.indexOf(marker); at >= 0;
         at = text.indexOf(marker, at + marker.size()))
        ++pieces;
    return pieces;
}

} // namespace quillo
