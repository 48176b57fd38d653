#include "session/http_text.h"

#include <QStringDecoder>
#include <QUrl>
#include <optional>

namespace quillo {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; unassigned bytes map to themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *to++ = QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

QByteArray charsetOf(const QByteArray& contentType) {
    for (QByteArray part : contentType.split(';')) {
        part = part.trimmed();
        if (part.toLower().startsWith("charset=")) {
            QByteArray name = part.mid(8).trimmed();
            if (name.size() >= 2 && (name.startsWith('"') || name.startsWith('\'')))
                name = name.mid(1, name.size() - 2);
            return name.toLower();
        }
    }
    return {};
}

std::optional<QString> decodeStrict(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString decodeBody(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray charset = charsetOf(contentType);
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "windows-1252" ||
        charset == "cp1252" || charset == "us-ascii" || charset == "ascii")
        return decodeCp1252(body); // as browsers read a declared Latin-1 page
    if (!charset.isEmpty()) {
        if (auto encoding = QStringConverter::encodingForName(charset.constData())) {
            QStringDecoder decoder(*encoding, QStringConverter::Flag::ConvertInitialBom);
            return decoder.decode(body);
        }
    }
    if (auto bom = QStringConverter::encodingForData(body)) {
        // encodingForData also guesses UTF-16 without a mark; only trust a real mark here.
        const bool marked = body.startsWith("\xEF\xBB\xBF") || body.startsWith("\xFF\xFE") ||
                            body.startsWith("\xFE\xFF");
        if (marked) {
            QStringDecoder decoder(*bom);
            return decoder.decode(body);
        }
    }
    if (auto utf8 = decodeStrict(QStringConverter::Utf8, body))
        return *utf8;
    return decodeCp1252(body);
}

} // namespace

QString BodyToText(const QByteArray& body, const QByteArray& contentType) {
    const QString text = decodeBody(body, contentType);
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    qsizetype lineStart = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        out.append(QStringView(text).mid(lineStart, i - lineStart));
        out.append(u"\r\n");
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < n) {
        out.append(QStringView(text).mid(lineStart));
        out.append(u"\r\n");
    }
    return out;
}

QByteArray EncodeForm(const FormFields& fields) {
    QByteArray out;
    for (const auto& [name, value] : fields) {
        if (!out.isEmpty())
            out.append('&');
        out.append(QUrl::toPercentEncoding(name));
        out.append('=');
        out.append(QUrl::toPercentEncoding(value));
    }
    return out;
}

} // namespace quillo
