#include "platform/settings_file_format.h"

#include <QHash>
#include <QList>
#include <optional>

#include "platform/settings_store.h"

namespace quillo {

namespace {

const QByteArray kDwordTag = QByteArrayLiteral("dword:");
const QByteArray kTextTag = QByteArrayLiteral("sz:");
const QByteArray kBinaryTag = QByteArrayLiteral("hex:");

QString Hex(uint value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The value of digits hexadecimal digits at text[from], if they are all there.
std::optional<uint> HexAt(const QString& text, qsizetype from, int digits) {
    if (from + digits > text.size())
        return std::nullopt;
    uint value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexDigit(text[from + i]);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<uint>(digit);
    }
    return value;
}

bool IsControl(char16_t u) {
    return u < 0x20 || u == 0x7F;
}

// Whether text[i] starts a properly paired surrogate.
bool IsPairAt(const QString& text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
}

QString EscapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (IsPairAt(text, i)) {
            out += c;
            out += text[++i];
        } else if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (IsControl(c.unicode()) || c.isSurrogate()) {
            out += QStringLiteral("\\u") + Hex(c.unicode(), 4);
        } else {
            out += c;
        }
    }
    return out;
}

// Strict: an unknown or cut-off escape makes the whole text unreadable.
std::optional<QString> UnescapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case u'\\':
            out += u'\\';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'r':
            out += u'\r';
            break;
        case u't':
            out += u'\t';
            break;
        case u'u': {
            const std::optional<uint> unit = HexAt(text, i + 1, 4);
            if (!unit)
                return std::nullopt;
            out += QChar(static_cast<char16_t>(*unit));
            i += 4;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<QVariant> DecodeValue(const QByteArray& text) {
    if (text.startsWith(kDwordTag)) {
        const QByteArray digits = text.mid(kDwordTag.size());
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        quint32 value = 0;
        for (const char c : digits) {
            const int digit = HexDigit(QLatin1Char(c));
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<quint32>(digit);
        }
        return QVariant::fromValue(value);
    }
    if (text.startsWith(kTextTag)) {
        std::optional<QString> value = UnescapeText(QString::fromUtf8(text.mid(kTextTag.size())));
        if (!value)
            return std::nullopt;
        return QVariant(*value);
    }
    if (text.startsWith(kBinaryTag)) {
        const QByteArray digits = text.mid(kBinaryTag.size());
        if (digits.size() % 2 != 0)
            return std::nullopt;
        for (const char c : digits) {
            if (HexDigit(QLatin1Char(c)) < 0)
                return std::nullopt;
        }
        return QVariant(QByteArray::fromHex(digits));
    }
    return std::nullopt;
}

std::optional<QByteArray> EncodeValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UInt:
        return kDwordTag + Hex(value.toUInt(), 8).toLatin1();
    case QMetaType::QString:
        return kTextTag + EscapeText(value.toString()).toUtf8();
    case QMetaType::QByteArray:
        return kBinaryTag + value.toByteArray().toHex().toUpper();
    default:
        break;
    }
    if (value.canConvert<UnreadableSettingValue>()) {
        const QByteArray kept = value.value<UnreadableSettingValue>().text;
        if (!kept.contains('\n'))
            return kept;
    }
    return std::nullopt; // not a value of this store: it has no line
}

} // namespace

QString EscapeValueName(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("%");
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const char16_t u = c.unicode();
        if (IsPairAt(name, i)) {
            out += c;
            out += name[++i];
        } else if (c.isSurrogate()) {
            out += QStringLiteral("%u") + Hex(u, 4);
        } else if (IsControl(u) || u == u'%' || u == u'=' || u == u'#' || u == u'/' || u == u'\\') {
            out += QLatin1Char('%') + Hex(u, 2);
        } else {
            out += c;
        }
    }
    return out;
}

QString UnescapeValueName(const QString& escaped) {
    if (escaped == QStringLiteral("%"))
        return QString();
    QString out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == u'%') {
            if (i + 1 < escaped.size() && escaped[i + 1] == u'u') {
                if (const std::optional<uint> unit = HexAt(escaped, i + 2, 4)) {
                    out += QChar(static_cast<char16_t>(*unit));
                    i += 5;
                    continue;
                }
            } else if (const std::optional<uint> code = HexAt(escaped, i + 1, 2)) {
                out += QChar(static_cast<char16_t>(*code));
                i += 2;
                continue;
            }
        }
        out += escaped[i];
    }
    return out;
}

QSettings::SettingsMap ParseSettingsFile(const QByteArray& contents) {
    QSettings::SettingsMap values;
    QHash<QString, QString> keyOfName; // folded name -> key in values
    for (QByteArray line : contents.split('\n')) {
        while (line.endsWith('\r'))
            line.chop(1); // line ends written by other systems' editors
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue; // not a value: nothing to keep
        const QString name = UnescapeValueName(QString::fromUtf8(line.left(equals)));
        const QByteArray text = line.mid(equals + 1);
        std::optional<QVariant> value = DecodeValue(text);
        const QString folded = FoldValueName(name);
        if (const auto earlier = keyOfName.constFind(folded); earlier != keyOfName.cend())
            values.remove(*earlier);
        const QString key = EscapeValueName(name);
        keyOfName.insert(folded, key);
        values.insert(key, value ? *value : QVariant::fromValue(UnreadableSettingValue{text}));
    }
    return values;
}

QByteArray FormatSettingsFile(const QSettings::SettingsMap& values) {
    QByteArray out = QByteArrayLiteral(
        "# Quillo for Facebook settings. The remembered password is kept here: this file must\n"
        "# stay readable by its owner only.\n");
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const std::optional<QByteArray> value = EncodeValue(it.value());
        if (!value)
            continue;
        out += EscapeValueName(UnescapeValueName(it.key())).toUtf8();
        out += '=';
        out += *value;
        out += '\n';
    }
    return out;
}

} // namespace quillo
