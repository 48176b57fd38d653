// Feeds arbitrary UTF-16 text through the four codecs and checks the round trip that the
// contact names rely on: text without a backslash survives encode then decode.
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "conversation/text_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2); // the input need not be aligned
    const QString text = QString::fromStdU16String(units);
    const QString body = quillo::DecodeUnicodeEscapes(quillo::StripBackslashEscapes(text));
    if (body.size() > text.size())
        std::abort(); // decoding never grows a text
    if (!text.contains(QLatin1Char('\\')) &&
        quillo::DecodeUnicodeEscapes(quillo::EncodeUnicodeEscapes(text)) != text)
        std::abort();
    return 0;
}
