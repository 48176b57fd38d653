// Two checks over arbitrary input. DecodeEntities on the input as UTF-8 text: it must end and
// never grow the text. ReplaceAll on the input as UTF-16 units, split into pattern,
// replacement and text by the first unit: it must agree with a plain search-and-copy loop.
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "session/html_entities.h"
#include "session/pattern_search.h"

namespace {

bool same(QChar a, QChar b, Qt::CaseSensitivity cs) {
    return cs == Qt::CaseSensitive
               ? a == b
               : quillo::AsciiLower(a.unicode()) == quillo::AsciiLower(b.unicode());
}

QString naiveReplaceAll(const QString& text, const QString& pattern, const QString& replacement,
                        Qt::CaseSensitivity cs) {
    if (pattern.isEmpty())
        return text;
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype k = 0;
        while (k < pattern.size() && i + k < text.size() && same(text[i + k], pattern[k], cs))
            ++k;
        if (k == pattern.size()) {
            result += replacement;
            i += k;
        } else {
            result += text[i];
            ++i;
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (quillo::DecodeEntities(text).size() > text.size())
        std::abort();

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2); // the input need not be aligned
    if (units.empty())
        return 0;
    const char16_t control = units[0];
    const size_t patternSize = std::min<size_t>(control & 7, units.size() - 1);
    const size_t replacementSize =
        std::min<size_t>((control >> 3) & 7, units.size() - 1 - patternSize);
    const Qt::CaseSensitivity cs = (control & 0x40) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString pattern = QString::fromStdU16String(units.substr(1, patternSize));
    const QString replacement =
        QString::fromStdU16String(units.substr(1 + patternSize, replacementSize));
    const QString haystack =
        QString::fromStdU16String(units.substr(1 + patternSize + replacementSize));
    if (quillo::ReplaceAll(haystack, pattern, replacement, cs) !=
        naiveReplaceAll(haystack, pattern, replacement, cs))
        std::abort();
    return 0;
}
