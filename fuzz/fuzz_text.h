#pragma once
// What the fuzz targets over service text share: the input read as an answer's body, and the
// check that a cut taken from inside a quoted string never spans an unescaped quote.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "session/http_text.h"

namespace quillo::fuzz {

// The input as the HTTP layer would hand it on: an answer's body decoded as the service sent it.
inline QString AnswerText(const uint8_t* data, size_t size) {
    return BodyToText(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
}

// True when text holds a quote that no backslash escapes.
inline bool HasUnescapedQuote(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            ++i;
        else if (text[i] == u'"')
            return true;
    }
    return false;
}

// A value cut out of text by a marker search: "0" when absent, otherwise a piece of the text
// that holds none of the terminators that end such a cut.
inline void CheckCut(const QString& value, const QString& text,
                     std::initializer_list<QStringView> terminators) {
    if (value == u"0")
        return;
    if (!text.contains(value))
        std::abort();
    for (const QStringView terminator : terminators) {
        if (value.contains(terminator))
            std::abort();
    }
}

} // namespace quillo::fuzz
