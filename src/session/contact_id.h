#pragma once
// ContactId: the one type for a contact's (or the user's) numeric id on the engine's face.
// The service writes ids as decimal text, some above 2^32; inside the protocol records they
// stay text as the service wrote them, and front ends get this.

#include <QHashFunctions>
#include <QString>
#include <compare>

namespace quillo {

class ContactId {
public:
    constexpr ContactId() = default;
    constexpr explicit ContactId(qint64 value)
        : value_(value) {}

    // The id the decimal text stands for; an invalid id when the text is not one.
    static ContactId fromText(QStringView text) {
        // The usual spelling, ASCII digits only, is read without the general number parser:
        // a contact list reads thousands of ids at once. 18 digits always fit.
        if (!text.isEmpty() && text.size() <= 18) {
            qint64 value = 0;
            bool digits = true;
            for (const QChar c : text) {
                if (c < u'0' || c > u'9') {
                    digits = false;
                    break;
                }
                value = value * 10 + (c.unicode() - u'0');
            }
            if (digits)
                return value > 0 ? ContactId(value) : ContactId();
        }
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        return ok && value > 0 ? ContactId(value) : ContactId();
    }

    constexpr qint64 value() const { return value_; }
    constexpr bool isValid() const { return value_ > 0; }
    // As QString::number writes it, digit by digit here: a contact list names thousands of
    // ids at once.
    QString toText() const {
        constexpr qsizetype kLongest = 20; // 19 digits and a sign
        char16_t text[kLongest];
        qsizetype at = kLongest;
        quint64 rest = value_ < 0 ? 0 - static_cast<quint64>(value_) : static_cast<quint64>(value_);
        do {
            text[--at] = static_cast<char16_t>(u'0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (value_ < 0)
            text[--at] = u'-';
        return QString(reinterpret_cast<const QChar*>(text + at), kLongest - at);
    }

    friend constexpr auto operator<=>(ContactId, ContactId) = default;
    friend size_t qHash(ContactId id, size_t seed = 0) { return qHash(id.value_, seed); }

private:
    qint64 value_ = 0;
};

} // namespace quillo
