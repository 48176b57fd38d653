#pragma once
// The marker tools with which the web-session code cuts values out of pages: a text is read
// as fields separated by a marker. Occurrences are found left to right and do not overlap,
// the way a working copy consumed from the front would find them, but with a cursor, so every
// call is linear in the text. Pure functions; any thread.

#include <QString>
#include <QStringView>

namespace quillo {

// The text after the n-th occurrence of `marker` (n counts from 1), up to the next occurrence
// or the end of the text. Empty when there are fewer than n occurrences, when n < 1 or when
// the marker is empty. Case-sensitive.
QString NthField(QStringView text, QStringView marker, int n);

// As NthField, with occurrences found regardless of ASCII letter case; the field keeps the
// case of the text.
QString NthFieldNoCase(QStringView text, QStringView marker, int n);

// 1 plus the number of non-overlapping occurrences of `marker` (case-sensitive); 1 for an
// empty marker.
qsizetype CountPieces(QStringView text, QStringView marker);

} // namespace quillo
