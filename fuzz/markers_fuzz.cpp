// The marker tools on arbitrary text (UTF-8) with a marker taken from the input: the first
// byte picks the field number, the bytes up to the first line feed are the marker, the rest is
// the text. Checked against QString::split, and the case-insensitive field against the
// case-sensitive one on ASCII-lower-cased copies.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "session/markers.h"
#include "session/pattern_search.h"

namespace {

QString asciiLowered(QString text) {
    for (QChar& c : text)
        c = QChar(quillo::AsciiLower(c.unicode()));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int n = data[0] % 10 - 1; // -1 .. 8
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                            static_cast<qsizetype>(size - 1));
    const qsizetype newline = input.indexOf(u'\n');
    const QString marker = newline < 0 ? QString() : input.first(newline);
    const QString text = newline < 0 ? input : input.sliced(newline + 1);

    const QString field = quillo::NthField(text, marker, n);
    const qsizetype pieces = quillo::CountPieces(text, marker);
    if (marker.isEmpty()) {
        if (!field.isEmpty() || pieces != 1)
            std::abort();
    } else {
        const QStringList split = text.split(marker, Qt::KeepEmptyParts, Qt::CaseSensitive);
        if (pieces != split.size())
            std::abort();
        if (field != (n >= 1 && n < split.size() ? split[n] : QString()))
            std::abort();
    }

    const QString noCase = quillo::NthFieldNoCase(text, marker, n);
    if (asciiLowered(noCase) != quillo::NthField(asciiLowered(text), asciiLowered(marker), n))
        std::abort();
    return 0;
}
